// Keyboard input over the memory console's scripted input queue and virtual
// clock.
#include <string>

#include "runtime/keyboard.h"
#include "runtime/screen.h"
#include "tests/support/runtime_test.h"

namespace {

using platform::InputRecord;
using platform::KeyEvent;
using platform::MemoryConsole;

constexpr std::uint32_t kNoDeadline = 0xFFFFFFFFU;

KeyEvent key(char16_t character, std::uint16_t scan, std::uint32_t state = 0) {
  KeyEvent event;
  event.key_down = 1;
  event.character = character;
  event.virtual_scan_code = scan;
  event.control_key_state = state;
  return event;
}

InputRecord other_event(std::uint16_t type) {
  InputRecord record;
  record.event_type = type;
  return record;
}

std::u16string wait_for_key(std::u16string_view allowed = u"", std::int32_t limit = 0) {
  return text16(key_wait(StringValue(make_string16(allowed)), limit));
}

class KeyboardTest : public RuntimeTest {
protected:
  KeyboardTest() = default;
  explicit KeyboardTest(MemoryConsole::Config config) : RuntimeTest(std::move(config)) {}
};

TEST_F(KeyboardTest, KeyTextsOfSingleKeys) {
  struct Case {
    const char* name;
    KeyEvent down;
    std::u16string expected;
  };
  const Case cases[] = {
      {"Esc", MemoryConsole::key_for(u'\x1b'), u"\x1b"},
      {"Enter", MemoryConsole::key_for(u'\r'), u"\r"},
      {"letter", MemoryConsole::key_for(u'Q'), u"Q"},
      {"F1", key(0, 0x3B), {u'\0', u'\x3b'}},
      {"F12", key(0, 0x58), {u'\0', u'\x58'}},
      {"Left arrow", key(0, 0x4B, platform::kEnhancedKey), {u'\0', u'\x4b'}},
      {"Alt+A", key(u'a', 0x1E, platform::kLeftAltPressed), {u'\0', u'\x1e'}},
      {"Alt+P", key(u'p', 0x19, platform::kLeftAltPressed), {u'\0', u'\x19'}},
      {"Alt+L", key(u'l', 0x26, platform::kLeftAltPressed), {u'\0', u'\x26'}},
      {"Alt+Z", key(u'z', 0x2C, platform::kLeftAltPressed), {u'\0', u'\x2c'}},
      {"Alt+M", key(u'm', 0x32, platform::kRightAltPressed), {u'\0', u'\x32'}},
      {"AltGr+Q",
       key(u'@', 0x10, platform::kRightAltPressed | platform::kLeftCtrlPressed),
       {u'\0', u'\x10'}},
      {"Alt+1 is no letter", key(u'1', 0x02, platform::kLeftAltPressed), u"1"},
      {"Alt+[ is no letter", key(u'[', 0x1A, platform::kLeftAltPressed), u"["},
      {"Alt+; is no letter", key(u';', 0x27, platform::kLeftAltPressed), u";"},
      {"Ctrl+A is no Alt", key(u'\x01', 0x1E, platform::kLeftCtrlPressed), u"\x01"},
      {"Ctrl+C", MemoryConsole::key_for(u'\x03'), u"\x03"},
      {"U+0000 with scan 1", key(0, 0x01), std::u16string(1, u'\0')},
      {"scan code high byte ignored", key(0, 0x133B), {u'\0', u'\x3b'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    console.press(c.down);
    EXPECT_EQ(wait_for_key(), c.expected);
  }
  EXPECT_EQ(console.beeps(), 0);
}

TEST_F(KeyboardTest, KeyUpsLoneModifiersAndOtherEventsAreNoKeys) {
  const std::uint16_t modifiers[] = {0x1D, 0x2A, 0x36, 0x38, 0x3A, 0x45, 0x46};
  for (std::uint16_t scan : modifiers) {
    console.press_scan(scan);
  }
  console.push_record(other_event(platform::kMouseEvent));
  console.push_record(other_event(platform::kFocusEvent));
  console.push_record(other_event(platform::kWindowBufferSizeEvent));
  console.push_record(other_event(platform::kMenuEvent));
  InputRecord up;
  up.event_type = platform::kKeyEvent;
  up.key = MemoryConsole::key_for(u'x');
  up.key.key_down = 0;
  console.push_record(up);
  // Nothing above is a key: a wait with a time limit runs out.
  EXPECT_EQ(wait_for_key(u"", 100), u"");
  EXPECT_EQ(console.pending_input(), 0U);
  console.type(u"k");
  EXPECT_EQ(wait_for_key(), u"k");
}

TEST_F(KeyboardTest, HoldingAKeyGivesOneTextPerKeyDown) {
  KeyEvent down = MemoryConsole::key_for(u'z');
  down.repeat_count = 5; // the count is not looked at
  InputRecord record;
  record.event_type = platform::kKeyEvent;
  record.key = down;
  console.push_record(record);
  console.push_record(record);
  console.push_record(record);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(wait_for_key(u"", 100), u"z");
  }
  EXPECT_EQ(wait_for_key(u"", 100), u"");
}

TEST_F(KeyboardTest, AllowedListAdmitsOnlyItsKeysAndBeepsAtOthers) {
  console.type(u"xAy");
  console.press_scan(0x3B);
  console.type(u"n");
  EXPECT_EQ(wait_for_key(u"yn"), u"y");
  EXPECT_EQ(console.beeps(), 2);
  // A refused key is followed by the next look at once.
  EXPECT_EQ(console.count_calls("Sleep"), 0U);
  EXPECT_EQ(wait_for_key(u"yn"), u"n");
  EXPECT_EQ(console.beeps(), 3);
}

TEST_F(KeyboardTest, AllowedListItemsAreOneTwoOrFourUnitsLong) {
  struct Case {
    const char* name;
    std::u16string allowed;
    KeyEvent down;
    bool admitted;
  };
  const std::u16string f1{u'\0', u'\x3b'};
  const std::u16string list_with_f1 = u"ab" + f1 + u"c";
  const std::u16string four{u'\xff', u'a', u'b', u'c'};
  const Case cases[] = {
      {"F1 in the list", list_with_f1, key(0, 0x3B), true},
      {"F2 not in the list", list_with_f1, key(0, 0x3C), false},
      {"letter after a two-unit item", list_with_f1, MemoryConsole::key_for(u'c'), true},
      // 0x3B is ';' : a scan-code unit is no character item.
      {"second unit is not an item", list_with_f1, MemoryConsole::key_for(u';'), false},
      {"four-unit item hides its units", four + u"d", MemoryConsole::key_for(u'b'), false},
      {"item after a four-unit item", four + u"d", MemoryConsole::key_for(u'd'), true},
      {"U+00FF matches a four-unit item", four, key(u'\xff', 0), true},
      {"extended walk stops short of two units", std::u16string{u'x', u'\0'}, key(0, 0x78), false},
      {"extended walk stops past a cut-short four-unit item", std::u16string{u'a', u'\xff', u'b'},
       key(0, 0x3B), false},
      {"extended key needs the U+0000 lead", u"\x3b", key(0, 0x3B), false},
      {"U+0000 key matches a two-unit item", f1, key(0, 0x01), true},
      {"Alt letter is extended", std::u16string{u'\0', u'\x1e'},
       key(u'a', 0x1E, platform::kLeftAltPressed), true},
      {"plain letter is not its Alt form", std::u16string{u'\0', u'\x1e'},
       MemoryConsole::key_for(u'a'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int beeps = console.beeps();
    console.press(c.down);
    const std::u16string result = wait_for_key(c.allowed, 100);
    EXPECT_EQ(!result.empty(), c.admitted);
    EXPECT_EQ(console.beeps() - beeps, c.admitted ? 0 : 1);
  }
}

TEST_F(KeyboardTest, WaitConsumesTheAllowedListAndGivesANewString) {
  const std::size_t live = console.live_strings();
  console.type(u"q");
  StringValue result = key_wait(StringValue(make_string16(u"pq")), 0);
  EXPECT_EQ(text16(result), u"q");
  EXPECT_EQ(console.live_strings(), live + 1); // the result alone
  result.reset();
  EXPECT_EQ(console.live_strings(), live);
}

TEST_F(KeyboardTest, WaitGivesTheEmptyStringWhenTheResultCannotBeAllocated) {
  console.type(u"q");
  StringValue allowed(make_string16(u"q"));
  console.failures().string_allocs_left = 0;
  EXPECT_EQ(text16(key_wait(std::move(allowed), 0)), u"");
  EXPECT_EQ(error(), 0);
}

TEST_F(KeyboardTest, WaitWithoutATimeLimitWaitsForTheKey) {
  InputRecord late;
  late.event_type = platform::kKeyEvent;
  late.key = MemoryConsole::key_for(u'w');
  console.push_record_at(5 * 60 * 1000, late); // five minutes on
  EXPECT_EQ(wait_for_key(), u"w");
  EXPECT_GE(console.clock_ms(), 5U * 60 * 1000);
  EXPECT_LE(console.clock_ms(), 5U * 60 * 1000 + 20);
}

TEST_F(KeyboardTest, WaitPausesTwentyMillisecondsAfterEachEmptyLook) {
  EXPECT_EQ(wait_for_key(u"", 100), u"");
  // The deadline is one millisecond past the limit: the look at 100 ms still
  // finds time left.
  EXPECT_EQ(console.count_calls("Sleep"), 6U);
  EXPECT_EQ(console.clock_ms(), 120U);
}

TEST_F(KeyboardTest, FailingPeekMakesTheWaitRunOutInsteadOfHanging) {
  console.type(u"a");
  console.failures().peek = true;
  EXPECT_EQ(wait_for_key(u"", 200), u"");
  EXPECT_GE(console.clock_ms(), 200U);
}

TEST_F(KeyboardTest, EventThatCannotBeTakenOutDoesNotSpin) {
  InputRecord up;
  up.event_type = platform::kKeyEvent;
  up.key = MemoryConsole::key_for(u'x');
  up.key.key_down = 0;
  console.push_record(up);
  console.failures().read = true;
  EXPECT_EQ(wait_for_key(u"", 200), u"");
  EXPECT_GE(console.clock_ms(), 200U);
}

// The local time starts at hh:mm:ss.mmm; the clock within the hour follows.
MemoryConsole::Config starting_at(std::uint16_t minute, std::uint16_t second,
                                  std::uint16_t millisecond) {
  MemoryConsole::Config config;
  config.start_time.minute = minute;
  config.start_time.second = second;
  config.start_time.milliseconds = millisecond;
  config.idle_limit_ms = 2 * 3600 * 1000;
  return config;
}

struct TimeLimitCase {
  const char* name;
  std::uint16_t minute;
  std::uint16_t second;
  std::uint16_t millisecond;
  std::int32_t limit;
  std::uint64_t runs_out_after; // virtual ms, within one 20 ms pause
};

void PrintTo(const TimeLimitCase& c, std::ostream* os) {
  *os << c.name;
}

class TimeLimitTest : public RuntimeTest, public testing::WithParamInterface<TimeLimitCase> {
protected:
  TimeLimitTest()
      : RuntimeTest(starting_at(GetParam().minute, GetParam().second, GetParam().millisecond)) {}
};

TEST_P(TimeLimitTest, WaitRunsOutOnTime) {
  EXPECT_EQ(wait_for_key(u"", GetParam().limit), u"");
  EXPECT_GE(console.clock_ms(), GetParam().runs_out_after);
  EXPECT_LE(console.clock_ms(), GetParam().runs_out_after + 20);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TimeLimitTest,
    testing::Values(TimeLimitCase{"two_seconds", 14, 0, 0, 2000, 2000},
                    TimeLimitCase{"across_the_full_hour", 59, 59, 0, 2000, 2000},
                    TimeLimitCase{"across_the_hour_late", 59, 59, 990, 2000, 2000},
                    // clock + limit = 3599999: the deadline is the end of the hour.
                    TimeLimitCase{"deadline_at_end_of_hour", 59, 58, 0, 1999, 2000},
                    // clock + limit = 3600000.
                    TimeLimitCase{"deadline_just_past_the_hour", 59, 58, 0, 2000, 2000},
                    TimeLimitCase{"one_millisecond", 30, 0, 0, 1, 20},
                    TimeLimitCase{"longest_limit", 10, 0, 0, 3590000, 3590000},
                    TimeLimitCase{"over_the_longest_limit", 10, 0, 0, 3600000, 3590000},
                    TimeLimitCase{"negative_limit", 59, 0, 0, -5, 3590000}),
    [](const testing::TestParamInfo<TimeLimitCase>& param_info) {
      return std::string(param_info.param.name);
    });

class ClockTest : public RuntimeTest {
protected:
  ClockTest() : RuntimeTest(starting_at(0, 0, 0)) {}
  // Moves the virtual clock to `clock` ms within the (first) hour.
  void set_clock(std::uint64_t clock) {
    ASSERT_GE(clock, console.clock_ms());
    console.advance_clock(clock - console.clock_ms());
  }
};

TEST_F(ClockTest, DeadlinesAndTimeLeft) {
  EXPECT_EQ(key_deadline(0), kNoDeadline);
  set_clock(1000);
  EXPECT_EQ(key_deadline(500), 1501U);
  EXPECT_EQ(key_deadline(-1), 3591001U);
  EXPECT_EQ(key_time_left(1501), 501U);
  EXPECT_EQ(key_time_left(1000), 0U);
  EXPECT_EQ(key_time_left(1), 0U);           // passed less than a second ago
  EXPECT_EQ(key_time_left(0), 3599000U);     // in the next hour
  EXPECT_NE(key_time_left(kNoDeadline), 0U); // never reached
  set_clock(3599000);
  EXPECT_EQ(key_deadline(2000), 1001U); // wraps into the next hour
  EXPECT_EQ(key_time_left(1001), 2001U);
  // The end of the hour and just past it lie at the start of the next hour.
  set_clock(3599999);
  EXPECT_EQ(key_time_left(key_deadline(1)), 2U);
  EXPECT_EQ(key_time_left(3600000), 1U);
  EXPECT_EQ(key_time_left(3600001), 2U);
  set_clock(3600000); // 00:00.000 of the next hour
  EXPECT_EQ(key_time_left(3600000), 0U);
  EXPECT_EQ(key_time_left(3600001), 1U);
  set_clock(3600001);
  EXPECT_EQ(key_time_left(3600001), 0U);
  EXPECT_NE(key_time_left(kNoDeadline), 0U);
}

// --- line_input --------------------------------------------------------------

std::u16string read_line() {
  return text16(line_input());
}

void print(std::u16string_view text) {
  screen_print(StringValue(make_string16(text)));
}

TEST_F(KeyboardTest, LineEchoesInTheCurrentColoursAndEndsOnTheNextRow) {
  screen_locate(4, 1);
  print(u"Value: ");
  screen_set_color(14, 0, 0);
  console.type(u"12\r");
  EXPECT_EQ(read_line(), u"12");
  EXPECT_EQ(console.row_text(3).substr(0, 10), u"Value: 12 ");
  EXPECT_EQ(console.cell(7, 3).attributes, 0x0E);
  EXPECT_EQ(console.cell(8, 3).attributes, 0x0E);
  EXPECT_EQ(console.cell(6, 3).attributes, 0x07);
  EXPECT_EQ(console.cursor().x, 0);
  EXPECT_EQ(console.cursor().y, 4);
}

TEST_F(KeyboardTest, LineEditing) {
  struct Case {
    const char* name;
    std::u16string keys; // typed after the prompt "> " at row 2
    std::u16string result;
    std::u16string row; // row 2 afterwards, first 8 cells
  };
  const Case cases[] = {
      {"Enter at once", u"\r", u"", u">       "},
      {"Backspace on nothing keeps the prompt", u"\b\b\bok\r", u"ok", u"> ok    "},
      {"Backspace erases the last unit", u"abc\b\bd\r", u"ad", u"> ad    "},
      {"Backspace down to nothing", u"ab\b\b\b\r", u"", u">       "},
      {"control characters are ignored",
       u"a\t\x1b\x01\n\x7f"
       u"b\r",
       u"a\x7f"
       u"b",
       u"> a\x7f"
       u"b   "},
      {"spaces are kept", u" x \r", u" x ", u">  x    "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    console.write_text(0, 1, std::u16string(80, u' '), 7);
    screen_locate(2, 1);
    print(u"> ");
    console.type(c.keys);
    EXPECT_EQ(read_line(), c.result);
    EXPECT_EQ(console.row_text(1).substr(0, 8), c.row);
    EXPECT_EQ(console.cursor().y, 2);
    EXPECT_EQ(console.cursor().x, 0);
  }
}

TEST_F(KeyboardTest, ExtendedKeysChangeNothingInALine) {
  screen_locate(2, 1);
  console.type(u"a");
  const std::uint16_t keys[] = {0x4B, 0x4D, 0x47, 0x4F, 0x53, 0x52, 0x3B, 0x48};
  for (std::uint16_t scan : keys) {
    console.press_scan(scan);
  }
  console.press(key(u'b', 0x30, platform::kLeftAltPressed)); // Alt+B
  console.press(key(0, 0x01));                               // U+0000 with scan 1
  console.type(u"c\r");
  EXPECT_EQ(read_line(), u"ac");
  EXPECT_EQ(console.row_text(1).substr(0, 3), u"ac ");
}

TEST_F(KeyboardTest, LinePollsEveryMillisecond) {
  console.type(u"ab\r");
  read_line();
  // One pause per look; a key-up is dropped within the look that finds the
  // next key.
  EXPECT_EQ(console.count_calls("Sleep"), 3U);
  EXPECT_EQ(console.clock_ms(), 3U);
}

TEST_F(KeyboardTest, LineWrapsAtTheRightEdgeAndBackspaceReturnsToTheRowAbove) {
  screen_locate(3, 79);
  console.type(u"ab");
  console.type(u"\b");
  console.type(u"\b");
  console.type(u"xyz\b\r");
  // a, b at columns 79 and 80; two Backspaces; then x, y, z again from 79.
  EXPECT_EQ(read_line(), u"xy");
  EXPECT_EQ(console.row_text(2).substr(78), u"xy");
  EXPECT_EQ(console.cell(0, 3).character, u' ');
  EXPECT_EQ(console.cursor().y, 4);
}

TEST_F(KeyboardTest, BackspaceRightAfterAWrapBlanksTheLastCellOfTheRowAbove) {
  screen_locate(3, 79);
  console.type(u"ab\b\r");
  EXPECT_EQ(read_line(), u"a");
  EXPECT_EQ(console.cell(77, 2).character, u' ');
  EXPECT_EQ(console.cell(78, 2).character, u'a');
  EXPECT_EQ(console.cell(79, 2).character, u' ');
  EXPECT_EQ(console.cell(0, 3).character, u' ');
  // Backspace left the cursor on row 3, so Enter went to row 4.
  EXPECT_EQ(console.cursor().y, 3);
  EXPECT_EQ(console.cursor().x, 0);
}

TEST_F(KeyboardTest, BackspaceOutOfADeferredScrollScrollsNothing) {
  console.write_text(0, 0, u"top", 7);
  screen_locate(25, 79);
  console.type(u"ab\b");
  console.type(u"c\r");
  EXPECT_EQ(read_line(), u"ac");
  // "ab" filled the last row: the scroll was deferred, and Backspace took it
  // back. "c" filled the row again, so Enter scrolled twice.
  EXPECT_EQ(console.row_text(0).substr(0, 3), u"   ");
  EXPECT_EQ(console.row_text(22).substr(78), u"ac");
  EXPECT_EQ(console.row_text(23), std::u16string(80, u' '));
  EXPECT_EQ(console.cursor().y, 24);
  EXPECT_EQ(console.count_calls("ScrollConsoleScreenBufferW"), 2U);
}

TEST_F(KeyboardTest, BackspaceOutOfADeferredScrollLeavesTheCursorOnTheLastCell) {
  console.write_text(0, 0, u"top", 7);
  screen_locate(25, 79);
  console.type(u"ab\b\r");
  EXPECT_EQ(read_line(), u"a");
  EXPECT_EQ(console.count_calls("ScrollConsoleScreenBufferW"), 1U); // Enter only
  EXPECT_EQ(console.row_text(23).substr(78), u"a ");
  EXPECT_EQ(console.row_text(0).substr(0, 3), u"   ");
}

TEST_F(KeyboardTest, LineStopsTakingUnitsAtTheLimit) {
  std::u16string keys(kLineInputLimit, u'x');
  keys += u"yz\bw\r";
  console.type(keys);
  const std::u16string line = read_line();
  ASSERT_EQ(line.size(), kLineInputLimit);
  EXPECT_EQ(line.substr(0, kLineInputLimit - 1), std::u16string(kLineInputLimit - 1, u'x'));
  EXPECT_EQ(line.back(), u'w');
  EXPECT_EQ(console.beeps(), 0);
}

TEST_F(KeyboardTest, LineShowsAHiddenCursorWhileTypingAndHidesItAgain) {
  state().cursor_info.visible = 0;
  screen_cursor_apply();
  console.type(u"a\r");
  const std::size_t from = console.calls().size();
  read_line();
  std::vector<std::string> seen;
  for (std::size_t i = from; i < console.calls().size(); ++i) {
    const std::string& call = console.calls()[i];
    if (call == "SetConsoleCursorInfo" || call == "WriteConsoleOutputW") {
      seen.push_back(call);
    }
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"SetConsoleCursorInfo", "WriteConsoleOutputW",
                                            "SetConsoleCursorInfo"}));
  EXPECT_EQ(console.cursor_info().visible, 0);
  EXPECT_EQ(state().cursor_restore_pending, 0U);
}

TEST_F(KeyboardTest, LineLeavesAVisibleCursorAlone) {
  console.type(u"a\r");
  read_line();
  EXPECT_EQ(console.count_calls("SetConsoleCursorInfo"), 0U);
  EXPECT_NE(console.cursor_info().visible, 0);
}

TEST_F(KeyboardTest, LineGivesTheEmptyStringWhenTheResultCannotBeAllocated) {
  console.type(u"abc\r");
  console.failures().string_allocs_left = 0;
  EXPECT_EQ(read_line(), u"");
  EXPECT_EQ(error(), 0);
  EXPECT_EQ(console.cursor().y, 1);
}

// --- string_input_field ------------------------------------------------------

TEST_F(KeyboardTest, InputFields) {
  struct Case {
    std::u16string line;
    std::int32_t n;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"  12  ", 1, u"12"},
      {u"3,4", 1, u"3"},
      {u"\"1, 5\"", 1, u"1, 5"},
      {u"\"1, 5\" trailing, x", 1, u"1, 5"},
      {u",5", 1, u""},
      {u",5", 2, u"5"},
      {u"\"ab", 1, u"ab"},
      {u"   ", 1, u""},
      {u"", 1, u""},
      {u"3", 2, u""},
      {u"3, 4", 2, u"4"},
      {u"3, 4 ,", 2, u"4"},
      {u"a,,c", 2, u""},
      {u"a,,c", 3, u"c"},
      {u"a,b", 3, u""},
      {u"a,b,", 3, u""},
      {u"a,b", 0, u""},
      {u"a,b", -1, u""},
      {u"\"a,b\",c", 1, u"a,b"},
      {u"\"a,b\",c", 2, u"c"},
      {u"\"a,b\"junk,c", 2, u"c"},
      {u"\"a,b", 2, u""},
      {u"\"a,b\"", 2, u""},
      {u"\"\"", 1, u""},
      {u"  \"  x  \"  ", 1, u"  x  "},
      {u"x y  z", 1, u"x y  z"},
      {u"\ta\t", 1, u"\ta\t"}, // only U+0020 is a space
      {u"a\"b\"c,d", 1, u"a\"b\"c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "field " << c.n << " of \"" << testing::PrintToString(c.line) << "\"");
    RuntimeString line = make_string16(c.line);
    EXPECT_EQ(text16(string_input_field(StringValue(line), c.n)), c.expected);
    EXPECT_EQ(text16(StringValue(line)), c.line); // left to the caller
  }
  EXPECT_EQ(error(), 0);
}

TEST_F(KeyboardTest, FieldThatCannotBeAllocatedRaisesErrorSeven) {
  RuntimeString line = make_string16(u"12, 34");
  console.failures().string_allocs_left = 0;
  EXPECT_EQ(text16(string_input_field(StringValue(line), 2)), u"");
  EXPECT_EQ(error(), 7);
}

} // namespace
