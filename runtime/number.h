// Reading numbers from 8-bit text, in extended precision.
#pragma once

#include <cstdint>
#include <limits>

#include "runtime/string.h"

// Number conversion needs the x87 extended format: a 64-bit significand.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "number conversion needs long double with a 64-bit significand (x87 extended)");

// All exceptions masked, 64-bit significand precision, round to nearest.
inline constexpr std::uint16_t kFpuControlWord = 0x133F;
void runtime_load_fpu_control_word(std::uint16_t control_word);

// The decimal or &-radix number at 1-based `start` of the 8-bit text; 0 when
// there is none. Consumes the text.
Extended string_to_number(std::int32_t start, StringValue text);

// To a 32-bit integer as the FPU does under the start-up mode: nearest, ties
// to even; out of range (or not a number) gives -2147483648.
std::int32_t runtime_round_to_int32(Extended value);
