// Found by fuzzing the screen operations: screen_set_window_origin took one
// from a row or column of -2147483648, which overflows; a window asked to
// go that far left or up belongs at the buffer's left or top edge.
#include <cstdint>
#include <limits>

#include "runtime/console_window.h"
#include "tests/support/runtime_test.h"

namespace {

platform::MemoryConsole::Config window_inside_buffer() {
  platform::MemoryConsole::Config config;
  config.columns = 40;
  config.rows = 20;
  config.window = platform::SmallRect{10, 5, 29, 14}; // 20 x 10 cells
  return config;
}

class WindowOriginExtremes : public RuntimeTest {
protected:
  WindowOriginExtremes() : RuntimeTest(window_inside_buffer()) {}
};

TEST_F(WindowOriginExtremes, FarthestArgumentsKeepTheWindowAtTheEdges) {
  constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();
  struct Case {
    std::int32_t row;
    std::int32_t column;
    std::int16_t left;
    std::int16_t top;
  };
  const Case cases[] = {
      {1, kLowest, 0, 0},           {kLowest, 1, 0, 0},         {kLowest, kLowest, 0, 0},
      {kHighest, kHighest, 20, 10}, {kLowest, kHighest, 20, 0},
  };
  for (const Case& c : cases) {
    screen_set_window_origin(c.row, c.column);
    EXPECT_EQ(console.window().left, c.left) << c.row << ", " << c.column;
    EXPECT_EQ(console.window().top, c.top) << c.row << ", " << c.column;
    EXPECT_EQ(console.window().right - console.window().left, 19);
    EXPECT_EQ(console.window().bottom - console.window().top, 9);
  }
}

} // namespace
