// The runtime's text screen: every character goes straight into a cell of
// the console screen buffer at the cursor, in the current colour. Rows and
// columns that callers see are 1-based; sizes and the cursor are asked of the
// console at every use and never kept.
#pragma once

#include <cstdint>

#include "runtime/screen_types.h"
#include "runtime/string.h"

inline constexpr int kRunBufferCells = 256;
inline constexpr int kMaxSegmentCells = 255;

// Operations the programs call.
void screen_print(StringValue text);
void screen_newline();
void screen_set_color(std::int32_t foreground, std::int32_t background, std::int32_t fill_count);
void screen_clear();
void screen_locate(std::int32_t row, std::int32_t column);
std::int32_t screen_cursor_row();
std::int32_t screen_cursor_column();

// Operations the rest of the runtime calls.
void screen_write_cells(const char16_t* text, std::int32_t count);
void screen_scroll_up();
void screen_home();

ScreenSize screen_buffer_size();
ScreenSize screen_window_size();
ScreenPosition screen_cursor_position();

void screen_cursor_apply();
void screen_cursor_suspend();
void screen_cursor_force_visible();
void screen_cursor_restore();
