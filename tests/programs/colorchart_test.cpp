// colorchart run whole over a memory console of several sizes, its screen
// compared cell by cell with the chart's layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "chart/colorchart.h"
#include "tests/programs/expected_screen.h"
#include "tests/support/runtime_test.h"

namespace {

using platform::MemoryConsole;
using platform::MemoryConsoleStop;

struct Entry {
  std::u16string_view label;
  int foreground;
  int background;
  int fill;
};

// The chart's combinations in output order, odd ones on the left.
constexpr std::array<Entry, 52> kEntries = {{
    {u"black on white", 0, 7, 31},        {u"black on bright white", 0, 15, 0},
    {u"gray on white", 8, 7, 31},         {u"gray on bright white", 8, 15, 0},
    {u"blue on black", 1, 0, 31},         {u"blue on gray", 1, 8, 31},
    {u"blue on white", 1, 7, 31},         {u"blue on bright white", 1, 15, 31},
    {u"light blue on black", 9, 0, 31},   {u"light blue on gray", 9, 8, 31},
    {u"light blue on white", 9, 7, 31},   {u"light blue on bright white", 9, 15, 0},
    {u"green on black", 2, 0, 31},        {u"green on gray", 2, 8, 31},
    {u"green on white", 2, 7, 31},        {u"green on bright white", 2, 15, 31},
    {u"light green on black", 10, 0, 31}, {u"light green on gray", 10, 8, 31},
    {u"light green on white", 10, 7, 31}, {u"light green on bright white", 10, 15, 31},
    {u"cyan on black", 3, 0, 31},         {u"cyan on gray", 3, 8, 31},
    {u"cyan on white", 3, 7, 31},         {u"cyan on bright white", 3, 15, 31},
    {u"light cyan on black", 11, 0, 31},  {u"light cyan on gray", 11, 8, 31},
    {u"light cyan on white", 11, 7, 31},  {u"light cyan on bright white", 11, 15, 31},
    {u"red on black", 4, 0, 31},          {u"red on gray", 4, 8, 31},
    {u"red on white", 4, 7, 31},          {u"red on bright white", 4, 15, 31},
    {u"light red on black", 12, 0, 31},   {u"light red on gray", 12, 8, 31},
    {u"light red on white", 12, 7, 31},   {u"light red on bright white", 12, 15, 31},
    {u"purple on black", 5, 0, 31},       {u"purple on gray", 5, 8, 31},
    {u"purple on white", 5, 7, 31},       {u"purple on bright white", 5, 15, 31},
    {u"magenta on black", 13, 0, 31},     {u"magenta on gray", 13, 8, 31},
    {u"magenta on white", 13, 7, 31},     {u"magenta on bright white", 13, 15, 31},
    {u"brown on black", 6, 0, 31},        {u"brown on gray", 6, 8, 31},
    {u"brown on white", 6, 7, 31},        {u"brown on bright white", 6, 15, 31},
    {u"yellow on black", 14, 0, 31},      {u"yellow on gray", 14, 8, 31},
    {u"yellow on white", 14, 7, 31},      {u"yellow on bright white", 14, 15, 31},
}};

constexpr std::uint16_t kWhiteOnBlack = 0x07;

std::uint16_t attribute_of(const Entry& entry) {
  return static_cast<std::uint16_t>(entry.foreground + 16 * entry.background);
}

// Lays the chart out on a sheet that grows downwards past the screen's last
// row, as the screen buffer's content does when it scrolls: every row that
// scrolls in is blank in the colour current at that moment. The screen is the
// last `rows` rows of the sheet. Positions are 1-based sheet rows.
class ChartSheet {
public:
  explicit ChartSheet(const MemoryConsole& console)
      : columns_(console.size().x), rows_(console.size().y), sheet_(columns_, rows_ + 200),
        created_(rows_), row_(console.cursor().y + 1) {
    const ExpectedScreen before = ExpectedScreen::capture(console);
    for (int row = 1; row <= rows_; ++row) {
      for (int column = 1; column <= columns_; ++column) {
        sheet_.at(row, column) = before.at(row, column);
      }
    }
  }

  // A text in the current colour from the cursor on, and the line's end.
  void line(std::u16string_view text) {
    int row = row_;
    int column = column_;
    for (const char16_t unit : text) {
      reach(row);
      sheet_.at(row, column) = platform::CharInfo{unit, attribute_};
      if (++column > columns_) {
        column = 1;
        ++row;
      }
    }
    row_ = row + 1;
    column_ = 1;
    reach(row_);
  }

  void color(std::uint16_t attribute, int fill) {
    attribute_ = attribute;
    // The fill recolours cells of the buffer only: rows not yet scrolled in
    // take their colour when they arrive.
    const int rows_there = std::max(0, created_ - row_ + 1);
    const int cells_there = rows_there * columns_ - (column_ - 1);
    sheet_.paint(row_, column_, std::min(fill, cells_there), attribute);
  }

