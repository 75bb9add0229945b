// colorchart: below whatever the console already shows, a three-line header
// and 52 foreground-on-background combinations, two to a line, each label in
// the colours it names, with separator lines between the colour families;
// then it waits for any key.
#include "chart/colorchart.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "runtime/data_image.h"
#include "runtime/keyboard.h"
#include "runtime/program_text.h"
#include "runtime/screen.h"
#include "runtime/state.h"
#include "runtime/string.h"

namespace {

// One combination. With a fill count of 31 the entry shows as a bar of 31
// cells in its colours with the label at its left end; with 0 only the
// label's own cells take the colours.
struct ChartEntry {
  std::string_view label;
  std::int32_t column;
  std::int32_t foreground;
  std::int32_t background;
  std::int32_t fill_count;
};

// In output order: odd entries start a line at column 1, even entries stand
// at column 34 of the same line.
constexpr std::array<ChartEntry, 52> kEntries = {{
    {"black on white", 1, 0, 7, 31},        {"black on bright white", 34, 0, 15, 0},
    {"gray on white", 1, 8, 7, 31},         {"gray on bright white", 34, 8, 15, 0},
    {"blue on black", 1, 1, 0, 31},         {"blue on gray", 34, 1, 8, 31},
    {"blue on white", 1, 1, 7, 31},         {"blue on bright white", 34, 1, 15, 31},
    {"light blue on black", 1, 9, 0, 31},   {"light blue on gray", 34, 9, 8, 31},
    {"light blue on white", 1, 9, 7, 31},   {"light blue on bright white", 34, 9, 15, 0},
    {"green on black", 1, 2, 0, 31},        {"green on gray", 34, 2, 8, 31},
    {"green on white", 1, 2, 7, 31},        {"green on bright white", 34, 2, 15, 31},
    {"light green on black", 1, 10, 0, 31}, {"light green on gray", 34, 10, 8, 31},
    {"light green on white", 1, 10, 7, 31}, {"light green on bright white", 34, 10, 15, 31},
    {"cyan on black", 1, 3, 0, 31},         {"cyan on gray", 34, 3, 8, 31},
    {"cyan on white", 1, 3, 7, 31},         {"cyan on bright white", 34, 3, 15, 31},
    {"light cyan on black", 1, 11, 0, 31},  {"light cyan on gray", 34, 11, 8, 31},
    {"light cyan on white", 1, 11, 7, 31},  {"light cyan on bright white", 34, 11, 15, 31},
    {"red on black", 1, 4, 0, 31},          {"red on gray", 34, 4, 8, 31},
    {"red on white", 1, 4, 7, 31},          {"red on bright white", 34, 4, 15, 31},
    {"light red on black", 1, 12, 0, 31},   {"light red on gray", 34, 12, 8, 31},
    {"light red on white", 1, 12, 7, 31},   {"light red on bright white", 34, 12, 15, 31},
    {"purple on black", 1, 5, 0, 31},       {"purple on gray", 34, 5, 8, 31},
    {"purple on white", 1, 5, 7, 31},       {"purple on bright white", 34, 5, 15, 31},
    {"magenta on black", 1, 13, 0, 31},     {"magenta on gray", 34, 13, 8, 31},
    {"magenta on white", 1, 13, 7, 31},     {"magenta on bright white", 34, 13, 15, 31},
    {"brown on black", 1, 6, 0, 31},        {"brown on gray", 34, 6, 8, 31},
    {"brown on white", 1, 6, 7, 31},        {"brown on bright white", 34, 6, 15, 31},
    {"yellow on black", 1, 14, 0, 31},      {"yellow on gray", 34, 14, 8, 31},
    {"yellow on white", 1, 14, 7, 31},      {"yellow on bright white", 34, 14, 15, 31},
}};

// Entries (counted from 1) after which a separator line closes a family. The
// last family, after entry 52, is closed by an empty line and a separator.
constexpr std::array<std::size_t, 6> kFamilyEnds = {4, 12, 20, 28, 36, 44};

enum Literal : std::size_t {
  header_title,
  header_names,
  header_changes,
  separator,
  close_line,
  first_label,
  literal_count = first_label + kEntries.size()
};

// The literal pool: 8-bit texts in the ANSI code page, widened when printed.
// The separator is the single byte 0xB7, a middle dot under code page 1252.
constexpr std::array<LiteralSpec, literal_count> kLiterals = [] {
  std::array<LiteralSpec, literal_count> pool{};
  pool[header_title] = ansi_literal("############## Hueglass ##############");
  pool[header_names] = ansi_literal("VEXO and Microsoft color names differ from  each other.");
  pool[header_changes] = ansi_literal("Made a couple changes too.");
  pool[separator] = ansi_literal("\xB7");
  pool[close_line] = ansi_literal("Any key to close.");
  for (std::size_t i = 0; i < kEntries.size(); ++i) {
    pool[first_label + i] = ansi_literal(kEntries[i].label);
  }
  return pool;
}();

constexpr auto kDataSection = build_data_section<section_size(kLiterals)>(kLiterals);

constexpr std::int32_t kSeparatorLength = 79;
constexpr std::int32_t kSeparatorForeground = 7;
constexpr std::int32_t kSeparatorBackground = 0;

StringValue text(std::size_t id) {
  return pool_text(kLiterals, id);
}

bool ends_family(std::size_t entry_number) {
  return std::find(kFamilyEnds.begin(), kFamilyEnds.end(), entry_number) != kFamilyEnds.end();
}

// The entry's colours (and its bar, when it has one) from the cursor on, then
// its label.
void draw_entry(std::size_t index) {
  const ChartEntry& entry = kEntries[index];
  screen_set_color(entry.foreground, entry.background, entry.fill_count);
  print_line(text(first_label + index));
}

void draw_separator() {
  screen_set_color(kSeparatorForeground, kSeparatorBackground, 0);
  print_line(string_repeat(kSeparatorLength, text(separator)));
}

std::int32_t program_main(platform::Handle /*instance*/, platform::Handle /*previous_instance*/,
                          const char16_t* /*command_tail*/, std::int32_t /*show_command*/) {
  RuntimeFrame frame;
  // The header is printed in the start-up colours, with no colour set first.
  print_line(text(header_title));
  print_line(text(header_names));
  print_line(text(header_changes));
  screen_newline();
  for (std::size_t left = 0; left < kEntries.size(); left += 2) {
    // The right entry goes back to the row its partner was printed on. When
    // that newline scrolled the screen, the saved row is the new blank last
    // row, so the right entry stands one line below its partner.
    const std::int32_t row = screen_cursor_row();
    draw_entry(left);
    screen_locate(row, kEntries[left + 1].column);
    draw_entry(left + 1);
    const std::size_t drawn = left + 2;
    if (drawn == kEntries.size()) {
      screen_newline();
      draw_separator();
    } else if (ends_family(drawn)) {
      draw_separator();
    }
  }
  print_line(text(close_line));
  key_wait(StringValue{}, 0);
  return 0;
}

constexpr std::uint16_t kOptions = 0x0080;
// Neither release table has an entry: the program holds no global or
// thread-local strings, interfaces or variants for shutdown to free.
constexpr std::array<std::uint32_t, 1> kNoReleases = {0};

constexpr ProgramDefinition kChartProgram{kDataSection, kOptions, kNoReleases.data(),
                                          kNoReleases.data(), &program_main};

} // namespace

const ProgramDefinition& chart_program() {
  return kChartProgram;
}
