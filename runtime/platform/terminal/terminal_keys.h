// Windows-shaped key records for keys read from a terminal that type no
// character or arrive as terminal bytes: the virtual-key code, the PC (set 1)
// scan code of the US layout and the control-key state that a Windows console
// reports for the same key. Characters' records come from
// runtime/platform/key_records.h.
#pragma once

#include <cstdint>

#include "runtime/platform/key_records.h"
#include "runtime/platform/platform.h"

namespace platform::terminal {

// Keys that type no character.
enum class NamedKey : std::uint8_t {
  up,
  down,
  left,
  right,
  home,
  end,
  page_up,
  page_down,
  insert,
  del,
  f1,
  f2,
  f3,
  f4,
  f5,
  f6,
  f7,
  f8,
  f9,
  f10,
  f11,
  f12,
};

// The function key Fn (1..12).
NamedKey function_key(int n);

// A named key's record: character U+0000, its scan code, virtual-key code,
// ENHANCED_KEY for the grey navigation keys, plus `modifiers`.
KeyEvent named_key_event(NamedKey key, std::uint32_t modifiers = 0);

// The record for an ASCII byte from the terminal: the character's key (see
// character_key), except DEL, which the Backspace key sends, and NUL, which
// Ctrl+Space sends.
KeyEvent byte_key(unsigned char byte);

// Control-key state of an xterm modifier parameter (1 + Shift 1 | Alt 2 |
// Ctrl 4 | Meta 8); Meta counts as Alt.
std::uint32_t xterm_modifiers(int parameter);

} // namespace platform::terminal
