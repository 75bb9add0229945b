// The renderer, judged by what a terminal shows after its output: the bytes
// are read back through our own small screen model.
#include <gtest/gtest.h>

#include <clocale>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "runtime/platform/terminal/output_encoder.h"
#include "runtime/platform/terminal/renderer.h"
#include "tests/terminal/screen_model.h"

namespace {

using platform::Coord;
using platform::terminal::Cell;
using platform::terminal::display_code_point;
using platform::terminal::OutputEncoder;
using platform::terminal::Renderer;
using platform::terminal::RendererOptions;
using terminal_test::ScreenModel;

// The ANSI colour that shows each console colour.
constexpr int kAnsiOf[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};

class RendererTest : public ::testing::Test {
protected:
  RendererTest() { std::setlocale(LC_CTYPE, "C.UTF-8"); }

  void start(int columns, int rows, RendererOptions options = {}) {
    columns_ = columns;
    rows_ = rows;
    options_ = options;
    cells_.assign(static_cast<std::size_t>(columns) * rows, Cell{});
    renderer_.emplace(options, encoder_);
    renderer_->reset(Coord{static_cast<std::int16_t>(columns), static_cast<std::int16_t>(rows)});
    screen_.emplace(columns, rows);
  }

  Cell& cell(int x, int y) { return cells_[static_cast<std::size_t>(y) * columns_ + x]; }

  void write(int x, int y, std::u16string_view text, std::uint16_t attributes) {
    for (const char16_t c : text) {
      cell(x++, y) = Cell{c, attributes, true};
    }
  }

  void clear(std::uint16_t attributes) {
    cells_.assign(cells_.size(), Cell{u' ', attributes, true});
  }

  // The console's own scroll of the whole buffer by one row.
  void scroll_cells(std::uint16_t fill) {
    cells_.erase(cells_.begin(), cells_.begin() + columns_);
    cells_.insert(cells_.end(), static_cast<std::size_t>(columns_), Cell{u' ', fill, true});
  }

  // Renders a frame into the screen model and gives its size in bytes.
  std::size_t draw() {
    std::string out;
    renderer_->render(cells_, out);
    renderer_->place_cursor(cursor_, cursor_visible_, out);
    screen_->feed(out);
    return out.size();
  }

  // Every cell the program wrote shows on the screen in its colours; the
  // terminal's cursor is the console's.
  void expect_screen_shows_cells() {
    ASSERT_TRUE(screen_->problems().empty()) << screen_->problems().front();
    ASSERT_FALSE(screen_->partial());
    for (int y = 0; y < rows_; ++y) {
      for (int x = 0; x < columns_; ++x) {
        const Cell& want = cell(x, y);
        if (!want.known || (!options_.last_column_safe && x == columns_ - 1 && y == rows_ - 1)) {
          continue;
        }
        const auto& shown = screen_->at(x, y);
        ASSERT_EQ(shown.character, display_code_point(want.character)) << "at " << x << "," << y;
        ASSERT_EQ(shown.background, kAnsiOf[(want.attributes >> 4) & 15]) << "at " << x << "," << y;
        if (shown.character != U' ') {
          ASSERT_EQ(shown.foreground, kAnsiOf[want.attributes & 15]) << "at " << x << "," << y;
        }
      }
    }
    EXPECT_EQ(screen_->cursor_x(), cursor_.x);
    EXPECT_EQ(screen_->cursor_y(), cursor_.y);
    EXPECT_FALSE(screen_->wrap_pending()) << "the next character goes where the cursor shows";
    EXPECT_EQ(screen_->cursor_visible(), cursor_visible_);
  }

