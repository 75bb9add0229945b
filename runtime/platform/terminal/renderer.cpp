#include "runtime/platform/terminal/renderer.h"

#include <algorithm>
#include <charconv>

namespace platform::terminal {
namespace {

// An erase replaces writing blanks once it saves this many cells.
constexpr std::size_t kEraseMinimumCells = 4;
// Longest unchanged gap worth re-sending instead of moving over it.
constexpr int kLongestBridge = 8;

void append_number(std::string& out, int value) {
  char digits[12];
  const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
  out.append(digits, result.ptr);
}

// CSI n X, leaving out a parameter of 1, which is the default.
std::string csi(int n, char final) {
  std::string sequence = "\x1b[";
  if (n != 1) {
    append_number(sequence, n);
  }
  sequence += final;
  return sequence;
}

std::string absolute_move(int x, int y) {
  std::string sequence = "\x1b[";
  if (x != 0 || y != 0) {
    append_number(sequence, y + 1);
  }
  if (x != 0) {
    sequence += ';';
    append_number(sequence, x + 1);
  }
  sequence += 'H';
  return sequence;
}

// The console's colour numbers have blue in bit 0 and red in bit 2; ANSI's
// have them the other way round.
int ansi_colour(int console_colour) {
  return ((console_colour & 1) << 2) | (console_colour & 2) | ((console_colour & 4) >> 2);
}

int foreground_code(int attributes) {
  const int colour = attributes & kForegroundBits;
  return ((colour & 8) != 0 ? 90 : 30) + ansi_colour(colour);
}

int background_code(int attributes) {
  const int colour = (attributes & kBackgroundBits) >> 4;
  return ((colour & 8) != 0 ? 100 : 40) + ansi_colour(colour);
}

char16_t shown_unit(char16_t character) {
  return character == 0 ? u' ' : character;
}

// Where the blanks in the background of cells[end - 1] start that run up to
// `end`, no earlier than `begin`: from there an erase draws them all.
std::size_t blank_tail_start(std::span<const Cell> cells, std::size_t begin, std::size_t end) {
  std::size_t start = end;
  while (start > begin && is_blank(cells[start - 1]) &&
         same_background(cells[start - 1], cells[end - 1])) {
    --start;
  }
  return start;
}

} // namespace

Renderer::Renderer(RendererOptions options, const OutputEncoder& encoder)
    : options_(options), encoder_(encoder) {}

void Renderer::reset(Coord size) {
  size_ = size;
  shadow_.assign(static_cast<std::size_t>(size.x) * size.y, Cell{});
  cursor_known_ = false;
  pending_wrap_ = false;
  colours_ = -1;
  cursor_visible_ = -1;
}

bool Renderer::needs_update(const Cell& want, const Cell& have) const {
  if (!want.known) {
    return false;
  }
  if (!have.known) {
    return true;
  }
  if (is_blank(want) && is_blank(have)) {
    // A blank shows only its background.
    return !same_background(want, have);
  }
  return shown_unit(want.character) != shown_unit(have.character) ||
         ((want.attributes ^ have.attributes) & 0xFF) != 0;
}

// The bottom-right cell of a terminal that would scroll when it is written.
bool Renderer::skipped(int x, int y) const {
  return !options_.last_column_safe && x == size_.x - 1 && y == size_.y - 1;
}

std::size_t Renderer::changed_cells(std::span<const Cell> cells, std::size_t begin,
                                    std::size_t end) const {
  std::size_t count = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if (needs_update(cells[i], shadow_[i])) {
      ++count;
    }
  }
  return count;
}

