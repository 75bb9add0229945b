#include "runtime/platform/terminal/console_model.h"

#include <algorithm>

namespace platform::terminal {

ConsoleModel::ConsoleModel(Coord size) : screen_(size, Cell{}) {}

void ConsoleModel::resize(Coord size) {
  const Coord old = screen_.size();
  if (size.x == old.x && size.y == old.y) {
    return;
  }
  screen_.resize(size, Cell{});
  cursor_.x = static_cast<std::int16_t>(std::clamp<int>(cursor_.x, 0, size.x - 1));
  cursor_.y = static_cast<std::int16_t>(std::clamp<int>(cursor_.y, 0, size.y - 1));
  changed_ = true;
}

bool ConsoleModel::set_cursor(Coord position) {
  if (!screen_.contains(position)) {
    return false;
  }
  cursor_ = position;
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

int ConsoleModel::whole_screen_rows_up(const SmallRect& scroll, const SmallRect* clip,
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
