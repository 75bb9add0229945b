#include "runtime/platform/terminal/terminal_capabilities.h"

#include <term.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/platform/terminal/terminal_keys.h"

// term.h defines macros for every capability name; none may leak further.
#undef lines
#undef columns

namespace platform::terminal {
namespace {

struct KeyCapability {
  const char* name;
  NamedKey key;
  std::uint32_t modifiers;
};

// terminfo names of the keys we decode; kf13..kf24 are Shift with F1..F12.
constexpr KeyCapability kKeyCapabilities[] = {
    {"kcuu1", NamedKey::up, 0},
    {"kcud1", NamedKey::down, 0},
    {"kcub1", NamedKey::left, 0},
    {"kcuf1", NamedKey::right, 0},
    {"khome", NamedKey::home, 0},
    {"kend", NamedKey::end, 0},
    {"kpp", NamedKey::page_up, 0},
    {"knp", NamedKey::page_down, 0},
    {"kich1", NamedKey::insert, 0},
    {"kdch1", NamedKey::del, 0},
    {"kLFT", NamedKey::left, kShiftPressed},
    {"kRIT", NamedKey::right, kShiftPressed},
    {"kHOM", NamedKey::home, kShiftPressed},
    {"kEND", NamedKey::end, kShiftPressed},
    {"kIC", NamedKey::insert, kShiftPressed},
    {"kDC", NamedKey::del, kShiftPressed},
    {"kPRV", NamedKey::page_up, kShiftPressed},
    {"kNXT", NamedKey::page_down, kShiftPressed},
};

// A string capability, or empty when the description lacks it.
std::string string_capability(const char* name) {
  const char* value = tigetstr(name);
  if (value == nullptr || value == reinterpret_cast<const char*>(-1)) {
    return {};
  }
  return value;
}

bool flag_capability(const char* name) {
  return tigetflag(name) > 0;
}

void add_key(std::vector<KeyBinding>& keys, const std::string& bytes, const KeyEvent& key) {
  // Only escape sequences: single bytes (Backspace's DEL or BS among them)
  // are decoded by their own rules.
  if (bytes.size() >= 2 && bytes[0] == '\x1b') {
    keys.push_back({bytes, key});
  }
}

// tmux erases with the current background colour, although its terminfo
// entries (tmux*, and screen* as it used to call itself) do not say so, so
// that they also suit outer terminals that do not.
bool erases_in_background_colour() {
  const char* term = std::getenv("TERM");
  if (term == nullptr) {
    return false;
  }
  const std::string_view name = term;
  return name.starts_with("tmux") || (name.starts_with("screen") && std::getenv("TMUX") != nullptr);
}

} // namespace

TerminalCapabilities load_terminal_capabilities(int fd) {
  TerminalCapabilities capabilities;
  int status = 0;
  if (setupterm(nullptr, fd, &status) != 0) {
    return capabilities;
  }
  for (const KeyCapability& capability : kKeyCapabilities) {
    add_key(capabilities.keys, string_capability(capability.name),
            named_key_event(capability.key, capability.modifiers));
  }
  for (int n = 1; n <= 24; ++n) {
    const std::string name = "kf" + std::to_string(n);
    const NamedKey key = function_key(n <= 12 ? n : n - 12);
    add_key(capabilities.keys, string_capability(name.c_str()),
            named_key_event(key, n <= 12 ? 0 : kShiftPressed));
  }
  KeyEvent shift_tab = character_key(u'\t');
  shift_tab.control_key_state |= kShiftPressed;
  add_key(capabilities.keys, string_capability("kcbt"), shift_tab);

  capabilities.background_color_erase = flag_capability("bce") || erases_in_background_colour();
  capabilities.last_column_safe = !flag_capability("am") || flag_capability("xenl");
  del_curterm(cur_term);
  return capabilities;
}

} // namespace platform::terminal
