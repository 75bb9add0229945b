// What the screen operations share about the console screen buffer: the
// question they ask it at each use, the current attribute and coordinates in
// the console's own shape.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/platform/platform.h"
#include "runtime/screen_types.h"

// The buffer information of `console`, or none when the handle is not a
// console screen buffer (or reports a size no operation can work with).
std::optional<platform::ScreenBufferInfo> screen_buffer_info(platform::Handle console);
// The same for the output handle.
std::optional<platform::ScreenBufferInfo> screen_output_info();

// The current colour as a cell attribute: foreground + 16 x background.
std::uint16_t screen_attribute();

inline platform::Coord screen_coord(std::int32_t x, std::int32_t y) {
  return platform::Coord{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
}

inline platform::SmallRect screen_rect(std::int32_t left, std::int32_t top, std::int32_t right,
                                       std::int32_t bottom) {
  return platform::SmallRect{static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
                             static_cast<std::int16_t>(right), static_cast<std::int16_t>(bottom)};
}

// The visible window's columns and rows.
inline ScreenSize screen_window_of(const platform::ScreenBufferInfo& info) {
  return ScreenSize{info.window.right - info.window.left + 1,
                    info.window.bottom - info.window.top + 1};
}
