#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <iomanip>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/number.h"
#include "tests/support/runtime_test.h"
#if LDBL_MANT_DIG == 64
#include "tests/support/x87_number.h"
#endif

// Failures show the fields: sign, exponent field and significand.
void PrintTo(const Float80& value, std::ostream* out) {
  *out << (value.negative() ? '-' : '+') << std::hex << std::uppercase << "0x" << value.exponent()
       << ":0x" << std::setw(16) << std::setfill('0') << value.significand();
}

namespace {

// The reader's values are compared as Float80, field by field (the sign of
// zero included), against the x87 unit's results given as fields, so each
// test means the same on every CPU whatever its long double is.
constexpr Float80 kCeiling(false, 0x3FFF + 127, Float80::kIntegerBit); // 2^127
const Float80 kZero;
const Float80 kMinusZero = -kZero;

Float80 integer(std::int64_t value) {
  return Float80::from_signed(value);
}

// digits / divisor, rounded once, as the reader computes a decimal fraction.
Float80 quotient(std::uint64_t digits, std::uint64_t divisor) {
  return Float80::from_unsigned(digits) / Float80::from_unsigned(divisor);
}

struct NumberCase {
  std::string text;
  Float80 expected;
};

class NumberTest : public RuntimeTest {
protected:
  static Float80 number(std::string_view text, std::int32_t start = 1) {
    return number_value(parse_number(start, text));
  }

