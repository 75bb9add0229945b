// The console screen buffer that the program writes, and the window onto it
// that the terminal shows: its cells, cursor, current attribute and cursor
// record, with the Windows screen operations applied to them. As in a new
// Windows console, the buffer is as wide as the window and much taller; the
// window follows the cursor. Cells the program never wrote stay unknown, so
// the terminal keeps showing what the shell left there.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/screen_buffer.h"
#include "runtime/platform/terminal/renderer.h"

namespace platform::terminal {

class ConsoleModel {
public:
  // The height of a new Windows console's buffer.
  static constexpr std::int16_t kBufferRows = 9001;

  // A buffer as wide as the window and `buffer_rows` tall (at least the
  // window's height), with the window at its top.
  explicit ConsoleModel(Coord window_size, std::int16_t buffer_rows = kBufferRows);

  [[nodiscard]] Coord size() const { return screen_.size(); }
  [[nodiscard]] Coord window_size() const { return window_size_; }
  [[nodiscard]] int window_top() const { return window_top_; }
  [[nodiscard]] SmallRect window() const;
  // The window's cells, row by row, as the renderer takes them; `top` is
  // the buffer row shown first.
  [[nodiscard]] std::vector<Cell> window_cells(int top) const;
  [[nodiscard]] std::vector<Cell> window_cells() const { return window_cells(window_top_); }
  [[nodiscard]] const ScreenBuffer& buffer() const { return screen_; }

  // The terminal took a new size. The buffer takes the new width, keeping
  // cells beyond a narrower one for when it grows again; the window takes
  // the new size, keeping the cursor's distance from its bottom where the
  // buffer allows it, and the cursor in view.
  void resize_window(Coord window_size);
  // Puts the window's top at buffer row `top`; false when the window would
  // leave the buffer.
  bool set_window_top(int top);

  // The cursor, inside the buffer (a cursor left beyond a narrowed width is
  // shown at the last column and comes back when the width grows).
  [[nodiscard]] Coord cursor() const;
  // Moves the cursor and, as a Windows console does, the window by the
  // fewest rows that bring it into view.
  bool set_cursor(Coord position);

  // The screen operations of ScreenBuffer, noting that something changed.
  bool write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region);
  bool read(CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region) const {
    return screen_.read(buffer, buffer_size, buffer_coord, region);
  }
  std::uint32_t fill_attributes(std::uint16_t value, std::uint32_t length, Coord start);
  std::uint32_t fill_characters(char16_t character, std::uint32_t length, Coord start);
  bool scroll(const SmallRect& scroll, const SmallRect* clip, Coord destination,
              const CharInfo& fill);

  // The attributes of rows [first, first + count) when every cell there is a
  // written blank with one background colour: a terminal scroll can bring
  // them in ready-made.
  [[nodiscard]] std::optional<std::uint16_t> blank_rows_attributes(int first, int count) const;

  // By how many rows this scroll moves the whole buffer up (its top rows
  // leave it); 0 for any other scroll.
  [[nodiscard]] int whole_buffer_rows_up(const SmallRect& scroll, const SmallRect* clip,
                                         Coord destination) const;

  std::uint16_t attributes = 0x07;
  CursorInfo cursor_info{25, 1};

  // Something changed since the last mark_drawn.
  [[nodiscard]] bool changed() const { return changed_; }
  void mark_drawn() { changed_ = false; }
  void mark_changed() { changed_ = true; }

private:
  void bring_cursor_into_view();

  ScreenBuffer screen_;
  Coord window_size_;
  int window_top_ = 0;
  Coord cursor_;
  bool changed_ = true;
};

} // namespace platform::terminal
