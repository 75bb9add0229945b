// string_to_number over arbitrary 8-bit text from an arbitrary start, in
// both forms (decimal and &-radix), with the invariants any input must keep.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/number.h"

namespace {

Float80 number_at(std::int32_t start, std::string_view text) {
  const RuntimeString value = make_string8(text);
  return string_to_number(start, value);
}

// Up to 18 decimal digits read back exactly, with either sign.
void check_plain_integer(const std::string& digits) {
  std::int64_t expected = 0;
  for (const char digit : digits) {
    expected = expected * 10 + (digit - '0');
  }
  const Float80 value = Float80::from_signed(expected);
  FUZZ_CHECK(number_at(1, digits) == value);
  FUZZ_CHECK(number_at(1, "-" + digits) == -value);
  FUZZ_CHECK(number_at(1, " \t" + digits + "x") == value);
  // An integer rounds to itself, or to the indefinite value out of range.
  const std::int32_t rounded = runtime_round_to_int32(value);
  FUZZ_CHECK(rounded == (expected <= INT32_MAX ? static_cast<std::int32_t>(expected) : INT32_MIN));
}

// Digits past the eighteenth still count for the magnitude but are dropped,
// not rounded: 18 digits and then `extra` more give the 18-digit integer
// times 10 to the power `extra`, rounded once.
void check_truncated_integer(std::string digits, std::size_t extra) {
  digits.resize(18, '7');
  digits[0] = digits[0] == '0' ? '1' : digits[0];
  std::int64_t value = 0;
  std::int64_t scale = 1;
  for (const char digit : digits) {
    value = value * 10 + (digit - '0');
  }
  for (std::size_t i = 0; i < extra; ++i) {
    scale *= 10;
  }
  const std::string text = digits + std::string(extra, '9');
  FUZZ_CHECK(number_at(1, text) == Float80::from_signed(value) * Float80::from_signed(scale));
}

// &H with a leading zero digit: the value as a signed 64-bit integer.
void check_hex_integer(const std::string& hex_digits) {
  std::uint64_t value = 0;
  for (const char digit : hex_digits) {
    value = value * 16 + static_cast<std::uint64_t>(digit <= '9' ? digit - '0' : digit - 'A' + 10);
  }
  FUZZ_CHECK(number_at(1, "&H0" + hex_digits) ==
             Float80::from_signed(static_cast<std::int64_t>(value)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FuzzRuntime runtime;
  FuzzedDataProvider input(data, size);
  const auto start = input.ConsumeIntegralInRange<std::int32_t>(-3, 40);
  // Now and then the text repeated past the reach of 16-bit counters.
  const bool stretched = input.ConsumeIntegral<std::uint8_t>() == 0xFF;
  std::string text = input.ConsumeRemainingBytesAsString();
  while (stretched && !text.empty() && text.size() < 70000) {
    text += text;
  }

  const Float80 result = number_at(start, text);
  FUZZ_CHECK(!result.is_infinite() && !result.is_nan());
  FUZZ_CHECK(runtime.error() == 0);
  // Whatever the value, rounding it to 32 bits stays defined, and a sign
  // changes only the sign of the result.
  const std::int32_t rounded = runtime_round_to_int32(result);
  if (rounded != INT32_MIN) {
    FUZZ_CHECK(runtime_round_to_int32(-result) == -rounded);
  }

  // Reading from `start` is reading the text that begins there.
  if (start >= 1) {
    const std::size_t from = static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) {
      FUZZ_CHECK(result == Float80());
    } else {
      FUZZ_CHECK(result == number_at(1, std::string_view(text).substr(from)));
      // Blanks before the number are skipped.
      FUZZ_CHECK(result == number_at(1, " \r\n\t" + text.substr(from)));
    }
  }

  // The same bytes as digits: plain integers and &H values come back exact.
  std::string digits;
  std::string hex_digits;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (digits.size() < 18) {
      digits += static_cast<char>('0' + byte % 10);
    }
    if (hex_digits.size() < 15) {
      hex_digits += "0123456789ABCDEF"[byte % 16];
    }
  }
  if (!digits.empty()) {
    check_plain_integer(digits);
    check_hex_integer(hex_digits);
    check_truncated_integer(digits, text.size() % 10);
  }
  return 0;
}
