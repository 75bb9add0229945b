// The US keyboard layout: for each printable ASCII character, the key that
// types it (its PC set-1 scan code and virtual-key code) and whether Shift
// is held; and the navigation and function keys. Both the memory console and the terminal console
// build Windows key records from it.
#pragma once

#include <array>
#include <cstdint>

namespace platform::us_layout {

// The codes of the key that types a character; scan code 0 for a character
// no key types.
struct KeyCodes {
  std::uint8_t scan = 0;
  std::uint8_t vk = 0;
  bool shift = false;
};

namespace detail {

// One key: what it types alone and with Shift.
struct UsKey {
  char plain;
  char shifted;
  std::uint8_t scan;
  std::uint8_t vk;
};

inline constexpr std::array<UsKey, 48> kUsLayout{{
    {'1', '!', 0x02, '1'},   {'2', '@', 0x03, '2'},   {'3', '#', 0x04, '3'},
    {'4', '$', 0x05, '4'},   {'5', '%', 0x06, '5'},   {'6', '^', 0x07, '6'},
    {'7', '&', 0x08, '7'},   {'8', '*', 0x09, '8'},   {'9', '(', 0x0A, '9'},
    {'0', ')', 0x0B, '0'},   {'-', '_', 0x0C, 0xBD},  {'=', '+', 0x0D, 0xBB},
    {'q', 'Q', 0x10, 'Q'},   {'w', 'W', 0x11, 'W'},   {'e', 'E', 0x12, 'E'},
    {'r', 'R', 0x13, 'R'},   {'t', 'T', 0x14, 'T'},   {'y', 'Y', 0x15, 'Y'},
    {'u', 'U', 0x16, 'U'},   {'i', 'I', 0x17, 'I'},   {'o', 'O', 0x18, 'O'},
    {'p', 'P', 0x19, 'P'},   {'[', '{', 0x1A, 0xDB},  {']', '}', 0x1B, 0xDD},
    {'a', 'A', 0x1E, 'A'},   {'s', 'S', 0x1F, 'S'},   {'d', 'D', 0x20, 'D'},
    {'f', 'F', 0x21, 'F'},   {'g', 'G', 0x22, 'G'},   {'h', 'H', 0x23, 'H'},
    {'j', 'J', 0x24, 'J'},   {'k', 'K', 0x25, 'K'},   {'l', 'L', 0x26, 'L'},
    {';', ':', 0x27, 0xBA},  {'\'', '"', 0x28, 0xDE}, {'`', '~', 0x29, 0xC0},
    {'\\', '|', 0x2B, 0xDC}, {'z', 'Z', 0x2C, 'Z'},   {'x', 'X', 0x2D, 'X'},
    {'c', 'C', 0x2E, 'C'},   {'v', 'V', 0x2F, 'V'},   {'b', 'B', 0x30, 'B'},
    {'n', 'N', 0x31, 'N'},   {'m', 'M', 0x32, 'M'},   {',', '<', 0x33, 0xBC},
    {'.', '>', 0x34, 0xBE},  {'/', '?', 0x35, 0xBF},  {' ', ' ', 0x39, 0x20},
}};

// Printable ASCII indexed by character.
inline constexpr std::array<KeyCodes, 128> kAsciiKeys = [] {
  std::array<KeyCodes, 128> table{};
  for (const UsKey& key : kUsLayout) {
    table[static_cast<unsigned char>(key.plain)] = {key.scan, key.vk, false};
    if (key.shifted != key.plain) {
      table[static_cast<unsigned char>(key.shifted)] = {key.scan, key.vk, true};
    }
  }
  return table;
}();

} // namespace detail

// The key that types `character`: scan code 0 when none does.
constexpr KeyCodes key_for(char16_t character) {
  return character < detail::kAsciiKeys.size() ? detail::kAsciiKeys[character] : KeyCodes{};
}

// A key that types nothing. The grey navigation keys share the keypad's
// scan codes and are told apart by being E0-prefixed (`enhanced`), which
// the console reports as ENHANCED_KEY.
struct SilentKey {
  std::uint8_t scan;
  std::uint8_t vk;
  bool enhanced;
};

// Up, Down, Left, Right, Home, End, Page Up, Page Down, Insert, Delete, then
// F1 to F12, in that order.
inline constexpr std::array<SilentKey, 22> kNavigationAndFunctionKeys{{
    {0x48, 0x26, true},  {0x50, 0x28, true},  {0x4B, 0x25, true},  {0x4D, 0x27, true},
    {0x47, 0x24, true},  {0x4F, 0x23, true},  {0x49, 0x21, true},  {0x51, 0x22, true},
    {0x52, 0x2D, true},  {0x53, 0x2E, true},  {0x3B, 0x70, false}, {0x3C, 0x71, false},
    {0x3D, 0x72, false}, {0x3E, 0x73, false}, {0x3F, 0x74, false}, {0x40, 0x75, false},
    {0x41, 0x76, false}, {0x42, 0x77, false}, {0x43, 0x78, false}, {0x44, 0x79, false},
    {0x57, 0x7A, false}, {0x58, 0x7B, false},
}};

// The keys that type a control code of their own, without Ctrl.
struct ControlCodeKey {
  char16_t character;
  std::uint8_t scan;
  std::uint8_t vk;
};

inline constexpr std::array<ControlCodeKey, 4> kControlCodeKeys{{
    {u'\r', 0x1C, 0x0D},   // Enter
    {u'\t', 0x0F, 0x09},   // Tab
    {u'\b', 0x0E, 0x08},   // Backspace
    {u'\x1b', 0x01, 0x1B}, // Esc
}};

inline constexpr std::uint8_t kEscScan = kControlCodeKeys[3].scan;

// The keys that only modify others: pressed alone they type nothing.
struct ModifierKey {
  std::uint8_t scan;
  std::uint8_t vk;
};

inline constexpr std::array<ModifierKey, 7> kModifierKeys{{
    {0x1D, 0x11}, // Ctrl
    {0x2A, 0x10}, // left Shift
    {0x36, 0x10}, // right Shift
    {0x38, 0x12}, // Alt
    {0x3A, 0x14}, // Caps Lock
    {0x45, 0x90}, // Num Lock
    {0x46, 0x91}, // Scroll Lock
}};

} // namespace platform::us_layout
