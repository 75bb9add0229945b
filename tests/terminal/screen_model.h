// A small terminal of our own for the tests and the fuzz targets: it applies
// the output the renderer sends (text, CR, LF, BS, cursor moves, erases to the
// end, colours, cursor visibility) to a grid, so they check what the screen
// shows, not which bytes made it. Whatever it does not understand, and
// whatever terminals do not agree on (a relative move, LF, BS or an erase
// while a wrap is pending after the last column, ill-formed UTF-8, C1
// controls as text, erases other than to the end, extra parameters), is
// recorded as a problem; the model then goes on as xterm would.
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

struct ScreenOptions {
  // Writing the last column moves to the next row at once (and scrolls at
  // the bottom) instead of waiting for the next character.
  bool wraps_at_once = false;
  // Text is UTF-8; otherwise one character per byte (ISO 8859-1).
  bool utf8 = true;
  // What the cells show before anything is written to them.
  ScreenCell initial;
};

class ScreenModel {
public:
  ScreenModel(int columns, int rows, ScreenOptions options = {});

  // Feeds terminal output; a sequence or character cut off at the end waits
  // for the next feed.
  void feed(std::string_view input);

  [[nodiscard]] const ScreenCell& at(int x, int y) const { return cells_[index(x, y)]; }
  // A row's characters as UTF-8, trailing blanks kept.
  [[nodiscard]] std::string row_text(int y) const;
  void set_text(int x, int y, std::u32string_view text);

  [[nodiscard]] int cursor_x() const { return x_; }
  [[nodiscard]] int cursor_y() const { return y_; }
  [[nodiscard]] bool wrap_pending() const { return wrap_pending_; }
  [[nodiscard]] int cursor_visible() const { return cursor_visible_; } // -1 never set
  [[nodiscard]] int bells() const { return bells_; }
  // Rows that scrolled off the top, oldest first.
  [[nodiscard]] const std::vector<std::string>& scrollback() const { return scrollback_; }
  [[nodiscard]] const std::vector<std::string>& problems() const { return problems_; }
  // Whether the last feed ended inside a sequence or character.
  [[nodiscard]] bool partial() const { return !partial_.empty(); }

private:
  [[nodiscard]] std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * columns_ + x;
  }
  std::size_t step(std::string_view bytes);
  void control(unsigned char byte);
  void print(char32_t character);
  void line_feed();
  void control_sequence(std::string_view body, char final);
  void select_graphic_rendition(const std::vector<int>& parameters);
  void erase(std::size_t from, std::size_t to);

  int columns_;
  int rows_;
  ScreenOptions options_;
  std::vector<ScreenCell> cells_;
  int x_ = 0;
  int y_ = 0;
  bool wrap_pending_ = false;
  int foreground_ = -1;
  int background_ = -1;
  int cursor_visible_ = -1;
  int bells_ = 0;
  std::vector<std::string> scrollback_;
  std::vector<std::string> problems_;
  std::string partial_;
};

} // namespace terminal_test
