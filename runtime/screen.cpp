// The runtime's text screen over the console screen buffer.
//
// Every operation asks the console for the buffer information it needs at the
// moment it needs it. When the output handle is not a console screen buffer
// that question fails, and the operations then do nothing: no size is ever
// guessed, so nothing can loop over an undefined extent.
#include "runtime/screen.h"

#include <algorithm>
#include <array>
#include <optional>

#include "runtime/screen_console.h"
#include "runtime/state.h"

namespace {

using platform::CharInfo;
using platform::ScreenBufferInfo;
using platform::SmallRect;

constexpr std::uint8_t kScrollPending = 0xFF;

bool pages_match() {
  const RuntimeState& state = runtime_state();
  return state.active_page == state.visible_page;
}

// Gives the console's cursor the visibility `shown` until the next
// screen_cursor_restore; the record keeps the program's own choice.
void show_cursor_for_now(std::int32_t shown) {
  RuntimeState& state = runtime_state();
  const std::int32_t chosen = state.cursor_info.visible;
  state.cursor_info.visible = shown;
  screen_cursor_apply();
  state.cursor_info.visible = chosen;
  state.cursor_restore_pending = 1;
}

} // namespace

std::optional<ScreenBufferInfo> screen_buffer_info(platform::Handle console) {
  ScreenBufferInfo info;
  if (!runtime_platform().get_console_screen_buffer_info(console, info)) {
    return std::nullopt;
  }
  if (info.size.x <= 0 || info.size.y <= 0) {
    return std::nullopt;
  }
  return info;
}

std::optional<ScreenBufferInfo> screen_output_info() {
  return screen_buffer_info(runtime_state().output_handle);
}

std::uint16_t screen_attribute() {
  const RuntimeState& state = runtime_state();
  return static_cast<std::uint16_t>(state.foreground + 16 * state.background);
}

void screen_write_cells(const char16_t* text, std::int32_t count) {
  if (text == nullptr || count < 1) {
    return;
  }
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return;
  }
  RuntimeState& state = runtime_state();
  platform::Platform& console = runtime_platform();
  const std::uint16_t attribute = screen_attribute();
  const std::int32_t width = info->size.x;
  const std::int32_t height = info->size.y;
  std::int32_t x = info->cursor_position.x;
  std::int32_t y = info->cursor_position.y;
  if (x < 0 || x >= width || y < 0 || y >= height) {
    return;
  }

  std::array<CharInfo, kRunBufferCells> run;
  std::int32_t done = 0;
  while (done < count) {
    if (state.pending_scroll != 0) {
      state.pending_scroll = 0;
      screen_scroll_up();
    }
    const std::int32_t length = std::min({width - x, kMaxSegmentCells, count - done});
    for (std::int32_t i = 0; i < length; ++i) {
      run[static_cast<std::size_t>(i)] = CharInfo{text[done + i], attribute};
    }
    SmallRect target{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                     static_cast<std::int16_t>(x + length - 1), static_cast<std::int16_t>(y)};
    console.write_console_output(state.output_handle, run.data(), screen_coord(length, 1),
                                 screen_coord(0, 0), target);
    done += length;
    x += length;
    if (x == width) {
      x = 0;
      if (y + 1 == height) {
        // The last row is merely full: the scroll waits for more output.
        state.pending_scroll = kScrollPending;
      } else {
        ++y;
      }
    }
  }

  const std::uint8_t pending = state.pending_scroll;
  screen_locate(y + 1, x + 1);
  state.pending_scroll = pending;
}

void screen_print(StringValue text) {
  const std::u16string_view units = text.view16();
  const auto length = static_cast<std::int32_t>(text.byte_count() / 2);
  if (length != 0) {
    screen_write_cells(units.data(), length);
  }
  // `text` goes out of scope here, which releases it if it is a temporary.
}

void screen_newline() {
  RuntimeState& state = runtime_state();
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    state.pending_scroll = 0;
    return;
  }
  const std::int32_t y = info->cursor_position.y;
  const std::int32_t height = info->size.y;
  if (y + 1 != height) {
    screen_locate(y + 2, 1);
    return;
  }
  const std::uint8_t pending = state.pending_scroll;
  state.pending_scroll = 0;
  if (pending != 0) {
    screen_scroll_up(); // the wrap that was deferred
  }
  screen_scroll_up(); // the new line
  screen_locate(height, 1);
}

