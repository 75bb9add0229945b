// The smallest ncurses program that shows one screen: locale, initscr,
// colours, one screen of text drawn and refreshed, then a key ends it. It uses
// nothing of the C++ library, so it starts as a C program does; the benchmark
// compares the programs' first byte with this one's.
#include <clocale>
#include <curses.h>

int main() {
  std::setlocale(LC_ALL, "");
  initscr();
  raw();
  noecho();
  start_color();
  init_pair(1, COLOR_YELLOW, COLOR_BLACK);
  attrset(COLOR_PAIR(1));
  for (int row = 0; row < LINES - 1; ++row) {
    mvaddstr(row, 0, "Use decimal color values to chose foreground and background color.");
  }
  refresh();
  getch();
  endwin();
  return 0;
}
