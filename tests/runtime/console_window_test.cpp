// The console window and the buffer behind it, over the memory console.
#include <climits>
#include <string>

#include "runtime/console_window.h"
#include "runtime/errors.h"
#include "runtime/screen.h"
#include "tests/support/runtime_test.h"

namespace {

using platform::CharInfo;
using platform::MemoryConsole;

class ConsoleWindowTest : public RuntimeTest {
protected:
  ConsoleWindowTest() = default;
  explicit ConsoleWindowTest(MemoryConsole::Config config) : RuntimeTest(std::move(config)) {}
};

class TallScreenTest : public ConsoleWindowTest {
protected:
  TallScreenTest() : ConsoleWindowTest(tall()) {}
  static MemoryConsole::Config tall() {
    MemoryConsole::Config config;
    config.rows = 50;
    config.window = platform::SmallRect{0, 0, 79, 24};
    return config;
  }
};

TEST_F(ConsoleWindowTest, ConsoleTitle) {
  screen_set_title(StringValue(make_string16(u"Colours")));
  EXPECT_EQ(console.title(), u"Colours");
  EXPECT_EQ(text16(screen_title()), u"Colours");
  screen_set_title(StringValue());
  EXPECT_EQ(console.title(), u"");
  EXPECT_EQ(text16(screen_title()), u"");

  const std::u16string long_title(300, u'T');
  screen_set_title(StringValue(make_string16(long_title)));
  EXPECT_EQ(text16(screen_title()), long_title.substr(0, kTitleReadUnits));
  EXPECT_EQ(error(), 0);
  console.failures().string_allocs_left = 0;
  EXPECT_EQ(text16(screen_title()), u"");
  EXPECT_EQ(error(), 7);
}

TEST_F(TallScreenTest, Queries) {
  screen_set_window_origin(40, 1);
  EXPECT_EQ(screen_buffer_columns(), 80);
  EXPECT_EQ(screen_buffer_rows(), 50);
  EXPECT_EQ(screen_window_columns(), 80);
  EXPECT_EQ(screen_window_rows(), 25);
  EXPECT_EQ(screen_window_top(), 26); // kept inside the buffer
  EXPECT_EQ(screen_window_left(), 1);
  screen_set_window_origin(10, 5);
  EXPECT_EQ(screen_window_top(), 10);
  EXPECT_EQ(screen_window_left(), 1);
  screen_set_window_origin(-3, -3);
  EXPECT_EQ(screen_window_top(), 1);
  state().stdin_is_console = 1;
  state().stdout_is_console = 0;
  EXPECT_TRUE(screen_stdin_is_console());
  EXPECT_FALSE(screen_stdout_is_console());
}

TEST_F(TallScreenTest, BufferSizeBelowTheWindowIsRefused) {
  const std::pair<std::int32_t, std::int32_t> refused[] = {
      {79, 50}, {80, 24}, {0, 30}, {100, -1}, {70000, 30},
  };
  for (const auto& [columns, rows] : refused) {
    SCOPED_TRACE(testing::Message() << columns << " x " << rows);
    runtime_clear_error();
    screen_set_buffer_size(columns, rows);
    EXPECT_EQ(error(), 5);
  }
  EXPECT_EQ(console.count_calls("SetConsoleScreenBufferSize"), 0U);
  EXPECT_EQ(console.size().x, 80);
  EXPECT_EQ(console.size().y, 50);
}

TEST_F(TallScreenTest, BufferSizeChangeClearsAndKeepsTheWindowWhereItWas) {
  console.write_text(0, 3, u"old text", 0x4F);
  screen_set_color(14, 1, 0);
  screen_locate(30, 30);
  const platform::WindowRect before = [this] {
    platform::WindowRect rect;
    console.get_window_rect(MemoryConsole::kWindow, rect);
    return rect;
  }();
  screen_set_buffer_size(120, 25);
  EXPECT_EQ(error(), 0);
  EXPECT_EQ(console.size().x, 120);
  EXPECT_EQ(console.size().y, 25);
  EXPECT_EQ(console.row_text(3), std::u16string(120, u' '));
  EXPECT_EQ(console.cell(119, 24).attributes, 0x1E);
  EXPECT_EQ(console.cursor().x, 0);
  EXPECT_EQ(console.cursor().y, 0);
  EXPECT_EQ(console.count_calls("LockWindowUpdate"), 2U);
  const WindowPlacement after = screen_window_placement();
  EXPECT_EQ(after.x, before.left);
  EXPECT_EQ(after.y, before.top);
  EXPECT_EQ(after.width, before.right - before.left);
  EXPECT_EQ(after.height, before.bottom - before.top);
}

TEST_F(ConsoleWindowTest, ScreenSizeChangeSetsBufferAndWindow) {
  struct Case {
    std::int32_t columns;
    std::int32_t rows;
  };
  const Case cases[] = {{60, 20}, {100, 40}, {90, 10}, {80, 25}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.columns << " x " << c.rows);
    screen_set_size(c.columns, c.rows);
    EXPECT_EQ(error(), 0);
    EXPECT_EQ(console.size().x, c.columns);
    EXPECT_EQ(console.size().y, c.rows);
    EXPECT_EQ(screen_window_columns(), c.columns);
    EXPECT_EQ(screen_window_rows(), c.rows);
  }
  screen_set_size(0, 10);
  EXPECT_EQ(error(), 5);
  EXPECT_EQ(console.size().x, 80);
}

TEST_F(ConsoleWindowTest, ConsoleWindow) {
  screen_move_window(10, 20, 300, 200);
  const WindowPlacement placement = screen_window_placement();
  EXPECT_EQ(placement.x, 10);
  EXPECT_EQ(placement.y, 20);
  EXPECT_EQ(placement.width, 300);
  EXPECT_EQ(placement.height, 200);
  const std::uint64_t clock = console.clock_ms();
  screen_bring_to_front();
  EXPECT_EQ(console.clock_ms() - clock, kForegroundPauseMs);
  EXPECT_EQ(console.count_calls("SetForegroundWindow"), 1U);
}

} // namespace
