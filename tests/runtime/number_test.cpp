#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "runtime/number.h"
#include "tests/support/runtime_test.h"

namespace {

constexpr Extended kCeiling = 0x1p127L; // 1.7014118346046923E+38

struct NumberCase {
  std::string text;
  Extended expected;
};

class NumberTest : public RuntimeTest {
protected:
  static Extended number(std::string_view text, std::int32_t start = 1) {
    const RuntimeString s = make_string8(text);
    return string_to_number(start, s);
  }

  void expect_cases(const std::vector<NumberCase>& cases) {
    for (const NumberCase& c : cases) {
      const Extended got = number(c.text);
      EXPECT_EQ(got, c.expected) << '"' << c.text << "\" gave " << static_cast<double>(got);
      EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << '"' << c.text << "\" sign";
    }
  }
};

TEST_F(NumberTest, DecimalForm) {
  expect_cases({
      {"  42", 42.0L},
      {"\t\r\n 42", 42.0L},
      {"-7", -7.0L},
      {"+3", 3.0L},
      {"1.5e2", 150.0L},
      {"1D3", 1000.0L},
      {"1d3", 1000.0L},
      {"2E+3", 2000.0L},
      {".5", 0.5L},
      {"5.", 5.0L},
      {"12abc", 12.0L},
      {"1.2.3", 1.2L},
      {"007", 7.0L},
      {"0.0025", 0.0025L},
      {"2e-1", 0.2L},
      {"1.5e", 1.5L},
      {"1.5e+", 1.5L},
      {"3e2x", 300.0L},
      {"1e", 1.0L},
      {"- 5", -0.0L},
      {"abc", 0.0L},
      {"", 0.0L},
      {"   ", 0.0L},
      {"-", -0.0L},
      {"-.", -0.0L},
      {"e5", 0.0L},
      {"-0", -0.0L},
      {"000.000", 0.0L},
      {"0e5000", 0.0L},
      {"1234567890123456789", 1234567890123456780.0L},
      {"1234567890123456789.9", 1234567890123456780.0L},
      {"0.1234567890123456789", 0.123456789012345678L},
  });
}

TEST_F(NumberTest, DecimalLimits) {
  expect_cases({
      {"1e5000", kCeiling},
      {"-1e5000", -kCeiling},
      {"1e70000", kCeiling},
      {"1e4932", kCeiling},  // p + e = 4933
      {".1e4933", kCeiling}, // p + e = 4933 after the point
      {"1e-5000", 0.0L},
      {"-1e-5000", -0.0L},
      {"1e-4934", 0.0L}, // p + e = -4933
      {"1e-70000", 0.0L},
  });
  // Just inside the limits the value is scaled, not cut off.
  const Extended large = number("1e4931");
  EXPECT_TRUE(std::isfinite(large));
  EXPECT_GT(large, 9e4930L);
  EXPECT_GT(number("1e-4932"), 0.0L);
  EXPECT_GT(number("1e-4933"), 0.0L);
  // Eighteen digits far down: the divisor alone would overflow, the number
  // itself is representable.
  const Extended tiny = number("123456789012345678e-4932");
  EXPECT_GT(tiny, 1e-4916L);
  EXPECT_LT(tiny, 1e-4914L);
}

// Each power-of-ten constant is reached alone by 1E(8 * 2^i) and must be
// the correctly rounded extended value, as the C library reads it.
TEST_F(NumberTest, PowerConstantsAreCorrectlyRounded) {
  for (int exponent = 8; exponent <= 4096; exponent *= 2) {
    const std::string text = "1E" + std::to_string(exponent);
    EXPECT_EQ(number(text), std::strtold(text.c_str(), nullptr)) << text;
  }
}

TEST_F(NumberTest, VeryLongTexts) {
  // Far more digits than a 16-bit counter holds: positions and digit counts
  // keep their true values.
  const std::string ones(100000, '1');
  expect_cases({
      {ones, kCeiling},
      {"1" + std::string(100000, '0'), kCeiling},
      {"0." + std::string(100000, '0') + "1", 0.0L},
      {std::string(100000, '0') + "17", 17.0L},
      // The exponent stops at 9999, too little to bring 40001 places back.
      {"4" + std::string(40000, '0') + "e-39999", kCeiling},
      {"-" + std::string(40000, '1') + "e-9999", -kCeiling},
  });
  // Eighteen digits kept out of 100001: 1.22222222222222222.
  EXPECT_EQ(number("1." + std::string(100000, '2')), 122222222222222222.0L / 1e17L);
  EXPECT_EQ(number("1e" + std::string(100000, '9')), kCeiling);
  EXPECT_EQ(number(std::string(9000, '3') + "e-8990"), 333333333333333333.0L / 1e8L);
}

TEST_F(NumberTest, RadixForm) {
  expect_cases({
      {"&HFF", 255.0L},
      {"&hff", 255.0L},
      {"&HFFFF", -1.0L},
      {"&H0FFFF", 65535.0L},
      {"&HFFFF&", 65535.0L},
      {"&HFFFF%", -1.0L},
      {"&HFFFF?", 65535.0L},
      {"&H8000", -32768.0L},
      {"&H7FFF", 32767.0L},
      {"&H10000", 65536.0L},
      {"&HFFFFFFFF", -1.0L},
      {"&HFFFFFFFF&", -1.0L},
      {"&HFFFFFFFF&&", 4294967295.0L},
      {"&HFF&&&", 255.0L},
      {"&H80000000", -2147483648.0L},
      {"&H080000000", 2147483648.0L},
      {"&H100000000", 4294967296.0L},
      {"&HFFFFFFFFFFFFFFFF", -1.0L},
      {"&HFFFFFFFFFFFFFFFF?", 0.0L},
      {"&H7FFFFFFFFFFFFFFF??", 9223372036854775807.0L},
      {"&H10000000000000000", 0.0L}, // 65 significant bits
      {"&H00000000000000000001", 1.0L},
      {"&B101", 5.0L},
      {"&b102", 2.0L},
      {"&O17", 15.0L},
      {"&o17", 15.0L},
      {"&Q17", 15.0L},
      {"&q17", 15.0L},
      {"&17", 15.0L},
      {"&1777777777777777777777", -1.0L}, // 64 bits in octal
      {"&2000000000000000000000", 0.0L},  // 65 bits
      {"&H", 0.0L},
      {"&9", 0.0L},
      {"&", 0.0L},
      {"&Z1", 0.0L},
      {"&H 10", 0.0L},
      {"&H1G", 1.0L},
      {"  &H10", 16.0L},
      {"-&H10", -0.0L},
  });
}

TEST_F(NumberTest, StartPosition) {
  EXPECT_EQ(number("ab 42", 3), 42.0L);
  EXPECT_EQ(number("12345", 4), 45.0L);
  EXPECT_EQ(number("12345", 6), 0.0L);
  EXPECT_EQ(number("12345", 100000), 0.0L);
  // A start below 1 reads from the beginning.
  EXPECT_EQ(number("42", 0), 42.0L);
  EXPECT_EQ(number("42", -3), 42.0L);
}

TEST_F(NumberTest, ConsumesATemporaryText) {
  const std::size_t before = console.live_strings();
  EXPECT_EQ(string_to_number(1, make_string8("99")), 99.0L);
  EXPECT_EQ(console.live_strings(), before);
  EXPECT_EQ(error(), 0);
}

TEST(RoundToInt32, NearestTiesToEvenAndIndefinite) {
  struct Case {
    Extended value;
    std::int32_t expected;
  };
  const Case cases[] = {
      {2.5L, 2},
      {3.5L, 4},
      {-2.5L, -2},
      {0.5L, 0},
      {1.5L, 2},
      {1.4999L, 1},
      {-0.0L, 0},
      {15.0L, 15},
      {99999999999.0L, INT32_MIN},
      {2147483647.4L, INT32_MAX},
      {2147483647.5L, INT32_MIN},
      {-2147483646.5L, -2147483646},
      {-2147483649.0L, INT32_MIN},
      {kCeiling, INT32_MIN},
      {std::numeric_limits<Extended>::infinity(), INT32_MIN},
      {-std::numeric_limits<Extended>::infinity(), INT32_MIN},
      {std::numeric_limits<Extended>::quiet_NaN(), INT32_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runtime_round_to_int32(c.value), c.expected) << static_cast<double>(c.value);
  }
}

} // namespace
