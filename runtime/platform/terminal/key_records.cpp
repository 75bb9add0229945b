#include "runtime/platform/terminal/key_records.h"

#include <array>

#include "runtime/platform/us_layout.h"

namespace platform::terminal {
namespace {

struct NamedKeyCodes {
  NamedKey key;
  std::uint8_t scan;
  std::uint8_t vk;
  bool enhanced; // a grey key: E0-prefixed in set 1
};

// Grey navigation keys share the keypad's scan codes and are told apart by
// ENHANCED_KEY, as the console reports them.
constexpr std::array<NamedKeyCodes, 22> kNamedKeys{{
    {NamedKey::up, 0x48, 0x26, true},      {NamedKey::down, 0x50, 0x28, true},
    {NamedKey::left, 0x4B, 0x25, true},    {NamedKey::right, 0x4D, 0x27, true},
    {NamedKey::home, 0x47, 0x24, true},    {NamedKey::end, 0x4F, 0x23, true},
    {NamedKey::page_up, 0x49, 0x21, true}, {NamedKey::page_down, 0x51, 0x22, true},
    {NamedKey::insert, 0x52, 0x2D, true},  {NamedKey::del, 0x53, 0x2E, true},
    {NamedKey::f1, 0x3B, 0x70, false},     {NamedKey::f2, 0x3C, 0x71, false},
    {NamedKey::f3, 0x3D, 0x72, false},     {NamedKey::f4, 0x3E, 0x73, false},
    {NamedKey::f5, 0x3F, 0x74, false},     {NamedKey::f6, 0x40, 0x75, false},
    {NamedKey::f7, 0x41, 0x76, false},     {NamedKey::f8, 0x42, 0x77, false},
    {NamedKey::f9, 0x43, 0x78, false},     {NamedKey::f10, 0x44, 0x79, false},
    {NamedKey::f11, 0x57, 0x7A, false},    {NamedKey::f12, 0x58, 0x7B, false},
}};

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
  for (const NamedKeyCodes& codes : kNamedKeys) {
    if (codes.key == key) {
      event.virtual_scan_code = codes.scan;
      event.virtual_key_code = codes.vk;
      event.control_key_state = modifiers | (codes.enhanced ? kEnhancedKey : 0);
    }
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
