// The number reader's arithmetic written plainly in long double where that
// type is the x87 extended format: the x87 unit computes it. The number
// tests, the differential fuzz target and the benchmark hold the integer
// arithmetic against it. Only for builds whose long double is that format
// (LDBL_MANT_DIG == 64, x86 with gcc or clang).
#pragma once

#include <array>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/number.h"

static_assert(LDBL_MANT_DIG == 64, "this needs the x87 format");

namespace x87 {

// The fields of an x87 value: its ten bytes are the significand and then
// sign and exponent, little-endian (the x87 unit exists only on
// little-endian CPUs). Taken by reference, so the bits come from memory and
// never pass through an FPU register (valgrind keeps those in double
// precision).
inline Float80 to_float80(const long double& value) {
  std::uint64_t significand = 0;
  std::uint16_t sign_and_exponent = 0;
  std::memcpy(&significand, &value, sizeof significand);
  std::memcpy(&sign_and_exponent, reinterpret_cast<const unsigned char*>(&value) + 8, 2);
  return {(sign_and_exponent & 0x8000U) != 0,
          static_cast<std::uint16_t>(sign_and_exponent & 0x7FFFU), significand};
}

constexpr std::array<long double, 8> kSmallPowers = {1.0L,     10.0L,     100.0L,     1000.0L,
                                                     10000.0L, 100000.0L, 1000000.0L, 10000000.0L};
// 1E8 to 1E4096, each the correctly rounded extended value, as the C
// library reads the decimal text.
inline const std::array<long double, 10>& powers_by_8() {
  static const std::array<long double, 10> powers = [] {
    std::array<long double, 10> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
      table[i] = std::strtold(("1E" + std::to_string(8 << i)).c_str(), nullptr);
    }
    return table;
  }();
  return powers;
}

inline long double power_of_ten(std::int64_t k) {
  long double power = 1.0L;
  if (k > 4096) {
    power = powers_by_8().back();
    k -= 4096;
  }
  power *= kSmallPowers[static_cast<std::size_t>(k % 8)];
  std::int64_t bits = k / 8;
  for (std::size_t bit = 0; bits != 0 && bit < powers_by_8().size(); ++bit, bits >>= 1) {
    if ((bits & 1) != 0) {
      power *= powers_by_8()[bit];
    }
  }
  return power;
}

inline long double value(const NumberParts& parts) {
  long double value = 0.0L;
  if (parts.ceiling) {
    value = 0x1p127L;
  } else if (parts.digits != 0) {
    const auto digits = static_cast<long double>(parts.digits);
    const std::int64_t k = parts.power;
    if (k >= 0) {
      value = digits * power_of_ten(k);
    } else if (const long double divisor = power_of_ten(-k); std::isinf(divisor)) {
      value = digits / powers_by_8().back() / power_of_ten(-k - 4096);
    } else {
      value = digits / divisor;
    }
  }
  return parts.negative ? -value : value;
}

} // namespace x87
