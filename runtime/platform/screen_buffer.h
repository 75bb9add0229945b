// A console screen buffer's cells under the Windows screen operations:
// block writes and reads clipped to the buffer, fills that run on across
// rows, and scrolls with their clip and fill. Portable: both the memory
// console and the terminal console keep their cells in one.
//
// Memory grows with the rows used, not with the buffer's height: rows are
// stored from the top down to the lowest one that was touched, and every row
// below reads as one shared cell (the "tail"), so a tall buffer that was
// cleared as a whole still costs only its used rows.
#pragma once

#include <cstdint>
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

  friend bool operator==(const ScreenCell&, const ScreenCell&) = default;
};

// A written cell that shows nothing but its background.
[[nodiscard]] inline bool is_blank(const ScreenCell& cell) {
  return cell.known && (cell.character == u' ' || cell.character == 0);
}

// The bits of a cell attribute that hold its foreground and its background.
inline constexpr std::uint16_t kForegroundBits = 0x0F;
inline constexpr std::uint16_t kBackgroundBits = 0xF0;

[[nodiscard]] inline bool same_background(const ScreenCell& a, const ScreenCell& b) {
  return ((a.attributes ^ b.attributes) & kBackgroundBits) == 0;
}

[[nodiscard]] inline bool is_empty(const SmallRect& rect) {
  return rect.left > rect.right || rect.top > rect.bottom;
}

class ScreenBuffer {
public:
  // Every cell starts as `blank`.
  ScreenBuffer(Coord size, ScreenCell blank);

  [[nodiscard]] Coord size() const { return size_; }
  [[nodiscard]] bool contains(Coord position) const;
  // The cell at a position inside the buffer (or in its hidden columns).
  [[nodiscard]] const ScreenCell& at(int x, int y) const;
  // The same cell for writing: stores its row.
  [[nodiscard]] ScreenCell& at(int x, int y);
  // How many rows are stored, for the memory figures.
  [[nodiscard]] int stored_rows() const { return stored_rows_; }

  // Keeps the cells that fit; new ones are `blank`. Cells outside the new
  // size are lost, as when a console's buffer is resized.
  void resize(Coord size, ScreenCell blank);
  // Changes the width only, keeping the cells beyond a narrower width as
  // hidden columns that come back when the width grows again (new ones are
  // `blank`). A fill or scroll that covers whole rows covers their hidden
  // columns too, so a cleared buffer stays clear when it widens.
  void set_width_keeping_hidden(std::int16_t width, ScreenCell blank);

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
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_)) +
           static_cast<std::size_t>(x);
  }
  [[nodiscard]] SmallRect whole() const;
  // Stores every row down to `y`, the new ones as tail rows.
  void store_rows_to(int y);
  template <typename Apply>
  std::uint32_t fill(std::uint32_t length, Coord start, Apply apply);

  Coord size_;
  int stride_ = 0; // stored columns: the width and any hidden ones
  int stored_rows_ = 0;
  std::vector<ScreenCell> cells_;
  ScreenCell tail_; // every cell of the rows below the stored ones
};

} // namespace platform
