// The screen's cells beyond printing text, over the memory console.
#include <climits>
#include <string>

#include "runtime/errors.h"
#include "runtime/screen.h"
#include "runtime/screen_cells.h"
#include "tests/support/runtime_test.h"

namespace {

using platform::CharInfo;
using platform::MemoryConsole;

class ScreenCellsTest : public RuntimeTest {
protected:
  ScreenCellsTest() = default;
  explicit ScreenCellsTest(MemoryConsole::Config config) : RuntimeTest(std::move(config)) {}
};

TEST_F(ScreenCellsTest, SpacesAreWrittenInRunsOfEight) {
  screen_set_color(1, 6, 0);
  console.write_text(0, 0, std::u16string(30, u'#'), 7);
  const std::size_t before = console.count_calls("WriteConsoleOutputW");
  screen_spaces(20);
  EXPECT_EQ(console.count_calls("WriteConsoleOutputW") - before, 3U);
  EXPECT_EQ(console.row_text(0).substr(0, 22), std::u16string(20, u' ') + u"##");
  EXPECT_EQ(console.cell(19, 0).attributes, 0x61);
  EXPECT_EQ(console.cursor().x, 20);
  screen_spaces(0);
  screen_spaces(-4);
  screen_spaces(INT_MIN);
  EXPECT_EQ(console.count_calls("WriteConsoleOutputW") - before, 3U);
}

TEST_F(ScreenCellsTest, TabToColumn) {
  struct Case {
    std::int32_t from_column;
    std::int32_t tab;
    int column; // 1-based, afterwards
    int rows_down;
  };
  // Past the right edge the spaces run on over the next row: from column 3,
  // column 90 of an 80-column row is column 10 of the row below.
  const Case cases[] = {
      {5, 10, 10, 0}, {10, 10, 10, 0}, {12, 10, 10, 1}, {80, 1, 1, 1},
      {3, 0, 3, 0},   {3, -7, 3, 0},   {3, 90, 10, 1},  {1, 81, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.from_column << " tab " << c.tab);
    console.write_text(0, 4, std::u16string(80, u'.'), 7);
    console.write_text(0, 5, std::u16string(80, u'.'), 7);
    screen_locate(5, c.from_column);
    screen_tab_to_column(c.tab);
    EXPECT_EQ(console.cursor().x + 1, c.column);
    EXPECT_EQ(console.cursor().y, 4 + c.rows_down);
    if (c.tab > c.from_column) {
      const std::u16string rows = console.row_text(4) + console.row_text(5);
      EXPECT_EQ(rows.substr(c.from_column - 1, c.tab - c.from_column + 1),
                std::u16string(c.tab - c.from_column, u' ') + u".");
    }
  }
}

TEST_F(ScreenCellsTest, NextZoneIsFourteenColumnsOn) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {1, 15}, {2, 15}, {14, 15}, {15, 29}, {28, 29}, {29, 43}, {60, 71},
  };
  for (const auto& [from, to] : cases) {
    SCOPED_TRACE(testing::Message() << "from " << from);
    screen_locate(3, from);
    screen_next_zone();
    EXPECT_EQ(console.cursor().x + 1, to);
    EXPECT_EQ(console.cursor().y, 2);
  }
}

TEST_F(ScreenCellsTest, ReadingCells) {
  console.write_text(4, 2, u"Hi", 0x1E);
  screen_set_color(3, 5, 0);
  EXPECT_EQ(screen_read_character(3, 5), u'H');
  EXPECT_EQ(screen_read_character(3, 6), u'i');
  EXPECT_EQ(screen_read_attribute(3, 6), 0x1E);
  EXPECT_EQ(screen_read_attribute(3, 7), 0x07);
  EXPECT_EQ(screen_read_attribute(0, 999), 0x53); // row 0: the current attribute
  EXPECT_EQ(screen_read_character(0, 1), 0);
  EXPECT_EQ(screen_read_character(26, 1), 0);
  EXPECT_EQ(screen_read_character(1, 81), 0);
  EXPECT_EQ(screen_read_attribute(-1, 1), 0);
  EXPECT_EQ(console.cursor().x, 0); // reading moves nothing
}

