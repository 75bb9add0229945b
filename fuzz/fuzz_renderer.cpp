// The terminal renderer fed with arbitrary cells, render calls, scrolls and
// cursor placements, read back through a small VT screen model: after each
// render the terminal shows every cell the program wrote, leaves the cells it
// never wrote as they were, and a second render of the same cells sends
// nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "runtime/platform/terminal/renderer.h"
#include "tests/terminal/screen_model.h"

namespace {

using platform::terminal::Cell;
using platform::terminal::OutputEncoder;
using platform::terminal::Renderer;
using platform::terminal::RendererOptions;
using terminal_test::ScreenCell;
using terminal_test::ScreenModel;

// What the terminal shows before the renderer writes: the shell's cells,
// nothing the renderer sends.
constexpr ScreenCell kShells{U'\u2591', -2, -2};

// Characters that exercise the glyph rules: blanks, U+0000, controls, DEL,
// Latin-1, C1, a wide ideograph, a combining mark, a lone surrogate, U+FFFD.
constexpr std::array<char16_t, 14> kCharacters = {
    u' ',    u'a',      u'\0',     u'\x01',   u'\x1b',   u'\x7f', u'\xe9',
    u'\x85', u'\x4e00', u'\x0301', u'\xd800', u'\xfffd', u'#',    u'\x2591'};

// Console colours have blue in bit 0 and red in bit 2; ANSI colours the
// other way round.
int ansi_colour(int console_colour) {
  return ((console_colour & 1) << 2) | (console_colour & 2) | ((console_colour & 4) >> 2) |
         (console_colour & 8);
}

class RendererCheck {
public:
  RendererCheck(int columns, int rows, RendererOptions options, bool utf8)
      : columns_(columns), rows_(rows), options_(options),
        encoder_(utf8 ? std::make_unique<OutputEncoder>()
                      : std::make_unique<OutputEncoder>("ISO-8859-1")),
        renderer_(options, *encoder_),
        screen_(columns, rows,
                {.wraps_at_once = !options.last_column_safe, .utf8 = utf8, .initial = kShells}),
        cells_(static_cast<std::size_t>(columns) * rows) {
    renderer_.reset(
        platform::Coord{static_cast<std::int16_t>(columns), static_cast<std::int16_t>(rows)});
  }

  void write_cells(FuzzedDataProvider& input) {
    const int count = input.ConsumeIntegralInRange(1, 2 * columns_);
    const auto attributes = input.ConsumeIntegral<std::uint8_t>();
    std::size_t at = input.ConsumeIntegralInRange<std::size_t>(0, cells_.size() - 1);
    for (int i = 0; i < count && at < cells_.size(); ++i, ++at) {
      const char16_t character =
          input.ConsumeBool()
              ? kCharacters[input.ConsumeIntegralInRange<std::size_t>(0, kCharacters.size() - 1)]
              : input.ConsumeIntegral<char16_t>();
      cells_[at] =
          Cell{character, input.ConsumeBool() ? attributes : input.ConsumeIntegral<std::uint8_t>(),
               true};
    }
  }

  // Blanks to the end of a row or of the screen: what erases are for.
  void blank_tail(FuzzedDataProvider& input) {
    const auto attributes = input.ConsumeIntegral<std::uint8_t>();
    const std::size_t from = input.ConsumeIntegralInRange<std::size_t>(0, cells_.size() - 1);
    const std::size_t to = input.ConsumeBool() ? cells_.size() : (from / columns_ + 1) * columns_;
    for (std::size_t i = from; i < to; ++i) {
      cells_[i] = Cell{input.ConsumeBool() ? u' ' : u'\0', attributes, true};
    }
  }

  void render(int first_row, int end_row) {
    const std::vector<ScreenCell> before = snapshot();
    std::string out;
    renderer_.render_rows(cells_, first_row, end_row, out);
    apply(out);
    for (int y = 0; y < rows_; ++y) {
      for (int x = 0; x < columns_; ++x) {
        const bool rendered = y >= first_row && y < end_row;
        check_cell(x, y, rendered, before[static_cast<std::size_t>(y) * columns_ + x]);
      }
    }
    // Everything is on screen now: nothing is left to send.
    std::string again;
    renderer_.render_rows(cells_, first_row, end_row, again);
    FUZZ_CHECK(again.empty());
  }

  void scroll(FuzzedDataProvider& input) {
    const int rows = input.ConsumeIntegralInRange(0, rows_ + 1);
    const auto fill = input.ConsumeIntegral<std::uint8_t>();
    std::string out;
    renderer_.scroll_up(rows, fill, out);
    const std::size_t before = screen_.scrollback().size();
    apply(out);
    FUZZ_CHECK(screen_.scrollback().size() - before == static_cast<std::size_t>(std::max(rows, 0)));
    // The console's own cells move the same way; new rows are blanks.
    const std::size_t shifted =
        std::min(cells_.size(), static_cast<std::size_t>(std::max(rows, 0)) * columns_);
    cells_.erase(cells_.begin(), cells_.begin() + static_cast<std::ptrdiff_t>(shifted));
    cells_.insert(cells_.end(), shifted, Cell{u' ', fill, true});
  }

