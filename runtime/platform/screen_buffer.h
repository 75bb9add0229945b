// A console screen buffer's cells under the Windows screen operations:
// block writes and reads clipped to the buffer, fills that run on across
// rows, and scrolls with their clip and fill. Portable: both the memory
// console and the terminal console keep their cells in one.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "runtime/platform/platform.h"

namespace platform {

// One cell. `known`: the cell holds something written to it. A cell nobody
// wrote reads as a blank in the default colours, and the terminal console
// leaves it as the terminal shows it (its shadow of the terminal uses the
// flag for "the terminal is known to show this").
struct ScreenCell {
  char16_t character = u' ';
  std::uint16_t attributes = 0x07;
  bool known = false;
};

[[nodiscard]] inline bool is_empty(const SmallRect& rect) {
  return rect.left > rect.right || rect.top > rect.bottom;
}

class ScreenBuffer {
public:
  // Every cell starts as `blank`.
  ScreenBuffer(Coord size, ScreenCell blank);

  [[nodiscard]] Coord size() const { return size_; }
  [[nodiscard]] std::span<const ScreenCell> cells() const { return cells_; }
  [[nodiscard]] bool contains(Coord position) const;
  // The cell at a position inside the buffer.
  [[nodiscard]] const ScreenCell& at(int x, int y) const { return cells_[index(x, y)]; }
  [[nodiscard]] ScreenCell& at(int x, int y) { return cells_[index(x, y)]; }

  // Keeps the cells that fit; new ones are `blank`.
  void resize(Coord size, ScreenCell blank);

  // The block operations: a block of `buffer_size` cells, read from or
  // written at `buffer_coord`, placed at `region`, which is clipped to the
  // buffer and to the block and comes back as the part done (right of left
  // when nothing is). False only for a null block.
  bool write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region);
  bool read(CharInfo* buffer, Coord buffer_size, Coord buffer_coord, SmallRect& region) const;

  // Fills `length` cells from `start` on, in reading order across rows, up
  // to the end of the buffer; gives the number of cells filled (0 when
  // `start` is outside). A fill makes an unwritten cell a written blank first.
  std::uint32_t fill_attributes(std::uint16_t value, std::uint32_t length, Coord start);
  std::uint32_t fill_characters(char16_t character, std::uint32_t length, Coord start);

  // Moves the cells of `scroll` to `destination`, filling what they leave
  // with `fill`; only cells inside `clip` (the buffer when null) change.
  // False when `scroll` lies wholly outside the buffer.
  bool scroll(const SmallRect& scroll, const SmallRect* clip, Coord destination,
              const CharInfo& fill);

private:
  [[nodiscard]] std::size_t index(int x, int y) const {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(size_.x)) +
           static_cast<std::size_t>(x);
  }
  [[nodiscard]] SmallRect whole() const;
  template <typename Apply>
  std::uint32_t fill(std::uint32_t length, Coord start, Apply apply);

  Coord size_;
  std::vector<ScreenCell> cells_;
};

} // namespace platform
