#include "runtime/float80.h"

#include <bit>

namespace {

// A 128-bit value in two halves.
struct Words {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
};

// A finite non-zero value as significand * 2^(exponent - 63) with the
// significand's top bit set.
struct Unpacked {
  int exponent;
  std::uint64_t significand;
};

Unpacked unpack(const Float80& value) {
  const int shift = std::countl_zero(value.significand());
  const int exponent = (value.exponent() == 0 ? 1 : value.exponent()) - Float80::kExponentBias;
  return {exponent - shift, value.significand() << shift};
}

Float80 infinity(bool negative) {
  return {negative, Float80::kInfiniteExponent, Float80::kIntegerBit};
}

// What an invalid operation gives with its exception masked.
Float80 indefinite() {
  return {true, Float80::kInfiniteExponent, Float80::kIntegerBit | (Float80::kIntegerBit >> 1)};
}

// The 128-bit value high:low shifted right by `shift`, any bit shifted out
// kept in the lowest bit of `low`.
void shift_right_sticky(std::uint64_t& high, std::uint64_t& low, int shift) {
  if (shift == 0) {
    return;
  }
  if (shift < 64) {
    const bool lost = (low << (64 - shift)) != 0;
    low = (low >> shift) | (high << (64 - shift)) | static_cast<std::uint64_t>(lost);
    high >>= shift;
  } else if (shift < 128) {
    const int rest = shift - 64;
    const bool lost = low != 0 || (rest != 0 && (high << (64 - rest)) != 0);
    low = (high >> rest) | static_cast<std::uint64_t>(lost);
    high = 0;
  } else {
    low = static_cast<std::uint64_t>((high | low) != 0);
    high = 0;
  }
}

// Rounds (significand + rest / 2^64) * 2^(exponent - 63), significand
// normalized, to the format: denormalized first when the exponent is below
// the normal range, then rounded to nearest with ties to even; infinity
// when it is above.
Float80 round_and_pack(bool negative, int exponent, std::uint64_t significand, std::uint64_t rest) {
  int biased = exponent + Float80::kExponentBias;
  if (biased <= 0) {
    shift_right_sticky(significand, rest, 1 - biased);
    biased = 0;
  }
  constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
  if (rest > kHalf || (rest == kHalf && (significand & 1) != 0)) {
    ++significand;
    if (significand == 0) { // carried out of the top bit
      significand = Float80::kIntegerBit;
      ++biased;
    }
  }
  if (biased == 0 && (significand & Float80::kIntegerBit) != 0) {
    biased = 1; // a denormal rounded up into the normal range
  }
  if (biased >= Float80::kInfiniteExponent) {
    return infinity(negative);
  }
  return {negative, static_cast<std::uint16_t>(biased), significand};
}

// The full 128-bit product of two 64-bit values, from 32-bit halves.
Words multiply_64(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t kLow32 = 0xFFFFFFFF;
  const std::uint64_t low_low = (a & kLow32) * (b & kLow32);
  const std::uint64_t low_high = (a & kLow32) * (b >> 32);
  const std::uint64_t high_low = (a >> 32) * (b & kLow32);
  const std::uint64_t high_high = (a >> 32) * (b >> 32);
  const std::uint64_t middle = (low_low >> 32) + (low_high & kLow32) + (high_low & kLow32);
  return {(middle << 32) | (low_low & kLow32),
          high_high + (low_high >> 32) + (high_low >> 32) + (middle >> 32)};
}

} // namespace

Float80 Float80::from_signed(std::int64_t value) {
  // The magnitude of INT64_MIN is 2^63, which the unsigned form holds.
  const auto magnitude = value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                   : static_cast<std::uint64_t>(value);
  const Float80 result = from_unsigned(magnitude);
  return value < 0 ? -result : result;
}

Float80 operator*(Float80 left, Float80 right) {
  const bool negative = left.negative() != right.negative();
  if (left.is_nan() || right.is_nan()) {
    return left.is_nan() ? left : right;
  }
  if (left.is_infinite() || right.is_infinite()) {
    return left.is_zero() || right.is_zero() ? indefinite() : infinity(negative);
  }
  if (left.is_zero() || right.is_zero()) {
    return {negative, 0, 0};
  }
  const Unpacked a = unpack(left);
  const Unpacked b = unpack(right);
  Words product = multiply_64(a.significand, b.significand);
  int exponent = a.exponent + b.exponent + 1;
  if ((product.high & Float80::kIntegerBit) == 0) { // the product is below 2^127
    product.high = (product.high << 1) | (product.low >> 63);
    product.low <<= 1;
    --exponent;
  }
  return round_and_pack(negative, exponent, product.high, product.low);
}

Float80 operator/(Float80 left, Float80 right) {
  const bool negative = left.negative() != right.negative();
  if (left.is_nan() || right.is_nan()) {
    return left.is_nan() ? left : right;
  }
  if (left.is_infinite()) {
    return right.is_infinite() ? indefinite() : infinity(negative);
  }
  if (right.is_zero()) {
    return left.is_zero() ? indefinite() : infinity(negative);
  }
  if (left.is_zero() || right.is_infinite()) {
    return {negative, 0, 0};
  }
  const Unpacked a = unpack(left);
  const Unpacked b = unpack(right);
  // Long division, one quotient bit a step. The partial remainder is
  // carry * 2^64 + remainder and stays below twice the divisor; starting
  // from the dividend, or twice the dividend when it is the smaller, makes
  // the first quotient bit the integer bit.
  int exponent = a.exponent - b.exponent;
  std::uint64_t remainder = a.significand;
  bool carry = false;
  if (a.significand < b.significand) {
    carry = true;
    remainder <<= 1;
    --exponent;
  }
  std::uint64_t quotient = 0;
  for (int bit = 0; bit < 64; ++bit) {
    const bool one = carry || remainder >= b.significand;
    if (one) {
      remainder -= b.significand;
    }
    quotient = (quotient << 1) | static_cast<std::uint64_t>(one);
    carry = (remainder >> 63) != 0;
    remainder <<= 1;
  }
  // The next bit decides the rounding, whatever remains breaks a tie.
  const bool half = carry || remainder >= b.significand;
  if (half) {
    remainder -= b.significand;
  }
  const std::uint64_t rest =
      (half ? std::uint64_t{1} << 63 : 0) | static_cast<std::uint64_t>(remainder != 0);
  return round_and_pack(negative, exponent, quotient, rest);
}
