#include "runtime/platform/screen_buffer.h"

#include <algorithm>
#include <utility>

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
    : size_(size), stride_(std::max<int>(size.x, 0)), tail_(blank) {}

SmallRect ScreenBuffer::whole() const {
  return {0, 0, narrow(size_.x - 1), narrow(size_.y - 1)};
}

bool ScreenBuffer::contains(Coord position) const {
  return platform::contains(whole(), position.x, position.y);
}

const ScreenCell& ScreenBuffer::at(int x, int y) const {
  return y < stored_rows_ ? cells_[index(x, y)] : tail_;
}

ScreenCell& ScreenBuffer::at(int x, int y) {
  store_rows_to(y);
  return cells_[index(x, y)];
}

void ScreenBuffer::store_rows_to(int y) {
  if (y >= stored_rows_) {
    stored_rows_ = y + 1;
    cells_.resize(index(0, stored_rows_), tail_);
  }
}

void ScreenBuffer::resize(Coord size, ScreenCell blank) {
  // Rows below the stored ones keep the tail only where the tail is what a
  // new cell would be anyway; otherwise they are stored first.
  const int old_height = size_.y;
  if (!(tail_ == blank) && stored_rows_ < std::min(old_height, static_cast<int>(size.y))) {
    store_rows_to(std::min(old_height, static_cast<int>(size.y)) - 1);
  }
  const int kept_rows = std::min(stored_rows_, static_cast<int>(size.y));
  const int kept_columns = std::min<int>(size.x, size_.x);
  std::vector<ScreenCell> cells(grid_index(0, kept_rows, size.x), blank);
  for (int y = 0; y < kept_rows; ++y) {
    for (int x = 0; x < kept_columns; ++x) {
      cells[grid_index(x, y, size.x)] = cells_[index(x, y)];
    }
  }
  cells_ = std::move(cells);
  stored_rows_ = kept_rows;
  stride_ = std::max<int>(size.x, 0);
  size_ = size;
  tail_ = blank;
}

void ScreenBuffer::set_width_keeping_hidden(std::int16_t width, ScreenCell blank) {
  if (width > stride_) {
    std::vector<ScreenCell> cells(grid_index(0, stored_rows_, width), blank);
    for (int y = 0; y < stored_rows_; ++y) {
      std::copy_n(cells_.begin() + static_cast<std::ptrdiff_t>(index(0, y)), stride_,
                  cells.begin() + static_cast<std::ptrdiff_t>(grid_index(0, y, width)));
    }
    cells_ = std::move(cells);
    stride_ = width;
  }
  size_.x = width;
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

// Cells are filled in reading order; a row whose last cell is filled has its
// hidden columns filled too. A fill that runs to the end of the buffer
// changes the tail instead of storing the rows below the stored ones.
template <typename Apply>
std::uint32_t ScreenBuffer::fill(std::uint32_t length, Coord start, Apply apply) {
  // An empty fill changes nothing; it must not reach the arithmetic below,
  // whose last cell would be one before the first.
  if (!contains(start) || length == 0) {
    return 0;
  }
  const auto fill_cell = [&apply](ScreenCell& cell) {
    if (!cell.known) {
      cell = ScreenCell{u' ', 0x07, true};
    }
    apply(cell);
  };
  const std::size_t width = static_cast<std::size_t>(size_.x);
  const std::size_t total = width * static_cast<std::size_t>(size_.y);
  const std::size_t first = grid_index(start.x, start.y, size_.x);
  const std::size_t count = std::min<std::size_t>(length, total - first);
  if (count == 0) {
    return 0; // a fill of length 0 is a valid call that writes nothing
  }
  const std::size_t last = first + count - 1;
  const bool to_the_end = first + count == total;
  const int last_row = static_cast<int>(last / width);
  store_rows_to(to_the_end ? start.y : last_row);

  for (int y = start.y; y <= std::min(last_row, stored_rows_ - 1); ++y) {
    const int from = y == start.y ? start.x : 0;
    const int to = y == last_row ? static_cast<int>(last % width) : size_.x - 1;
    const int end = to == size_.x - 1 ? stride_ - 1 : to;
    for (int x = from; x <= end; ++x) {
      fill_cell(cells_[index(x, y)]);
    }
  }
  if (to_the_end && last_row >= stored_rows_) {
    fill_cell(tail_);
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

// A scroll across the whole width carries the hidden columns along.
bool ScreenBuffer::scroll(const SmallRect& scroll, const SmallRect* clip, Coord destination,
                          const CharInfo& fill) {
  SmallRect source = intersect(scroll, whole());
  if (is_empty(source)) {
    return false;
  }
  SmallRect limit = clip != nullptr ? intersect(*clip, whole()) : whole();
  // Clipping the source moves its destination with it.
  const int target_x = destination.x + (source.left - scroll.left);
  const int target_y = destination.y + (source.top - scroll.top);
  if (source.left == 0 && source.right == size_.x - 1 && target_x == 0 && limit.left == 0 &&
      limit.right == size_.x - 1) {
    source.right = limit.right = narrow(stride_ - 1);
  }
  const int width = source.right - source.left + 1;
  const int height = source.bottom - source.top + 1;

  // Read the whole source first: source and target may overlap.
  std::vector<ScreenCell> moved;
  moved.reserve(grid_index(0, height, width));
  for (int y = source.top; y <= source.bottom; ++y) {
    for (int x = source.left; x <= source.right; ++x) {
      moved.push_back(std::as_const(*this).at(x, y));
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
