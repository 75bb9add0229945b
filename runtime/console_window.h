// The console window and the buffer behind it: the title, the buffer's and
// the window's size, the window's place on the desktop and over the buffer,
// and what a program may ask about them. Rows and columns are 1-based, as in
// screen.h.
#pragma once

#include <cstdint>

#include "runtime/string.h"

inline constexpr std::uint32_t kTitleReadUnits = 128;
inline constexpr int kWindowSetAttempts = 10;
inline constexpr std::uint32_t kForegroundPauseMs = 100;
inline constexpr std::uint32_t kNonNtConsolePauseMs = 250;

// The console title.
void screen_set_title(StringValue title);
// At most 128 units, as a new string; error 7 when it cannot be allocated.
StringValue screen_title();

// Screen size. Both clear every page and put the cursor at row 1, column 1;
// a size the console refuses raises run-time error 5.
// The buffer alone; it may not be smaller than the visible window.
void screen_set_buffer_size(std::int32_t columns, std::int32_t rows);
// Buffer and visible window together.
void screen_set_size(std::int32_t columns, std::int32_t rows);

// The console window in pixels: position and outer size.
struct WindowPlacement {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};
WindowPlacement screen_window_placement();
void screen_move_window(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
// Brings the console window to the foreground after a short pause.
void screen_bring_to_front();
// Moves the visible window over the buffer so that its top-left cell is
// (row, column), kept inside the buffer.
void screen_set_window_origin(std::int32_t row, std::int32_t column);

// Queries.
std::int32_t screen_buffer_columns();
std::int32_t screen_buffer_rows();
std::int32_t screen_window_columns();
std::int32_t screen_window_rows();
std::int32_t screen_window_top();  // 1-based buffer row of the window's top
std::int32_t screen_window_left(); // 1-based buffer column of the window's left
bool screen_stdin_is_console();
bool screen_stdout_is_console();
