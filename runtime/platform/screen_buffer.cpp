#include "runtime/platform/screen_buffer.h"

#include <algorithm>

namespace platform {
namespace {

SmallRect intersect(const SmallRect& a, const SmallRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

bool contains(const SmallRect& rect, int x, int y) {
  return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

std::int16_t narrow(int value) {
  return static_cast<std::int16_t>(value);
}

std::size_t grid_index(int x, int y, int width) {
  return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width)) +
         static_cast<std::size_t>(x);
}

// The part of a block operation that is done: the cells of `region` that
// are both in the buffer and in the caller's block.
struct Span {
  SmallRect screen; // in the screen buffer
  int block_x = 0;  // where screen.left/top sits in the block
  int block_y = 0;
  bool empty = true;
};

Span clip_block(const SmallRect& region, const SmallRect& whole, Coord block_size,
                Coord block_coord) {
  Span span;
  const SmallRect target = intersect(region, whole);
  span.block_x = block_coord.x + (target.left - region.left);
  span.block_y = block_coord.y + (target.top - region.top);
  const int width = std::min(target.right - target.left + 1, block_size.x - span.block_x);
  const int height = std::min(target.bottom - target.top + 1, block_size.y - span.block_y);
  if (is_empty(target) || span.block_x < 0 || span.block_y < 0 || width <= 0 || height <= 0) {
    return span;
  }
  span.screen = {target.left, target.top, narrow(target.left + width - 1),
                 narrow(target.top + height - 1)};
  span.empty = false;
  return span;
}

// Clips a block operation, reports the part done back in the caller's
// region, and calls visit(x, y, block_index) for each of its cells.
template <typename Visit>
void for_each_block_cell(const SmallRect& whole, Coord block_size, Coord block_coord,
                         SmallRect& region, Visit visit) {
  const Span span = clip_block(region, whole, block_size, block_coord);
  if (span.empty) {
    region.right = narrow(region.left - 1);
    return;
  }
  region = span.screen;
  for (int y = span.screen.top; y <= span.screen.bottom; ++y) {
    for (int x = span.screen.left; x <= span.screen.right; ++x) {
      visit(x, y,
            grid_index(span.block_x + x - span.screen.left, span.block_y + y - span.screen.top,
                       block_size.x));
    }
  }
}

} // namespace

ScreenBuffer::ScreenBuffer(Coord size, ScreenCell blank)
    : size_(size), cells_(grid_index(0, size.y, size.x), blank) {}

SmallRect ScreenBuffer::whole() const {
  return {0, 0, narrow(size_.x - 1), narrow(size_.y - 1)};
}

bool ScreenBuffer::contains(Coord position) const {
  return platform::contains(whole(), position.x, position.y);
}

void ScreenBuffer::resize(Coord size, ScreenCell blank) {
  std::vector<ScreenCell> cells(grid_index(0, size.y, size.x), blank);
  for (int y = 0; y < std::min(size.y, size_.y); ++y) {
    for (int x = 0; x < std::min(size.x, size_.x); ++x) {
      cells[grid_index(x, y, size.x)] = at(x, y);
    }
  }
  cells_ = std::move(cells);
  size_ = size;
}

bool ScreenBuffer::write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord,
                         SmallRect& region) {
  if (buffer == nullptr) {
    return false;
  }
  for_each_block_cell(whole(), buffer_size, buffer_coord, region, [&](int x, int y, std::size_t i) {
    at(x, y) = ScreenCell{buffer[i].character, buffer[i].attributes, true};
  });
  return true;
}

bool ScreenBuffer::read(CharInfo* buffer, Coord buffer_size, Coord buffer_coord,
                        SmallRect& region) const {
  if (buffer == nullptr) {
    return false;
  }
  // Cells nobody wrote read as blanks.
  for_each_block_cell(whole(), buffer_size, buffer_coord, region, [&](int x, int y, std::size_t i) {
    const ScreenCell& cell = at(x, y);
    buffer[i] = cell.known ? CharInfo{cell.character, cell.attributes} : CharInfo{u' ', 0x07};
  });
  return true;
}

template <typename Apply>
std::uint32_t ScreenBuffer::fill(std::uint32_t length, Coord start, Apply apply) {
  if (!contains(start)) {
    return 0;
  }
  const std::size_t first = index(start.x, start.y);
  const std::size_t count = std::min<std::size_t>(length, cells_.size() - first);
  for (std::size_t i = first; i < first + count; ++i) {
    ScreenCell& cell = cells_[i];
    if (!cell.known) {
      cell = ScreenCell{u' ', 0x07, true};
    }
    apply(cell);
  }
  return static_cast<std::uint32_t>(count);
}

std::uint32_t ScreenBuffer::fill_attributes(std::uint16_t value, std::uint32_t length,
                                            Coord start) {
  return fill(length, start, [value](ScreenCell& cell) { cell.attributes = value; });
}

std::uint32_t ScreenBuffer::fill_characters(char16_t character, std::uint32_t length, Coord start) {
  return fill(length, start, [character](ScreenCell& cell) { cell.character = character; });
}

bool ScreenBuffer::scroll(const SmallRect& scroll, const SmallRect* clip, Coord destination,
                          const CharInfo& fill) {
  const SmallRect source = intersect(scroll, whole());
  if (is_empty(source)) {
    return false;
  }
  const SmallRect limit = clip != nullptr ? intersect(*clip, whole()) : whole();
  // Clipping the source moves its destination with it.
  const int target_x = destination.x + (source.left - scroll.left);
  const int target_y = destination.y + (source.top - scroll.top);
  const int width = source.right - source.left + 1;
  const int height = source.bottom - source.top + 1;

  // Read the whole source first: source and target may overlap.
  std::vector<ScreenCell> moved;
  moved.reserve(grid_index(0, height, width));
  for (int y = source.top; y <= source.bottom; ++y) {
    for (int x = source.left; x <= source.right; ++x) {
      moved.push_back(at(x, y));
    }
  }
  const ScreenCell filler{fill.character, fill.attributes, true};
  for (int y = source.top; y <= source.bottom; ++y) {
    for (int x = source.left; x <= source.right; ++x) {
      if (platform::contains(limit, x, y)) {
        at(x, y) = filler;
      }
    }
  }
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const int x = target_x + column;
      const int y = target_y + row;
      if (platform::contains(limit, x, y)) {
        at(x, y) = moved[grid_index(column, row, width)];
      }
    }
  }
  return true;
}

} // namespace platform
