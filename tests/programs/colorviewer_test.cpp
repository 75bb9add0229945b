// colorviewer driven through whole runs over a memory console: the screens of
// its cycles, its entry checks and how it ends, compared cell by cell.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "tests/programs/expected_screen.h"
#include "tests/support/runtime_test.h"
#include "viewer/colorviewer.h"

namespace {

using platform::MemoryConsole;
using platform::MemoryConsoleStop;

constexpr std::uint16_t kYellowOnBlack = 0x0E;
constexpr std::uint16_t kWhiteOnBlack = 0x07;
constexpr std::uint16_t kLightRedOnBrightWhite = 0xFC;

constexpr int kForegroundRow = 11;
constexpr int kBackgroundRow = 12;
constexpr int kEntryColumn = 27;

constexpr std::array<std::u16string_view, 8> kTableLeft = {
    u"       Black - \"0\"", u"        Blue - \"1\"", u"       Green - \"2\"",
    u"        Cyan - \"3\"", u"         Red - \"4\"", u"      Purple - \"5\"",
    u"       Brown - \"6\"", u"       White - \"7\"",
};
constexpr std::array<std::u16string_view, 8> kTableRight = {
    u"       Gray  -  \"8\"", u"  Light Blue -  \"9\"", u" Light Green - \"10\"",
    u"  Light Cyan - \"11\"", u"   Light Red - \"12\"", u"     Magenta - \"13\"",
    u"      Yellow - \"14\"", u"Bright White - \"15\"",
};
constexpr std::array<std::u16string_view, 16> kNames = {
    u"  Black",     u"  Blue",    u"  Green",  u"  Cyan",         u"  Red",         u"  Purple",
    u"  Brown",     u"  White",   u"  Gray",   u"  Light Blue",   u"  Light Green", u"  Light Cyan",
    u"  Light Red", u"  Magenta", u"  Yellow", u"  Bright White",
};

std::u16string dots(int count) {
  // Parentheses: braces would make a two-character string.
  // NOLINTNEXTLINE(modernize-return-braced-init-list)
  return std::u16string(static_cast<std::size_t>(count), u'\u00B7');
}

// A cycle's screen up to its foreground prompt: the clear in yellow on black,
// the instructions, the colour table and the empty row 10.
ExpectedScreen table_screen(int rows = 25) {
  ExpectedScreen screen(80, rows, kYellowOnBlack);
  screen.text(1, 1, u"Use decimal color values to chose foreground and baskground color.",
              kYellowOnBlack);
  for (std::size_t i = 0; i < kTableLeft.size(); ++i) {
    const int row = 2 + static_cast<int>(i);
    screen.text(row, 1, kTableLeft[i], kYellowOnBlack);
    screen.text(row, 24, kTableRight[i], kYellowOnBlack);
  }
  screen.set_cursor(kForegroundRow, 1);
  return screen;
}

// A prompt with the entry's echo behind it, as typed.
void add_entry(ExpectedScreen& screen, int row, std::u16string_view prompt,
               std::u16string_view echo) {
  screen.text(row, 1, prompt, kYellowOnBlack);
  screen.text(row, kEntryColumn, echo, kYellowOnBlack);
}

void add_foreground(ExpectedScreen& screen, std::u16string_view echo) {
  add_entry(screen, kForegroundRow, u"Foreground color's value: ", echo);
}

void add_background(ExpectedScreen& screen, std::u16string_view echo) {
  add_entry(screen, kBackgroundRow, u"Background color's value: ", echo);
}

void add_name(ExpectedScreen& screen, int row, int value) {
  screen.text(row, 30, kNames[static_cast<std::size_t>(value)], kYellowOnBlack);
}

// Rows 13 to 20 of a completed cycle, cursor at row 21.
void add_demonstration(ExpectedScreen& screen, int foreground, int background) {
  screen.text(13, 1, dots(27) + u" Color Demonstation Area " + dots(27), kWhiteOnBlack);
  screen.text(15, 1, std::u16string(30, u' '), kWhiteOnBlack);
  screen.text(15, 31, u" Test Fore on Back ",
              static_cast<std::uint16_t>(foreground + 16 * background));
  screen.text(17, 1, dots(79), kWhiteOnBlack);
  screen.text(19, 1, u"\"ESC\" key to close.", kWhiteOnBlack);
  screen.text(20, 1, u"Any other key to to try different colors.", kWhiteOnBlack);
  screen.set_cursor(21, 1);
}

ExpectedScreen completed_cycle(std::u16string_view foreground_echo, int foreground,
                               std::u16string_view background_echo, int background, int rows = 25) {
  ExpectedScreen screen = table_screen(rows);
  add_foreground(screen, foreground_echo);
  add_name(screen, kForegroundRow, foreground);
  add_background(screen, background_echo);
  add_name(screen, kBackgroundRow, background);
  add_demonstration(screen, foreground, background);
  return screen;
}

// The failure display under an entry that fitted behind its prompt.
void add_failure(ExpectedScreen& screen, int prompt_row, std::u16string_view message) {
  screen.text(prompt_row + 1, 1, message, kLightRedOnBrightWhite);
  screen.text(prompt_row + 2, 1, u"Any key to retry.", kLightRedOnBrightWhite);
  screen.set_cursor(prompt_row + 3, 1);
}

constexpr std::u16string_view kDigitsMessage = u"Only number characters.";
constexpr std::u16string_view kRangeMessage = u"Range is \"0\" to \"15\".";

bool still_running(const MemoryConsoleStop& stop) {
  return stop.reason == MemoryConsoleStop::Reason::input_exhausted;
}

TEST(ColorViewer, CompletedCycleShowsBothNamesAndTheTestTextInTheChosenPair) {
  struct Case {
    std::u16string_view foreground;
    int foreground_value;
    std::u16string_view background;
    int background_value;
  };
  const Case cases[] = {
      {u"7", 7, u"1", 1}, {u"14", 14, u"4", 4}, {u"0", 0, u"0", 0}, {u"15", 15, u"15", 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.foreground.begin(), c.foreground.end()) + " on " +
                 std::string(c.background.begin(), c.background.end()));
    MemoryConsole console;
    console.type(std::u16string(c.foreground) + u"\r" + std::u16string(c.background) + u"\r");
    EXPECT_TRUE(still_running(run_program(console, viewer_program())));
    EXPECT_TRUE(screen_matches(console, completed_cycle(c.foreground, c.foreground_value,
                                                        c.background, c.background_value)));
  }
}

