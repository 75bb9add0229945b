// The escape sequences a terminal sends for keys, kept as a trie so the
// decoder can tell a complete sequence from a strict prefix of one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/platform/platform.h"

namespace platform::terminal {

struct KeyBinding {
  std::string bytes;
  KeyEvent key; // the key-down record
};

// The common xterm sequences: plain keys in their usual variants (normal and
// application cursor mode, rxvt, the Linux console) and the modified forms
// CSI 1;m X and CSI n;m ~ for every modifier parameter m.
std::vector<KeyBinding> xterm_key_bindings();

class KeyTable {
public:
  struct Match {
    std::size_t length = 0; // of the longest complete sequence at the start, 0 if none
    KeyEvent key;
    bool prefix = false; // the input ends inside a longer sequence
  };

  // Adds a sequence; the first binding of a sequence wins, so bindings from
  // the terminal's own description go in before the fallbacks.
  void add(std::string_view bytes, const KeyEvent& key);
  [[nodiscard]] Match match(std::string_view input) const;
  [[nodiscard]] bool empty() const { return nodes_.size() <= 1; }

private:
  struct Node {
    std::vector<std::pair<unsigned char, std::uint32_t>> children;
    bool terminal = false;
    KeyEvent key;
  };
  [[nodiscard]] std::uint32_t child(std::uint32_t node, unsigned char byte) const;

  std::vector<Node> nodes_{Node{}};
};

// A table of the given bindings, in order, then the xterm fallbacks.
KeyTable build_key_table(const std::vector<KeyBinding>& terminal_bindings);

} // namespace platform::terminal
