#include "runtime/number.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace {

// 10 to the powers 0..7, exact.
constexpr std::array<Float80, 8> kSmallPowersOfTen = {
    Float80::from_unsigned(1),       Float80::from_unsigned(10),
    Float80::from_unsigned(100),     Float80::from_unsigned(1000),
    Float80::from_unsigned(10000),   Float80::from_unsigned(100000),
    Float80::from_unsigned(1000000), Float80::from_unsigned(10000000)};

// 10 to the power 8 times each power of two, 1E8 to 1E4096, each the
// correctly rounded extended value: the exponent field holds 16383 plus the
// power of two of the integer bit.
constexpr std::array<Float80, 10> kPowersOfTenBy8 = {
    Float80(false, 16383 + 26, 0xBEBC200000000000),    // 1E8
    Float80(false, 16383 + 53, 0x8E1BC9BF04000000),    // 1E16
    Float80(false, 16383 + 106, 0x9DC5ADA82B70B59E),   // 1E32
    Float80(false, 16383 + 212, 0xC2781F49FFCFA6D5),   // 1E64
    Float80(false, 16383 + 425, 0x93BA47C980E98CE0),   // 1E128
    Float80(false, 16383 + 850, 0xAA7EEBFB9DF9DE8E),   // 1E256
    Float80(false, 16383 + 1700, 0xE319A0AEA60E91C7),  // 1E512
    Float80(false, 16383 + 3401, 0xC976758681750C17),  // 1E1024
    Float80(false, 16383 + 6803, 0x9E8B3B5DC53D5DE5),  // 1E2048
    Float80(false, 16383 + 13606, 0xC46052028A20979B), // 1E4096
};

// The largest value the decimal form gives: 2 to the power 127, for any
// number of 10 to the power 4933 or more.
constexpr Float80 kDecimalCeiling(false, 16383 + 127, Float80::kIntegerBit);
// Decimal exponents p + e at which the value is taken as the ceiling, or as 0.
constexpr std::int64_t kDecimalExponentLimit = 4933;
constexpr std::uint64_t kMaxExponentDigits = 9999;
constexpr int kMaxSignificantDigits = 18;

// A cursor over the text, giving 0 past the end so that the readers below
// never look outside it.
class Reader {
public:
  explicit Reader(std::string_view text, std::size_t position) : text_(text), position_(position) {}
  [[nodiscard]] char peek() const { return position_ < text_.size() ? text_[position_] : '\0'; }
  [[nodiscard]] bool at_end() const { return position_ >= text_.size(); }
  void advance() { ++position_; }
  // Takes the next character when it is one of `choices`.
  bool take_any(std::string_view choices) {
    if (at_end() || choices.find(peek()) == std::string_view::npos) {
      return false;
    }
    advance();
    return true;
  }

private:
  std::string_view text_;
  std::size_t position_;
};

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The value of a digit of the radix form, 0-9 and A-Z or a-z for 10-35.
std::optional<unsigned> digit_value(char c) {
  if (is_digit(c)) {
    return static_cast<unsigned>(c - '0');
  }
  if (c >= 'A' && c <= 'Z') {
    return static_cast<unsigned>(c - 'A' + 10);
  }
  if (c >= 'a' && c <= 'z') {
    return static_cast<unsigned>(c - 'a' + 10);
  }
  return std::nullopt;
}

// 10 to the power k (k >= 0): an exact table entry for k mod 8 times the
// constants for the set bits of k div 8, with one 1E4096 taken first when k
// is above 4096.
Float80 power_of_ten(std::int64_t k) {
  Float80 power = kSmallPowersOfTen[0];
  if (k > 4096) {
    power = kPowersOfTenBy8.back();
    k -= 4096;
  }
  power *= kSmallPowersOfTen[static_cast<std::size_t>(k % 8)];
  std::int64_t bits = k / 8;
  for (std::size_t bit = 0; bits != 0 && bit < kPowersOfTenBy8.size(); ++bit, bits >>= 1) {
    if ((bits & 1) != 0) {
      power *= kPowersOfTenBy8[bit];
    }
  }
  return power;
}

