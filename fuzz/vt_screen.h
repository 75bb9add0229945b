// A small model of a VT-style terminal screen, enough to read back what the
// renderer sends: printable text (UTF-8), CR, LF, BS, cursor moves (CUP, CUU,
// CUD, CUF, CUB, CHA, VPA), erases (EL, ED) with the current background,
// SGR colours and cursor visibility. It refuses anything else, and also what
// terminals do not agree on: a relative move or an erase while a wrap is
// pending after the last column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

struct VtCell {
  char32_t code_point = U'\u2591'; // what the shell left: nothing the renderer sends
  int foreground = -2;             // colour index 0..15, -1 default, -2 the shell's
  int background = -2;
};

class VtScreen {
public:
  // `wraps_at_once`: writing the last column moves to the next row at once
  // (and scrolls at the bottom) instead of waiting for the next character.
  // `utf8`: text is UTF-8; otherwise one character per byte (ISO 8859-1).
  VtScreen(int columns, int rows, bool wraps_at_once, bool utf8 = true);

  // Applies terminal output; false with `error` set at the first thing the
  // model does not accept.
  bool apply(std::string_view bytes, std::string& error);

  [[nodiscard]] const VtCell& cell(int x, int y) const {
    return cells_[static_cast<std::size_t>(y) * columns_ + x];
  }
  [[nodiscard]] int cursor_x() const { return x_; }
  [[nodiscard]] int cursor_y() const { return y_; }
  [[nodiscard]] bool wrap_pending() const { return wrap_pending_; }
  [[nodiscard]] int cursor_visible() const { return cursor_visible_; } // -1 never set
  [[nodiscard]] int scrolled_rows() const { return scrolled_; }

private:
  bool control(unsigned char byte, std::string& error);
  bool csi(std::string_view sequence, std::string& error);
  bool sgr(const std::vector<int>& parameters, std::string& error);
  void print(char32_t code_point);
  void line_feed();
  void erase(std::size_t begin, std::size_t end);
  VtCell& at(int x, int y) { return cells_[static_cast<std::size_t>(y) * columns_ + x]; }

  int columns_;
  int rows_;
  bool wraps_at_once_;
  bool utf8_;
  std::vector<VtCell> cells_;
  int x_ = 0;
  int y_ = 0;
  bool wrap_pending_ = false;
  int foreground_ = -1;
  int background_ = -1;
  int cursor_visible_ = -1;
  int scrolled_ = 0;
};

} // namespace fuzz
