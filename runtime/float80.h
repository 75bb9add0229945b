// Binary floating point in the 80-bit extended format, computed in integer
// arithmetic so that every CPU gives the same bits.
#pragma once

#include <bit>
#include <cstdint>

// A value in the fields of the 80-bit extended format: a sign, a 15-bit
// biased exponent and a 64-bit significand whose top bit is the integer bit.
// Exponent 0 holds zero and the denormals (value = significand * 2^-16445);
// exponent 0x7FFF with only the integer bit set is infinity.
//
// It is the number reader's result on every CPU, whatever the compiler's
// long double is (80-bit, binary128, double-double or plain double), so the
// runtime never needs that type. It has only what the number reader needs:
// exact conversion from 64-bit integers, negation, and multiplication and division rounded once to
// 64 significant bits, to nearest with ties to even. A result too large becomes infinity; one too
// small is denormalized before it is rounded, losing precision gradually down to zero.
class Float80 {
public:
  static constexpr int kExponentBias = 16383;
  static constexpr std::uint16_t kInfiniteExponent = 0x7FFF;
  static constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;

  constexpr Float80() = default; // +0
  constexpr Float80(bool negative, std::uint16_t exponent, std::uint64_t significand)
      : significand_(significand), exponent_(exponent), negative_(negative) {}

  static constexpr Float80 from_unsigned(std::uint64_t value) {
    if (value == 0) {
      return {};
    }
    const int shift = std::countl_zero(value);
    return {false, static_cast<std::uint16_t>(kExponentBias + 63 - shift), value << shift};
  }
  static Float80 from_signed(std::int64_t value);

  [[nodiscard]] bool negative() const { return negative_; }
  [[nodiscard]] std::uint16_t exponent() const { return exponent_; }
  [[nodiscard]] std::uint64_t significand() const { return significand_; }
  [[nodiscard]] bool is_zero() const { return exponent_ == 0 && significand_ == 0; }
  [[nodiscard]] bool is_infinite() const {
    return exponent_ == kInfiniteExponent && significand_ == kIntegerBit;
  }
  [[nodiscard]] bool is_nan() const {
    return exponent_ == kInfiniteExponent && significand_ != kIntegerBit;
  }

  Float80 operator-() const { return {!negative_, exponent_, significand_}; }
  friend Float80 operator*(Float80 left, Float80 right);
  friend Float80 operator/(Float80 left, Float80 right);
  Float80& operator*=(Float80 right) { return *this = *this * right; }
  // Equal when every field is: +0 and -0 differ.
  friend bool operator==(const Float80&, const Float80&) = default;

private:
  std::uint64_t significand_ = 0;
  std::uint16_t exponent_ = 0;
  bool negative_ = false;
};
