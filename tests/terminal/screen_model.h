// A small terminal of our own for tests: it applies the output the renderer
// sends (text, CR, LF, BS, cursor moves, erases, colours, cursor visibility)
// to a grid, so tests check what the screen shows, not which bytes made it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace terminal_test {

struct ScreenCell {
  char32_t character = U' ';
  int foreground = -1; // ANSI colour 0..15, -1 default
  int background = -1;
};

class ScreenModel {
public:
  ScreenModel(int columns, int rows);

  // Feeds terminal output; anything it does not understand is recorded.
  void feed(std::string_view input);

  [[nodiscard]] const ScreenCell& at(int x, int y) const { return cells_[index(x, y)]; }
  // A row's characters as UTF-8, trailing blanks kept.
  [[nodiscard]] std::string row_text(int y) const;
  void set_text(int x, int y, std::u32string_view text);

  [[nodiscard]] int cursor_x() const { return x_; }
  [[nodiscard]] int cursor_y() const { return y_; }
  [[nodiscard]] bool cursor_visible() const { return cursor_visible_; }
  [[nodiscard]] int bells() const { return bells_; }
  // Rows that scrolled off the top, oldest first.
  [[nodiscard]] const std::vector<std::string>& scrollback() const { return scrollback_; }
  [[nodiscard]] const std::vector<std::string>& unknown_sequences() const { return unknown_; }

private:
  [[nodiscard]] std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * columns_ + x;
  }
  void print(char32_t character);
  void line_feed();
  void control_sequence(std::string_view parameters, char final);
  void select_graphic_rendition(std::string_view parameters);
  void erase(int from_x, int from_y, int to_index);

  int columns_;
  int rows_;
  std::vector<ScreenCell> cells_;
  int x_ = 0;
  int y_ = 0;
  bool pending_wrap_ = false;
  int foreground_ = -1;
  int background_ = -1;
  bool cursor_visible_ = true;
  int bells_ = 0;
  std::vector<std::string> scrollback_;
  std::vector<std::string> unknown_;
  std::string partial_; // an escape sequence or UTF-8 character cut off at the end of a feed
};

} // namespace terminal_test
