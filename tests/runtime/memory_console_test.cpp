// The memory console behaves as the Windows console does for the runtime:
// scrolling with fill and clipping, fills across rows, rectangle writes,
// code page tables, the scripted input and its clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/platform/memory/memory_console.h"

namespace {

using platform::CharInfo;
using platform::Coord;
using platform::InputRecord;
using platform::MemoryConsole;
using platform::MemoryConsoleStop;
using platform::SmallRect;

constexpr platform::Handle kOut = MemoryConsole::kStdOutput;

MemoryConsole::Config small_console(std::int16_t columns, std::int16_t rows) {
  MemoryConsole::Config config;
  config.columns = columns;
  config.rows = rows;
  return config;
}

// Row r holds the letters 'a'+r repeated, so moved cells show where they
// came from.
void fill_rows_with_letters(MemoryConsole& console) {
  for (int row = 0; row < console.size().y; ++row) {
    console.write_text(0, row,
                       std::u16string(static_cast<std::size_t>(console.size().x),
                                      static_cast<char16_t>(u'a' + row)),
                       7);
  }
}

std::vector<std::u16string> screen(const MemoryConsole& console) {
  std::vector<std::u16string> rows;
  for (int row = 0; row < console.size().y; ++row) {
    rows.push_back(console.row_text(row));
  }
  return rows;
}

TEST(MemoryConsoleScreen, ScrollMovesRectangleAndFillsUncoveredSource) {
  struct Case {
    const char* name;
    SmallRect scroll;
    std::optional<SmallRect> clip;
    Coord destination;
    std::vector<std::u16string> expected;
  };
  const std::vector<Case> cases = {
      {"whole buffer up one row",
       {0, 0, 3, 3},
       std::nullopt,
       {0, -1},
       {u"bbbb", u"cccc", u"dddd", u"...."}},
      {"whole buffer down one row",
       {0, 0, 3, 3},
       std::nullopt,
       {0, 1},
       {u"....", u"aaaa", u"bbbb", u"cccc"}},
      {"rows 1-2 up over row 0",
       {0, 1, 3, 2},
       std::nullopt,
       {0, 0},
       {u"bbbb", u"cccc", u"....", u"dddd"}},
      {"clip leaves the last row alone",
       {0, 0, 3, 3},
       SmallRect{0, 0, 3, 2},
       {0, -1},
       {u"bbbb", u"cccc", u"dddd", u"dddd"}},
      {"clip protects the row scrolled onto",
       {0, 1, 3, 3},
       SmallRect{0, 1, 3, 3},
       {0, 0},
       {u"aaaa", u"cccc", u"dddd", u"...."}},
      {"source clipped at the top moves the target too",
       {0, -1, 3, 1},
       std::nullopt,
       {0, 1},
       {u"....", u"....", u"aaaa", u"bbbb"}},
      {"sideways by two columns",
       {0, 0, 3, 0},
       std::nullopt,
       {2, 0},
       {u"..aa", u"bbbb", u"cccc", u"dddd"}},
      {"destination wholly outside fills the whole source",
       {0, 0, 3, 1},
       std::nullopt,
       {0, 10},
       {u"....", u"....", u"cccc", u"dddd"}},
  };
  for (const Case& c : cases) {
    MemoryConsole console(small_console(4, 4));
    fill_rows_with_letters(console);
    const SmallRect* clip = c.clip ? &*c.clip : nullptr;
    ASSERT_TRUE(console.scroll_console_screen_buffer(kOut, c.scroll, clip, c.destination,
                                                     CharInfo{u'.', 0x1F}))
        << c.name;
    EXPECT_EQ(screen(console), c.expected) << c.name;
  }
}

TEST(MemoryConsoleScreen, ScrollFillCarriesTheFillAttribute) {
  MemoryConsole console(small_console(3, 2));
  fill_rows_with_letters(console);
  console.scroll_console_screen_buffer(kOut, SmallRect{0, 0, 2, 1}, nullptr, Coord{0, -1},
                                       CharInfo{u' ', 0x4E});
  EXPECT_EQ(console.cell(1, 1).attributes, 0x4E);
  EXPECT_EQ(console.cell(1, 0).attributes, 7);
  EXPECT_EQ(console.cell(1, 0).character, u'b');
}

TEST(MemoryConsoleScreen, ScrollOfARectangleOutsideTheBufferFails) {
  MemoryConsole console(small_console(4, 4));
  EXPECT_FALSE(console.scroll_console_screen_buffer(kOut, SmallRect{5, 5, 8, 8}, nullptr,
                                                    Coord{0, 0}, CharInfo{}));
}

TEST(MemoryConsoleScreen, FillsRunOnIntoFollowingRowsAndStopAtTheEnd) {
  struct Case {
    Coord start;
    std::uint32_t length;
    std::uint32_t written;
    std::vector<std::u16string> expected;
  };
  const std::vector<Case> cases = {
      {{2, 0}, 4, 4, {u"..XX", u"XX..", u"...."}},
      {{0, 1}, 100, 8, {u"....", u"XXXX", u"XXXX"}},
      {{3, 2}, 1, 1, {u"....", u"....", u"...X"}},
      {{0, 0}, 0, 0, {u"....", u"....", u"...."}},
  };
  for (const Case& c : cases) {
    MemoryConsole console(small_console(4, 3));
    for (int row = 0; row < 3; ++row) {
      console.write_text(0, row, u"....", 7);
    }
    std::uint32_t written = 99;
    ASSERT_TRUE(console.fill_console_output_character(kOut, 'X', c.length, c.start, written));
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(screen(console), c.expected);

    ASSERT_TRUE(console.fill_console_output_attribute(kOut, 0x2A, c.length, c.start, written));
    EXPECT_EQ(written, c.written);
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 4; ++column) {
        bool filled =
            c.expected[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] == u'X';
        EXPECT_EQ(console.cell(column, row).attributes, filled ? 0x2A : 7);
      }
    }
  }
}