void Renderer::render_rows(std::span<const Cell> cells, int first_row, int end_row,
                           std::string& out) {
  const int width = size_.x;
  const std::size_t total = shadow_.size();
  if (cells.size() != total || width <= 0) {
    return;
  }
  end_row = std::min<int>(end_row, size_.y);
  const bool erase = options_.background_color_erase;

  // Where the blanks of one colour start that run to the end of the screen.
  const std::size_t screen_tail =
      erase && end_row == size_.y ? blank_tail_start(cells, 0, total) : total;

  for (int y = std::max(first_row, 0); y < end_row; ++y) {
    const std::size_t row_start = static_cast<std::size_t>(y) * width;
    const std::size_t row_end = row_start + width;
    const std::size_t row_tail = erase ? blank_tail_start(cells, row_start, row_end) : row_end;
    for (int x = 0; x < width; ++x) {
      const std::size_t index = row_start + x;
      if (!needs_update(cells[index], shadow_[index]) || skipped(x, y)) {
        continue;
      }
      if (index >= screen_tail && changed_cells(cells, index, total) >= kEraseMinimumCells) {
        this->erase(cells, index, total, "\x1b[J", x, y, out);
        return;
      }
      if (index >= row_tail && changed_cells(cells, index, row_end) >= kEraseMinimumCells) {
        this->erase(cells, index, row_end, "\x1b[K", x, y, out);
        break;
      }
      approach(cells, x, y, out);
      put(cells[index], x, y, out);
    }
  }
}

// Erases from (x, y) to `end` with an erase sequence in the colours of the
// blanks there.
void Renderer::erase(std::span<const Cell> cells, std::size_t begin, std::size_t end,
                     std::string_view sequence, int x, int y, std::string& out) {
  move_to(x, y, out);
  set_colours(cells[begin].attributes, out);
  out += sequence;
  for (std::size_t i = begin; i < end; ++i) {
    shadow_[i] = Cell{u' ', cells[begin].attributes, true};
  }
}

// Brings the cursor to (x, y), re-sending the unchanged cells between when
// that costs fewer bytes than a cursor move.
void Renderer::approach(std::span<const Cell> cells, int x, int y, std::string& out) {
  if (cursor_known_ && !pending_wrap_ && cursor_y_ == y && cursor_x_ < x &&
      x - cursor_x_ <= kLongestBridge) {
    const std::size_t row_start = static_cast<std::size_t>(y) * size_.x;
    std::size_t cost = 0;
    int state = colours_;
    bool bridgeable = true;
    for (int i = cursor_x_; i < x && bridgeable; ++i) {
      const Cell& cell = cells[row_start + i];
      bridgeable = cell.known && shadow_[row_start + i].known;
      cost += colours(state, cell.attributes).size();
      cost += glyph_length(cell.character);
      state = cell.attributes & 0xFF;
    }
    if (bridgeable && colours_ >= 0 && cost <= cheapest_move(x, y).size()) {
      for (int i = cursor_x_; i < x; ++i) {
        put(cells[row_start + i], i, y, out);
      }
      return;
    }
  }
  move_to(x, y, out);
}

void Renderer::put(const Cell& cell, int x, int y, std::string& out) {
  set_colours(cell.attributes, out);
  encoder_.append(out, display_code_point(cell.character));
  shadow(x, y) = Cell{cell.character, cell.attributes, true};
  cursor_y_ = y;
  if (x + 1 >= size_.x) {
    cursor_x_ = size_.x - 1;
    // Terminals that wrap at once have moved on to the next row already.
    pending_wrap_ = true;
    cursor_known_ = options_.last_column_safe;
  } else {
    cursor_x_ = x + 1;
    pending_wrap_ = false;
  }
}

std::size_t Renderer::glyph_length(char16_t character) const {
  std::string bytes;
  encoder_.append(bytes, display_code_point(character));
  return bytes.size();
}

std::string Renderer::colours(int from, std::uint16_t to) const {
  const int wanted = to & 0xFF;
  std::string sequence;
  if (from == wanted) {
    return sequence;
  }
  sequence = "\x1b[";
  if (from < 0) { // unknown, or the terminal's own colours
    sequence += "0;";
  }
  const bool foreground = from < 0 || ((from ^ wanted) & kForegroundBits) != 0;
  const bool background = from < 0 || ((from ^ wanted) & kBackgroundBits) != 0;
  if (foreground) {
    append_number(sequence, foreground_code(wanted));
  }
  if (background) {
    if (foreground) {
      sequence += ';';
    }
    append_number(sequence, background_code(wanted));
  }
  sequence += 'm';
  return sequence;
}

void Renderer::set_colours(std::uint16_t attributes, std::string& out) {
  out += colours(colours_, attributes);
  colours_ = attributes & 0xFF;
}

