// The console cells under the Windows screen operations: clipping, fills
// that run on across rows, and scrolls with their fill and clip rules; the
// window over the buffer, as it follows the cursor and a new window size.
#include <gtest/gtest.h>

#include <string>

#include "runtime/platform/console_model.h"

namespace {

using platform::CharInfo;
using platform::ConsoleModel;
using platform::Coord;
using platform::ScreenCell;
using platform::SmallRect;

// A buffer `rows` tall under a window of `window` at its top, with cells
// nobody wrote, as the terminal console starts one.
ConsoleModel model_of(Coord window, int rows) {
  return ConsoleModel({.size = {window.x, static_cast<std::int16_t>(rows)},
                       .window = {0, 0, static_cast<std::int16_t>(window.x - 1),
                                  static_cast<std::int16_t>(window.y - 1)}});
}

std::u16string row(const ConsoleModel& model, int y) {
  std::u16string text;
  for (int x = 0; x < model.size().x; ++x) {
    const auto& cell = model.buffer().at(x, y);
    text += cell.known ? cell.character : u'.';
  }
  return text;
}

void write_row(ConsoleModel& model, int y, std::u16string_view text) {
  std::vector<CharInfo> cells;
  for (const char16_t c : text) {
    cells.push_back({c, 0x07});
  }
  SmallRect region{0, static_cast<std::int16_t>(y), static_cast<std::int16_t>(text.size() - 1),
                   static_cast<std::int16_t>(y)};
  model.write(cells.data(), {static_cast<std::int16_t>(text.size()), 1}, {0, 0}, region);
}

TEST(ConsoleModel, WriteIsClippedToTheScreen) {
  ConsoleModel model = model_of({6, 2}, 2);
  const CharInfo cells[] = {{u'a', 7}, {u'b', 7}, {u'c', 7}, {u'd', 7}};
  SmallRect region{4, 1, 7, 1};
  EXPECT_TRUE(model.write(cells, {4, 1}, {0, 0}, region));
  EXPECT_EQ(row(model, 1), u"....ab");
  EXPECT_EQ(region.right, 5) << "the region comes back as the part written";

  SmallRect left_of_screen{-2, 0, 1, 0};
  model.write(cells, {4, 1}, {0, 0}, left_of_screen);
  EXPECT_EQ(row(model, 0), u"cd....") << "clipping on the left skips source cells";
}

TEST(ConsoleModel, FillsRunOnIntoFollowingRowsAndStopAtTheEnd) {
  ConsoleModel model = model_of({4, 3}, 3);
  std::uint32_t filled = 0;
  EXPECT_TRUE(model.fill_characters(u'x', 6, {2, 0}, filled));
  EXPECT_EQ(filled, 6U);
  EXPECT_EQ(row(model, 0), u"..xx");
  EXPECT_EQ(row(model, 1), u"xxxx");
  model.fill_attributes(0x4F, 100, {0, 2}, filled);
  EXPECT_EQ(filled, 4U);
  EXPECT_EQ(model.buffer().at(0, 2).attributes, 0x4F);
  EXPECT_EQ(model.buffer().at(0, 2).character, u' ') << "a cell never written is a blank";
  EXPECT_FALSE(model.fill_characters(u'y', 1, {4, 0}, filled)) << "start outside the screen";
  EXPECT_EQ(filled, 0U);
}

TEST(ConsoleModel, WholeBufferScrollUpIsRecognised) {
  ConsoleModel model = model_of({5, 2}, 4);
  const SmallRect whole_but_top{0, 1, 4, 3};
  EXPECT_EQ(model.whole_buffer_rows_up(whole_but_top, nullptr, {0, 0}), 1);
  EXPECT_EQ(model.whole_buffer_rows_up({0, 2, 4, 3}, nullptr, {0, 0}), 2);
  EXPECT_EQ(model.whole_buffer_rows_up({0, 1, 3, 3}, nullptr, {0, 0}), 0) << "not full width";
  EXPECT_EQ(model.whole_buffer_rows_up(whole_but_top, nullptr, {0, 1}), 0) << "not to the top";
  const SmallRect clip{0, 0, 4, 2};
  EXPECT_EQ(model.whole_buffer_rows_up(whole_but_top, &clip, {0, 0}), 0) << "clipped";
}

TEST(ConsoleModel, ScrollMovesCellsAndFillsWhatTheyLeave) {
  ConsoleModel model = model_of({4, 3}, 3);
  write_row(model, 0, u"aaaa");
  write_row(model, 1, u"bbbb");
  write_row(model, 2, u"cccc");
  EXPECT_TRUE(model.scroll({0, 1, 3, 2}, nullptr, {0, 0}, CharInfo{u'-', 0x1F}));
  EXPECT_EQ(row(model, 0), u"bbbb");
  EXPECT_EQ(row(model, 1), u"cccc");
  EXPECT_EQ(row(model, 2), u"----");
  EXPECT_EQ(model.buffer().at(0, 2).attributes, 0x1F);

  // Only cells inside the clip change: the moved block and the fill alike.
  const SmallRect clip{0, 0, 1, 2};
  model.scroll({0, 0, 3, 1}, &clip, {1, 1}, CharInfo{u'*', 7});
  EXPECT_EQ(row(model, 0), u"**bb");
  EXPECT_EQ(row(model, 1), u"*bcc");
  EXPECT_EQ(row(model, 2), u"-c--");
}

// A tall buffer costs only the rows used, also after a clear of all of it.
TEST(ConsoleModel, BufferStoresOnlyTheRowsUsed) {
  constexpr int kRows = 9001;
  ConsoleModel model = model_of({80, 25}, kRows);
  write_row(model, 30, u"x");
  EXPECT_EQ(model.buffer().stored_rows(), 31);
  const std::uint32_t all = 80U * kRows;
  std::uint32_t filled = 0;
  model.fill_characters(u' ', all, {0, 0}, filled);
  EXPECT_EQ(filled, all);
  model.fill_attributes(0x1E, all, {0, 0}, filled);
  EXPECT_EQ(filled, all);
  EXPECT_EQ(model.buffer().stored_rows(), 31);
  EXPECT_EQ(model.buffer().at(79, kRows - 1), (ScreenCell{u' ', 0x1E, true}));
  EXPECT_EQ(model.buffer().at(0, 30), (ScreenCell{u' ', 0x1E, true}));
}

// The window moves by the fewest rows and columns that bring the cursor
// into view, keeping its size.
TEST(ConsoleModel, WindowFollowsTheCursor) {
  struct Step {
    Coord cursor;
    Coord window_corner;
  };
  constexpr Step kSteps[] = {{{3, 4}, {0, 0}},     {{3, 5}, {0, 1}},   {{3, 12}, {0, 8}},
                             {{3, 9}, {0, 8}},     {{3, 2}, {0, 2}},   {{3, 99}, {0, 95}},
                             {{19, 99}, {10, 95}}, {{12, 0}, {10, 0}}, {{0, 0}, {0, 0}}};
  ConsoleModel model({.size = {20, 100}, .window = {0, 0, 9, 4}});
  for (const Step& step : kSteps) {
    ASSERT_TRUE(model.set_cursor(step.cursor));
    EXPECT_EQ(model.window().left, step.window_corner.x) << step.cursor.x << "," << step.cursor.y;
    EXPECT_EQ(model.window().top, step.window_corner.y) << step.cursor.x << "," << step.cursor.y;
    EXPECT_EQ(model.window_size().x, 10);
    EXPECT_EQ(model.window_size().y, 5);
  }
  EXPECT_FALSE(model.set_cursor({0, 100})) << "below the buffer";
}

// A resize keeps the cursor in view, and a grow shows more of the rows
// above, keeping the cursor's distance from the bottom; a narrower width
// hides cells that a wider one shows again.
TEST(ConsoleModel, ResizeKeepsTheCursorInViewAndHiddenCells) {
  struct Resize {
    Coord size;
    int window_top;
    int cursor_column;
  };
  constexpr Resize kResizes[] = {
      {{4, 20}, 25, 3}, // shrink: the cursor at the bottom
      {{8, 25}, 20, 6}, // grow back: as before
      {{8, 40}, 5, 6},  // grow past it: more rows above
      {{8, 50}, 0, 6},  // the buffer's top stops the window
      {{8, 10}, 35, 6}, // shrink again
  };
  ConsoleModel model = model_of({8, 25}, 100);
  write_row(model, 44, u"abcdefgh");
  model.set_cursor({6, 44});
  ASSERT_EQ(model.window().top, 20);
  for (const Resize& resize : kResizes) {
    model.resize_window(resize.size);
    EXPECT_EQ(model.window().top, resize.window_top) << resize.size.x << "x" << resize.size.y;
    EXPECT_EQ(model.size().x, resize.size.x);
    EXPECT_EQ(model.cursor().x, resize.cursor_column);
    EXPECT_EQ(model.cursor().y, 44);
    EXPECT_EQ(row(model, 44), std::u16string(u"abcdefgh").substr(0, resize.size.x));
  }
  // A clear at the narrow width covers the hidden cells too.
  model.resize_window({4, 10});
  std::uint32_t filled = 0;
  model.fill_characters(u' ', 4U * 100U, {0, 0}, filled);
  model.resize_window({8, 10});
  EXPECT_EQ(row(model, 44), u"        ");
}

} // namespace
