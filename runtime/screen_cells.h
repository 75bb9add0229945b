// The screen's cells beyond printing text: print spacing, reading a cell,
// scrolling a rectangle, and the cursor's shape. Rows and columns are
// 1-based, as in screen.h.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kSpaceRunCells = 8;
inline constexpr std::int32_t kPrintZoneColumns = 14;
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

// Cursor shape: 0 hides the cursor, a negative value shows it, a positive
// value sets its size (10..99) and shows it.
void screen_set_cursor(std::int32_t value);
// The size, or 0 while the cursor is hidden.
std::int32_t screen_cursor_size();