// The shortest of: an absolute move, or a vertical part (line feeds, CUU,
// CUD, VPA) with a horizontal part (CR, CR and CUF, CUF, CUB, backspaces,
// CHA). Line feeds never reach past the last row, so they never scroll.
std::string Renderer::cheapest_move(int x, int y) const {
  std::string best = absolute_move(x, y);
  if (!cursor_known_) {
    return best;
  }
  std::vector<std::string> vertical;
  const int dy = y - cursor_y_;
  if (dy == 0) {
    vertical.emplace_back();
  } else if (dy > 0) {
    if (dy <= 4) {
      vertical.emplace_back(static_cast<std::size_t>(dy), '\n');
    }
    vertical.push_back(csi(dy, 'B'));
  } else {
    vertical.push_back(csi(-dy, 'A'));
  }
  vertical.push_back(csi(y + 1, 'd'));

  std::vector<std::string> horizontal;
  horizontal.push_back(x == 0 ? std::string("\r") : "\r" + csi(x, 'C'));
  if (!pending_wrap_) {
    const int dx = x - cursor_x_;
    if (dx == 0) {
      horizontal.emplace_back();
    } else if (dx > 0) {
      horizontal.push_back(csi(dx, 'C'));
    } else {
      horizontal.push_back(csi(-dx, 'D'));
      if (-dx <= 3) {
        horizontal.emplace_back(static_cast<std::size_t>(-dx), '\b');
      }
    }
    horizontal.push_back(csi(x + 1, 'G'));
  }
  for (const std::string& across : horizontal) {
    for (const std::string& down : vertical) {
      if (across.size() + down.size() < best.size()) {
        // A carriage return goes first: it also ends a pending wrap.
        best = across + down;
      }
    }
  }
  return best;
}

void Renderer::move_to(int x, int y, std::string& out) {
  if (cursor_known_ && !pending_wrap_ && cursor_x_ == x && cursor_y_ == y) {
    return;
  }
  out += cheapest_move(x, y);
  cursor_x_ = x;
  cursor_y_ = y;
  cursor_known_ = true;
  pending_wrap_ = false;
}

void Renderer::scroll_up(int rows, std::optional<std::uint16_t> fill_attributes, std::string& out) {
  if (rows <= 0 || size_.x <= 0 || size_.y <= 0) {
    return;
  }
  // New rows are blank in the terminal's own colours unless a fill colour is
  // wanted and erases take it; the colours are reset on any terminal, since
  // some erase in the current background without saying so.
  const bool coloured_fill = options_.background_color_erase && fill_attributes.has_value();
  if (coloured_fill) {
    set_colours(*fill_attributes, out);
  } else if (!fill_attributes.has_value() && colours_ != kDefaultColours) {
    out += kDefaultColoursSequence;
    colours_ = kDefaultColours;
  }
  const int x = cursor_known_ && !pending_wrap_ ? cursor_x_ : 0;
  move_to(x, size_.y - 1, out);
  out.append(static_cast<std::size_t>(rows), '\n');

  const std::size_t shifted =
      std::min(shadow_.size(), static_cast<std::size_t>(rows) * static_cast<std::size_t>(size_.x));
  shadow_.erase(shadow_.begin(), shadow_.begin() + static_cast<std::ptrdiff_t>(shifted));
  const Cell fresh = coloured_fill ? Cell{u' ', *fill_attributes, true} : Cell{};
  shadow_.insert(shadow_.end(), shifted, fresh);
}

void Renderer::repaint_from_blank(Coord size, std::string& out) {
  reset(size);
  out += kDefaultColoursSequence;
  out += "\x1b[H\x1b[J";
  colours_ = kDefaultColours;
  cursor_x_ = 0;
  cursor_y_ = 0;
  cursor_known_ = true;
}

void Renderer::place_cursor(Coord position, bool visible, std::string& out) {
  if (size_.x <= 0 || size_.y <= 0) {
    return;
  }
  move_to(std::clamp<int>(position.x, 0, size_.x - 1), std::clamp<int>(position.y, 0, size_.y - 1),
          out);
  if (cursor_visible_ != static_cast<int>(visible)) {
    out += visible ? "\x1b[?25h" : "\x1b[?25l";
    cursor_visible_ = static_cast<int>(visible);
  }
}

} // namespace platform::terminal
