// What the terminal's terminfo description says about its keys and screen.
#pragma once

#include <vector>

#include "runtime/platform/terminal/key_table.h"

namespace platform::terminal {

struct TerminalCapabilities {
  // Key sequences of the terminal's own description (the xterm fallbacks are
  // added by build_key_table).
  std::vector<KeyBinding> keys;
  // Erasing fills with the current background colour.
  bool background_color_erase = true;
  // Writing the last column does not wrap at once (or the terminal has no
  // automatic margins), so the bottom-right cell can be written safely.
  bool last_column_safe = true;
};

// Reads the description named by TERM for the terminal on `fd`. Without one,
// the result describes an xterm-like terminal with no extra keys.
TerminalCapabilities load_terminal_capabilities(int fd);

} // namespace platform::terminal
