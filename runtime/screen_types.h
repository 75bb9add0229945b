// Sizes and positions on the text screen, shared by the screen operations
// and what they are built on.
#pragma once

#include <cstdint>

struct ScreenSize {
  std::int32_t columns = 0;
  std::int32_t rows = 0;
};
struct ScreenPosition {
  std::int32_t column = 0; // 0-based
  std::int32_t row = 0;    // 0-based
};
