// The rest of the screen family: print spacing, reading the screen,
// scrolling a rectangle, the console title, screen and window size, the
// console window and the cursor shape. Rows and columns are 1-based, as in
// screen.h.
#pragma once

#include <cstdint>

#include "runtime/string.h"

inline constexpr std::int32_t kSpaceRunCells = 8;
inline constexpr std::int32_t kPrintZoneColumns = 14;
inline constexpr std::uint32_t kTitleReadUnits = 128;
inline constexpr int kWindowSetAttempts = 10;
inline constexpr std::uint32_t kForegroundPauseMs = 100;
inline constexpr std::uint32_t kNonNtConsolePauseMs = 250;
inline constexpr std::int32_t kCursorSizeMin = 10;
inline constexpr std::int32_t kCursorSizeMax = 99;

// Print spacing, through screen_write_cells.
// n spaces (none for n below 1).
void screen_spaces(std::int32_t n);
// Spaces up to `column`, after a screen_newline when the cursor already
// stands beyond it; spaces past the right edge wrap onto the next row as any
// text does. Nothing for a column below 1.
void screen_tab_to_column(std::int32_t column);
// Spaces to the start of the next 14-column print zone (a whole zone at a
// zone's first column).
void screen_next_zone();

// Reading the screen: the character or the attribute of one cell; 0 for a
// cell outside the buffer. The attribute of row 0 is the current attribute.
std::int32_t screen_read_character(std::int32_t row, std::int32_t column);
std::int32_t screen_read_attribute(std::int32_t row, std::int32_t column);

// Scrolls the rectangle with corners (top, left) and (bottom, right),
// clipped to the buffer, by `count` cells; uncovered cells become spaces in
// the current attribute.
enum class ScrollDirection : std::uint8_t { up, down, left, right };
void screen_scroll_rect(std::int32_t top, std::int32_t left, std::int32_t bottom,
                        std::int32_t right, std::int32_t count, ScrollDirection direction);

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

// Cursor shape: 0 hides the cursor, a negative value shows it, a positive
// value sets its size (10..99) and shows it.
void screen_set_cursor(std::int32_t value);
// The size, or 0 while the cursor is hidden.
std::int32_t screen_cursor_size();