TEST(ColorViewer, HeaderStandsInTheStartUpColoursUntilTheFirstClear) {
  // Cells in other colours, so that the header's are the runtime's own.
  MemoryConsole::Config config;
  config.initial_attributes = 0x1F;
  config.stop_at_call = "FillConsoleOutputCharacterA"; // the first cycle's clear
  MemoryConsole console(config);
  EXPECT_EQ(run_program(console, viewer_program()).reason,
            MemoryConsoleStop::Reason::stopped_at_call);
  ExpectedScreen expected(80, 25, 0x1F);
  expected.text(1, 1, u"############## Hueglass ##############", kWhiteOnBlack);
  expected.text(2, 1, u"VEXO and Microsoft color names differ from  each other.", kWhiteOnBlack);
  expected.text(3, 1, u"Made a couple changes too. Url for Command Prompt window color:",
                kWhiteOnBlack);
  expected.text(
      4, 1,
      u"https://learn.microsoft.com/en-us/windows-server/administration/windows-commands/color",
      kWhiteOnBlack);
  expected.set_cursor(7, 1); // the address wraps onto row 5; row 6 is the empty line
  EXPECT_TRUE(screen_matches(console, expected));
}

TEST(ColorViewer, WaitsForTheForegroundBelowTheTableOfAFreshScreen) {
  // Earlier output and colours of the console are gone after the first clear.
  MemoryConsole console(console_of(80, 25, 24));
  console.write_text(0, 0, u"C:\\> colorviewer", 0x1F);
  EXPECT_TRUE(still_running(run_program(console, viewer_program())));
  ExpectedScreen expected = table_screen();
  add_foreground(expected, u"");
  expected.set_cursor(kForegroundRow, kEntryColumn);
  EXPECT_TRUE(screen_matches(console, expected));
}

// A window as low as the prompts' rows onto a tall buffer: the window follows
// the cursor down instead of the buffer scrolling, so each name stands on its
// prompt's row.
TEST(ColorViewer, LowWindowOntoATallBufferKeepsNamesOnTheirPromptsRows) {
  for (const int window_rows : {11, 5}) {
    SCOPED_TRACE(window_rows);
    MemoryConsole::Config config = console_of(80, 300);
    config.window = platform::SmallRect{0, 0, 79, static_cast<std::int16_t>(window_rows - 1)};
    MemoryConsole console(config);
    console.type(u"7\r1\r");
    EXPECT_TRUE(still_running(run_program(console, viewer_program())));
    EXPECT_TRUE(screen_matches(console, completed_cycle(u"7", 7, u"1", 1, 300)));
    EXPECT_EQ(console.window().bottom, console.cursor().y);
    EXPECT_EQ(console.window().bottom - console.window().top, window_rows - 1);
  }
}