  void pair(const Entry& left, const Entry& right) {
    const int left_row = row_;
    // The newline after an entry on the last row scrolls, so the row its
    // partner goes back to is the new last row, one below.
    const bool on_last_row = left_row == created_;
    color(attribute_of(left), left.fill);
    line(left.label);
    row_ = on_last_row ? left_row + 1 : left_row;
    // A column past the right edge keeps the cursor's column, which the
    // newline left at 1.
    column_ = columns_ >= 34 ? 34 : 1;
    color(attribute_of(right), right.fill);
    line(right.label);
  }

  void separator() {
    color(kWhiteOnBlack, 0);
    line(std::u16string(79, u'\u00B7'));
  }

  [[nodiscard]] ExpectedScreen screen() const {
    ExpectedScreen screen = sheet_.rows_from(created_ - rows_ + 1, rows_);
    screen.set_cursor(row_ - (created_ - rows_), column_);
    return screen;
  }

private:
  // The cursor goes to a row under the last one: the buffer scrolls it in.
  void reach(int row) {
    while (created_ < row) {
      ++created_;
      sheet_.blank_row(created_, attribute_);
    }
  }

  int columns_;
  int rows_;
  ExpectedScreen sheet_;
  int created_;
  int row_;
  int column_ = 1;
  std::uint16_t attribute_ = kWhiteOnBlack;
};

// The whole chart from the console's cursor on, with the closing line.
ExpectedScreen expected_chart(const MemoryConsole& console) {
  ChartSheet sheet(console);
  sheet.line(u"############## Hueglass ##############");
  sheet.line(u"VEXO and Microsoft color names differ from  each other.");
  sheet.line(u"Made a couple changes too.");
  sheet.line(u"");
  constexpr std::array<std::size_t, 6> kFamilyEnds = {4, 12, 20, 28, 36, 44};
  for (std::size_t left = 0; left < kEntries.size(); left += 2) {
    sheet.pair(kEntries[left], kEntries[left + 1]);
    if (std::find(kFamilyEnds.begin(), kFamilyEnds.end(), left + 2) != kFamilyEnds.end()) {
      sheet.separator();
    }
  }
  sheet.line(u"");
  sheet.separator();
  sheet.line(u"Any key to close.");
  return sheet.screen();
}

bool still_running(const MemoryConsoleStop& stop) {
  return stop.reason == MemoryConsoleStop::Reason::input_exhausted;
}

TEST(ColorChart, LayoutStartsBelowEarlierOutput) {
  MemoryConsole console(console_of(80, 50, 2));
  console.write_text(0, 0, u"C:\\> dir /w", 0x1E);
  console.write_text(0, 1, u"C:\\> colorchart", 0x1E);
  const ExpectedScreen expected = expected_chart(console);
  EXPECT_TRUE(still_running(run_program(console, chart_program())));
  EXPECT_TRUE(screen_matches(console, expected));
}

// Independent of the sheet model: the rows of the chart's table, counted from
// its first line, on a screen where nothing scrolls or wraps.
TEST(ColorChart, LinesStandWhereTheLayoutPutsThem) {
  MemoryConsole console(console_of(80, 50, 2));
  EXPECT_TRUE(still_running(run_program(console, chart_program())));
  const auto line = [&](int n) { return console.row_text(n + 1); };
  EXPECT_EQ(line(1).substr(0, 38), u"############## Hueglass ##############");
  EXPECT_EQ(line(5).substr(0, 14), u"black on white");
  EXPECT_EQ(line(5).substr(33, 21), u"black on bright white");
  for (const int separator : {7, 12, 17, 22, 27, 32, 38}) {
    EXPECT_EQ(line(separator), std::u16string(79, u'\u00B7') + u" ") << "line " << separator;
  }
  EXPECT_EQ(line(36).substr(33, 22), u"yellow on bright white");
  EXPECT_EQ(line(37), std::u16string(80, u' '));
  EXPECT_EQ(line(39).substr(0, 17), u"Any key to close.");
  EXPECT_EQ(console.cursor().y, 2 + 39);
  EXPECT_EQ(console.cursor().x, 0);
  // A bar of 31 cells, or only the label for entries 2, 4 and 12.
  EXPECT_EQ(console.cell(30, 2 + 4).attributes, 0x70);
  EXPECT_EQ(console.cell(31, 2 + 4).attributes, 0x07);
  EXPECT_EQ(console.cell(33 + 20, 2 + 4).attributes, 0xF0);
  EXPECT_EQ(console.cell(33 + 21, 2 + 4).attributes, 0x07);
  EXPECT_EQ(console.cell(63, 2 + 9).attributes, 0x89); // entry 10's bar ends at column 64
  EXPECT_EQ(console.cell(64, 2 + 9).attributes, 0x07);
}

TEST(ColorChart, ScrollingScreenPutsRightEntriesOneLineBelowTheirPartners) {
  MemoryConsole console(console_of(80, 25));
  const ExpectedScreen expected = expected_chart(console);
  EXPECT_TRUE(still_running(run_program(console, chart_program())));
  EXPECT_TRUE(screen_matches(console, expected));
  // From the bottom: the cursor's row, the closing line, a separator, the
  // empty line, and above it the last pair on two rows.
  EXPECT_EQ(console.row_text(19).substr(0, 15), u"yellow on white");
  EXPECT_EQ(console.row_text(20).substr(33, 22), u"yellow on bright white");
}

// Every pair the window shows stands on one row: the right label at column 34
// of its partner's row, each with its 31-cell band where it has one.
::testing::AssertionResult window_shows_pairs_on_one_row(const MemoryConsole& console) {
  const auto labelled = [&](int row, int column, const Entry& entry) {
    const std::u16string text = console.row_text(row);
    const int band = entry.fill > 0 ? entry.fill : static_cast<int>(entry.label.size());
    bool coloured = true;
    for (int i = 0; i < band; ++i) {
      coloured = coloured && console.cell(column + i, row).attributes == attribute_of(entry);
    }
    return coloured && text.substr(static_cast<std::size_t>(column), entry.label.size() + 1) ==
                           std::u16string(entry.label) + u' ';
  };
  int pairs = 0;
  for (int row = console.window().top; row <= console.window().bottom; ++row) {
    for (std::size_t left = 0; left < kEntries.size(); left += 2) {
      if (labelled(row, 0, kEntries[left])) {
        ++pairs;
        if (!labelled(row, 33, kEntries[left + 1])) {
          return ::testing::AssertionFailure() << "row " << row + 1 << ": \""
                                               << expected_screen_detail::utf8(kEntries[left].label)
                                               << "\" without its partner at column 34";
        }
      }
    }
  }
  if (pairs == 0) {
    return ::testing::AssertionFailure() << "no pair in the window";
  }
  return ::testing::AssertionSuccess();
}

// The chart started on the last row of an 80x25 window onto a taller buffer:
// the window follows the cursor down and the buffer does not scroll, so the
// pairs hold together.
TEST(ColorChart, WindowOntoATallBufferFollowsTheCursorAndKeepsPairsTogether) {
  for (const int buffer_rows : {300, 9001}) {
    SCOPED_TRACE(buffer_rows);
    MemoryConsole::Config config = console_of(80, static_cast<std::int16_t>(buffer_rows), 24);
    config.window = platform::SmallRect{0, 0, 79, 24};
    MemoryConsole console(config);
    const ExpectedScreen expected = expected_chart(console);
    EXPECT_TRUE(still_running(run_program(console, chart_program())));
    EXPECT_TRUE(screen_matches(console, expected));
    EXPECT_EQ(console.window().bottom, console.cursor().y);
    EXPECT_EQ(console.window().bottom - console.window().top, 24);
    EXPECT_TRUE(window_shows_pairs_on_one_row(console));
  }
}

TEST(ColorChart, NarrowScreenContinuesRightBarsOnTheNextRow) {
  MemoryConsole console(console_of(60, 50));
  const ExpectedScreen expected = expected_chart(console);
  EXPECT_TRUE(still_running(run_program(console, chart_program())));
  EXPECT_TRUE(screen_matches(console, expected));
}

TEST(ColorChart, ScreenNarrowerThanTheRightColumnWritesRightEntriesOverLeftOnes) {
  MemoryConsole console(console_of(30, 70));
  const ExpectedScreen expected = expected_chart(console);
  EXPECT_TRUE(still_running(run_program(console, chart_program())));
  EXPECT_TRUE(screen_matches(console, expected));
  // "blue on black" under "blue on gray" leaves its last letter.
  bool found = false;
  for (int row = 0; row < 70; ++row) {
    found = found || console.row_text(row).starts_with(u"blue on grayk ");
  }
  EXPECT_TRUE(found);
}

TEST(ColorChart, KeyTypedBeforehandEndsItOnceDrawn) {
  MemoryConsole console(console_of(80, 50));
  const ExpectedScreen expected = expected_chart(console);
  console.type(u"\x1b");
  const MemoryConsoleStop stop = run_program(console, chart_program());
  EXPECT_EQ(stop.reason, MemoryConsoleStop::Reason::exited);
  EXPECT_EQ(stop.exit_code, 0U);
  EXPECT_TRUE(screen_matches(console, expected));
  EXPECT_EQ(console.text_attribute(), kWhiteOnBlack);
  EXPECT_TRUE(console.menu_has_close());
}

TEST(ColorChart, EndsOnAnyKeyButALoneModifier) {
  struct Case {
    const char* name;
    void (*press)(MemoryConsole&);
    bool ends;
  };
  const Case cases[] = {
      {"Enter", [](MemoryConsole& c) { c.type(u"\r"); }, true},
      {"letter", [](MemoryConsole& c) { c.type(u"q"); }, true},
      {"F12", [](MemoryConsole& c) { c.press_scan(0x58); }, true},
      {"Shift", [](MemoryConsole& c) { c.press_scan(0x2A); }, false},
      {"Ctrl", [](MemoryConsole& c) { c.press_scan(0x1D); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryConsole console(console_of(80, 50));
    c.press(console);
    const MemoryConsoleStop stop = run_program(console, chart_program());
    EXPECT_EQ(stop.reason == MemoryConsoleStop::Reason::exited, c.ends);
    if (c.ends) {
      EXPECT_EQ(stop.exit_code, 0U);
    }
  }
}

} // namespace