void screen_scroll_up() {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return;
  }
  const SmallRect source{0, 1, static_cast<std::int16_t>(info->size.x - 1),
                         static_cast<std::int16_t>(info->size.y - 1)};
  const CharInfo fill{u' ', screen_attribute()};
  runtime_platform().scroll_console_screen_buffer(runtime_state().output_handle, source, nullptr,
                                                  screen_coord(0, 0), fill);
}

void screen_locate(std::int32_t row, std::int32_t column) {
  RuntimeState& state = runtime_state();
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    state.pending_scroll = 0;
    return;
  }
  // Each coordinate is checked on its own: an out-of-range one keeps its
  // current value, the other still moves.
  if (column < 1 || column > info->size.x) {
    column = info->cursor_position.x + 1;
  }
  if (row < 1 || row > info->size.y) {
    row = info->cursor_position.y + 1;
  }
  runtime_platform().set_console_cursor_position(state.output_handle,
                                                 screen_coord(column - 1, row - 1));
  state.pending_scroll = 0;
}

void screen_home() {
  screen_locate(1, 1);
}

void screen_set_color(std::int32_t foreground, std::int32_t background, std::int32_t fill_count) {
  RuntimeState& state = runtime_state();
  // Compared as unsigned numbers, so a negative component is out of range too.
  if (static_cast<std::uint32_t>(foreground) <= 15) {
    state.foreground = foreground;
  }
  if (static_cast<std::uint32_t>(background) <= 15) {
    state.background = background;
  }
  const std::uint16_t attribute = screen_attribute();
  platform::Platform& console = runtime_platform();
  console.set_console_text_attribute(state.output_handle, attribute);

  if (fill_count < 1) {
    return;
  }
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return;
  }
  // The limit is the visible window's area, not the buffer's.
  const ScreenSize window = screen_window_of(*info);
  const std::int64_t window_cells = std::int64_t{window.columns} * window.rows;
  if (fill_count > window_cells) {
    return;
  }
  std::uint32_t written = 0;
  console.fill_console_output_attribute(state.output_handle, attribute,
                                        static_cast<std::uint32_t>(fill_count),
                                        info->cursor_position, written);
}

void screen_clear() {
  screen_cursor_suspend();
  if (const std::optional<ScreenBufferInfo> info = screen_output_info()) {
    RuntimeState& state = runtime_state();
    platform::Platform& console = runtime_platform();
    const auto cells =
        static_cast<std::uint32_t>(info->size.x) * static_cast<std::uint32_t>(info->size.y);
    std::uint32_t written = 0;
    console.fill_console_output_character(state.output_handle, ' ', cells, screen_coord(0, 0),
                                          written);
    console.fill_console_output_attribute(state.output_handle, screen_attribute(), cells,
                                          screen_coord(0, 0), written);
  }
  screen_home();
  screen_cursor_restore();
}

std::int32_t screen_cursor_row() {
  return screen_cursor_position().row + 1;
}

std::int32_t screen_cursor_column() {
  return screen_cursor_position().column + 1;
}

ScreenSize screen_buffer_size() {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return {};
  }
  return ScreenSize{info->size.x, info->size.y};
}

ScreenSize screen_window_size() {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return {};
  }
  return screen_window_of(*info);
}

ScreenPosition screen_cursor_position() {
  const std::optional<ScreenBufferInfo> info = screen_output_info();
  if (!info) {
    return {};
  }
  return ScreenPosition{info->cursor_position.x, info->cursor_position.y};
}

void screen_cursor_apply() {
  if (!pages_match()) {
    return;
  }
  const RuntimeState& state = runtime_state();
  runtime_platform().set_console_cursor_info(state.output_handle, state.cursor_info);
}

void screen_cursor_suspend() {
  if (pages_match() && runtime_state().cursor_info.visible != 0) {
    show_cursor_for_now(0);
  }
}

void screen_cursor_force_visible() {
  if (pages_match() && runtime_state().cursor_info.visible == 0) {
    show_cursor_for_now(1);
  }
}

void screen_cursor_restore() {
  if (!pages_match()) {
    return;
  }
  RuntimeState& state = runtime_state();
  if (state.cursor_restore_pending == 0) {
    return;
  }
  screen_cursor_apply();
  state.cursor_restore_pending = 0;
}
