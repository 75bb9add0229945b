#include "runtime/platform/terminal/key_records.h"

#include <array>

#include "runtime/platform/us_layout.h"

namespace platform::terminal {
namespace {

static_assert(static_cast<std::size_t>(NamedKey::f12) + 1 ==
                  us_layout::kNavigationAndFunctionKeys.size(),
              "NamedKey follows the order of the navigation and function key table");

// Control codes other than Enter, Tab, Backspace and Esc come from Ctrl held
// with a key: a letter, or the punctuation key whose character sits 0x40
// above the code (Ctrl+\ is 0x1C, Ctrl+] 0x1D, Ctrl+^ 0x1E, Ctrl+_ 0x1F).
KeyEvent control_event(char16_t code) {
  KeyEvent event;
  event.key_down = 1;
  event.character = code;
  switch (code) {
  case 0x0D:
    event.virtual_scan_code = kScanEnter;
    event.virtual_key_code = 0x0D;
    return event;
  case 0x09:
    event.virtual_scan_code = kScanTab;
    event.virtual_key_code = 0x09;
    return event;
  case 0x08:
  case 0x7F:
    event.character = 0x08;
    event.virtual_scan_code = kScanBackspace;
    event.virtual_key_code = 0x08;
    return event;
  case 0x1B:
    event.virtual_scan_code = kScanEscape;
    event.virtual_key_code = 0x1B;
    return event;
  case 0x00:
    // Ctrl+Space on a terminal; the console reports it as a space.
    event.character = u' ';
    event.virtual_scan_code = 0x39;
    event.virtual_key_code = 0x20;
    event.control_key_state = kLeftCtrlPressed;
    return event;
  default:
    break;
  }
  const us_layout::KeyCodes base = us_layout::key_for(static_cast<char16_t>(code + 0x40));
  event.virtual_scan_code = base.scan;
  event.virtual_key_code = base.vk;
  event.control_key_state = kLeftCtrlPressed | (code >= 0x1E ? kShiftPressed : 0);
  return event;
}

} // namespace

NamedKey function_key(int n) {
  return static_cast<NamedKey>(static_cast<int>(NamedKey::f1) + n - 1);
}

KeyEvent named_key_event(NamedKey key, std::uint32_t modifiers) {
  KeyEvent event;
  event.key_down = 1;
  const auto index = static_cast<std::size_t>(key);
  if (index < us_layout::kNavigationAndFunctionKeys.size()) {
    const us_layout::SilentKey& codes = us_layout::kNavigationAndFunctionKeys[index];
    event.virtual_scan_code = codes.scan;
    event.virtual_key_code = codes.vk;
    event.control_key_state = modifiers | (codes.enhanced ? kEnhancedKey : 0);
  }
  return event;
}

KeyEvent character_event(char16_t character) {
  if (character < 0x20 || character == 0x7F) {
    return control_event(character);
  }
  KeyEvent event;
  event.key_down = 1;
  event.character = character;
  const us_layout::KeyCodes codes = us_layout::key_for(character);
  event.virtual_scan_code = codes.scan;
  event.virtual_key_code = codes.vk;
  event.control_key_state = codes.shift ? kShiftPressed : 0;
  return event;
}

std::uint32_t xterm_modifiers(int parameter) {
  const int bits = parameter - 1;
  if (bits <= 0) {
    return 0;
  }
  std::uint32_t state = 0;
  if ((bits & 1) != 0) {
    state |= kShiftPressed;
  }
  if ((bits & (2 | 8)) != 0) {
    state |= kLeftAltPressed;
  }
  if ((bits & 4) != 0) {
    state |= kLeftCtrlPressed;
  }
  return state;
}

} // namespace platform::terminal
