// A Windows console screen buffer as both our consoles keep it: its cells,
// the window onto it, the cursor, the current attribute and the cursor
// record, with the Windows screen operations and the console's rule that the
// window follows the cursor. The memory console adds its script, call log
// and failures; the terminal console shows the window on a terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/screen_buffer.h"

namespace platform {

class ConsoleModel {
public:
  // How a console starts: a buffer of `size` cells, each `blank`, with
  // `window` onto it and the cursor at `cursor`, where the caller has put
  // the window already.
  struct Start {
    Coord size{};
    ScreenCell blank{};
    SmallRect window{};
    Coord cursor{};
    std::uint16_t attributes = 0x07;
    CursorInfo cursor_info{25, 1};
  };
  explicit ConsoleModel(const Start& start);

  [[nodiscard]] Coord size() const { return screen_.size(); }
  [[nodiscard]] const ScreenBuffer& buffer() const { return screen_; }
  [[nodiscard]] SmallRect window() const { return window_; }
  [[nodiscard]] Coord window_size() const;
  // The window's cells, row by row, from buffer row `top` on: what the
  // window shows at `top`. Rows outside the buffer read as `blank`.
  [[nodiscard]] std::vector<ScreenCell> window_cells(int top) const;
  [[nodiscard]] std::vector<ScreenCell> window_cells() const { return window_cells(window_.top); }

  // The window a SetConsoleWindowInfo call asks for: `window` itself, or
  // when not `absolute` the present one with its edges moved by `window`.
  [[nodiscard]] SmallRect window_asked(bool absolute, const SmallRect& window) const;
  // Puts the window at `window`; false when it is empty or leaves the
  // buffer.
  bool set_window(const SmallRect& window);

  // The buffer takes a new size, as SetConsoleScreenBufferSize does: never
  // smaller than the window, which keeps its size and moves only as far as
  // it must to stay inside; the cursor stays inside too, and new cells are
  // `blank`.
  bool set_buffer_size(Coord size, ScreenCell blank);
  // The window takes a new size, as when the user resizes it: the buffer
  // takes the new width, keeping cells beyond a narrower one for when it
  // grows again; the window keeps the cursor's distance from its bottom
  // where the buffer allows it (a taller window shows more of the rows
  // above), and the cursor in view.
  void resize_window(Coord window_size);

  // The cursor, inside the buffer (a cursor left beyond a narrowed width is
  // shown at the last column and comes back when the width grows).
  [[nodiscard]] Coord cursor() const;
  // Moves the cursor and the window by the fewest rows and columns that
  // bring it into view; false outside the buffer.
  bool set_cursor(Coord position);

  [[nodiscard]] std::uint16_t attributes() const { return attributes_; }
  void set_attributes(std::uint16_t attributes) { attributes_ = attributes; }
  [[nodiscard]] CursorInfo cursor_info() const { return cursor_info_; }
  // False for a size outside 1 to 100.
  bool set_cursor_info(const CursorInfo& info);

  // The screen operations, with the Windows calls' arguments and results.
  bool write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region);
  bool read(CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region) const {
    return screen_.read(buffer, buffer_size, buffer_coord, region);
  }
  // False when `start` lies outside the buffer.
  bool fill_attributes(std::uint16_t value, std::uint32_t length, Coord start,
                       std::uint32_t& written);
  bool fill_characters(char16_t character, std::uint32_t length, Coord start,
                       std::uint32_t& written);
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

  // Something the window shows changed since the last mark_drawn.
  [[nodiscard]] bool changed() const { return changed_; }
  void mark_drawn() { changed_ = false; }
  void mark_changed() { changed_ = true; }

private:
  void bring_cursor_into_view();

  ScreenBuffer screen_;
  ScreenCell blank_;
  SmallRect window_;
  Coord cursor_;
  std::uint16_t attributes_;
  CursorInfo cursor_info_;
  bool changed_ = true;
};

} // namespace platform
