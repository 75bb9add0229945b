#include "runtime/platform/terminal/terminal_keys.h"

#include <array>

#include "runtime/platform/us_layout.h"

namespace platform::terminal {
namespace {

static_assert(static_cast<std::size_t>(NamedKey::f12) + 1 ==
                  us_layout::kNavigationAndFunctionKeys.size(),
              "NamedKey follows the order of the navigation and function key table");

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

KeyEvent byte_key(unsigned char byte) {
  switch (byte) {
  case 0x7F:
    return character_key(u'\b');
  case 0x00: {
    // Ctrl+Space; the console reports it as a space.
    KeyEvent event = character_key(u' ');
    event.control_key_state = kLeftCtrlPressed;
    return event;
  }
  default:
    return character_key(byte);
  }
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