  static void expect_cases(const std::vector<NumberCase>& cases) {
    for (const NumberCase& c : cases) {
      EXPECT_EQ(number(c.text), c.expected) << '"' << c.text.substr(0, 40) << '"';
    }
  }
};

TEST_F(NumberTest, DecimalForm) {
  expect_cases({
      {"  42", integer(42)},
      {"\t\r\n 42", integer(42)},
      {"-7", integer(-7)},
      {"+3", integer(3)},
      {"1.5e2", integer(150)},
      {"1D3", integer(1000)},
      {"1d3", integer(1000)},
      {"2E+3", integer(2000)},
      {".5", {false, 0x3FFE, Float80::kIntegerBit}},
      {"5.", integer(5)},
      {"12abc", integer(12)},
      {"1.2.3", quotient(12, 10)},
      {"007", integer(7)},
      {"0.0025", quotient(25, 10000)},
      {"2e-1", quotient(2, 10)},
      {"1.5e", quotient(15, 10)},
      {"1.5e+", quotient(15, 10)},
      {"3e2x", integer(300)},
      {"1e", integer(1)},
      {"- 5", kMinusZero},
      {"abc", kZero},
      {"", kZero},
      {"   ", kZero},
      {"-", kMinusZero},
      {"-.", kMinusZero},
      {"e5", kZero},
      {"-0", kMinusZero},
      {"000.000", kZero},
      {"0e5000", kZero},
      {"1234567890123456789", integer(1234567890123456780)},
      {"1234567890123456789.9", integer(1234567890123456780)},
      {"0.1234567890123456789", quotient(123456789012345678, 1000000000000000000)},
  });
}

TEST_F(NumberTest, DecimalLimits) {
  expect_cases({
      {"1e5000", kCeiling},
      {"-1e5000", -kCeiling},
      {"1e70000", kCeiling},
      {"1e4932", kCeiling},  // p + e = 4933
      {".1e4933", kCeiling}, // p + e = 4933 after the point
      {"1e-5000", kZero},
      {"-1e-5000", kMinusZero},
      {"1e-4934", kZero}, // p + e = -4933
      {"1e-70000", kZero},
  });
}

// Where rounding to 64 bits decides, the results the x87 unit gives (sign,
// exponent field, significand); the same on every CPU. Just inside the
// decimal limits the value is scaled, not cut off.
TEST_F(NumberTest, RoundedResults) {
  expect_cases({
      {"0.1", {false, 0x3FFB, 0xCCCCCCCCCCCCCCCD}},
      {"-1.2", {true, 0x3FFF, 0x999999999999999A}},
      // Twenty digits: eighteen kept, times 100, rounded once.
      {"99999999999999999999", {false, 0x4041, 0xAD78EBC5AC61FFF4}},
      // Exactly halfway between two 64-bit values: to the even one, below
      // and above.
      {"147573952589676413e3", {false, 0x4042, 0x8000000000000004}},
      {"147573952589676415e3", {false, 0x4042, 0x8000000000000082}},
      {"1e4931", {false, 0x7FFB, 0xAC23C22116CBF8A3}},
      {"999999999999999999e4914", {false, 0x7FFE, 0xD72CB2A95C7EF6BE}}, // the largest
      // Eighteen digits far down: the divisor alone would overflow, the
      // number itself is representable.
      {"123456789012345678e-4932", {false, 0x0038, 0x8274BE46AFB9FEE5}},
      // Below the normal range, denormals: the smaller, the fewer bits.
      {"1e-4932", {false, 0, 0x261247C8F29357F0}},
      {"1e-4933", {false, 0, 0x03CEA0C74B752265}},
      {"-123456789012345678e-4950", {true, 0, 0x04B33E9684B54D33}},
  });
}

#if LDBL_MANT_DIG == 64
// Each power-of-ten constant is reached alone by 1E(8 * 2^i) and must be
// the correctly rounded extended value, as the C library reads it. Only
// where long double is that format; the constants are the same everywhere.
TEST_F(NumberTest, PowerConstantsAreCorrectlyRounded) {
  for (int exponent = 8; exponent <= 4096; exponent *= 2) {
    const std::string text = "1E" + std::to_string(exponent);
    const long double expected = std::strtold(text.c_str(), nullptr);
    EXPECT_EQ(number(text), x87::to_float80(expected)) << text;
  }
}
#endif

TEST_F(NumberTest, VeryLongTexts) {
  // Far more digits than a 16-bit counter holds: positions and digit counts
  // keep their true values.
  const std::string ones(100000, '1');
  expect_cases({
      {ones, kCeiling},
      {"1" + std::string(100000, '0'), kCeiling},
      {"0." + std::string(100000, '0') + "1", kZero},
      {std::string(100000, '0') + "17", integer(17)},
      // The exponent stops at 9999, too little to bring 40001 places back.
      {"4" + std::string(40000, '0') + "e-39999", kCeiling},
      {"-" + std::string(40000, '1') + "e-9999", -kCeiling},
  });
  // Eighteen digits kept out of 100001: 1.22222222222222222.
  EXPECT_EQ(number("1." + std::string(100000, '2')),
            quotient(122222222222222222, 100000000000000000));
  EXPECT_EQ(number("1e" + std::string(100000, '9')), kCeiling);
  EXPECT_EQ(number(std::string(9000, '3') + "e-8990"), quotient(333333333333333333, 100000000));
}

TEST_F(NumberTest, RadixForm) {
  expect_cases({
      {"&HFF", integer(255)},
      {"&hff", integer(255)},
      {"&HFFFF", integer(-1)},
      {"&H0FFFF", integer(65535)},
      {"&HFFFF&", integer(65535)},
      {"&HFFFF%", integer(-1)},
      {"&HFFFF?", integer(65535)},
      {"&H8000", integer(-32768)},
      {"&H7FFF", integer(32767)},
      {"&H10000", integer(65536)},
      {"&HFFFFFFFF", integer(-1)},
      {"&HFFFFFFFF&", integer(-1)},
      {"&HFFFFFFFF&&", integer(4294967295)},
      {"&HFF&&&", integer(255)},
      {"&H80000000", integer(-2147483648)},
      {"&H080000000", integer(2147483648)},
      {"&H100000000", integer(4294967296)},
      {"&HFFFFFFFFFFFFFFFF", integer(-1)},
      {"&HFFFFFFFFFFFFFFFF?", kZero},
      {"&H7FFFFFFFFFFFFFFF??", integer(INT64_MAX)},
      {"&H10000000000000000", kZero}, // 65 significant bits
      {"&H00000000000000000001", integer(1)},
      {"&B101", integer(5)},
      {"&b102", integer(2)},
      {"&O17", integer(15)},
      {"&o17", integer(15)},
      {"&Q17", integer(15)},
      {"&q17", integer(15)},
      {"&17", integer(15)},
      {"&1777777777777777777777", integer(-1)}, // 64 bits in octal
      {"&2000000000000000000000", kZero},       // 65 bits
      {"&H", kZero},
      {"&9", kZero},
      {"&", kZero},
      {"&Z1", kZero},
      {"&H 10", kZero},
      {"&H1G", integer(1)},
      {"  &H10", integer(16)},
      {"-&H10", kMinusZero},
  });
}

TEST_F(NumberTest, StartPosition) {
  EXPECT_EQ(number("ab 42", 3), integer(42));
  EXPECT_EQ(number("12345", 4), integer(45));
  EXPECT_EQ(number("12345", 6), kZero);
  EXPECT_EQ(number("12345", 100000), kZero);
  // A start below 1 reads from the beginning.
  EXPECT_EQ(number("42", 0), integer(42));
  EXPECT_EQ(number("42", -3), integer(42));
}

TEST_F(NumberTest, ConsumesATemporaryText) {
  const std::size_t before = console.live_strings();
  EXPECT_EQ(string_to_number(1, make_string8("-1.2")), Float80(true, 0x3FFF, 0x999999999999999A));
  EXPECT_EQ(console.live_strings(), before);
  EXPECT_EQ(error(), 0);
}

TEST_F(NumberTest, RoundToInt32NearestTiesToEvenAndIndefinite) {
  struct Case {
    Float80 value;
    std::int32_t expected;
  };
  const Case cases[] = {
      {number("2.5"), 2},
      {number("3.5"), 4},
      {number("-2.5"), -2},
      {number("0.5"), 0},
      {number("1.5"), 2},
      {number("1.4999"), 1},
      // Just above one half in the 80-bit format; a 64-bit double would
      // have lost the last digit and rounded to 0.
      {number("0.50000000000000001"), 1},
      {number("-0"), 0},
      {number("15"), 15},
      {number("99999999999"), INT32_MIN},
      {number("2147483647.4"), INT32_MAX},
      {number("2147483647.5"), INT32_MIN},
      {number("-2147483646.5"), -2147483646},
      {number("-2147483649"), INT32_MIN},
      {number("2147483646.5"), 2147483646},
      {number("-2147483647.5"), INT32_MIN}, // to the even -2^31, which is in range
      {{false, 0, 1}, 0},                   // the smallest denormal
      {kCeiling, INT32_MIN},
      {{false, Float80::kInfiniteExponent, Float80::kIntegerBit}, INT32_MIN},
      {{true, Float80::kInfiniteExponent, Float80::kIntegerBit}, INT32_MIN},
      {{false, Float80::kInfiniteExponent, 0xC000000000000000}, INT32_MIN}, // a NaN
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runtime_round_to_int32(c.value), c.expected) << testing::PrintToString(c.value);
  }
}

} // namespace
