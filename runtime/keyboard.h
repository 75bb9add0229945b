// Keyboard input read from the console input queue, one event at a time.
#pragma once

#include <cstdint>

#include "runtime/string.h"

inline constexpr std::uint32_t kLineInputLimit = 10000;
inline constexpr std::uint32_t kKeyReadPauseMs = 1;
inline constexpr std::uint32_t kKeyWaitPauseMs = 20;

// Operations the programs call.
// Waits for a key the allowed list admits (the empty list admits every key)
// and gives its key text; the empty string when `time_limit_ms` (0: none)
// runs out. Consumes the list.
StringValue key_wait(StringValue allowed, std::int32_t time_limit_ms);
// Reads one edited line at the cursor, with echo, until Enter.
StringValue line_input();
// Field `n` (from 1) of a comma-separated line; the line is left to the
// caller.
StringValue string_input_field(const StringValue& line, std::int32_t n);

// Internal operations.
struct PeekedKey {
  enum class Kind : std::uint8_t { none, character, extended };
  Kind kind = Kind::none;
  char16_t character = 0;
  std::uint8_t scan_code = 0;
};
PeekedKey key_peek();
void key_consume();
char16_t key_read_char();
std::uint32_t key_deadline(std::int32_t time_limit_ms);
std::uint32_t key_time_left(std::uint32_t deadline);
