// Screen output over the memory console, checked cell by cell with
// attributes and the cursor.
#include <climits>
#include <string>

#include "runtime/screen.h"
#include "tests/support/runtime_test.h"

namespace {

using platform::MemoryConsole;

void print(std::u16string_view text) {
  screen_print(StringValue(make_string16(text)));
}

// Marks every row with its own number so that a scroll shows as a shift.
void label_rows(MemoryConsole& console) {
  for (int row = 0; row < console.size().y; ++row) {
    console.write_text(0, row, u"row" + std::u16string(1, static_cast<char16_t>(u'A' + row)), 7);
  }
}

char16_t label_of(int row) {
  return static_cast<char16_t>(u'A' + row);
}

class ScreenTest : public RuntimeTest {};

class TallBufferTest : public RuntimeTest {
protected:
  TallBufferTest() : RuntimeTest(tall()) {}
  static MemoryConsole::Config tall() {
    MemoryConsole::Config config;
    config.rows = 50;
    config.window = platform::SmallRect{0, 0, 79, 24};
    return config;
  }
};

TEST_F(ScreenTest, TextRunningIntoTheRightEdgeEndsAtColumnOneOfTheNextRow) {
  screen_locate(5, 78);
  print(u"abc");
  EXPECT_EQ(console.row_text(4).substr(77), u"abc");
  EXPECT_EQ(console.cell(79, 4).attributes, 7);
  EXPECT_EQ(console.cursor().x, 0);
  EXPECT_EQ(console.cursor().y, 5);
  EXPECT_EQ(state().pending_scroll, 0);
}

TEST_F(ScreenTest, LongTextWrapsRowByRowWithOneWritePerRowSegment) {
  screen_set_color(14, 1, 0);
  screen_locate(2, 1);
  const std::size_t writes_before = console.count_calls("WriteConsoleOutputW");
  std::u16string text;
  for (int i = 0; i < 200; ++i) {
    text += static_cast<char16_t>(u'a' + i % 26);
  }
  print(text);
  EXPECT_EQ(console.count_calls("WriteConsoleOutputW") - writes_before, 3U);
  EXPECT_EQ(console.row_text(1), text.substr(0, 80));
  EXPECT_EQ(console.row_text(2), text.substr(80, 80));
  EXPECT_EQ(console.row_text(3).substr(0, 40), text.substr(160));
  EXPECT_EQ(console.cell(40, 3).character, u' ');
  EXPECT_EQ(console.cell(39, 3).attributes, 0x1E);
  EXPECT_EQ(console.cell(40, 3).attributes, 7); // untouched
  EXPECT_EQ(console.cursor().x, 40);
  EXPECT_EQ(console.cursor().y, 3);
}

TEST_F(ScreenTest, ControlCharactersLandInCellsAndEndNoLine) {
  screen_locate(3, 1);
  const std::u16string text{u'a', u'\r', u'\n', u'\t', u'\0', u'\x07', u'b'};
  print(text);
  EXPECT_EQ(console.row_text(2).substr(0, text.size()), text);
  EXPECT_EQ(console.cursor().x, static_cast<int>(text.size()));
  EXPECT_EQ(console.cursor().y, 2);
}

TEST_F(ScreenTest, EmptyPrintChangesNothingEvenWithAScrollDeferred) {
  label_rows(console);
  screen_locate(25, 1);
  print(std::u16string(80, u'x'));
  ASSERT_NE(state().pending_scroll, 0);
  const std::size_t calls_before = console.calls().size();
  print(u"");
  screen_print(StringValue());
  EXPECT_EQ(console.calls().size(), calls_before);
  EXPECT_NE(state().pending_scroll, 0);
  EXPECT_EQ(console.cell(3, 0).character, label_of(0));
}

TEST_F(ScreenTest, PrintReleasesATemporaryButNotABorrowedText) {
  RuntimeString kept = make_string16(u"kept");
  const std::size_t live = console.live_strings();
  screen_print(StringValue(kept));
  EXPECT_EQ(console.live_strings(), live);
  EXPECT_EQ(text16(StringValue(kept)), u"kept");
  screen_print(StringValue(make_string16(u"temp")));
  EXPECT_EQ(console.live_strings(), live);
  EXPECT_EQ(console.row_text(0).substr(0, 8), u"kepttemp");
}

// A text that fills the last row exactly defers its scroll; what follows
// decides how far the screen moves.
TEST_F(ScreenTest, DeferredScrollOnTheLastRow) {
  struct Case {
    const char* name;
    void (*follow)();
    int rows_scrolled;
    platform::Coord cursor;
  };
  const Case cases[] = {
      {"print", [] { print(u"yz"); }, 1, {2, 24}},
      {"newline", [] { screen_newline(); }, 2, {0, 24}},
      {"locate", [] { screen_locate(10, 5); }, 0, {4, 9}},
      {"home", [] { screen_home(); }, 0, {0, 0}},
      {"clear", [] { screen_clear(); }, 0, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state().pending_scroll = 0;
    label_rows(console);
    screen_locate(25, 1);
    print(std::u16string(80, u'x'));
    // Nothing has scrolled yet; the cursor waits at column 1 of the last row.
    EXPECT_EQ(console.cell(3, 0).character, label_of(0));
    EXPECT_EQ(console.cursor().x, 0);
    EXPECT_EQ(console.cursor().y, 24);
    EXPECT_EQ(screen_cursor_row(), 25);
    EXPECT_EQ(screen_cursor_column(), 1);
    ASSERT_NE(state().pending_scroll, 0);

    c.follow();
    EXPECT_EQ(state().pending_scroll, 0);
    EXPECT_EQ(console.cursor().x, c.cursor.x);
    EXPECT_EQ(console.cursor().y, c.cursor.y);
    if (std::string(c.name) == "clear") {
      continue;
    }
    EXPECT_EQ(console.cell(3, 0).character, label_of(c.rows_scrolled));
    EXPECT_EQ(console.row_text(24 - c.rows_scrolled), std::u16string(80, u'x'));
  }
}

TEST_F(ScreenTest, PrintAfterDeferredScrollWritesOnTheFreshLastRow) {
  screen_locate(25, 1);
  print(std::u16string(80, u'x'));
  screen_set_color(10, 4, 0);
  print(u"yz");
  EXPECT_EQ(console.row_text(24), u"yz" + std::u16string(78, u' '));
  EXPECT_EQ(console.cell(0, 24).attributes, 0x4A);
  EXPECT_EQ(console.cell(2, 24).attributes, 0x4A); // the scroll's fill
  EXPECT_EQ(console.count_calls("ScrollConsoleScreenBufferW"), 1U);
}

TEST_F(ScreenTest, TextRunningPastTheBottomScrollsOnceForEachFurtherRow) {
  label_rows(console);
  screen_locate(24, 41);
  print(std::u16string(40 + 80 + 80 + 5, u'q'));
  // Rows 24 and 25 took the first 120 units; two more rows needed two scrolls.
  EXPECT_EQ(console.cell(3, 0).character, label_of(2));
  EXPECT_EQ(console.row_text(23), std::u16string(80, u'q'));
  EXPECT_EQ(console.row_text(24).substr(0, 6), u"qqqqq ");
  EXPECT_EQ(console.cursor().x, 5);
  EXPECT_EQ(console.cursor().y, 24);
  EXPECT_EQ(state().pending_scroll, 0);
}

TEST_F(ScreenTest, NewlineOnTheLastRowScrollsOneRowBlankInTheCurrentColours) {
  label_rows(console);
  screen_set_color(15, 2, 0);
  screen_locate(25, 10);
  screen_newline();
  EXPECT_EQ(console.cell(3, 0).character, label_of(1));
  EXPECT_EQ(console.cell(3, 23).character, label_of(24));
  EXPECT_EQ(console.row_text(24), std::u16string(80, u' '));
  EXPECT_EQ(console.cell(79, 24).attributes, 0x2F);
  EXPECT_EQ(console.cursor().x, 0);
  EXPECT_EQ(console.cursor().y, 24);
}

TEST_F(ScreenTest, NewlineMovesToColumnOneOfTheNextRow) {
  screen_locate(10, 33);
  screen_newline();
  EXPECT_EQ(screen_cursor_row(), 11);
  EXPECT_EQ(screen_cursor_column(), 1);
}

TEST_F(TallBufferTest, RowsCountInTheBufferNotTheWindow) {
  screen_locate(40, 7);
  EXPECT_EQ(screen_cursor_row(), 40);
  screen_newline();
  EXPECT_EQ(screen_cursor_row(), 41);
  EXPECT_EQ(screen_buffer_size().rows, 50);
  EXPECT_EQ(screen_window_size().rows, 25);
  EXPECT_EQ(screen_window_size().columns, 80);
}

TEST_F(ScreenTest, LocateTestsEachCoordinateOnItsOwn) {
  struct Case {
    std::int32_t row;
    std::int32_t column;
    int expected_x;
    int expected_y;
  };
  // The cursor starts every case at row 5, column 10.
  const Case cases[] = {
      {0, 24, 23, 4},       {12, 0, 9, 11}, {26, 81, 9, 4}, {25, 80, 79, 24},
      {1, 1, 0, 0},         {-1, 3, 2, 4},  {7, -80, 9, 6}, {INT_MIN, INT_MAX, 9, 4},
      {65536 + 3, 2, 1, 4}, {26, 1, 0, 4},  {3, 81, 9, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "locate(" << c.row << ", " << c.column << ")");
    screen_locate(5, 10);
    state().pending_scroll = 0xFF;
    screen_locate(c.row, c.column);
    EXPECT_EQ(console.cursor().x, c.expected_x);
    EXPECT_EQ(console.cursor().y, c.expected_y);
    EXPECT_EQ(state().pending_scroll, 0);
  }
}

TEST_F(ScreenTest, SetColorKeepsComponentsOutOfRangeAndAlwaysSetsTheAttribute) {
  struct Case {
    std::int32_t foreground;
    std::int32_t background;
    std::uint16_t expected;
  };
  // Each case starts from 7 on 0.
  const Case cases[] = {
      {16, 3, 0x37},  {-1, -1, 0x07},     {0, 15, 0xF0},      {15, 16, 0x0F},
      {12, -5, 0x0C}, {INT_MIN, 2, 0x27}, {5, INT_MAX, 0x05},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.foreground << " on " << c.background);
    state().foreground = 7;
    state().background = 0;
    const std::size_t before = console.count_calls("SetConsoleTextAttribute");
    screen_set_color(c.foreground, c.background, 0);
    EXPECT_EQ(console.count_calls("SetConsoleTextAttribute"), before + 1);
    EXPECT_EQ(console.text_attribute(), c.expected);
    EXPECT_EQ(state().foreground, c.expected & 0xF);
    EXPECT_EQ(state().background, c.expected >> 4);
  }
}

TEST_F(ScreenTest, SetColorLeavesADeferredScrollAlone) {
  screen_locate(25, 1);
  print(std::u16string(80, u'x'));
  screen_set_color(1, 2, 5);
  EXPECT_NE(state().pending_scroll, 0);
}

TEST_F(TallBufferTest, FillCountRecoloursFromTheCursorUpToTheWindowsArea) {
  struct Case {
    std::int32_t fill;
    int recoloured; // cells from the cursor on
  };
  // The window is 80 x 25 = 2000 cells; the buffer 80 x 50.
  const Case cases[] = {
      {31, 31}, {1, 1}, {0, 0}, {-1, 0}, {INT_MIN, 0}, {81, 81}, {2000, 2000}, {2001, 0}, {4000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "fill " << c.fill);
    for (int row = 0; row < 50; ++row) {
      console.write_text(0, row, std::u16string(80, u'.'), 7);
    }
    state().foreground = 7;
    state().background = 0;
    screen_locate(3, 1);
    screen_set_color(0, 7, c.fill);
    int recoloured = 0;
    for (int i = 0; i < 80 * 48; ++i) {
      const platform::CharInfo cell = console.cell(i % 80, 2 + i / 80);
      EXPECT_EQ(cell.character, u'.');
      if (cell.attributes == 0x70) {
        ++recoloured;
      }
    }
    EXPECT_EQ(recoloured, c.recoloured);
    if (c.recoloured > 0) {
      EXPECT_EQ(console.cell((c.recoloured - 1) % 80, 2 + (c.recoloured - 1) / 80).attributes,
                0x70);
    }
    EXPECT_EQ(console.cell(79, 1).attributes, 7); // nothing before the cursor
    EXPECT_EQ(console.cursor().x, 0);
    EXPECT_EQ(console.cursor().y, 2);
  }
}

TEST_F(TallBufferTest, ClearBlanksEveryRowOfTheBufferInTheCurrentColours) {
  for (int row = 0; row < 50; ++row) {
    console.write_text(0, row, std::u16string(80, u'#'), 0x4E);
  }
  screen_set_color(2, 1, 0);
  console.set_console_text_attribute(MemoryConsole::kStdOutput, 0x5D);
  screen_locate(40, 30);
  screen_clear();
  for (int row = 0; row < 50; ++row) {
    EXPECT_EQ(console.row_text(row), std::u16string(80, u' ')) << "row " << row;
    EXPECT_EQ(console.cell(0, row).attributes, 0x12) << "row " << row;
    EXPECT_EQ(console.cell(79, row).attributes, 0x12) << "row " << row;
  }
  EXPECT_EQ(console.cursor().x, 0);
  EXPECT_EQ(console.cursor().y, 0);
  EXPECT_EQ(console.text_attribute(), 0x5D);
  EXPECT_EQ(state().foreground, 2);
  EXPECT_EQ(state().background, 1);
}

// The calls from the first fill on, with SetConsoleCursorInfo marked.
std::vector<std::string> cursor_calls_around_clear(const MemoryConsole& console, std::size_t from) {
  std::vector<std::string> seen;
  for (std::size_t i = from; i < console.calls().size(); ++i) {
    const std::string& call = console.calls()[i];
    if (call == "SetConsoleCursorInfo" || call.rfind("FillConsoleOutput", 0) == 0) {
      seen.push_back(call);
    }
  }
  return seen;
}

TEST_F(ScreenTest, ClearHidesAVisibleCursorMeanwhileAndShowsItAgain) {
  ASSERT_NE(state().cursor_info.visible, 0);
  const std::size_t from = console.calls().size();
  screen_clear();
  EXPECT_EQ(cursor_calls_around_clear(console, from),
            (std::vector<std::string>{"SetConsoleCursorInfo", "FillConsoleOutputCharacterA",
                                      "FillConsoleOutputAttribute", "SetConsoleCursorInfo"}));
  EXPECT_NE(console.cursor_info().visible, 0);
  EXPECT_NE(state().cursor_info.visible, 0);
  EXPECT_EQ(state().cursor_restore_pending, 0U);
}

TEST_F(ScreenTest, ClearLeavesAHiddenCursorHidden) {
  state().cursor_info.visible = 0;
  screen_cursor_apply();
  const std::size_t from = console.calls().size();
  screen_clear();
  EXPECT_EQ(
      cursor_calls_around_clear(console, from),
      (std::vector<std::string>{"FillConsoleOutputCharacterA", "FillConsoleOutputAttribute"}));
  EXPECT_EQ(console.cursor_info().visible, 0);
  EXPECT_EQ(state().cursor_info.visible, 0);
}

TEST_F(ScreenTest, CursorVisibilityDoesNothingWhileAnotherPageIsShown) {
  state().active_page = 2;
  const std::size_t before = console.count_calls("SetConsoleCursorInfo");
  screen_cursor_suspend();
  screen_cursor_apply();
  state().cursor_info.visible = 0;
  screen_cursor_force_visible();
  state().cursor_restore_pending = 1;
  screen_cursor_restore();
  EXPECT_EQ(console.count_calls("SetConsoleCursorInfo"), before);
  EXPECT_EQ(state().cursor_restore_pending, 1U);
}

TEST_F(ScreenTest, ForceVisibleShowsAHiddenCursorUntilRestored) {
  state().cursor_info = platform::CursorInfo{40, 0};
  screen_cursor_apply();
  screen_cursor_force_visible();
  EXPECT_NE(console.cursor_info().visible, 0);
  EXPECT_EQ(console.cursor_info().size, 40U);
  EXPECT_EQ(state().cursor_info.visible, 0); // the program's choice is kept
  screen_cursor_restore();
  EXPECT_EQ(console.cursor_info().visible, 0);
  EXPECT_EQ(state().cursor_restore_pending, 0U);
}

class WideBufferTest : public RuntimeTest {
protected:
  WideBufferTest() : RuntimeTest(wide()) {}
  static MemoryConsole::Config wide() {
    MemoryConsole::Config config;
    config.columns = 600;
    config.rows = 4;
    return config;
  }
};

TEST_F(WideBufferTest, ARowWiderThanTheRunBufferTakesMoreThanOneWrite) {
  std::u16string text;
  for (int i = 0; i < 600 + 10; ++i) {
    text += static_cast<char16_t>(u'A' + i % 23);
  }
  const std::size_t before = console.count_calls("WriteConsoleOutputW");
  print(text);
  // 255 + 255 + 90 on the first row, 10 on the second.
  EXPECT_EQ(console.count_calls("WriteConsoleOutputW") - before, 4U);
  EXPECT_EQ(console.row_text(0), text.substr(0, 600));
  EXPECT_EQ(console.row_text(1).substr(0, 11), text.substr(600) + u" ");
  EXPECT_EQ(console.cursor().x, 10);
  EXPECT_EQ(console.cursor().y, 1);
}

// Standard output and standard error both redirected away from the console:
// every operation must come back at once without touching anything.
class NoConsoleTest : public RuntimeTest {
protected:
  NoConsoleTest() : RuntimeTest(no_console()) {}
  static MemoryConsole::Config no_console() {
    MemoryConsole::Config config;
    config.stdout_is_console = false;
    config.stderr_is_console = false;
    return config;
  }
};

TEST_F(NoConsoleTest, OperationsDoNothingWhenOutputIsNotAConsole) {
  print(std::u16string(500, u'z'));
  screen_newline();
  screen_locate(3, 3);
  screen_set_color(1, 2, 31);
  screen_clear();
  screen_scroll_up();
  EXPECT_EQ(console.count_calls("WriteConsoleOutputW"), 0U);
  EXPECT_EQ(console.count_calls("ScrollConsoleScreenBufferW"), 0U);
  EXPECT_EQ(console.count_calls("FillConsoleOutputAttribute"), 0U);
  EXPECT_EQ(console.row_text(0), std::u16string(80, u' '));
  EXPECT_EQ(screen_buffer_size().columns, 0);
  EXPECT_EQ(screen_cursor_row(), 1);
  EXPECT_EQ(screen_cursor_column(), 1);
  EXPECT_EQ(state().pending_scroll, 0);
  EXPECT_EQ(state().foreground, 1); // the colour itself still changes
}

TEST_F(NoConsoleTest, NewlineAndClearStillEndADeferredScroll) {
  // The screen buffer may stop answering after a write filled its last row.
  for (void (*operation)() : {&screen_newline, &screen_clear}) {
    state().pending_scroll = 0xFF;
    operation();
    EXPECT_EQ(state().pending_scroll, 0);
  }
}

} // namespace
