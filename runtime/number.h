// Reading numbers from 8-bit text, in extended precision.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/float80.h"
#include "runtime/string.h"

// All exceptions masked, 64-bit significand precision, round to nearest.
inline constexpr std::uint16_t kFpuControlWord = 0x133F;
// Loads the x87 control word where there is an x87 unit; nothing elsewhere.
void runtime_load_fpu_control_word(std::uint16_t control_word);

// What a text holds, before any arithmetic: plus or minus either 2^127 (the
// ceiling of the decimal form) or digits * 10^power.
struct NumberParts {
  bool negative = false;
  bool ceiling = false;
  std::uint64_t digits = 0;
  std::int64_t power = 0;
};

// The parts of the decimal or &-radix number at 1-based `start` of the text.
NumberParts parse_number(std::int32_t start, std::string_view text);
// Their value: one rounding per multiplication or division by a power of ten.
Float80 number_value(const NumberParts& parts);

// The decimal or &-radix number at 1-based `start` of the 8-bit text; 0 when
// there is none. Consumes the text. The value is computed in the 80-bit
// extended format in integer arithmetic, so it is the same bits on every CPU.
Float80 string_to_number(std::int32_t start, StringValue text);

// To a 32-bit integer as the FPU does under the start-up mode: nearest, ties
// to even; out of range (or not a number) gives -2147483648. Computed from
// the value's fields, so it needs no particular FPU mode.
std::int32_t runtime_round_to_int32(Float80 value);