// A 6 x 6 grid of distinct cells in the top-left corner of the buffer.
char16_t grid_cell(int column, int row) {
  return static_cast<char16_t>(u'A' + row * 6 + column);
}

TEST_F(ScreenCellsTest, ScrollingARectangle) {
  struct Case {
    const char* name;
    std::int32_t top, left, bottom, right, count;
    ScrollDirection direction;
    int dx, dy; // where a cell's content goes
  };
  // The rectangle is rows 2..4, columns 2..5 (1-based) in every case but the
  // last, whose corners come in the other order.
  const Case cases[] = {
      {"up", 2, 2, 4, 5, 1, ScrollDirection::up, 0, -1},
      {"down", 2, 2, 4, 5, 2, ScrollDirection::down, 0, 2},
      {"left", 2, 2, 4, 5, 1, ScrollDirection::left, -1, 0},
      {"right", 2, 2, 4, 5, 3, ScrollDirection::right, 3, 0},
      {"up by more than the height", 2, 2, 4, 5, 50, ScrollDirection::up, 0, -50},
      {"corners swapped", 4, 5, 2, 2, 1, ScrollDirection::down, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int row = 0; row < 6; ++row) {
      for (int column = 0; column < 6; ++column) {
        console.set_cell(column, row, CharInfo{grid_cell(column, row), 7});
      }
    }
    state().foreground = 0;
    state().background = 2;
    screen_scroll_rect(c.top, c.left, c.bottom, c.right, c.count, c.direction);
    for (int row = 0; row < 6; ++row) {
      for (int column = 0; column < 6; ++column) {
        SCOPED_TRACE(testing::Message() << "cell " << column << "," << row);
        const bool inside = row >= 1 && row <= 3 && column >= 1 && column <= 4;
        const int from_column = column - c.dx;
        const int from_row = row - c.dy;
        const bool from_inside =
            from_row >= 1 && from_row <= 3 && from_column >= 1 && from_column <= 4;
        const CharInfo cell = console.cell(column, row);
        if (!inside) {
          EXPECT_EQ(cell.character, grid_cell(column, row));
        } else if (from_inside) {
          EXPECT_EQ(cell.character, grid_cell(from_column, from_row));
          EXPECT_EQ(cell.attributes, 7);
        } else {
          EXPECT_EQ(cell.character, u' ');
          EXPECT_EQ(cell.attributes, 0x20);
        }
      }
    }
  }
}

TEST_F(ScreenCellsTest, ScrollingIsClippedToTheBuffer) {
  console.write_text(0, 0, u"top", 7);
  console.write_text(0, 24, u"bottom", 7);
  screen_scroll_rect(-5, -5, 999, 999, 1, ScrollDirection::up);
  EXPECT_EQ(console.row_text(23).substr(0, 6), u"bottom");
  EXPECT_EQ(console.row_text(24), std::u16string(80, u' '));
  const std::size_t before = console.count_calls("ScrollConsoleScreenBufferW");
  screen_scroll_rect(30, 1, 40, 80, 1, ScrollDirection::up); // wholly below
  screen_scroll_rect(1, 1, 5, 5, 0, ScrollDirection::up);    // no count
  EXPECT_EQ(console.count_calls("ScrollConsoleScreenBufferW"), before);
}

TEST_F(ScreenCellsTest, CursorShape) {
  struct Case {
    std::int32_t value;
    std::uint32_t size;
    bool visible;
  };
  // Each step starts from what the previous one left.
  const Case steps[] = {
      {0, 25, false},  {-1, 25, true},      {5, 10, true},  {50, 50, true}, {0, 50, false},
      {150, 99, true}, {INT_MIN, 99, true}, {10, 10, true}, {99, 99, true},
  };
  for (const Case& c : steps) {
    SCOPED_TRACE(testing::Message() << "set cursor " << c.value);
    screen_set_cursor(c.value);
    EXPECT_EQ(console.cursor_info().size, c.size);
    EXPECT_EQ(console.cursor_info().visible != 0, c.visible);
    EXPECT_EQ(screen_cursor_size(), c.visible ? static_cast<std::int32_t>(c.size) : 0);
  }
}

} // namespace