// A length of 0 is a valid call that writes nothing, wherever it starts: the
// last cell of such a fill must not be computed as the one before the first.
TEST(MemoryConsoleScreen, FillsOfLengthZeroWriteNothing) {
  for (const Coord start : {Coord{0, 0}, Coord{5, 2}, Coord{79, 24}}) {
    MemoryConsole console;
    fill_rows_with_letters(console);
    const std::vector<std::u16string> before = screen(console);
    std::uint32_t written = 99;
    EXPECT_TRUE(console.fill_console_output_character(kOut, 'X', 0, start, written));
    EXPECT_EQ(written, 0U);
    written = 99;
    EXPECT_TRUE(console.fill_console_output_attribute(kOut, 0x2A, 0, start, written));
    EXPECT_EQ(written, 0U);
    EXPECT_EQ(screen(console), before) << start.x << "," << start.y;
    EXPECT_EQ(console.cell(start.x, start.y).attributes, 7);
  }
}

TEST(MemoryConsoleScreen, FillCharacterGoesThroughTheAnsiCodePage) {
  MemoryConsole console(small_console(4, 1));
  std::uint32_t written = 0;
  console.fill_console_output_character(kOut, '\x80', 1, Coord{0, 0}, written);
  EXPECT_EQ(console.cell(0, 0).character, u'\u20AC');
}

TEST(MemoryConsoleScreen, FillFromOutsideTheBufferFails) {
  MemoryConsole console(small_console(4, 3));
  std::uint32_t written = 5;
  EXPECT_FALSE(console.fill_console_output_attribute(kOut, 1, 3, Coord{4, 0}, written));
  EXPECT_EQ(written, 0U);
}

TEST(MemoryConsoleScreen, WriteIsClippedToTheBufferAndReportsTheWrittenRegion) {
  MemoryConsole console(small_console(5, 3));
  const std::vector<CharInfo> cells = {{u'1', 1}, {u'2', 2}, {u'3', 3},
                                       {u'4', 4}, {u'5', 5}, {u'6', 6}};
  // A 3x2 block written at columns 3..5 of rows 2..3: only its top-left
  // 2x1 part lands.
  SmallRect region{3, 2, 5, 3};
  ASSERT_TRUE(console.write_console_output(kOut, cells.data(), Coord{3, 2}, Coord{0, 0}, region));
  EXPECT_EQ(region.left, 3);
  EXPECT_EQ(region.top, 2);
  EXPECT_EQ(region.right, 4);
  EXPECT_EQ(region.bottom, 2);
  EXPECT_EQ(console.row_text(2), u"   12");
  EXPECT_EQ(console.cell(4, 2).attributes, 2);

  // A region that starts left of the buffer skips the source cells that
  // would have gone there.
  SmallRect left{-1, 0, 1, 0};
  ASSERT_TRUE(console.write_console_output(kOut, cells.data(), Coord{3, 2}, Coord{0, 0}, left));
  EXPECT_EQ(left.left, 0);
  EXPECT_EQ(console.row_text(0), u"23   ");
  EXPECT_EQ(console.cursor().x, 0); // no cursor move
}

