// An expected console screen, filled in by a test from the layout it expects,
// and a whole-screen comparison with a memory console: every cell's character
// and attribute, and the cursor; and the memory console a program test runs on.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/platform/memory/memory_console.h"

// A console of the given size with its cursor at column 1 of `cursor_row`
// (0-based).
inline platform::MemoryConsole::Config console_of(std::int16_t columns, std::int16_t rows,
                                                  std::int16_t cursor_row = 0) {
  platform::MemoryConsole::Config config;
  config.columns = columns;
  config.rows = rows;
  config.cursor = platform::Coord{0, cursor_row};
  return config;
}

class ExpectedScreen {
public:
  ExpectedScreen(int columns, int rows, std::uint16_t attributes = 7)
      : columns_(columns), rows_(rows),
        cells_(static_cast<std::size_t>(columns * rows), platform::CharInfo{u' ', attributes}) {}

  // The console's cells as they are now; the cursor is left at row 1,
  // column 1.
  static ExpectedScreen capture(const platform::MemoryConsole& console) {
    ExpectedScreen screen(console.size().x, console.size().y);
    for (int row = 1; row <= screen.rows_; ++row) {
      for (int column = 1; column <= screen.columns_; ++column) {
        screen.at(row, column) = console.cell(column - 1, row - 1);
      }
    }
    return screen;
  }

  [[nodiscard]] int columns() const { return columns_; }
  [[nodiscard]] int rows() const { return rows_; }

  // Rows and columns are 1-based. Text runs on at column 1 of the next row
  // when it reaches the right edge, as console output does; cells past the
  // last row are dropped.
  void text(int row, int column, std::u16string_view text, std::uint16_t attributes) {
    for (const char16_t unit : text) {
      if (row <= rows_) {
        at(row, column) = platform::CharInfo{unit, attributes};
      }
      if (++column > columns_) {
        column = 1;
        ++row;
      }
    }
  }

  // Recolours `count` cells from (row, column) on in reading order, keeping
  // their characters.
  void paint(int row, int column, int count, std::uint16_t attributes) {
    for (int i = 0; i < count && row <= rows_; ++i) {
      at(row, column).attributes = attributes;
      if (++column > columns_) {
        column = 1;
        ++row;
      }
    }
  }

  // A whole row of blanks.
  void blank_row(int row, std::uint16_t attributes) {
    for (int column = 1; column <= columns_; ++column) {
      at(row, column) = platform::CharInfo{u' ', attributes};
    }
  }

  // `rows` rows from `first_row` on, as a screen of their own.
  [[nodiscard]] ExpectedScreen rows_from(int first_row, int rows) const {
    ExpectedScreen part(columns_, rows);
    for (int row = 1; row <= rows; ++row) {
      for (int column = 1; column <= columns_; ++column) {
        part.at(row, column) = at(first_row + row - 1, column);
      }
    }
    return part;
  }

  void set_cursor(int row, int column) {
    cursor_row_ = row;
    cursor_column_ = column;
  }

  [[nodiscard]] const platform::CharInfo& at(int row, int column) const {
    return cells_[static_cast<std::size_t>((row - 1) * columns_ + column - 1)];
  }
  platform::CharInfo& at(int row, int column) {
    return cells_[static_cast<std::size_t>((row - 1) * columns_ + column - 1)];
  }

  [[nodiscard]] int cursor_row() const { return cursor_row_; }
  [[nodiscard]] int cursor_column() const { return cursor_column_; }

private:
  int columns_;
  int rows_;
  std::vector<platform::CharInfo> cells_;
  int cursor_row_ = 1;
  int cursor_column_ = 1;
};

namespace expected_screen_detail {

inline std::string utf8(std::u16string_view text) {
  std::string out;
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else if (unit < 0x800) {
      out += static_cast<char>(0xC0 | (unit >> 6));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (unit >> 12));
      out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return out;
}

// Attributes of a row as runs: "1-31:70 32-80:07".
template <typename CellOf>
std::string attribute_runs(int columns, CellOf cell_of) {
  std::ostringstream out;
  int start = 1;
  for (int column = 2; column <= columns + 1; ++column) {
    if (column > columns || cell_of(column).attributes != cell_of(start).attributes) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%02X", cell_of(start).attributes);
      out << start << '-' << column - 1 << ':' << hex << ' ';
      start = column;
    }
  }
  return out.str();
}

} // namespace expected_screen_detail

// Every cell and the cursor; a failure shows each differing row, expected and
// actual, with its attributes as runs.
inline ::testing::AssertionResult screen_matches(const platform::MemoryConsole& console,
                                                 const ExpectedScreen& expected) {
  using expected_screen_detail::attribute_runs;
  using expected_screen_detail::utf8;
  std::ostringstream report;
  bool same = console.size().x == expected.columns() && console.size().y == expected.rows();
  if (!same) {
    report << "screen size " << console.size().x << 'x' << console.size().y << ", expected "
           << expected.columns() << 'x' << expected.rows() << '\n';
    return ::testing::AssertionFailure() << report.str();
  }
  for (int row = 1; row <= expected.rows(); ++row) {
    bool row_same = true;
    std::u16string expected_text;
    for (int column = 1; column <= expected.columns(); ++column) {
      const platform::CharInfo want = expected.at(row, column);
      const platform::CharInfo got = console.cell(column - 1, row - 1);
      expected_text += want.character;
      row_same = row_same && want.character == got.character && want.attributes == got.attributes;
    }
    if (!row_same) {
      same = false;
      report << "row " << row << "\n  expected: [" << utf8(expected_text) << "]\n  actual:   ["
             << utf8(console.row_text(row - 1)) << "]\n  expected attributes: "
             << attribute_runs(expected.columns(),
                               [&](int column) { return expected.at(row, column); })
             << "\n  actual attributes:   "
             << attribute_runs(expected.columns(),
                               [&](int column) { return console.cell(column - 1, row - 1); })
             << '\n';
    }
  }
  const platform::Coord cursor = console.cursor();
  if (cursor.y + 1 != expected.cursor_row() || cursor.x + 1 != expected.cursor_column()) {
    same = false;
    report << "cursor at row " << cursor.y + 1 << ", column " << cursor.x + 1 << "; expected row "
           << expected.cursor_row() << ", column " << expected.cursor_column() << '\n';
  }
  if (same) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << report.str();
}
