// Console key records built from characters, as a Windows console reports the
// key of the US layout that types each one, and the key-down/key-up pair a
// key press puts in the input queue. Both the terminal console (for what the
// terminal sends) and the memory console (for scripted typing) build their
// records here.
#pragma once

#include <array>

#include "runtime/platform/platform.h"

namespace platform {

// The record for a typed character: US-layout scan code and virtual-key code
// with SHIFT for shifted characters; control codes as the console reports
// them: Enter, Tab, Backspace and Esc from their own keys, any other code
// from Ctrl held with the letter or punctuation key whose character sits 0x40
// above it ('\n' is Ctrl+J). Characters off the US layout, U+0000 and U+007F
// carry scan code and virtual-key code 0.
KeyEvent character_key(char16_t character);

// The key-down record of `key` and its key-up record, in that order.
std::array<InputRecord, 2> key_press(const KeyEvent& key);

} // namespace platform