TEST(MemoryConsoleScreen, WriteTakesCellsFromTheBufferCoordinate) {
  MemoryConsole console(small_console(4, 2));
  const std::vector<CharInfo> cells = {{u'a', 7}, {u'b', 7}, {u'c', 7}, {u'd', 7}};
  SmallRect region{0, 0, 3, 0};
  ASSERT_TRUE(console.write_console_output(kOut, cells.data(), Coord{2, 2}, Coord{1, 0}, region));
  EXPECT_EQ(region.right, 0); // one column remains in the source after column 1
  EXPECT_EQ(console.row_text(0), u"b   ");

  std::vector<CharInfo> back(4);
  SmallRect read{0, 0, 1, 1};
  ASSERT_TRUE(console.read_console_output(kOut, back.data(), Coord{2, 2}, Coord{0, 0}, read));
  EXPECT_EQ(back[0].character, u'b');
  EXPECT_EQ(back[1].character, u' ');
}

// Block writes and reads that land nowhere touch no cell (and read or write
// nothing outside the caller's block), succeed, and report an empty region.
TEST(MemoryConsoleScreen, BlockOperationsThatLandNowhereReportAnEmptyRegion) {
  struct Case {
    const char* name;
    SmallRect region;
    Coord block_coord;
  };
  const Case cases[] = {
      {"region right of the buffer", {4, 0, 6, 0}, {0, 0}},
      {"region below the buffer", {0, 2, 1, 3}, {0, 0}},
      {"block coordinate past the block", {0, 0, 1, 0}, {2, 0}},
      {"block coordinate left of the block", {0, 0, 1, 0}, {-1, 0}},
      {"block coordinate above the block", {0, 0, 1, 0}, {0, -1}},
  };
  for (const Case& c : cases) {
    MemoryConsole console(small_console(4, 2));
    std::vector<CharInfo> block(4, CharInfo{u'x', 0x1F});
    SmallRect written = c.region;
    EXPECT_TRUE(
        console.write_console_output(kOut, block.data(), Coord{2, 2}, c.block_coord, written))
        << c.name;
    EXPECT_LT(written.right, written.left) << c.name;
    EXPECT_EQ(console.row_text(0), u"    ") << c.name;
    EXPECT_EQ(console.row_text(1), u"    ") << c.name;

    SmallRect read = c.region;
    EXPECT_TRUE(console.read_console_output(kOut, block.data(), Coord{2, 2}, c.block_coord, read))
        << c.name;
    EXPECT_LT(read.right, read.left) << c.name;
    EXPECT_EQ(block[0].character, u'x') << c.name;
  }
  MemoryConsole console(small_console(4, 2));
  SmallRect region{0, 0, 1, 0};
  EXPECT_FALSE(console.write_console_output(kOut, nullptr, Coord{2, 1}, Coord{0, 0}, region));
  EXPECT_FALSE(console.read_console_output(kOut, nullptr, Coord{2, 1}, Coord{0, 0}, region));
}

TEST(MemoryConsoleScreen, ScreenCallsNeedAConsoleHandle) {
  MemoryConsole::Config config = small_console(4, 2);
  config.stdout_is_console = false;
  MemoryConsole console(config);
  platform::ScreenBufferInfo info;
  EXPECT_FALSE(console.get_console_screen_buffer_info(MemoryConsole::kStdOutput, info));
  EXPECT_TRUE(console.get_console_screen_buffer_info(MemoryConsole::kStdError, info));
  EXPECT_FALSE(console.set_console_cursor_position(MemoryConsole::kStdInput, Coord{1, 1}));
  EXPECT_FALSE(console.set_console_text_attribute(MemoryConsole::kStdOutput, 0x1F));
  EXPECT_EQ(console.text_attribute(), 7);
}