// digits times 10 to the power k. A negative power whose divisor would not
// fit the format (below 10 to the power -4932, only reachable with many
// significant digits) divides in two steps instead, so that a small but
// representable number does not collapse to 0 through an infinite divisor.
Float80 scale_by_power_of_ten(Float80 digits, std::int64_t k) {
  if (k >= 0) {
    return digits * power_of_ten(k);
  }
  const Float80 divisor = power_of_ten(-k);
  if (divisor.is_infinite()) {
    return digits / kPowersOfTenBy8.back() / power_of_ten(-k - 4096);
  }
  return digits / divisor;
}

// The decimal form: sign, digits with at most one point, optional exponent.
// The counters are 64-bit, wide enough for any text a 32-bit byte count can
// hold, so even absurdly long texts give the value their digits stand for.
NumberParts read_decimal(Reader& in) {
  const bool negative = in.peek() == '-';
  in.take_any("+-");

  std::uint64_t digits = 0;        // the significant digits kept, at most 18
  int digit_count = 0;             // how many digits `digits` holds
  std::int64_t point_exponent = 0; // p: digits before the point, from the first significant one
  bool any_digit = false;
  bool significant = false;
  bool seen_point = false;
  for (;; in.advance()) {
    const char c = in.peek();
    if (c == '.' && !seen_point) {
      seen_point = true;
      continue;
    }
    if (!is_digit(c)) {
      break;
    }
    any_digit = true;
    if (c == '0' && !significant) {
      // Leading zeros count for nothing before the point, and move the
      // first significant digit one place down after it.
      if (seen_point) {
        --point_exponent;
      }
      continue;
    }
    significant = true;
    if (!seen_point) {
      ++point_exponent;
    }
    // Digits beyond the eighteenth are dropped: truncation, not rounding.
    if (digit_count < kMaxSignificantDigits) {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      ++digit_count;
    }
  }

  std::int64_t exponent = 0;
  if (any_digit && in.take_any("EeDd")) {
    const bool exponent_negative = in.peek() == '-';
    in.take_any("+-");
    std::uint64_t magnitude = 0;
    for (; is_digit(in.peek()); in.advance()) {
      magnitude = std::min(magnitude * 10 + static_cast<std::uint64_t>(in.peek() - '0'),
                           kMaxExponentDigits);
    }
    exponent = exponent_negative ? -static_cast<std::int64_t>(magnitude)
                                 : static_cast<std::int64_t>(magnitude);
  }

  NumberParts parts{.negative = negative};
  if (digits != 0) {
    const std::int64_t magnitude = point_exponent + exponent;
    if (magnitude >= kDecimalExponentLimit) {
      parts.ceiling = true;
    } else if (magnitude > -kDecimalExponentLimit) {
      parts.digits = digits;
      parts.power = magnitude - digit_count;
    }
  }
  return parts;
}

