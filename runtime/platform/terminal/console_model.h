// The console screen buffer that the program writes: its cells, cursor,
// current attribute and cursor record, with the Windows screen operations
// applied to them. Its size follows the terminal's.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/terminal/renderer.h"

namespace platform::terminal {

class ConsoleModel {
public:
  explicit ConsoleModel(Coord size);

  [[nodiscard]] Coord size() const { return size_; }
  // Keeps the cells that fit, adds unwritten ones, keeps the cursor inside.
  void resize(Coord size);
  [[nodiscard]] std::span<const Cell> cells() const { return cells_; }

  [[nodiscard]] Coord cursor() const { return cursor_; }
  bool set_cursor(Coord position);

  // The Windows block operations: a block of `buffer_size` cells, read from
  // or written at `buffer_coord`, placed at `region`, which is clipped to the
  // screen and comes back as the part done.
  bool write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region);
  bool read(CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region) const;

  // Fills `length` cells from `start` on, in reading order across rows;
  // gives the number of cells filled.
  std::uint32_t fill_attributes(std::uint16_t value, std::uint32_t length, Coord start);
  std::uint32_t fill_characters(char16_t character, std::uint32_t length, Coord start);

  // Moves the cells of `scroll` to `destination`, filling what they leave
  // with `fill`; only cells inside `clip` (the screen when null) change.
  bool scroll(const SmallRect& scroll, const SmallRect* clip, Coord destination,
              const CharInfo& fill);
  // By how many rows this scroll moves the whole screen up (its top rows
  // leave the screen); 0 for any other scroll.
  [[nodiscard]] int whole_screen_rows_up(const SmallRect& scroll, const SmallRect* clip,
                                         Coord destination) const;

  std::uint16_t attributes = 0x07;
  CursorInfo cursor_info{25, 1};

  // Something changed since the last mark_drawn.
  [[nodiscard]] bool changed() const { return changed_; }
  void mark_drawn() { changed_ = false; }
  void mark_changed() { changed_ = true; }

private:
  [[nodiscard]] std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * size_.x + x;
  }
  [[nodiscard]] SmallRect screen() const;
  template <typename Apply>
  std::uint32_t fill(std::uint32_t length, Coord start, Apply apply);

  Coord size_;
  std::vector<Cell> cells_;
  Coord cursor_;
  bool changed_ = true;
};

} // namespace platform::terminal