TEST(MemoryConsoleScreen, CursorPositionOutsideTheBufferFailsAndTheWindowFollowsTheCursor) {
  MemoryConsole::Config config = small_console(10, 50);
  config.window = SmallRect{0, 0, 9, 9};
  MemoryConsole console(config);
  EXPECT_FALSE(console.set_console_cursor_position(kOut, Coord{10, 0}));
  EXPECT_FALSE(console.set_console_cursor_position(kOut, Coord{0, 50}));
  EXPECT_TRUE(console.set_console_cursor_position(kOut, Coord{3, 20}));
  EXPECT_EQ(console.window().top, 11);
  EXPECT_EQ(console.window().bottom, 20);
}

TEST(MemoryConsoleScreen, BufferAndWindowSizes) {
  MemoryConsole::Config config = small_console(10, 10);
  config.window = SmallRect{0, 4, 5, 9};
  MemoryConsole console(config);
  console.write_text(0, 1, u"keep", 0x1E);
  EXPECT_FALSE(console.set_console_screen_buffer_size(kOut, Coord{5, 10})); // narrower than window
  ASSERT_TRUE(console.set_console_screen_buffer_size(kOut, Coord{8, 7}));
  EXPECT_EQ(console.row_text(1), u"keep    ");
  EXPECT_EQ(console.window().top, 1); // moved up to stay inside
  EXPECT_EQ(console.window().bottom, 6);

  EXPECT_TRUE(console.set_console_window_info(kOut, false, SmallRect{1, -1, 1, -1}));
  EXPECT_EQ(console.window().left, 1);
  EXPECT_EQ(console.window().top, 0);
  EXPECT_FALSE(console.set_console_window_info(kOut, true, SmallRect{0, 0, 8, 3}));
  EXPECT_FALSE(console.set_console_window_info(kOut, true, SmallRect{3, 0, 2, 3}));
}

TEST(MemoryConsoleText, CodePage1252ToUtf16CoversEveryByte) {
  MemoryConsole console;
  std::string all;
  for (int byte = 1; byte < 256; ++byte) {
    all.push_back(static_cast<char>(byte));
  }
  const int size = static_cast<int>(all.size());
  ASSERT_EQ(
      console.multi_byte_to_wide_char(1252, platform::kMbPrecomposed, all.data(), size, nullptr, 0),
      255);
  std::u16string wide(255, u'\0');
  ASSERT_EQ(console.multi_byte_to_wide_char(0, platform::kMbPrecomposed, all.data(), size,
                                            wide.data(), 255),
            255);
  struct Expect {
    unsigned byte;
    char16_t unit;
  };
  for (Expect e : {Expect{0x41, u'A'}, Expect{0x7F, u'\x7F'}, Expect{0x80, u'\u20AC'},
                   Expect{0x81, u'\x81'}, Expect{0x8A, u'\u0160'}, Expect{0x8D, u'\x8D'},
                   Expect{0x8F, u'\x8F'}, Expect{0x90, u'\x90'}, Expect{0x93, u'\u201C'},
                   Expect{0x9D, u'\x9D'}, Expect{0x9F, u'\u0178'}, Expect{0xA0, u'\xA0'},
                   Expect{0xB7, u'\xB7'}, Expect{0xFF, u'\xFF'}}) {
    EXPECT_EQ(wide[e.byte - 1], e.unit) << std::hex << e.byte;
  }

  // And back: every byte survives the round trip.
  std::string narrow(255, '\0');
  ASSERT_EQ(console.wide_char_to_multi_byte(1252, 0, wide.data(), 255, narrow.data(), 255), 255);
  EXPECT_EQ(narrow, all);
}

TEST(MemoryConsoleText, UnmappableUnitsBecomeQuestionMarksIn1252) {
  MemoryConsole console;
  const std::u16string text = u"a\u0100\u20AC\xB7\U0001F600";
  char out[8] = {};
  ASSERT_EQ(console.wide_char_to_multi_byte(1252, 0, text.data(), 6, out, 8), 6);
  EXPECT_EQ(std::string(out, 6), std::string("a?\x80\xB7??"));
}

