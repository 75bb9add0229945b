#include "runtime/platform/terminal/console_model.h"

#include <algorithm>

namespace platform::terminal {
namespace {

std::int16_t narrow(int value) {
  return static_cast<std::int16_t>(value);
}

} // namespace

ConsoleModel::ConsoleModel(Coord window_size, std::int16_t buffer_rows)
    : screen_(Coord{window_size.x, std::max(buffer_rows, window_size.y)}, Cell{}),
      window_size_(window_size) {}

SmallRect ConsoleModel::window() const {
  return {0, narrow(window_top_), narrow(window_size_.x - 1),
          narrow(window_top_ + window_size_.y - 1)};
}

std::vector<Cell> ConsoleModel::window_cells(int top) const {
  std::vector<Cell> cells;
  cells.reserve(static_cast<std::size_t>(window_size_.x) *
                static_cast<std::size_t>(window_size_.y));
  for (int y = top; y < top + window_size_.y; ++y) {
    for (int x = 0; x < window_size_.x; ++x) {
      cells.push_back(y >= 0 && y < size().y ? screen_.at(x, y) : Cell{});
    }
  }
  return cells;
}

void ConsoleModel::resize_window(Coord window_size) {
  if (window_size.x == window_size_.x && window_size.y == window_size_.y) {
    return;
  }
  screen_.set_width_keeping_hidden(window_size.x, Cell{});
  const int rows = std::min(window_size.y, size().y);
  // Growing, the window shows more of the rows above, as terminals do.
  window_top_ = std::max(0, window_top_ - std::max(0, rows - window_size_.y));
  window_top_ = std::min(window_top_, size().y - rows);
  window_size_ = Coord{window_size.x, narrow(rows)};
  bring_cursor_into_view();
  changed_ = true;
}

bool ConsoleModel::set_window_top(int top) {
  if (top < 0 || top + window_size_.y > size().y) {
    return false;
  }
  window_top_ = top;
  changed_ = true;
  return true;
}

Coord ConsoleModel::cursor() const {
  return Coord{std::min(cursor_.x, narrow(size().x - 1)), cursor_.y};
}

bool ConsoleModel::set_cursor(Coord position) {
  if (!screen_.contains(position)) {
    return false;
  }
  cursor_ = position;
  bring_cursor_into_view();
  changed_ = true;
  return true;
}

void ConsoleModel::bring_cursor_into_view() {
  if (cursor_.y < window_top_) {
    window_top_ = cursor_.y;
  } else if (cursor_.y >= window_top_ + window_size_.y) {
    window_top_ = cursor_.y - window_size_.y + 1;
  }
}

bool ConsoleModel::write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord,
                         SmallRect& region) {
  if (!screen_.write(buffer, buffer_size, buffer_coord, region)) {
    return false;
  }
  changed_ = changed_ || !is_empty(region);
  return true;
}

std::uint32_t ConsoleModel::fill_attributes(std::uint16_t value, std::uint32_t length,
                                            Coord start) {
  const std::uint32_t filled = screen_.fill_attributes(value, length, start);
  changed_ = changed_ || filled > 0;
  return filled;
}

std::uint32_t ConsoleModel::fill_characters(char16_t character, std::uint32_t length, Coord start) {
  const std::uint32_t filled = screen_.fill_characters(character, length, start);
  changed_ = changed_ || filled > 0;
  return filled;
}

bool ConsoleModel::scroll(const SmallRect& scroll, const SmallRect* clip, Coord destination,
                          const CharInfo& fill) {
  if (!screen_.scroll(scroll, clip, destination, fill)) {
    return false;
  }
  changed_ = true;
  return true;
}

std::optional<std::uint16_t> ConsoleModel::blank_rows_attributes(int first, int count) const {
  if (first < 0 || first + count > size().y || count <= 0) {
    return std::nullopt;
  }
  const Cell& sample = screen_.at(0, first);
  for (int y = first; y < first + count; ++y) {
    for (int x = 0; x < size().x; ++x) {
      const Cell& cell = screen_.at(x, y);
      if (!is_blank(cell) || !same_background(cell, sample)) {
        return std::nullopt;
      }
    }
  }
  return sample.attributes;
}

int ConsoleModel::whole_buffer_rows_up(const SmallRect& scroll, const SmallRect* clip,
                                       Coord destination) const {
  const Coord size = screen_.size();
  const int right = size.x - 1;
  const int bottom = size.y - 1;
  if (clip != nullptr &&
      (clip->left > 0 || clip->top > 0 || clip->right < right || clip->bottom < bottom)) {
    return 0;
  }
  const bool full_width = scroll.left == 0 && scroll.right >= right;
  const bool to_bottom = scroll.bottom >= bottom;
  if (!full_width || !to_bottom || destination.x != 0 || destination.y != 0 || scroll.top < 1 ||
      scroll.top > bottom) {
    return 0;
  }
  return scroll.top;
}

} // namespace platform::terminal
