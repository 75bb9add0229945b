// Turns the console's cells into terminal output. Pure: it keeps a shadow of
// what the terminal shows and appends to a byte buffer the fewest bytes that
// bring the terminal to the console's cells: runs of changed cells, a short
// unchanged gap re-sent when that is cheaper than a cursor move, the
// cheapest cursor move, colours only when they change, erases for blank
// tails, and whole-buffer scrolls as real terminal scrolls.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/screen_buffer.h"
#include "runtime/platform/terminal/output_encoder.h"

namespace platform::terminal {

// A cell of the console or of the shadow. `known`: in the console, the
// program wrote the cell; in the shadow, the terminal is known to show it.
// Cells the program never wrote are left as the terminal shows them.
using Cell = ScreenCell;

struct RendererOptions {
  // Erases (EL, ED) and scrolls fill with the current background colour.
  bool background_color_erase = true;
  // The bottom-right cell can be written without scrolling the screen.
  bool last_column_safe = true;
};

class Renderer {
public:
  Renderer(RendererOptions options, const OutputEncoder& encoder);

  // Forgets what the terminal shows (start, resize, resume after a stop):
  // the next render sends every cell the program wrote.
  void reset(Coord size);
  [[nodiscard]] Coord size() const { return size_; }

  // Sends the cells of rows [first_row, end_row) that differ from the shadow.
  void render(std::span<const Cell> cells, std::string& out) {
    render_rows(cells, 0, size_.y, out);
  }
  void render_rows(std::span<const Cell> cells, int first_row, int end_row, std::string& out);

  // Scrolls the whole terminal screen up: its top rows go to the terminal's
  // scrollback, new rows at the bottom are blank in `fill_attributes`, or in
  // the terminal's own colours without them.
  void scroll_up(int rows, std::optional<std::uint16_t> fill_attributes, std::string& out);

  // Erases the terminal's screen in its own colours and forgets what it
  // showed, so that the next render draws every cell the program wrote on
  // a blank screen: what a resize or a jump of the window needs, since the
  // terminal may have moved or reflowed what it showed.
  void repaint_from_blank(Coord size, std::string& out);

  // Moves the terminal's cursor to `position` and shows or hides it.
  void place_cursor(Coord position, bool visible, std::string& out);

  // Shows the cursor and resets the colours: what the terminal needs when
  // the program lets go of it.
  static constexpr std::string_view kResetSequence = "\x1b[0m\x1b[?25h";

private:
  [[nodiscard]] Cell& shadow(int x, int y) {
    return shadow_[static_cast<std::size_t>(y) * size_.x + x];
  }
  [[nodiscard]] bool needs_update(const Cell& want, const Cell& have) const;
  [[nodiscard]] bool skipped(int x, int y) const;
  [[nodiscard]] std::string cheapest_move(int x, int y) const;
  [[nodiscard]] std::string colours(int from, std::uint16_t to) const;
  [[nodiscard]] std::size_t glyph_length(char16_t character) const;
  [[nodiscard]] std::size_t changed_cells(std::span<const Cell> cells, std::size_t begin,
                                          std::size_t end) const;
  void approach(std::span<const Cell> cells, int x, int y, std::string& out);
  void move_to(int x, int y, std::string& out);
  void set_colours(std::uint16_t attributes, std::string& out);
  void put(const Cell& cell, int x, int y, std::string& out);
  void erase(std::span<const Cell> cells, std::size_t begin, std::size_t end,
             std::string_view sequence, int x, int y, std::string& out);

  RendererOptions options_;
  const OutputEncoder& encoder_;
  Coord size_;
  std::vector<Cell> shadow_;
  // The terminal's cursor as far as we know it; after writing the last
  // column it waits to wrap and only CR or an absolute move is safe.
  int cursor_x_ = 0;
  int cursor_y_ = 0;
  bool cursor_known_ = false;
  bool pending_wrap_ = false;
  // The terminal's current colour attribute: -1 unknown, kDefaultColours
  // for the terminal's own.
  static constexpr int kDefaultColours = -2;
  static constexpr std::string_view kDefaultColoursSequence = "\x1b[0m";
  int colours_ = -1;
  int cursor_visible_ = -1; // -1 unknown
};

} // namespace platform::terminal