TEST(MemoryConsoleText, Utf8Conversions) {
  struct Case {
    std::string bytes;
    std::u16string units;
  };
  const std::vector<Case> decode = {
      {"abc", u"abc"},
      {"\xC2\xB7", u"\xB7"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a\xFFz", u"a\uFFFDz"},                 // a byte that never starts a character
      {"\xE2\x82z", u"\uFFFDz"},               // a truncated sequence is one replacement
      {"\xC0\xAF", u"\uFFFD\uFFFD"},           // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // an encoded surrogate
      {"\xE2\x82", u"\uFFFD"},                 // cut off at the end
  };
  MemoryConsole console;
  for (const Case& c : decode) {
    const int size = static_cast<int>(c.bytes.size());
    const int measured =
        console.multi_byte_to_wide_char(65001, 0, c.bytes.data(), size, nullptr, 0);
    ASSERT_EQ(measured, static_cast<int>(c.units.size())) << c.bytes;
    std::u16string out(static_cast<std::size_t>(measured), u'\0');
    ASSERT_EQ(console.multi_byte_to_wide_char(65001, 0, c.bytes.data(), size, out.data(), measured),
              measured);
    EXPECT_EQ(out, c.units) << c.bytes;
  }
  const std::u16string lone = u"x\xD800y";
  char out[8] = {};
  ASSERT_EQ(console.wide_char_to_multi_byte(65001, 0, lone.data(), 3, out, 8), 5);
  EXPECT_EQ(std::string(out, 5), "x\xEF\xBF\xBDy");
}

// The edges of each lead byte's second-byte range, and the round trip of
// every length of sequence through both conversions.
TEST(MemoryConsoleText, Utf8RangeEdges) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string units;
  };
  const Case cases[] = {
      {"lowest two-byte", "\xC2\x80", u"\u0080"},
      {"lowest three-byte", "\xE0\xA0\x80", u"\u0800"},
      {"overlong three-byte", "\xE0\x9F\xBF", u"\uFFFD\uFFFD\uFFFD"},
      {"last before the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
      {"highest three-byte", "\xEF\xBF\xBF", u"\uFFFF"},
      {"lowest four-byte", "\xF0\x90\x80\x80", u"\U00010000"},
      {"overlong four-byte", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"above the highest", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"lead byte past F4", "\xF5\x80", u"\uFFFD\uFFFD"},
      {"bad third byte", "\xF0\x9F\x41", u"\uFFFDA"},
  };
  MemoryConsole console;
  for (const Case& c : cases) {
    std::u16string units(8, u'\0');
    const int count = console.multi_byte_to_wide_char(
        65001, 0, c.bytes.data(), static_cast<int>(c.bytes.size()), units.data(), 8);
    units.resize(static_cast<std::size_t>(std::max(count, 0)));
    EXPECT_EQ(units, c.units) << c.name;
    if (c.units.find(u'\uFFFD') != std::u16string::npos) {
      continue;
    }
    char bytes[8] = {};
    const int back = console.wide_char_to_multi_byte(65001, 0, units.data(),
                                                     static_cast<int>(units.size()), bytes, 8);
    EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(std::max(back, 0))), c.bytes) << c.name;
  }
}

TEST(MemoryConsoleText, ConversionFailures) {
  MemoryConsole::Config config;
  config.ansi_code_page = 65001;
  MemoryConsole console(config);
  char16_t out[4] = {};
  EXPECT_EQ(console.multi_byte_to_wide_char(0, 0, "\xC2\xB7", 2, out, 4), 1); // 0 is the ANSI page
  EXPECT_EQ(out[0], u'\xB7');
  EXPECT_EQ(console.multi_byte_to_wide_char(437, 0, "abc", 3, out, 4), 0);    // unknown page
  EXPECT_EQ(console.multi_byte_to_wide_char(1252, 0, "abcde", 5, out, 4), 0); // too small
  // Flags that the code page does not take, as Windows refuses them.
  constexpr std::uint32_t kMbErrInvalidChars = 0x0008;
  EXPECT_EQ(console.multi_byte_to_wide_char(0, platform::kMbPrecomposed, "a", 1, out, 4), 0);
  EXPECT_EQ(console.multi_byte_to_wide_char(65001, platform::kMbPrecomposed, "a", 1, out, 4), 0);
  EXPECT_EQ(console.multi_byte_to_wide_char(65001, kMbErrInvalidChars, "a", 1, out, 4), 1);
  EXPECT_EQ(console.multi_byte_to_wide_char(1252, platform::kMbPrecomposed, "a", 1, out, 4), 1);
  console.failures().conversion = true;
  EXPECT_EQ(console.multi_byte_to_wide_char(1252, 0, "abc", 3, nullptr, 0), 0);
}