TEST(ColorViewer, AnyKeyButEscStartsTheNextCycleOnTheSameRows) {
  struct Case {
    const char* name;
    void (*press)(MemoryConsole&);
  };
  const Case cases[] = {
      {"letter", [](MemoryConsole& c) { c.type(u"x"); }},
      {"Enter", [](MemoryConsole& c) { c.type(u"\r"); }},
      {"Space", [](MemoryConsole& c) { c.type(u" "); }},
      {"Ctrl+C", [](MemoryConsole& c) { c.type(u"\x03"); }},
      {"F1", [](MemoryConsole& c) { c.press_scan(0x3B); }},
      {"Up", [](MemoryConsole& c) { c.press_scan(0x48); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryConsole console;
    console.type(u"2\r3\r");
    c.press(console);
    console.type(u"12\r5\r");
    EXPECT_TRUE(still_running(run_program(console, viewer_program())));
    EXPECT_TRUE(screen_matches(console, completed_cycle(u"12", 12, u"5", 5)));
  }
}

TEST(ColorViewer, LoneModifiersAtTheClosingPromptAreNoKeys) {
  MemoryConsole console;
  console.type(u"2\r3\r");
  console.press_scan(0x2A); // Shift
  console.press_scan(0x1D); // Ctrl
  console.press_scan(0x38); // Alt
  EXPECT_TRUE(still_running(run_program(console, viewer_program())));
  EXPECT_TRUE(screen_matches(console, completed_cycle(u"2", 2, u"3", 3)));
}

TEST(ColorViewer, EscEndsWithExitCodeZeroAndLeavesTheScreenAsItWas) {
  MemoryConsole console;
  console.type(u"7\r1\r\x1b");
  const MemoryConsoleStop stop = run_program(console, viewer_program());
  EXPECT_EQ(stop.reason, MemoryConsoleStop::Reason::exited);
  EXPECT_EQ(stop.exit_code, 0U);
  EXPECT_TRUE(screen_matches(console, completed_cycle(u"7", 7, u"1", 1)));
  EXPECT_EQ(console.text_attribute(), kWhiteOnBlack);
  EXPECT_TRUE(console.menu_has_close());
  EXPECT_EQ(console.live_strings(), 0U);
}

TEST(ColorViewer, UnderAUtf8SystemCodePageTheDotsBecomeReplacementCharacters) {
  // The texts convert without MB_PRECOMPOSED, which UTF-8 refuses; the lone
  // byte 0xB7 of the dotted lines is no UTF-8.
  MemoryConsole::Config config;
  config.ansi_code_page = 65001;
  MemoryConsole console(config);
  console.type(u"14\r1\r");
  EXPECT_TRUE(still_running(run_program(console, viewer_program())));
  ExpectedScreen expected = completed_cycle(u"14", 14, u"1", 1);
  for (int row = 1; row <= expected.rows(); ++row) {
    for (int column = 1; column <= expected.columns(); ++column) {
      if (expected.at(row, column).character == u'\u00B7') {
        expected.at(row, column).character = u'\uFFFD';
      }
    }
  }
  EXPECT_TRUE(screen_matches(console, expected));
}

// What becomes of an entry: accepted with a value, or refused with a message.
struct Outcome {
  std::optional<int> value;
  std::u16string_view message;
};

Outcome accepted(int value) {
  return {value, {}};
}
Outcome refused(std::u16string_view message) {
  return {std::nullopt, message};
}

struct EntryCase {
  const char* name;
  std::u16string keys;
  std::u16string echo;
  Outcome outcome;
};

std::vector<EntryCase> entry_cases() {
  const std::u16string twenty_zeros(20, u'0');
  const std::u16string twenty_nines(20, u'9');
  const std::u16string esc = u"\x1b";
  return {
      {"empty line", u"", u"", accepted(0)},
      {"spaces only", u"   ", u"   ", accepted(0)},
      {"empty quotes", u"\"\"", u"\"\"", accepted(0)},
      {"digit between spaces", u"  7  ", u"  7  ", accepted(7)},
      {"leading zeros", u"007", u"007", accepted(7)},
      {"leading zero before 15", u"015", u"015", accepted(15)},
      {"name over the last digit", u"0015", u"0015", accepted(15)},
      {"twenty zeros then 15", twenty_zeros + u"15", twenty_zeros + u"15", accepted(15)},
      {"quoted", u"\"12\"", u"\"12\"", accepted(12)},
      {"quote not closed", u"\"12", u"\"12", accepted(12)},
      {"comma", u"7,abc", u"7,abc", accepted(7)},
      {"spaces before comma", u"7  ,9", u"7  ,9", accepted(7)},
      {"Esc while editing", u"1" + esc + u"2", u"12", accepted(12)},
      {"Backspace while editing", u"19\b3", u"13", accepted(13)},
      {"space inside quotes", u"\" 12\"", u"\" 12\"", refused(kDigitsMessage)},
      {"space between digits", u"1 2", u"1 2", refused(kDigitsMessage)},
      {"minus", u"-1", u"-1", refused(kDigitsMessage)},
      {"plus", u"+1", u"+1", refused(kDigitsMessage)},
      {"decimal point", u"1.0", u"1.0", refused(kDigitsMessage)},
      {"exponent", u"1e1", u"1e1", refused(kDigitsMessage)},
      {"radix prefix", u"&H1", u"&H1", refused(kDigitsMessage)},
      {"letter", u"a", u"a", refused(kDigitsMessage)},
      {"digit of another script", u"\u0663", u"\u0663", refused(kDigitsMessage)},
      {"sixteen", u"16", u"16", refused(kRangeMessage)},
      {"twenty nines", twenty_nines, twenty_nines, refused(kRangeMessage)},
  };
}

TEST(ColorViewer, ForegroundEntries) {
  for (const EntryCase& c : entry_cases()) {
    SCOPED_TRACE(c.name);
    MemoryConsole console;
    console.type(c.keys + u"\r");
    if (c.outcome.value) {
      console.type(u"0\r");
    }
    EXPECT_TRUE(still_running(run_program(console, viewer_program())));
    ExpectedScreen expected = table_screen();
    if (c.outcome.value) {
      expected = completed_cycle(c.echo, *c.outcome.value, u"0", 0);
    } else {
      add_foreground(expected, c.echo);
      add_failure(expected, kForegroundRow, c.outcome.message);
      EXPECT_EQ(console.text_attribute(), kLightRedOnBrightWhite);
    }
    EXPECT_TRUE(screen_matches(console, expected));
  }
}

TEST(ColorViewer, EntryWrappingPastTheRowKeepsNameAndNextPromptOnTheirRows) {
  // 102 characters: 54 behind the prompt, 48 on the next row, where the
  // background prompt and its entry are then written over them.
  const std::u16string entry = std::u16string(100, u'0') + u"15";
  MemoryConsole console;
  console.type(entry + u"\r1\r");
  EXPECT_TRUE(still_running(run_program(console, viewer_program())));
  ExpectedScreen expected = table_screen();
  add_foreground(expected, entry);
  add_name(expected, kForegroundRow, 15);
  add_background(expected, u"1");
  add_name(expected, kBackgroundRow, 1);
  add_demonstration(expected, 15, 1);
  EXPECT_TRUE(screen_matches(console, expected));
}

TEST(ColorViewer, RefusedEntryAfterAWrappedEchoShowsItsMessageBelowTheEcho) {
  const std::u16string entry = std::u16string(60, u'1');
  MemoryConsole console;
  console.type(entry + u"\r");
  EXPECT_TRUE(still_running(run_program(console, viewer_program())));
  ExpectedScreen expected = table_screen();
  add_foreground(expected, entry);
  add_failure(expected, kBackgroundRow, kRangeMessage);
  EXPECT_TRUE(screen_matches(console, expected));
}

TEST(ColorViewer, EscAtTheRetryPromptOnlyStartsANewCycle) {
  MemoryConsole console;
  console.type(u"x\r");  // refused
  console.type(u"\x1b"); // the key at "Any key to retry."
  console.type(u"5\r6\r");
  EXPECT_TRUE(still_running(run_program(console, viewer_program())));
  EXPECT_TRUE(screen_matches(console, completed_cycle(u"5", 5, u"6", 6)));
}

TEST(ColorViewer, FailedBackgroundEntryShowsItsMessageUnderTheBackgroundPrompt) {
  MemoryConsole console;
  console.type(u"3\r16\r");
  EXPECT_TRUE(still_running(run_program(console, viewer_program())));
  ExpectedScreen expected = table_screen();
  add_foreground(expected, u"3");
  add_name(expected, kForegroundRow, 3);
  add_background(expected, u"16");
  add_failure(expected, kBackgroundRow, kRangeMessage);
  EXPECT_TRUE(screen_matches(console, expected));
}

TEST(ColorViewer, FailedBackgroundEntryRestartsWithTheForegroundPrompt) {
  MemoryConsole console;
  console.type(u"3\rz\rk4\r");
  EXPECT_TRUE(still_running(run_program(console, viewer_program())));
  ExpectedScreen expected = table_screen();
  add_foreground(expected, u"4");
  add_name(expected, kForegroundRow, 4);
  add_background(expected, u"");
  expected.set_cursor(kBackgroundRow, kEntryColumn);
  EXPECT_TRUE(screen_matches(console, expected));
}

} // namespace
