#include "runtime/platform/terminal/key_table.h"

#include "runtime/platform/terminal/terminal_keys.h"

namespace platform::terminal {
namespace {

constexpr std::uint32_t kNoNode = 0;

struct PlainSequence {
  const char* bytes;
  NamedKey key;
};

// Unmodified keys as the common terminal families send them.
constexpr PlainSequence kPlainSequences[] = {
    {"\x1b[A", NamedKey::up},       {"\x1b[B", NamedKey::down},       {"\x1b[C", NamedKey::right},
    {"\x1b[D", NamedKey::left},     {"\x1bOA", NamedKey::up},         {"\x1bOB", NamedKey::down},
    {"\x1bOC", NamedKey::right},    {"\x1bOD", NamedKey::left},       {"\x1b[H", NamedKey::home},
    {"\x1b[F", NamedKey::end},      {"\x1bOH", NamedKey::home},       {"\x1bOF", NamedKey::end},
    {"\x1b[1~", NamedKey::home},    {"\x1b[4~", NamedKey::end},       {"\x1b[7~", NamedKey::home},
    {"\x1b[8~", NamedKey::end},     {"\x1b[2~", NamedKey::insert},    {"\x1b[3~", NamedKey::del},
    {"\x1b[5~", NamedKey::page_up}, {"\x1b[6~", NamedKey::page_down}, {"\x1bOP", NamedKey::f1},
    {"\x1bOQ", NamedKey::f2},       {"\x1bOR", NamedKey::f3},         {"\x1bOS", NamedKey::f4},
    {"\x1b[11~", NamedKey::f1},     {"\x1b[12~", NamedKey::f2},       {"\x1b[13~", NamedKey::f3},
    {"\x1b[14~", NamedKey::f4},     {"\x1b[[A", NamedKey::f1},        {"\x1b[[B", NamedKey::f2},
    {"\x1b[[C", NamedKey::f3},      {"\x1b[[D", NamedKey::f4},        {"\x1b[[E", NamedKey::f5},
    {"\x1b[15~", NamedKey::f5},     {"\x1b[17~", NamedKey::f6},       {"\x1b[18~", NamedKey::f7},
    {"\x1b[19~", NamedKey::f8},     {"\x1b[20~", NamedKey::f9},       {"\x1b[21~", NamedKey::f10},
    {"\x1b[23~", NamedKey::f11},    {"\x1b[24~", NamedKey::f12},
};

// Final bytes of CSI 1;m X.
struct LetterForm {
  char final;
  NamedKey key;
};
constexpr LetterForm kLetterForms[] = {
    {'A', NamedKey::up},   {'B', NamedKey::down}, {'C', NamedKey::right}, {'D', NamedKey::left},
    {'H', NamedKey::home}, {'F', NamedKey::end},  {'P', NamedKey::f1},    {'Q', NamedKey::f2},
    {'R', NamedKey::f3},   {'S', NamedKey::f4},
};

// Numbers of CSI n;m ~.
struct TildeForm {
  int number;
  NamedKey key;
};
constexpr TildeForm kTildeForms[] = {
    {1, NamedKey::home},    {2, NamedKey::insert},    {3, NamedKey::del},  {4, NamedKey::end},
    {5, NamedKey::page_up}, {6, NamedKey::page_down}, {7, NamedKey::home}, {8, NamedKey::end},
    {11, NamedKey::f1},     {12, NamedKey::f2},       {13, NamedKey::f3},  {14, NamedKey::f4},
    {15, NamedKey::f5},     {17, NamedKey::f6},       {18, NamedKey::f7},  {19, NamedKey::f8},
    {20, NamedKey::f9},     {21, NamedKey::f10},      {23, NamedKey::f11}, {24, NamedKey::f12},
};

// Modifier parameters: 1 + any combination of Shift 1, Alt 2, Ctrl 4, Meta 8.
constexpr int kFirstModifier = 2;
constexpr int kLastModifier = 16;

} // namespace

std::vector<KeyBinding> xterm_key_bindings() {
  std::vector<KeyBinding> bindings;
  for (const PlainSequence& plain : kPlainSequences) {
    bindings.push_back({plain.bytes, named_key_event(plain.key)});
  }
  // Shift+Tab, and keypad Enter in application keypad mode.
  KeyEvent back_tab = character_key(u'\t');
  back_tab.control_key_state |= kShiftPressed;
  bindings.push_back({"\x1b[Z", back_tab});
  KeyEvent keypad_enter = character_key(u'\r');
  keypad_enter.control_key_state |= kEnhancedKey;
  bindings.push_back({"\x1bOM", keypad_enter});

  for (int m = kFirstModifier; m <= kLastModifier; ++m) {
    const std::uint32_t state = xterm_modifiers(m);
    const std::string parameter = std::to_string(m);
    for (const LetterForm& form : kLetterForms) {
      bindings.push_back({"\x1b[1;" + parameter + form.final, named_key_event(form.key, state)});
    }
    for (const TildeForm& form : kTildeForms) {
      bindings.push_back({"\x1b[" + std::to_string(form.number) + ";" + parameter + "~",
                          named_key_event(form.key, state)});
    }
  }
  return bindings;
}

std::uint32_t KeyTable::child(std::uint32_t node, unsigned char byte) const {
  for (const auto& [edge, next] : nodes_[node].children) {
    if (edge == byte) {
      return next;
    }
  }
  return kNoNode;
}

void KeyTable::add(std::string_view bytes, const KeyEvent& key) {
  if (bytes.empty()) {
    return;
  }
  std::uint32_t node = 0;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    std::uint32_t next = child(node, byte);
    if (next == kNoNode) {
      next = static_cast<std::uint32_t>(nodes_.size());
      nodes_[node].children.emplace_back(byte, next);
      nodes_.emplace_back();
    }
    node = next;
  }
  if (!nodes_[node].terminal) {
    nodes_[node].terminal = true;
    nodes_[node].key = key;
  }
}

KeyTable::Match KeyTable::match(std::string_view input) const {
  Match result;
  std::uint32_t node = 0;
  std::size_t consumed = 0;
  for (const char c : input) {
    node = child(node, static_cast<unsigned char>(c));
    if (node == kNoNode) {
      return result;
    }
    ++consumed;
    if (nodes_[node].terminal) {
      result.length = consumed;
      result.key = nodes_[node].key;
    }
  }
  result.prefix = !nodes_[node].children.empty();
  return result;
}

KeyTable build_key_table(const std::vector<KeyBinding>& terminal_bindings) {
  KeyTable table;
  for (const KeyBinding& binding : terminal_bindings) {
    table.add(binding.bytes, binding.key);
  }
  for (const KeyBinding& binding : xterm_key_bindings()) {
    table.add(binding.bytes, binding.key);
  }
  return table;
}

} // namespace platform::terminal