TEST(MemoryConsoleText, AutomationStringLayout) {
  MemoryConsole console;
  char16_t* text = console.sys_alloc_string_len(u"hi", 2);
  ASSERT_NE(text, nullptr);
  std::uint32_t count = 0;
  std::memcpy(&count, reinterpret_cast<char*>(text) - 4, 4);
  EXPECT_EQ(count, 4U);
  EXPECT_EQ(std::u16string(text, 3), std::u16string(u"hi\0", 3));
  char* bytes = console.sys_alloc_string_byte_len(nullptr, 3);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[3], '\0');
  EXPECT_EQ(bytes[4], '\0');
  EXPECT_EQ(console.live_strings(), 2U);
  console.sys_free_string(text);
  console.sys_free_string(bytes);
  console.sys_free_string(nullptr);
  EXPECT_EQ(console.live_strings(), 0U);

  console.failures().string_allocs_left = 1;
  char* one = console.sys_alloc_string_byte_len("a", 1);
  EXPECT_NE(one, nullptr);
  EXPECT_EQ(console.sys_alloc_string_byte_len("a", 1), nullptr);
  console.sys_free_string(one);
}

InputRecord key_record(char16_t character) {
  InputRecord record;
  record.event_type = platform::kKeyEvent;
  record.key = MemoryConsole::key_for(character);
  return record;
}

// Polls as the keyboard code does: peek, and pause 1 ms when nothing is
// there. Gives the character of each key-down read, in order.
std::u16string poll_keys(MemoryConsole& console, std::size_t keys) {
  std::u16string got;
  while (got.size() < keys) {
    InputRecord record;
    std::uint32_t count = 0;
    console.peek_console_input(MemoryConsole::kConsoleInput, record, count);
    if (count == 0) {
      console.sleep(1);
      continue;
    }
    console.read_console_input(MemoryConsole::kConsoleInput, record, count);
    if (record.key.key_down != 0) {
      got.push_back(record.key.character);
    }
  }
  return got;
}

TEST(MemoryConsoleInput, TimedRecordsArriveWhenTheClockReachesThem) {
  MemoryConsole console;
  console.push_record_at(500, key_record(u'b'));
  console.push_record_at(100, key_record(u'a'));
  console.push_record_at(500, key_record(u'c'));
  InputRecord record;
  std::uint32_t count = 0;
  ASSERT_TRUE(console.peek_console_input(MemoryConsole::kConsoleInput, record, count));
  EXPECT_EQ(count, 0U);
  EXPECT_EQ(poll_keys(console, 1), u"a");
  EXPECT_EQ(console.clock_ms(), 100U);
  EXPECT_EQ(poll_keys(console, 2), u"bc");
  EXPECT_EQ(console.clock_ms(), 500U);
}

TEST(MemoryConsoleInput, PeekLeavesTheHeadAndReadRemovesIt) {
  MemoryConsole console;
  console.type(u"xy");
  InputRecord record;
  std::uint32_t count = 0;
  console.peek_console_input(MemoryConsole::kStdInput, record, count);
  console.peek_console_input(MemoryConsole::kStdInput, record, count);
  EXPECT_EQ(record.key.character, u'x');
  EXPECT_EQ(console.pending_input(), 4U);
  console.read_console_input(MemoryConsole::kStdInput, record, count);
  console.read_console_input(MemoryConsole::kStdInput, record, count);
  EXPECT_EQ(record.key.key_down, 0);
  console.read_console_input(MemoryConsole::kStdInput, record, count);
  EXPECT_EQ(record.key.character, u'y');
}

TEST(MemoryConsoleInput, AnIdleScriptEndsTheRunAfterTheIdleLimit) {
  MemoryConsole::Config config;
  config.idle_limit_ms = 1000;
  MemoryConsole console(config);
  console.type(u"a");
  console.advance_clock(5000); // time spent before the key is read does not count
  EXPECT_EQ(poll_keys(console, 1), u"a");
  const std::uint64_t read_at = console.clock_ms();
  try {
    poll_keys(console, 2);
    FAIL() << "polling an exhausted script went on";
  } catch (const MemoryConsoleStop& stop) {
    EXPECT_EQ(stop.reason, MemoryConsoleStop::Reason::input_exhausted);
    EXPECT_EQ(console.clock_ms() - read_at, 1000U);
  }
  // Tens of thousands of polls would not grow the call log.
  EXPECT_LT(console.calls().size(), 20U);
  EXPECT_GE(console.count_calls("Sleep"), 1000U);
}

