// The viewer's screens drawn with ncurses, as the yardstick for the terminal
// console's output: the same cycle (cleared screen with instructions, colour
// table and prompt; echoed entries; colour names; demonstration area; closing
// lines), redrawn with erase() and refresh() so that ncurses sends only what
// changed. Keys come from the terminal; Esc at the closing prompt ends it.
#include <array>
#include <clocale>
#include <cstdlib>
#include <curses.h>
#include <string>

namespace {

// Console colour numbers as the viewer uses them, drawn in ANSI order (red
// and blue bits swapped), as the terminal console draws them.
constexpr short ansi_colour(int console_colour) {
  return static_cast<short>((console_colour & 0b1010) | ((console_colour & 1) << 2) |
                            ((console_colour >> 2) & 1));
}

enum Pair : short { yellow_on_black = 1, white_on_black, chosen };

constexpr const char* instructions =
    "Use decimal color values to chose foreground and baskground color.";

constexpr std::array<std::array<const char*, 2>, 8> color_table_rows{{
    {"       Black - \"0\"", "       Gray  -  \"8\""},
    {"        Blue - \"1\"", "  Light Blue -  \"9\""},
    {"       Green - \"2\"", " Light Green - \"10\""},
    {"        Cyan - \"3\"", "  Light Cyan - \"11\""},
    {"         Red - \"4\"", "   Light Red - \"12\""},
    {"      Purple - \"5\"", "     Magenta - \"13\""},
    {"       Brown - \"6\"", "      Yellow - \"14\""},
    {"       White - \"7\"", "Bright White - \"15\""},
}};

constexpr std::array<const char*, 16> color_names{
    "  Black",     "  Blue",    "  Green",  "  Cyan",        "  Red",         "  Purple",
    "  Brown",     "  White",   "  Gray",   "  Light Blue",  "  Light Green", "  Light Cyan",
    "  Light Red", "  Magenta", "  Yellow", "  Bright White"};

std::string dots(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "\u00b7";
  }
  return text;
}

void draw_table() {
  bkgdset(COLOR_PAIR(yellow_on_black));
  attrset(COLOR_PAIR(yellow_on_black));
  erase();
  mvaddstr(0, 0, instructions);
  for (int row = 0; row < 8; ++row) {
    mvaddstr(row + 1, 0, color_table_rows[row][0]);
    mvaddstr(row + 1, 23, color_table_rows[row][1]);
  }
}

// Reads digits up to Enter, echoing each one, and gives the value 0..15.
int read_value(int row, const char* prompt) {
  mvaddstr(row, 0, prompt);
  refresh();
  std::string entry;
  for (;;) {
    const int key = getch();
    if (key == '\r' || key == '\n' || key == ERR) {
      break;
    }
    if (key >= '0' && key <= '9') {
      entry += static_cast<char>(key);
      addch(static_cast<chtype>(key));
      refresh();
    }
  }
  const int value = std::atoi(entry.c_str()) & 15;
  mvaddstr(row, 29, color_names[value]);
  return value;
}

void draw_demonstration(int foreground, int background) {
  attrset(COLOR_PAIR(white_on_black));
  mvaddstr(12, 0, (dots(27) + " Color Demonstation Area " + dots(27)).c_str());
  mvaddstr(14, 0, std::string(30, ' ').c_str());
  init_pair(chosen, ansi_colour(foreground), ansi_colour(background));
  attrset(COLOR_PAIR(chosen));
  addstr(" Test Fore on Back ");
  attrset(COLOR_PAIR(white_on_black));
  mvaddstr(16, 0, dots(79).c_str());
  mvaddstr(18, 0, "\"ESC\" key to close.");
  mvaddstr(19, 0, "Any other key to to try different colors.");
  move(20, 0);
  refresh();
}

} // namespace

int main() {
  std::setlocale(LC_ALL, "");
  initscr();
  raw();
  noecho();
  nonl();
  start_color();
  init_pair(yellow_on_black, ansi_colour(14), ansi_colour(0));
  init_pair(white_on_black, ansi_colour(7), ansi_colour(0));
  for (;;) {
    draw_table();
    const int foreground = read_value(10, "Foreground color's value: ");
    const int background = read_value(11, "Background color's value: ");
    draw_demonstration(foreground, background);
    if (getch() == 27) {
      break;
    }
  }
  endwin();
  return 0;
}