// The radix form after the ampersand: base letter, digits, type suffix. Every
// value it gives is a 64-bit integer.
std::int64_t read_radix(Reader& in) {
  unsigned base = 8;
  if (in.take_any("Bb")) {
    base = 2;
  } else if (in.take_any("Hh")) {
    base = 16;
  } else {
    in.take_any("OoQq"); // any other character is the first octal digit
  }

  std::uint64_t value = 0;
  bool any_digit = false;
  bool leading_zero = false;
  bool overflow = false;
  for (;; in.advance()) {
    const std::optional<unsigned> digit = digit_value(in.peek());
    if (in.at_end() || !digit || *digit >= base) {
      break;
    }
    if (!any_digit) {
      leading_zero = *digit == 0;
      any_digit = true;
    }
    if (value > (UINT64_MAX - *digit) / base) {
      overflow = true;
    }
    value = value * base + *digit;
  }
  if (!any_digit || overflow) {
    return 0;
  }

  // The type suffix (%, &, &&, ?, ?? or ???) is read and dropped, but it
  // decides how the digits are read.
  int ampersands = 0;
  int questions = 0;
  if (!in.take_any("%")) {
    while (ampersands < 2 && in.take_any("&")) {
      ++ampersands;
    }
    while (ampersands == 0 && questions < 3 && in.take_any("?")) {
      ++questions;
    }
  }

  constexpr std::uint64_t kTwoTo63 = std::uint64_t{1} << 63;
  constexpr std::uint64_t kTwoTo32 = std::uint64_t{1} << 32;
  constexpr std::uint64_t kTwoTo31 = std::uint64_t{1} << 31;
  constexpr std::uint64_t kTwoTo16 = 65536;
  constexpr std::uint64_t kTwoTo15 = 32768;
  const auto as_signed64 = [](std::uint64_t v) { return static_cast<std::int64_t>(v); };
  if (questions > 0) {
    return value >= kTwoTo63 ? 0 : as_signed64(value);
  }
  if (leading_zero || value >= kTwoTo32) {
    return as_signed64(value);
  }
  if (ampersands == 2) {
    return as_signed64(value);
  }
  if (value >= kTwoTo16) {
    // A 32-bit number: the top bit is the sign.
    return as_signed64(value) - (value >= kTwoTo31 ? as_signed64(kTwoTo32) : 0);
  }
  if (ampersands == 1) {
    return as_signed64(value);
  }
  // A 16-bit number: the top bit is the sign.
  return as_signed64(value) - (value >= kTwoTo15 ? as_signed64(kTwoTo16) : 0);
}

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

// A start below 1 is read as 1: the whole text is read.
NumberParts parse_number(std::int32_t start, std::string_view text) {
  Reader in(text, static_cast<std::size_t>(std::max(start, 1)) - 1);
  while (!in.at_end() && is_blank(in.peek())) {
    in.advance();
  }
  if (in.at_end()) {
    return {};
  }
  if (in.take_any("&")) {
    const std::int64_t value = read_radix(in);
    // The magnitude of INT64_MIN is 2^63, which the unsigned digits hold.
    const std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    return {.negative = value < 0, .digits = value < 0 ? 0 - magnitude : magnitude};
  }
  return read_decimal(in);
}

Float80 number_value(const NumberParts& parts) {
  Float80 value;
  if (parts.ceiling) {
    value = kDecimalCeiling;
  } else if (parts.digits != 0) {
    value = scale_by_power_of_ten(Float80::from_unsigned(parts.digits), parts.power);
  }
  return parts.negative ? -value : value;
}

Float80 string_to_number(std::int32_t start, StringValue text) {
  return number_value(parse_number(start, text.view8()));
}

std::int32_t runtime_round_to_int32(Float80 value) {
  // Nearest with ties to even, as the start-up mode rounds; like the FPU's
  // integer store, anything outside the range (infinity and NaN included)
  // gives the "integer indefinite" value, which is also -2^31 itself.
  constexpr std::int32_t kIndefinite = INT32_MIN;
  if (value.exponent() == Float80::kInfiniteExponent) {
    return kIndefinite;
  }
  // |value| = significand * 2^(exponent - 63); denormals are far below 1/2.
  const int exponent = std::max<int>(value.exponent(), 1) - Float80::kExponentBias;
  if (exponent >= 31) {
    return kIndefinite;
  }
  if (exponent < -1) {
    return 0;
  }
  // The integer part, and the bits below the binary point, the first of
  // them worth one half.
  const int fraction_bits = 63 - exponent; // 33 to 64
  std::uint64_t integer = fraction_bits == 64 ? 0 : value.significand() >> fraction_bits;
  const std::uint64_t fraction = value.significand() << (64 - fraction_bits);
  constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
  if (fraction > kHalf || (fraction == kHalf && (integer & 1) != 0)) {
    ++integer;
  }
  if (integer > INT32_MAX) {
    return kIndefinite; // 2^31, or -2^31, which is the same value
  }
  const auto magnitude = static_cast<std::int32_t>(integer);
  return value.negative() ? -magnitude : magnitude;
}