TEST(MemoryConsoleInput, ReadWaitsForTheNextTimedRecordOrEndsTheScript) {
  MemoryConsole::Config config;
  config.idle_limit_ms = 1000;
  MemoryConsole console(config);
  console.push_record_at(300, key_record(u'q'));
  InputRecord record;
  std::uint32_t count = 0;
  ASSERT_TRUE(console.read_console_input(MemoryConsole::kConsoleInput, record, count));
  EXPECT_EQ(record.key.character, u'q');
  EXPECT_EQ(console.clock_ms(), 300U);
  EXPECT_THROW(console.read_console_input(MemoryConsole::kConsoleInput, record, count),
               MemoryConsoleStop);
  EXPECT_EQ(console.clock_ms(), 1300U);
}

TEST(MemoryConsoleInput, NothingIsExhaustedWhileATimedRecordIsPending) {
  MemoryConsole::Config config;
  config.idle_limit_ms = 100;
  MemoryConsole console(config);
  console.push_record_at(5000, key_record(u'z'));
  EXPECT_EQ(poll_keys(console, 1), u"z");
}

TEST(MemoryConsoleInput, KeysCarryUsLayoutScanCodes) {
  struct Case {
    char16_t character;
    std::uint16_t scan;
    std::uint16_t vk;
    std::uint32_t state;
  };
  for (Case c :
       {Case{u'a', 0x1E, 0x41, 0}, Case{u'A', 0x1E, 0x41, platform::kShiftPressed},
        Case{u'0', 0x0B, 0x30, 0}, Case{u'!', 0x02, 0x31, platform::kShiftPressed},
        Case{u'/', 0x35, 0xBF, 0}, Case{u' ', 0x39, 0x20, 0}, Case{u'\r', 0x1C, 0x0D, 0},
        Case{u'\b', 0x0E, 0x08, 0}, Case{u'\t', 0x0F, 0x09, 0}, Case{u'\x1b', 0x01, 0x1B, 0},
        Case{u'\x03', 0x2E, 0x43, platform::kLeftCtrlPressed},
        // U+000A comes from Ctrl+J on any keyboard: a terminal sends it for
        // Ctrl+J, and only some send it for Ctrl+Enter.
        Case{u'\n', 0x24, 0x4A, platform::kLeftCtrlPressed},
        Case{u'\x1c', 0x2B, 0xDC, platform::kLeftCtrlPressed}}) {
    const platform::KeyEvent key = MemoryConsole::key_for(c.character);
    EXPECT_EQ(key.virtual_scan_code, c.scan) << static_cast<int>(c.character);
    EXPECT_EQ(key.virtual_key_code, c.vk) << static_cast<int>(c.character);
    EXPECT_EQ(key.control_key_state, c.state) << static_cast<int>(c.character);
  }
}

// Every printable ASCII character has a key, and no key types two of them
// with the same Shift state.
TEST(MemoryConsoleInput, EveryPrintableAsciiCharacterHasItsOwnKey) {
  std::map<std::pair<std::uint16_t, std::uint32_t>, char16_t> typed_by;
  for (char16_t character = 0x20; character < 0x7F; ++character) {
    const platform::KeyEvent key = MemoryConsole::key_for(character);
    EXPECT_NE(key.virtual_scan_code, 0) << static_cast<char>(character);
    EXPECT_NE(key.virtual_key_code, 0) << static_cast<char>(character);
    const auto [other, fresh] =
        typed_by.emplace(std::pair{key.virtual_scan_code, key.control_key_state}, character);
    EXPECT_TRUE(fresh) << static_cast<char>(character) << " and "
                       << static_cast<char>(other->second) << " share a key";
  }
  EXPECT_EQ(MemoryConsole::key_for(u'\u00E9').virtual_scan_code, 0) << "not on the layout";
}

