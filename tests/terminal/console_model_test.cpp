// The console cells under the Windows screen operations: clipping, fills
// that run on across rows, and scrolls with their fill and clip rules.
#include <gtest/gtest.h>

#include <string>

#include "runtime/platform/terminal/console_model.h"

namespace {

using platform::CharInfo;
using platform::SmallRect;
using platform::terminal::ConsoleModel;

std::u16string row(const ConsoleModel& model, int y) {
  std::u16string text;
  for (int x = 0; x < model.size().x; ++x) {
    const auto& cell = model.cells()[static_cast<std::size_t>(y) * model.size().x + x];
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
  ConsoleModel model({6, 2});
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
  ConsoleModel model({4, 3});
  std::uint32_t filled = model.fill_characters(u'x', 6, {2, 0});
  EXPECT_EQ(filled, 6U);
  EXPECT_EQ(row(model, 0), u"..xx");
  EXPECT_EQ(row(model, 1), u"xxxx");
  filled = model.fill_attributes(0x4F, 100, {0, 2});
  EXPECT_EQ(filled, 4U);
  EXPECT_EQ(model.cells()[8].attributes, 0x4F);
  EXPECT_EQ(model.cells()[8].character, u' ') << "a cell never written is a blank";
  EXPECT_EQ(model.fill_characters(u'y', 1, {4, 0}), 0U) << "start outside the screen";
}

TEST(ConsoleModel, WholeScreenScrollUpIsRecognised) {
  ConsoleModel model({5, 4});
  const SmallRect whole_but_top{0, 1, 4, 3};
  EXPECT_EQ(model.whole_screen_rows_up(whole_but_top, nullptr, {0, 0}), 1);
  EXPECT_EQ(model.whole_screen_rows_up({0, 2, 4, 3}, nullptr, {0, 0}), 2);
  EXPECT_EQ(model.whole_screen_rows_up({0, 1, 3, 3}, nullptr, {0, 0}), 0) << "not full width";
  EXPECT_EQ(model.whole_screen_rows_up(whole_but_top, nullptr, {0, 1}), 0) << "not to the top";
  const SmallRect clip{0, 0, 4, 2};
  EXPECT_EQ(model.whole_screen_rows_up(whole_but_top, &clip, {0, 0}), 0) << "clipped";
}

TEST(ConsoleModel, ScrollMovesCellsAndFillsWhatTheyLeave) {
  ConsoleModel model({4, 3});
  write_row(model, 0, u"aaaa");
  write_row(model, 1, u"bbbb");
  write_row(model, 2, u"cccc");
  EXPECT_TRUE(model.scroll({0, 1, 3, 2}, nullptr, {0, 0}, CharInfo{u'-', 0x1F}));
  EXPECT_EQ(row(model, 0), u"bbbb");
  EXPECT_EQ(row(model, 1), u"cccc");
  EXPECT_EQ(row(model, 2), u"----");
  EXPECT_EQ(model.cells()[8].attributes, 0x1F);

  // Only cells inside the clip change: the moved block and the fill alike.
  const SmallRect clip{0, 0, 1, 2};
  model.scroll({0, 0, 3, 1}, &clip, {1, 1}, CharInfo{u'*', 7});
  EXPECT_EQ(row(model, 0), u"**bb");
  EXPECT_EQ(row(model, 1), u"*bcc");
  EXPECT_EQ(row(model, 2), u"-c--");
}

TEST(ConsoleModel, ResizeKeepsWhatFitsAndTheCursorInside) {
  ConsoleModel model({4, 3});
  write_row(model, 0, u"abcd");
  model.set_cursor({3, 2});
  model.resize({2, 4});
  EXPECT_EQ(row(model, 0), u"ab");
  EXPECT_EQ(row(model, 3), u"..");
  EXPECT_EQ(model.cursor().x, 1);
  EXPECT_EQ(model.cursor().y, 2);
  EXPECT_FALSE(model.set_cursor({2, 0})) << "outside the screen";
}

} // namespace
