// The rest of the screen family. Like the core screen operations, these ask
// the console afresh at each use and do nothing on an output handle that is
// not a console screen buffer.
#include "runtime/screen_extras.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "runtime/errors.h"
#include "runtime/screen.h"
#include "runtime/screen_console.h"
#include "runtime/startup.h"
#include "runtime/state.h"

namespace {

using platform::CharInfo;
using platform::Coord;
using platform::Handle;
using platform::ScreenBufferInfo;
using platform::SmallRect;

constexpr std::int32_t kLargestCoordinate = 0x7FFF;
constexpr std::array<char16_t, kSpaceRunCells> kSpaceRun = {u' ', u' ', u' ', u' ',
                                                            u' ', u' ', u' ', u' '};

SmallRect rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  return SmallRect{static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
                   static_cast<std::int16_t>(right), static_cast<std::int16_t>(bottom)};
}

// Consoles of the older platform family need time between size changes.
void pause_between_console_calls() {
  if (runtime_state().version_info.platform_id == platform::kPlatformWin32Windows) {
    runtime_platform().sleep(kNonNtConsolePauseMs);
  }
}

// The cell at 1-based (row, column), or none outside the buffer.
std::optional<CharInfo> read_cell(std::int32_t row, std::int32_t column) {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info || row < 1 || row > info->size.y || column < 1 || column > info->size.x) {
    return std::nullopt;
  }
  CharInfo cell;
  SmallRect region = rect(column - 1, row - 1, column - 1, row - 1);
  if (!runtime_platform().read_console_output(runtime_state().output_handle, &cell,
                                              screen_coord(1, 1), screen_coord(0, 0), region)) {
    return std::nullopt;
  }
  return cell;
}

void clear_page(Handle page) {
  const std::optional<ScreenBufferInfo> info = screen_buffer_info(page);
  if (!info) {
    return;
  }
  platform::Platform& console = runtime_platform();
  const auto cells =
      static_cast<std::uint32_t>(info->size.x) * static_cast<std::uint32_t>(info->size.y);
  std::uint32_t written = 0;
  console.fill_console_output_character(page, ' ', cells, screen_coord(0, 0), written);
  console.fill_console_output_attribute(page, screen_attribute(), cells, screen_coord(0, 0),
                                        written);
}

bool is_page(Handle handle) {
  return handle != platform::kNullHandle && handle != platform::kInvalidHandle;
}

// Resizes and clears every page, with the console window's updates held
// meanwhile, and puts the window back to the outer rectangle it had (a
// buffer change may otherwise make the console move or resize its window).
// True when the page being written took the new size.
bool resize_pages(Coord size) {
  RuntimeState& state = runtime_state();
  platform::Platform& console = runtime_platform();
  const Handle window = runtime_console_window();
  platform::WindowRect outer;
  const bool have_outer = window != platform::kNullHandle && console.get_window_rect(window, outer);
  if (window != platform::kNullHandle) {
    console.lock_window_update(window);
  }
  bool resized = false;
  for (const Handle page : state.page_handles) {
    if (!is_page(page)) {
      continue;
    }
    pause_between_console_calls();
    const bool ok = console.set_console_screen_buffer_size(page, size);
    if (ok) {
      clear_page(page);
    }
    if (page == state.output_handle) {
      resized = ok;
    }
  }
  if (window != platform::kNullHandle) {
    console.lock_window_update(platform::kNullHandle);
  }
  if (have_outer) {
    console.set_window_pos(window, outer.left, outer.top, outer.right - outer.left,
                           outer.bottom - outer.top);
  }
  screen_home();
  return resized;
}