TEST(MemoryConsoleClock, LocalTimeCarriesIntoTheNextDayAndYear) {
  MemoryConsole::Config config;
  config.start_time = {2026, 12, 4, 31, 23, 59, 59, 900};
  MemoryConsole console(config);
  console.sleep(150);
  platform::SystemTime time;
  console.get_local_time(time);
  EXPECT_EQ(time.year, 2027);
  EXPECT_EQ(time.month, 1);
  EXPECT_EQ(time.day, 1);
  EXPECT_EQ(time.day_of_week, 5);
  EXPECT_EQ(time.hour, 0);
  EXPECT_EQ(time.minute, 0);
  EXPECT_EQ(time.second, 0);
  EXPECT_EQ(time.milliseconds, 50);

  console.sleep(59 * 60 * 1000 + 1000);
  console.get_local_time(time);
  EXPECT_EQ(time.minute, 59);
  EXPECT_EQ(time.second, 1);
}

TEST(MemoryConsoleWindow, MenuEditsByCommandAndByPosition) {
  MemoryConsole console;
  ASSERT_EQ(console.close_item_position(), 6U);
  const platform::Handle menu = console.get_system_menu(MemoryConsole::kWindow, false);
  EXPECT_TRUE(console.delete_menu(menu, platform::kScClose, platform::kMfByCommand));
  EXPECT_FALSE(console.menu_has_close());
  EXPECT_FALSE(console.delete_menu(menu, platform::kScClose, platform::kMfByCommand));
  EXPECT_TRUE(console.insert_menu(menu, 6, platform::kMfByPosition, platform::kScClose, u"Close"));
  EXPECT_EQ(console.close_item_position(), 6U);
  EXPECT_EQ(console.system_menu()[6].text, u"Close");
  EXPECT_EQ(console.get_system_menu(0x999, false), platform::kNullHandle);
}

TEST(MemoryConsoleWindow, WindowIsFoundOnlyByItsExactTitle) {
  MemoryConsole console;
  console.set_console_title(u"Console ");
  EXPECT_EQ(console.find_window(u"Console"), platform::kNullHandle);
  EXPECT_EQ(console.find_window(u"Console "), MemoryConsole::kWindow);
  EXPECT_EQ(console.get_console_window(), MemoryConsole::kWindow);
  MemoryConsole::Config config;
  config.has_window = false;
  MemoryConsole windowless(config);
  EXPECT_EQ(windowless.find_window(u"Console"), platform::kNullHandle);
  EXPECT_EQ(windowless.get_console_window(), platform::kNullHandle);
  config.terminal_window = true;
  MemoryConsole in_terminal(config);
  EXPECT_EQ(in_terminal.find_window(u"Console"), MemoryConsole::kTerminalWindow);
  EXPECT_EQ(in_terminal.get_system_menu(MemoryConsole::kTerminalWindow, false),
            MemoryConsole::kTerminalMenu);
}

TEST(MemoryConsoleProcess, MemoryFailuresAndLiveCounts) {
  MemoryConsole console;
  console.failures().global_allocs_left = 1;
  void* block = console.global_alloc_zeroed(16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(block)[15], 0);
  EXPECT_EQ(console.global_alloc_zeroed(16), nullptr);
  console.failures().global_free = true;
  EXPECT_EQ(console.global_free(block), block);
  EXPECT_EQ(console.live_global_blocks(), 1U);
  console.failures().global_free = false;
  EXPECT_EQ(console.global_free(block), nullptr);
  EXPECT_EQ(console.live_global_blocks(), 0U);

  console.failures().tls_alloc = true;
  EXPECT_EQ(console.tls_alloc(), platform::kTlsOutOfIndexes);
  EXPECT_EQ(console.live_tls_slots(), 0U);
}

TEST(MemoryConsoleProcess, ExitUnwindsToTheTestWithTheCode) {
  MemoryConsole console;
  try {
    console.exit_process(3);
    FAIL() << "exit_process returned";
  } catch (const MemoryConsoleStop& stop) {
    EXPECT_EQ(stop.reason, MemoryConsoleStop::Reason::exited);
    EXPECT_EQ(stop.exit_code, 3U);
  }
  EXPECT_EQ(console.exit_code(), 3U);
  EXPECT_EQ(console.calls().back(), "ExitProcess");
}

} // namespace
