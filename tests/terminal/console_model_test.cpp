// The console cells under the Windows screen operations: clipping, fills
// that run on across rows, and scrolls with their fill and clip rules; the
// window over the tall buffer, as it follows the cursor and the terminal's
// size.
#include <gtest/gtest.h>

#include <string>

#include "runtime/platform/terminal/console_model.h"

namespace {

using platform::CharInfo;
using platform::Coord;
using platform::SmallRect;
using platform::terminal::Cell;
using platform::terminal::ConsoleModel;

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
  ConsoleModel model({6, 2}, 2);
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
  ConsoleModel model({4, 3}, 3);
  std::uint32_t filled = model.fill_characters(u'x', 6, {2, 0});
  EXPECT_EQ(filled, 6U);
  EXPECT_EQ(row(model, 0), u"..xx");
  EXPECT_EQ(row(model, 1), u"xxxx");
  filled = model.fill_attributes(0x4F, 100, {0, 2});
  EXPECT_EQ(filled, 4U);
  EXPECT_EQ(model.buffer().at(0, 2).attributes, 0x4F);
  EXPECT_EQ(model.buffer().at(0, 2).character, u' ') << "a cell never written is a blank";
  EXPECT_EQ(model.fill_characters(u'y', 1, {4, 0}), 0U) << "start outside the screen";
}

TEST(ConsoleModel, WholeBufferScrollUpIsRecognised) {
  ConsoleModel model({5, 2}, 4);
  const SmallRect whole_but_top{0, 1, 4, 3};
  EXPECT_EQ(model.whole_buffer_rows_up(whole_but_top, nullptr, {0, 0}), 1);
  EXPECT_EQ(model.whole_buffer_rows_up({0, 2, 4, 3}, nullptr, {0, 0}), 2);
  EXPECT_EQ(model.whole_buffer_rows_up({0, 1, 3, 3}, nullptr, {0, 0}), 0) << "not full width";
  EXPECT_EQ(model.whole_buffer_rows_up(whole_but_top, nullptr, {0, 1}), 0) << "not to the top";
  const SmallRect clip{0, 0, 4, 2};
  EXPECT_EQ(model.whole_buffer_rows_up(whole_but_top, &clip, {0, 0}), 0) << "clipped";
}

TEST(ConsoleModel, ScrollMovesCellsAndFillsWhatTheyLeave) {
  ConsoleModel model({4, 3}, 3);
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
  ConsoleModel model({80, 25});
  EXPECT_EQ(model.size().y, ConsoleModel::kBufferRows);
  write_row(model, 30, u"x");
  EXPECT_EQ(model.buffer().stored_rows(), 31);
  const std::uint32_t all = 80U * ConsoleModel::kBufferRows;
  EXPECT_EQ(model.fill_characters(u' ', all, {0, 0}), all);
  EXPECT_EQ(model.fill_attributes(0x1E, all, {0, 0}), all);
  EXPECT_EQ(model.buffer().stored_rows(), 31);
  EXPECT_EQ(model.buffer().at(79, ConsoleModel::kBufferRows - 1), (Cell{u' ', 0x1E, true}));
  EXPECT_EQ(model.buffer().at(0, 30), (Cell{u' ', 0x1E, true}));
}

// The window moves by the fewest rows that bring the cursor into view.
TEST(ConsoleModel, WindowFollowsTheCursor) {
  struct Step {
    int cursor_row;
    int window_top;
  };
  constexpr Step kSteps[] = {{4, 0}, {5, 1}, {12, 8}, {9, 8}, {2, 2}, {99, 95}, {0, 0}};
  ConsoleModel model({10, 5}, 100);
  for (const Step& step : kSteps) {
    ASSERT_TRUE(model.set_cursor({3, static_cast<std::int16_t>(step.cursor_row)}));
    EXPECT_EQ(model.window_top(), step.window_top) << "cursor on row " << step.cursor_row;
    EXPECT_EQ(model.window().bottom - model.window().top, 4);
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
  ConsoleModel model({8, 25}, 100);
  write_row(model, 44, u"abcdefgh");
  model.set_cursor({6, 44});
  ASSERT_EQ(model.window_top(), 20);
  for (const Resize& resize : kResizes) {
    model.resize_window(resize.size);
    EXPECT_EQ(model.window_top(), resize.window_top) << resize.size.x << "x" << resize.size.y;
    EXPECT_EQ(model.size().x, resize.size.x);
    EXPECT_EQ(model.cursor().x, resize.cursor_column);
    EXPECT_EQ(model.cursor().y, 44);
    EXPECT_EQ(row(model, 44), std::u16string(u"abcdefgh").substr(0, resize.size.x));
  }
  // A clear at the narrow width covers the hidden cells too.
  model.resize_window({4, 10});
  model.fill_characters(u' ', 4U * 100U, {0, 0});
  model.resize_window({8, 10});
  EXPECT_EQ(row(model, 44), u"        ");
}

} // namespace
