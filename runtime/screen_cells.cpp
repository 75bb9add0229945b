// The screen's cells beyond printing text. Like the core screen operations,
// these ask the console afresh at each use and do nothing on an output handle
// that is not a console screen buffer.
#include "runtime/screen_cells.h"

#include <algorithm>
#include <array>
#include <optional>

#include "runtime/screen.h"
#include "runtime/screen_console.h"
#include "runtime/startup.h"
#include "runtime/state.h"

namespace {

using platform::CharInfo;
using platform::ScreenBufferInfo;
using platform::SmallRect;

constexpr std::array<char16_t, kSpaceRunCells> kSpaceRun = {u' ', u' ', u' ', u' ',
                                                            u' ', u' ', u' ', u' '};

// The cell at 1-based (row, column), or none outside the buffer.
std::optional<CharInfo> read_cell(std::int32_t row, std::int32_t column) {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info || row < 1 || row > info->size.y || column < 1 || column > info->size.x) {
    return std::nullopt;
  }
  CharInfo cell;
  SmallRect region = screen_rect(column - 1, row - 1, column - 1, row - 1);
  if (!runtime_platform().read_console_output(runtime_state().output_handle, &cell,
                                              screen_coord(1, 1), screen_coord(0, 0), region)) {
    return std::nullopt;
  }
  return cell;
}

} // namespace

void screen_spaces(std::int32_t n) {
  while (n > 0) {
    const std::int32_t run = std::min(n, kSpaceRunCells);
    screen_write_cells(kSpaceRun.data(), run);
    n -= run;
  }
}

void screen_tab_to_column(std::int32_t column) {
  if (column < 1) {
    return;
  }
  if (!screen_output_info()) {
    return;
  }
  // A column beyond the row's width is reached as any text reaches it: the
  // spaces run on over the right edge onto the following rows.
  std::int32_t current = screen_cursor_column();
  if (current > column) {
    screen_newline();
    current = 1;
  }
  screen_spaces(column - current);
}

void screen_next_zone() {
  if (!screen_output_info()) {
    return;
  }
  const std::int32_t column = screen_cursor_column();
  screen_spaces(kPrintZoneColumns - (column - 1) % kPrintZoneColumns);
}

std::int32_t screen_read_character(std::int32_t row, std::int32_t column) {
  const std::optional<CharInfo> cell = read_cell(row, column);
  return cell ? static_cast<std::int32_t>(cell->character) : 0;
}

std::int32_t screen_read_attribute(std::int32_t row, std::int32_t column) {
  if (row == 0) {
    return screen_attribute();
  }
  const std::optional<CharInfo> cell = read_cell(row, column);
  return cell ? static_cast<std::int32_t>(cell->attributes) : 0;
}

void screen_scroll_rect(std::int32_t top, std::int32_t left, std::int32_t bottom,
                        std::int32_t right, std::int32_t count, ScrollDirection direction) {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info || count < 1) {
    return;
  }
  // Either corner may come first; the rectangle is then cut to the buffer.
  const std::int32_t first_row = std::max(std::min(top, bottom), 1);
  const std::int32_t last_row = std::min(std::max(top, bottom), std::int32_t{info->size.y});
  const std::int32_t first_column = std::max(std::min(left, right), 1);
  const std::int32_t last_column = std::min(std::max(left, right), std::int32_t{info->size.x});
  if (first_row > last_row || first_column > last_column) {
    return;
  }
  const SmallRect area =
      screen_rect(first_column - 1, first_row - 1, last_column - 1, last_row - 1);
  const bool vertical = direction == ScrollDirection::up || direction == ScrollDirection::down;
  // Moving by the whole extent or more blanks the whole rectangle.
  const std::int32_t extent = vertical ? last_row - first_row + 1 : last_column - first_column + 1;
  const std::int32_t shift = std::min(count, extent);
  std::int32_t x = area.left;
  std::int32_t y = area.top;
  switch (direction) {
  case ScrollDirection::up:
    y -= shift;
    break;
  case ScrollDirection::down:
    y += shift;
    break;
  case ScrollDirection::left:
    x -= shift;
    break;
  case ScrollDirection::right:
    x += shift;
    break;
  }
  const CharInfo fill{u' ', screen_attribute()};
  runtime_platform().scroll_console_screen_buffer(runtime_state().output_handle, area, &area,
                                                  screen_coord(x, y), fill);
}

void screen_set_cursor(std::int32_t value) {
  platform::CursorInfo& cursor = runtime_state().cursor_info;
  if (value == 0) {
    cursor.visible = 0;
  } else {
    if (value > 0) {
      cursor.size = static_cast<std::uint32_t>(std::clamp(value, kCursorSizeMin, kCursorSizeMax));
    }
    cursor.visible = 1;
  }
  screen_cursor_apply();
}

std::int32_t screen_cursor_size() {
  const platform::CursorInfo& cursor = runtime_state().cursor_info;
  return cursor.visible != 0 ? static_cast<std::int32_t>(cursor.size) : 0;
}