bool valid_size(std::int32_t columns, std::int32_t rows) {
  return columns >= 1 && rows >= 1 && columns <= kLargestCoordinate && rows <= kLargestCoordinate;
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
  const SmallRect area = rect(first_column - 1, first_row - 1, last_column - 1, last_row - 1);
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

void screen_set_title(StringValue title) {
  // A string's data is followed by a zero unit, so it can be handed over as
  // it stands; the empty string has no block.
  const char16_t* text = title.empty() ? u"" : title.view16().data();
  runtime_platform().set_console_title(text);
}

StringValue screen_title() {
  std::array<char16_t, kTitleReadUnits + 1> buffer{};
  const std::uint32_t reported = runtime_platform().get_console_title(
      buffer.data(), static_cast<std::uint32_t>(buffer.size()));
  const std::u16string_view all(buffer.data(), std::min(reported, kTitleReadUnits));
  const std::u16string_view title = all.substr(0, std::min(all.size(), all.find(u'\0')));
  if (title.empty()) {
    return {};
  }
  RuntimeString result = string_copy16(title);
  if (result.empty()) {
    runtime_raise_error(kErrorOutOfMemory);
  }
  return {std::move(result)};
}

void screen_set_buffer_size(std::int32_t columns, std::int32_t rows) {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return;
  }
  if (!valid_size(columns, rows) || columns < screen_window_of(*info).columns ||
      rows < screen_window_of(*info).rows) {
    runtime_raise_error(kErrorIllegalCall);
    return;
  }
  if (!resize_pages(screen_coord(columns, rows))) {
    runtime_raise_error(kErrorIllegalCall);
  }
}

void screen_set_size(std::int32_t columns, std::int32_t rows) {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return;
  }
  if (!valid_size(columns, rows)) {
    runtime_raise_error(kErrorIllegalCall);
    return;
  }
  const RuntimeState& state = runtime_state();
  platform::Platform& console = runtime_platform();
  const Coord previous = info->size;
  const Coord wanted = screen_coord(columns, rows);

  // The window must always fit inside the buffer: grow the buffer first
  // where the new window needs it, shrink it only after the window.
  const Coord enlarged = screen_coord(std::max<std::int32_t>(previous.x, columns),
                                      std::max<std::int32_t>(previous.y, rows));
  bool ok = true;
  if (enlarged.x != previous.x || enlarged.y != previous.y) {
    ok = resize_pages(enlarged);
  }
  if (ok) {
    const SmallRect window = rect(0, 0, columns - 1, rows - 1);
    ok = false;
    for (int attempt = 0; attempt < kWindowSetAttempts && !ok; ++attempt) {
      pause_between_console_calls();
      ok = console.set_console_window_info(state.output_handle, true, window);
    }
  }
  if (ok) {
    ok = resize_pages(wanted);
  }
  if (!ok) {
    resize_pages(previous);
    runtime_raise_error(kErrorIllegalCall);
  }
}

WindowPlacement screen_window_placement() {
  const Handle window = runtime_console_window();
  platform::WindowRect outer;
  if (window == platform::kNullHandle || !runtime_platform().get_window_rect(window, outer)) {
    return {};
  }
  return WindowPlacement{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top};
}

void screen_move_window(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  const Handle window = runtime_console_window();
  if (window != platform::kNullHandle) {
    runtime_platform().set_window_pos(window, x, y, width, height);
  }
}

void screen_bring_to_front() {
  const Handle window = runtime_console_window();
  if (window == platform::kNullHandle) {
    return;
  }
  runtime_platform().sleep(kForegroundPauseMs);
  runtime_platform().set_foreground_window(window);
}

void screen_set_window_origin(std::int32_t row, std::int32_t column) {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return;
  }
  const auto [columns, rows] = screen_window_of(*info);
  // The step to 0-based is taken in 64 bits: the lowest 32-bit argument has
  // no predecessor.
  const auto origin = [](std::int32_t coordinate, std::int32_t largest) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{coordinate} - 1, 0, std::max(largest, 0)));
  };
  const std::int32_t left = origin(column, info->size.x - columns);
  const std::int32_t top = origin(row, info->size.y - rows);
  runtime_platform().set_console_window_info(runtime_state().output_handle, true,
                                             rect(left, top, left + columns - 1, top + rows - 1));
}

std::int32_t screen_buffer_columns() {
  return screen_buffer_size().columns;
}
std::int32_t screen_buffer_rows() {
  return screen_buffer_size().rows;
}
std::int32_t screen_window_columns() {
  return screen_window_size().columns;
}
std::int32_t screen_window_rows() {
  return screen_window_size().rows;
}

std::int32_t screen_window_top() {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  return info ? info->window.top + 1 : 0;
}

std::int32_t screen_window_left() {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  return info ? info->window.left + 1 : 0;
}

bool screen_stdin_is_console() {
  return runtime_state().stdin_is_console != 0;
}
bool screen_stdout_is_console() {
  return runtime_state().stdout_is_console != 0;
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
