// The console window and the buffer behind it. Like the core screen
// operations, these ask the console afresh at each use and do nothing on an
// output handle that is not a console screen buffer.
#include "runtime/console_window.h"

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

using platform::Coord;
using platform::Handle;
using platform::ScreenBufferInfo;
using platform::SmallRect;

constexpr std::int32_t kLargestCoordinate = 0x7FFF;

// Consoles of the older platform family need time between size changes.
void pause_between_console_calls() {
  if (runtime_state().version_info.platform_id == platform::kPlatformWin32Windows) {
    runtime_platform().sleep(kNonNtConsolePauseMs);
  }
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
    const SmallRect window = screen_rect(0, 0, columns - 1, rows - 1);
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
  runtime_platform().set_console_window_info(
      runtime_state().output_handle, true,
      screen_rect(left, top, left + columns - 1, top + rows - 1));
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
