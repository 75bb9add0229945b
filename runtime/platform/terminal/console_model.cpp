#include "runtime/platform/terminal/console_model.h"

#include <algorithm>

namespace platform::terminal {
namespace {

SmallRect intersect(const SmallRect& a, const SmallRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

bool empty(const SmallRect& rect) {
  return rect.left > rect.right || rect.top > rect.bottom;
}

bool contains(const SmallRect& rect, int x, int y) {
  return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

} // namespace

ConsoleModel::ConsoleModel(Coord size)
    : size_(size), cells_(static_cast<std::size_t>(size.x) * size.y) {}

SmallRect ConsoleModel::screen() const {
  return {0, 0, static_cast<std::int16_t>(size_.x - 1), static_cast<std::int16_t>(size_.y - 1)};
}

void ConsoleModel::resize(Coord size) {
  if (size.x == size_.x && size.y == size_.y) {
    return;
  }
  std::vector<Cell> cells(static_cast<std::size_t>(size.x) * size.y);
  for (int y = 0; y < std::min(size.y, size_.y); ++y) {
    for (int x = 0; x < std::min(size.x, size_.x); ++x) {
      cells[static_cast<std::size_t>(y) * size.x + x] = cells_[index(x, y)];
    }
  }
  cells_ = std::move(cells);
  size_ = size;
  cursor_.x = static_cast<std::int16_t>(std::clamp<int>(cursor_.x, 0, size.x - 1));
  cursor_.y = static_cast<std::int16_t>(std::clamp<int>(cursor_.y, 0, size.y - 1));
  changed_ = true;
}

bool ConsoleModel::set_cursor(Coord position) {
  if (!contains(screen(), position.x, position.y)) {
    return false;
  }
  cursor_ = position;
  changed_ = true;
  return true;
}

bool ConsoleModel::write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord,
                         SmallRect& region) {
  const SmallRect target = intersect(region, screen());
  const int source_x = buffer_coord.x + (target.left - region.left);
  const int source_y = buffer_coord.y + (target.top - region.top);
  const int width = std::min(target.right - target.left + 1, buffer_size.x - source_x);
  const int height = std::min(target.bottom - target.top + 1, buffer_size.y - source_y);
  if (buffer == nullptr || empty(target) || source_x < 0 || source_y < 0 || width <= 0 ||
      height <= 0) {
    region.right = static_cast<std::int16_t>(region.left - 1);
    return buffer != nullptr;
  }
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const CharInfo& source =
          buffer[static_cast<std::size_t>(source_y + row) * buffer_size.x + source_x + column];
      cells_[index(target.left + column, target.top + row)] =
          Cell{source.character, source.attributes, true};
    }
  }
  region = {target.left, target.top, static_cast<std::int16_t>(target.left + width - 1),
            static_cast<std::int16_t>(target.top + height - 1)};
  changed_ = true;
  return true;
}

bool ConsoleModel::read(CharInfo* buffer, Coord buffer_size, Coord buffer_coord,
                        SmallRect& region) const {
  const SmallRect source = intersect(region, screen());
  const int target_x = buffer_coord.x + (source.left - region.left);
  const int target_y = buffer_coord.y + (source.top - region.top);
  const int width = std::min(source.right - source.left + 1, buffer_size.x - target_x);
  const int height = std::min(source.bottom - source.top + 1, buffer_size.y - target_y);
  if (buffer == nullptr || empty(source) || target_x < 0 || target_y < 0 || width <= 0 ||
      height <= 0) {
    region.right = static_cast<std::int16_t>(region.left - 1);
    return buffer != nullptr;
  }
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const Cell& cell = cells_[index(source.left + column, source.top + row)];
      // Cells the program never wrote read as blanks.
      buffer[static_cast<std::size_t>(target_y + row) * buffer_size.x + target_x + column] =
          cell.known ? CharInfo{cell.character, cell.attributes} : CharInfo{u' ', 0x07};
    }
  }
  region = {source.left, source.top, static_cast<std::int16_t>(source.left + width - 1),
            static_cast<std::int16_t>(source.top + height - 1)};
  return true;
}

template <typename Apply>
std::uint32_t ConsoleModel::fill(std::uint32_t length, Coord start, Apply apply) {
  if (!contains(screen(), start.x, start.y)) {
    return 0;
  }
  const std::size_t first = index(start.x, start.y);
  const std::size_t count = std::min<std::size_t>(length, cells_.size() - first);
  for (std::size_t i = first; i < first + count; ++i) {
    Cell& cell = cells_[i];
    if (!cell.known) {
      cell = Cell{u' ', 0x07, true};
    }
    apply(cell);
  }
  changed_ = changed_ || count > 0;
  return static_cast<std::uint32_t>(count);
}

std::uint32_t ConsoleModel::fill_attributes(std::uint16_t value, std::uint32_t length,
                                            Coord start) {
  return fill(length, start, [value](Cell& cell) { cell.attributes = value; });
}

std::uint32_t ConsoleModel::fill_characters(char16_t character, std::uint32_t length, Coord start) {
  return fill(length, start, [character](Cell& cell) { cell.character = character; });
}

bool ConsoleModel::scroll(const SmallRect& scroll, const SmallRect* clip, Coord destination,
                          const CharInfo& fill) {
  const SmallRect source = intersect(scroll, screen());
  if (empty(source)) {
    return false;
  }
  const SmallRect limit = clip != nullptr ? intersect(*clip, screen()) : screen();
  // Clipping the source moves its destination with it.
  const int target_x = destination.x + (source.left - scroll.left);
  const int target_y = destination.y + (source.top - scroll.top);

  std::vector<Cell> moved;
  for (int y = source.top; y <= source.bottom; ++y) {
    for (int x = source.left; x <= source.right; ++x) {
      moved.push_back(cells_[index(x, y)]);
    }
  }
  const Cell filler{fill.character, fill.attributes, true};
  for (int y = source.top; y <= source.bottom; ++y) {
    for (int x = source.left; x <= source.right; ++x) {
      if (contains(limit, x, y)) {
        cells_[index(x, y)] = filler;
      }
    }
  }
  const int width = source.right - source.left + 1;
  for (int row = 0; row <= source.bottom - source.top; ++row) {
    for (int column = 0; column < width; ++column) {
      const int x = target_x + column;
      const int y = target_y + row;
      if (contains(limit, x, y)) {
        cells_[index(x, y)] = moved[static_cast<std::size_t>(row) * width + column];
      }
    }
  }
  changed_ = true;
  return true;
}

int ConsoleModel::whole_screen_rows_up(const SmallRect& scroll, const SmallRect* clip,
                                       Coord destination) const {
  const SmallRect whole = screen();
  if (clip != nullptr && (clip->left > 0 || clip->top > 0 || clip->right < whole.right ||
                          clip->bottom < whole.bottom)) {
    return 0;
  }
  const bool full_width = scroll.left == 0 && scroll.right >= whole.right;
  const bool to_bottom = scroll.bottom >= whole.bottom;
  if (!full_width || !to_bottom || destination.x != 0 || destination.y != 0 || scroll.top < 1 ||
      scroll.top > whole.bottom) {
    return 0;
  }
  return scroll.top;
}

} // namespace platform::terminal
