// The number reader's integer arithmetic against the x87 unit, bit for bit:
// for arbitrary texts, for arbitrary digits times any power of ten from
// 10^-5000 to 10^5000, and for the rounding to a 32-bit integer. The x87
// side is the reader's arithmetic written plainly in long double, which on
// x86 is the x87 extended format.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/number.h"

static_assert(std::numeric_limits<long double>::digits == 64, "this target needs the x87 format");

namespace {

constexpr std::array<long double, 8> kSmallPowers = {1.0L,     10.0L,     100.0L,     1000.0L,
                                                     10000.0L, 100000.0L, 1000000.0L, 10000000.0L};
constexpr std::array<long double, 10> kPowersBy8 = {1E8L,   1E16L,  1E32L,   1E64L,   1E128L,
                                                    1E256L, 1E512L, 1E1024L, 1E2048L, 1E4096L};

long double x87_power_of_ten(std::int64_t k) {
  long double power = 1.0L;
  if (k > 4096) {
    power = kPowersBy8.back();
    k -= 4096;
  }
  power *= kSmallPowers[static_cast<std::size_t>(k % 8)];
  std::int64_t bits = k / 8;
  for (std::size_t bit = 0; bits != 0 && bit < kPowersBy8.size(); ++bit, bits >>= 1) {
    if ((bits & 1) != 0) {
      power *= kPowersBy8[bit];
    }
  }
  return power;
}

long double x87_value(const NumberParts& parts) {
  long double value = 0.0L;
  if (parts.ceiling) {
    value = 0x1p127L;
  } else if (parts.digits != 0) {
    const auto digits = static_cast<long double>(parts.digits);
    const std::int64_t k = parts.power;
    if (k >= 0) {
      value = digits * x87_power_of_ten(k);
    } else if (const long double divisor = x87_power_of_ten(-k); std::isinf(divisor)) {
      value = digits / kPowersBy8.back() / x87_power_of_ten(-k - 4096);
    } else {
      value = digits / divisor;
    }
  }
  return parts.negative ? -value : value;
}

std::int32_t x87_round_to_int32(long double value) {
  if (std::isnan(value)) {
    return INT32_MIN;
  }
  const long double rounded = std::nearbyint(value);
  if (rounded < static_cast<long double>(INT32_MIN) ||
      rounded > static_cast<long double>(INT32_MAX)) {
    return INT32_MIN;
  }
  return static_cast<std::int32_t>(rounded);
}

// The ten bytes of the format: significand, sign and exponent.
bool same_bits(long double a, long double b) {
  return std::memcmp(&a, &b, 10) == 0;
}

void check(const NumberParts& parts) {
  const long double x87 = x87_value(parts);
  const Float80 portable = number_value(parts);
  FUZZ_CHECK(portable == Float80::from_long_double(x87));
  FUZZ_CHECK(same_bits(portable.to_long_double(), x87));
  FUZZ_CHECK(runtime_round_to_int32(x87) == x87_round_to_int32(x87));
}

} // namespace

// Every power of ten the reader can meet, and those around them, once.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  runtime_load_fpu_control_word(kFpuControlWord);
  for (std::int64_t k = -5000; k <= 5000; ++k) {
    check({.digits = 1, .power = k});
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // Any 64-bit integer times any power of ten in the range, either sign.
  const NumberParts scaled{.negative = input.ConsumeBool(),
                           .digits = input.ConsumeIntegral<std::uint64_t>(),
                           .power = input.ConsumeIntegralInRange<std::int64_t>(-5000, 5000)};
  check(scaled);
  // And what the rest says as a text.
  const auto start = input.ConsumeIntegralInRange<std::int32_t>(-1, 8);
  const std::string text = input.ConsumeRemainingBytesAsString();
  check(parse_number(start, text));
  return 0;
}