  void place_cursor(FuzzedDataProvider& input) {
    const platform::Coord position{input.ConsumeIntegralInRange<std::int16_t>(-2, 20),
                                   input.ConsumeIntegralInRange<std::int16_t>(-2, 20)};
    const bool visible = input.ConsumeBool();
    std::string out;
    renderer_.place_cursor(position, visible, out);
    apply(out);
    FUZZ_CHECK(screen_.cursor_x() == std::clamp<int>(position.x, 0, columns_ - 1));
    FUZZ_CHECK(screen_.cursor_y() == std::clamp<int>(position.y, 0, rows_ - 1));
    FUZZ_CHECK(!screen_.wrap_pending());
    FUZZ_CHECK(screen_.cursor_visible() == static_cast<int>(visible));
  }

  // The terminal forgets nothing, but the renderer starts over.
  void reset() {
    renderer_.reset(
        platform::Coord{static_cast<std::int16_t>(columns_), static_cast<std::int16_t>(rows_)});
  }

  [[nodiscard]] int rows() const { return rows_; }

private:
  std::vector<ScreenCell> snapshot() const {
    std::vector<ScreenCell> cells;
    for (int y = 0; y < rows_; ++y) {
      for (int x = 0; x < columns_; ++x) {
        cells.push_back(screen_.at(x, y));
      }
    }
    return cells;
  }

  // The output is a whole number of sequences the terminal model takes
  // without a problem, and no bell.
  void apply(const std::string& out) {
    screen_.feed(out);
    for (const std::string& problem : screen_.problems()) {
      std::fprintf(stderr, "terminal model: %s\n", problem.c_str());
    }
    FUZZ_CHECK(screen_.problems().empty());
    FUZZ_CHECK(!screen_.partial());
    FUZZ_CHECK(screen_.bells() == 0);
  }

  void check_cell(int x, int y, bool rendered, const ScreenCell& before) const {
    const Cell& want = cells_[static_cast<std::size_t>(y) * columns_ + x];
    const ScreenCell& shown = screen_.at(x, y);
    const bool skipped = !options_.last_column_safe && x == columns_ - 1 && y == rows_ - 1;
    if (!want.known) {
      // Never written by the program: left as the terminal showed it.
      FUZZ_CHECK(shown.character == before.character && shown.background == before.background);
      return;
    }
    if (!rendered || skipped) {
      return;
    }
    const int foreground = ansi_colour(want.attributes & 0x0F);
    const int background = ansi_colour((want.attributes >> 4) & 0x0F);
    FUZZ_CHECK(shown.background == background);
    if (want.character == u' ' || want.character == u'\0') {
      FUZZ_CHECK(shown.character == U' ');
      return;
    }
    const char32_t glyph = platform::terminal::display_code_point(want.character);
    FUZZ_CHECK(glyph >= 0x20 && (glyph < 0x7F || glyph >= 0xA0));
    FUZZ_CHECK(glyph < 0xD800 || glyph > 0xDFFF);
    FUZZ_CHECK(shown.character == shown_as(glyph));
    FUZZ_CHECK(shown.foreground == foreground);
  }

  // What the terminal shows for a glyph: itself in UTF-8; in a single-byte
  // character set, the character the encoder's one byte stands for.
  [[nodiscard]] char32_t shown_as(char32_t glyph) const {
    std::string bytes;
    encoder_->append(bytes, glyph);
    if (encoder_->utf8()) {
      return glyph;
    }
    FUZZ_CHECK(bytes.size() == 1);
    return static_cast<unsigned char>(bytes.front());
  }

  int columns_;
  int rows_;
  RendererOptions options_;
  std::unique_ptr<OutputEncoder> encoder_;
  Renderer renderer_;
  ScreenModel screen_;
  std::vector<Cell> cells_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int columns = input.ConsumeIntegralInRange(1, 12);
  const int rows = input.ConsumeIntegralInRange(1, 6);
  RendererOptions options;
  options.background_color_erase = input.ConsumeBool();
  options.last_column_safe = input.ConsumeBool();
  const bool utf8 = input.ConsumeIntegral<std::uint8_t>() % 4 != 0;
  RendererCheck check(columns, rows, options, utf8);

  const auto write_cells = [&] { check.write_cells(input); };
  run_fuzz_steps(
      input, 64, write_cells, write_cells, [&] { check.blank_tail(input); },
      [&] {
        const int first = input.ConsumeIntegralInRange(0, rows - 1);
        check.render(first, input.ConsumeIntegralInRange(first, rows));
      },
      [&] { check.scroll(input); }, [&] { check.place_cursor(input); }, [&] { check.reset(); },
      [&] { check.render(0, rows); });
  check.render(0, check.rows());
  return 0;
}