  int columns_ = 0;
  int rows_ = 0;
  RendererOptions options_;
  std::vector<Cell> cells_;
  OutputEncoder encoder_;
  std::optional<Renderer> renderer_;
  std::optional<ScreenModel> screen_;
  Coord cursor_;
  bool cursor_visible_ = true;
};

TEST_F(RendererTest, ConsoleColoursShowInTheTerminalsPalette) {
  start(16, 2);
  for (int colour = 0; colour < 16; ++colour) {
    write(colour, 0, u"x", static_cast<std::uint16_t>(colour | ((15 - colour) << 4)));
    write(colour, 1, u"y", static_cast<std::uint16_t>(colour << 4 | 7));
  }
  draw();
  for (int colour = 0; colour < 16; ++colour) {
    EXPECT_EQ(screen_->at(colour, 0).foreground, kAnsiOf[colour]) << colour;
    EXPECT_EQ(screen_->at(colour, 0).background, kAnsiOf[15 - colour]) << colour;
    EXPECT_EQ(screen_->at(colour, 1).background, kAnsiOf[colour]) << colour;
  }
  expect_screen_shows_cells();
}

TEST_F(RendererTest, CellsNeverWrittenKeepWhatTheTerminalShowed) {
  start(20, 4);
  screen_->set_text(0, 0, U"$ shell output");
  write(0, 2, u"program", 0x1E);
  cursor_ = Coord{7, 2};
  draw();
  EXPECT_EQ(screen_->row_text(0), "$ shell output      ");
  expect_screen_shows_cells();
}

TEST_F(RendererTest, OnlyChangesAreSent) {
  start(80, 25);
  clear(0x07);
  write(0, 0, u"Use decimal color values", 0x0E);
  draw();
  EXPECT_EQ(draw(), 0U) << "nothing changed";

  write(10, 12, u"Z", 0x0E);
  cursor_ = Coord{11, 12};
  EXPECT_LE(draw(), 16U);
  expect_screen_shows_cells();
}

TEST_F(RendererTest, ClearedScreenIsErasedNotWrittenOut) {
  start(80, 25);
  clear(0x1F);
  EXPECT_LE(draw(), 24U);
  expect_screen_shows_cells();

  // Without background colour erase every blank is written.
  start(80, 25, RendererOptions{false, true});
  clear(0x1F);
  EXPECT_GE(draw(), 80U * 25U);
  expect_screen_shows_cells();
}

TEST_F(RendererTest, ShortUnchangedGapIsResentRatherThanJumped) {
  start(40, 3);
  clear(0x07);
  write(0, 1, u"abcdefgh", 0x07);
  cursor_ = Coord{8, 1};
  draw();
  write(2, 1, u"X", 0x07);
  write(4, 1, u"Y", 0x07);
  // X, then 'd' re-sent, then Y: cheaper than any cursor move in between.
  const std::size_t bytes = draw();
  expect_screen_shows_cells();
  EXPECT_LE(bytes, 3U + 6U + 5U);
}

TEST_F(RendererTest, WholeScreenScrollIsARealScroll) {
  start(30, 5);
  clear(0x07);
  for (int row = 0; row < 5; ++row) {
    write(0, row, u"row " + std::u16string(1, static_cast<char16_t>(u'0' + row)), 0x07);
  }
  draw();
  std::string out;
  renderer_->scroll_up(1, 0x07, out);
  scroll_cells(0x07);
  screen_->feed(out);
  write(0, 4, u"row 5", 0x07);
  cursor_ = Coord{5, 4};
  const std::size_t bytes = out.size() + draw();
  ASSERT_EQ(screen_->scrollback().size(), 1U);
  EXPECT_EQ(screen_->scrollback()[0].substr(0, 5), "row 0");
  EXPECT_EQ(screen_->row_text(0).substr(0, 5), "row 1");
  expect_screen_shows_cells();
  EXPECT_LE(bytes, 24U) << "scrolled rows are not repainted";
}

// The terminal as a window onto a taller buffer: a move down by up to a
// screenful is sent as that many scrolls, the rows leaving the top going to
// the scrollback as they were; any other move, and a resize, repaints on a
// blank screen, where what the program never wrote shows blank in the
// terminal's own colours (shell output and stale rows included).
TEST_F(RendererTest, WindowMovesScrollOrRepaint) {
  struct Move {
    int top;
    bool scrolls;
  };
  constexpr Move kMoves[] = {{1, true}, {4, true}, {8, true}, {13, false}, {10, false}, {0, false}};
  constexpr int kBufferRows = 20;
  for (const RendererOptions options :
       {RendererOptions{true, true}, RendererOptions{false, true}}) {
    start(12, 4, options);
    // Rows 2, 7 and 16 were never written.
    std::vector<std::vector<Cell>> buffer(kBufferRows);
    for (int y = 0; y < kBufferRows; ++y) {
      buffer[y].assign(12, Cell{});
      for (int x = 0; x < 6 && y % 5 != 2 && y != 16; ++x) {
        buffer[y][x] = Cell{static_cast<char16_t>(x == 5 ? u'a' + y : u"row "[x % 4]),
                            static_cast<std::uint16_t>(0x10 + y % 7), true};
      }
    }
    const auto show = [&](int top) {
      for (int y = 0; y < rows_; ++y) {
        std::copy(buffer[top + y].begin(), buffer[top + y].end(), cells_.begin() + y * columns_);
      }
    };
    screen_->set_text(0, 2, U"shell output");
    show(0);
    draw();
    EXPECT_EQ(screen_->row_text(2).substr(0, 5), "shell") << "left as the terminal shows it";
    int top = 0;
    std::size_t scrolled = 0;
    for (const Move& move : kMoves) {
      std::string out;
      if (move.scrolls) {
        const int rows = move.top - top;
        renderer_->scroll_up(rows, std::nullopt, out);
        scrolled += static_cast<std::size_t>(rows);
      } else {
        renderer_->repaint_from_blank(Coord{12, 4}, out);
      }
      screen_->feed(out);
      top = move.top;
      show(top);
      cursor_ = Coord{2, 3};
      const std::size_t bytes = out.size() + draw();
      expect_screen_shows_cells();
      // Shell output scrolls along with its row; anything else unwritten is
      // blank.
      const bool shell_row_shown = move.scrolls && top <= 2;
      for (int y = 0; y < rows_; ++y) {
        for (int x = 0; x < columns_; ++x) {
          if (!cell(x, y).known && !(shell_row_shown && top + y == 2)) {
            ASSERT_EQ(screen_->at(x, y).character, U' ')
                << "top " << top << " at " << x << "," << y;
            ASSERT_EQ(screen_->at(x, y).background, -1) << "top " << top << " at " << x << "," << y;
          }
        }
      }
      ASSERT_EQ(screen_->scrollback().size(), scrolled) << "top " << top;
      if (top == 1) {
        EXPECT_LE(bytes, 40U) << "a move by one row sends one scroll and one new row";
      }
    }
    EXPECT_EQ(screen_->scrollback()[1].substr(0, 6), "row rb") << "rows left as they were";
  }
}

TEST_F(RendererTest, BottomRightCellNeverScrollsTheScreen) {
  for (const bool safe : {true, false}) {
    start(10, 3, RendererOptions{true, safe});
    clear(0x07);
    write(0, 2, u"0123456789", 0x2F);
    cursor_ = Coord{0, 0};
    draw();
    EXPECT_TRUE(screen_->scrollback().empty()) << "last column safe: " << safe;
    expect_screen_shows_cells();
    EXPECT_EQ(screen_->at(9, 2).character, safe ? U'9' : U' ');
  }
}

TEST_F(RendererTest, EveryCellIsOneColumnWide) {
  struct Glyph {
    char16_t unit;
    char32_t shown;
  };
  const Glyph glyphs[] = {
      {0x0000, U' '},      {0x0001, U'\u263A'}, {0x0007, U'\u2022'}, {0x000A, U'\u25D9'},
      {0x000D, U'\u266A'}, {0x001B, U'\u2190'}, {0x007F, U'\u2302'}, {0x0085, U'\uFFFD'},
      {0x00B7, U'\u00B7'}, {0x00E9, U'\u00E9'}, {0x4E00, U'\uFFFD'}, {0xD800, U'\uFFFD'},
      {0x0301, U'\uFFFD'}, {0x20AC, U'\u20AC'},
  };
  start(static_cast<int>(std::size(glyphs)) + 1, 1);
  int x = 0;
  for (const Glyph& glyph : glyphs) {
    EXPECT_EQ(display_code_point(glyph.unit), glyph.shown)
        << std::hex << static_cast<int>(glyph.unit);
    write(x++, 0, std::u16string(1, glyph.unit), 0x07);
  }
  write(x, 0, u"!", 0x07);
  cursor_ = Coord{static_cast<std::int16_t>(x), 0};
  draw();
  expect_screen_shows_cells();
  EXPECT_EQ(screen_->at(x, 0).character, U'!') << "the row stayed aligned";
}

// Each cell is one byte of the terminal's character set: itself where the set
// has it, else a one-character look-alike, else '?'. Run in a single-byte
// locale, as these character sets come with.
TEST(OutputEncoder, EightBitCharsetsShowEachCellAsOneCharacter) {
  struct Case {
    char16_t unit;
    const char* ascii;
    const char* latin1;
  };
  const Case cases[] = {
      {u'a', "a", "a"},      {0x00B7, ".", "\xB7"}, {0x00E9, "e", "\xE9"}, {0x00A9, "?", "\xA9"},
      {0x00A7, "S", "\xA7"}, {0x0001, "o", "o"},    {0x0003, "?", "?"},    {0x0010, ">", ">"},
      {0x0019, "v", "v"},    {0x001C, "L", "L"},    {0x007F, "^", "^"},    {0x2018, "'", "'"},
      {0x20AC, "?", "?"},    {0x4E00, "?", "?"},    {0x0301, "?", "?"},    {0x0085, "?", "?"},
  };
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C");
  const OutputEncoder ascii("ANSI_X3.4-1968");
  // A set with no converter gives ASCII, as the C locale does, not UTF-8.
  const OutputEncoder unconverted("NO-SUCH-CHARSET");
  EXPECT_FALSE(unconverted.utf8());
  const OutputEncoder latin1("ISO-8859-1");
  for (const Case& c : cases) {
    const char32_t shown = display_code_point(c.unit);
    for (int pass = 0; pass < 2; ++pass) { // the second from the cache
      std::string out;
      ascii.append(out, shown);
      EXPECT_EQ(out, c.ascii) << "ASCII " << std::hex << static_cast<int>(c.unit);
      out.clear();
      unconverted.append(out, shown);
      EXPECT_EQ(out, c.ascii) << "no converter " << std::hex << static_cast<int>(c.unit);
      out.clear();
      latin1.append(out, shown);
      EXPECT_EQ(out, c.latin1) << "Latin-1 " << std::hex << static_cast<int>(c.unit);
    }
  }
  std::setlocale(LC_CTYPE, saved.c_str());
}

// In the East Asian multibyte locales many characters are two columns wide
// (the middle dot among them) or missing: each shows as its one-column
// look-alike, or '?', never as U+FFFD. A character the locale shows in one
// column is sent as itself.
TEST(OutputEncoder, MultibyteCharsetsShowEachCellInOneColumn) {
  struct Case {
    char16_t unit;
    const char* euc_jp;
    const char* gb18030;
  };
  const Case cases[] = {
      {u'a', "a", "a"},   {0x00B7, ".", "."}, {0x2190, "<", "<"}, {0x263A, "o", "\x81\x37\xA8\x32"},
      {0x4E00, "?", "?"}, {0x0085, "?", "?"}, {0x00E9, "e", "e"}, {0x00C6, "?", "?"},
  };
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  for (const char* locale : {"ja_JP.EUC-JP", "zh_CN.GB18030"}) {
    if (std::setlocale(LC_CTYPE, locale) == nullptr) {
      std::cout << "[  SKIPPED ] locale " << locale << " is not installed\n";
      continue;
    }
    const bool euc_jp = std::string_view(locale) == "ja_JP.EUC-JP";
    const OutputEncoder encoder(euc_jp ? "EUC-JP" : "GB18030");
    for (const Case& c : cases) {
      std::string out;
      encoder.append(out, display_code_point(c.unit));
      EXPECT_EQ(out, euc_jp ? c.euc_jp : c.gb18030)
          << locale << " " << std::hex << static_cast<int>(c.unit);
    }
  }
  std::setlocale(LC_CTYPE, saved.c_str());
}

TEST_F(RendererTest, CursorVisibilityIsMirrored) {
  start(10, 2);
  cursor_visible_ = false;
  draw();
  EXPECT_FALSE(screen_->cursor_visible());
  cursor_visible_ = true;
  draw();
  EXPECT_TRUE(screen_->cursor_visible());
  std::string out;
  renderer_->place_cursor(cursor_, cursor_visible_, out);
  EXPECT_TRUE(out.empty()) << "no change, nothing sent";
}

TEST_F(RendererTest, ResetRepaintsEverythingWritten) {
  start(20, 3);
  write(3, 1, u"kept", 0x4E);
  draw();
  start(20, 3); // a fresh terminal, as after a resize or a stop
  write(3, 1, u"kept", 0x4E);
  draw();
  expect_screen_shows_cells();
}

// Random frames in every terminal flavour: after each, the screen shows
// exactly the console's cells, whatever moves and erases were chosen.
TEST_F(RendererTest, RandomFramesAlwaysMatchTheConsole) {
  std::mt19937 random(12345);
  for (const RendererOptions options :
       {RendererOptions{true, true}, RendererOptions{false, true}, RendererOptions{true, false},
        RendererOptions{false, false}}) {
    start(23, 7, options);
    std::size_t scrolls = 0;
    for (int frame = 0; frame < 300; ++frame) {
      const int edits = static_cast<int>(random() % 12);
      for (int edit = 0; edit < edits; ++edit) {
        const auto attributes = static_cast<std::uint16_t>(random() % 256);
        switch (random() % 6) {
        case 0:
          clear(attributes);
          break;
        case 1: {
          std::string out;
          renderer_->scroll_up(1, attributes, out);
          screen_->feed(out);
          scroll_cells(attributes);
          ++scrolls;
          break;
        }
        default: {
          const int x = static_cast<int>(random() % columns_);
          const int y = static_cast<int>(random() % rows_);
          const int length = static_cast<int>(random() % (columns_ - x)) + 1;
          std::u16string text;
          for (int i = 0; i < length; ++i) {
            text += static_cast<char16_t>(random() % 3 == 0 ? u' ' : u'A' + random() % 26);
          }
          write(x, y, text, attributes);
        }
        }
      }
      cursor_ = Coord{static_cast<std::int16_t>(random() % columns_),
                      static_cast<std::int16_t>(random() % rows_)};
      cursor_visible_ = random() % 4 != 0;
      draw();
      expect_screen_shows_cells();
      ASSERT_EQ(screen_->scrollback().size(), scrolls) << "no scroll but the console's own";
      if (HasFatalFailure()) {
        return;
      }
    }
  }
}

} // namespace
