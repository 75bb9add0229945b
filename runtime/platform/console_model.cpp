#include "runtime/platform/console_model.h"

#include <algorithm>

namespace platform {
namespace {

std::int16_t narrow(int value) {
  return static_cast<std::int16_t>(value);
}

SmallRect rect_at(int left, int top, Coord extent) {
  return {narrow(left), narrow(top), narrow(left + extent.x - 1), narrow(top + extent.y - 1)};
}

} // namespace

ConsoleModel::ConsoleModel(const Start& start)
    : screen_(start.size, start.blank), blank_(start.blank), window_(start.window),
      cursor_(start.cursor), attributes_(start.attributes), cursor_info_(start.cursor_info) {}

Coord ConsoleModel::window_size() const {
  return Coord{narrow(window_.right - window_.left + 1), narrow(window_.bottom - window_.top + 1)};
}

std::vector<ScreenCell> ConsoleModel::window_cells(int top) const {
  const Coord extent = window_size();
  std::vector<ScreenCell> cells;
  cells.reserve(static_cast<std::size_t>(extent.x) * static_cast<std::size_t>(extent.y));
  for (int y = top; y < top + extent.y; ++y) {
    for (int x = window_.left; x <= window_.right; ++x) {
      cells.push_back(y >= 0 && y < size().y ? screen_.at(x, y) : blank_);
    }
  }
  return cells;
}

SmallRect ConsoleModel::window_asked(bool absolute, const SmallRect& window) const {
  if (absolute) {
    return window;
  }
  return {narrow(window_.left + window.left), narrow(window_.top + window.top),
          narrow(window_.right + window.right), narrow(window_.bottom + window.bottom)};
}

bool ConsoleModel::set_window(const SmallRect& window) {
  if (is_empty(window) || window.left < 0 || window.top < 0 || window.right >= size().x ||
      window.bottom >= size().y) {
    return false;
  }
  window_ = window;
  changed_ = true;
  return true;
}

bool ConsoleModel::set_buffer_size(Coord size, ScreenCell blank) {
  const Coord extent = window_size();
  if (size.x < extent.x || size.y < extent.y) {
    return false;
  }
  screen_.resize(size, blank);
  window_ = rect_at(std::min(window_.left, narrow(size.x - extent.x)),
                    std::min(window_.top, narrow(size.y - extent.y)), extent);
  cursor_ = Coord{std::min(cursor_.x, narrow(size.x - 1)), std::min(cursor_.y, narrow(size.y - 1))};
  changed_ = true;
  return true;
}

void ConsoleModel::resize_window(Coord window_size) {
  const Coord before = this->window_size();
  if (window_size.x == before.x && window_size.y == before.y) {
    return;
  }
  screen_.set_width_keeping_hidden(window_size.x, blank_);
  const int rows = std::min(window_size.y, size().y);
  int top = std::max(0, window_.top - std::max(0, rows - before.y));
  top = std::min(top, size().y - rows);
  window_ = rect_at(0, top, Coord{window_size.x, narrow(rows)});
  bring_cursor_into_view();
  changed_ = true;
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
  const Coord at = cursor();
  const Coord extent = window_size();
  const auto first_in_view = [](int position, int first, int last, int length) {
    if (position < first) {
      return position;
    }
    return position > last ? position - length + 1 : first;
  };
  window_ = rect_at(first_in_view(at.x, window_.left, window_.right, extent.x),
                    first_in_view(at.y, window_.top, window_.bottom, extent.y), extent);
}

bool ConsoleModel::set_cursor_info(const CursorInfo& info) {
  if (info.size < 1 || info.size > 100) {
    return false;
  }
  cursor_info_ = info;
  changed_ = true;
  return true;
}

bool ConsoleModel::write(const CharInfo* buffer, Coord buffer_size, Coord buffer_coord,
                         SmallRect& region) {
  if (!screen_.write(buffer, buffer_size, buffer_coord, region)) {
    return false;
  }
  changed_ = changed_ || !is_empty(region);
  return true;
}

bool ConsoleModel::fill_attributes(std::uint16_t value, std::uint32_t length, Coord start,
                                   std::uint32_t& written) {
  written = screen_.fill_attributes(value, length, start);
  changed_ = changed_ || written > 0;
  return screen_.contains(start);
}

bool ConsoleModel::fill_characters(char16_t character, std::uint32_t length, Coord start,
                                   std::uint32_t& written) {
  written = screen_.fill_characters(character, length, start);
  changed_ = changed_ || written > 0;
  return screen_.contains(start);
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
  const ScreenCell& sample = screen_.at(0, first);
  for (int y = first; y < first + count; ++y) {
    for (int x = 0; x < size().x; ++x) {
      const ScreenCell& cell = screen_.at(x, y);
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

} // namespace platform
