// colorviewer: a cycle of screens that shows the sixteen console colours,
// asks for a foreground and a background value (0 to 15, digits only),
// writes each colour's name beside its entry and draws a test text in the
// chosen pair. Esc at the end of a cycle ends the program; any other key, and
// any rejected entry, starts the next cycle from a cleared screen.
#include "viewer/colorviewer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "runtime/data_image.h"
#include "runtime/keyboard.h"
#include "runtime/number.h"
#include "runtime/program_text.h"
#include "runtime/screen.h"
#include "runtime/state.h"
#include "runtime/string.h"

namespace {

// Every text of the program, in the order of its literal pool.
enum Literal : std::size_t {
  header_title,
  header_names,
  header_changes,
  header_address,
  instructions,
  first_table_text,                   // the colour table's texts, by colour value
  first_name = first_table_text + 16, // the colour names, by colour value
  foreground_prompt = first_name + 16,
  background_prompt,
  only_digits_message,
  range_message,
  retry_line,
  demonstration_title,
  test_text,
  escape_closes_line,
  other_key_line,
  separator,
  escape_key,
  blank,
  digit_set,
  literal_count
};

// The sixteen colours by value: the colour table's text for each, and the
// name written beside an accepted value.
struct ColorTexts {
  const char* table_text;
  const char* name;
};

constexpr std::array<ColorTexts, 16> kColors = {{
    {"       Black - \"0\"", "  Black"},
    {"        Blue - \"1\"", "  Blue"},
    {"       Green - \"2\"", "  Green"},
    {"        Cyan - \"3\"", "  Cyan"},
    {"         Red - \"4\"", "  Red"},
    {"      Purple - \"5\"", "  Purple"},
    {"       Brown - \"6\"", "  Brown"},
    {"       White - \"7\"", "  White"},
    {"       Gray  -  \"8\"", "  Gray"},
    {"  Light Blue -  \"9\"", "  Light Blue"},
    {" Light Green - \"10\"", "  Light Green"},
    {"  Light Cyan - \"11\"", "  Light Cyan"},
    {"   Light Red - \"12\"", "  Light Red"},
    {"     Magenta - \"13\"", "  Magenta"},
    {"      Yellow - \"14\"", "  Yellow"},
    {"Bright White - \"15\"", "  Bright White"},
}};
static_assert(first_name - first_table_text == kColors.size() &&
              foreground_prompt - first_name == kColors.size());

// The literal pool. Texts are 8-bit in the ANSI code page and widened when
// printed; the separator is the single byte 0xB7 (a middle dot under code
// page 1252). The key text of Esc, the blank and the digit set are compared,
// repeated or searched as they stand, so they are held as UTF-16.
constexpr std::array<LiteralSpec, literal_count> literal_pool() {
  std::array<LiteralSpec, literal_count> pool{};
  pool[header_title] = ansi_literal("############## Hueglass ##############");
  pool[header_names] = ansi_literal("VEXO and Microsoft color names differ from  each other.");
  pool[header_changes] =
      ansi_literal("Made a couple changes too. Url for Command Prompt window color:");
  pool[header_address] = ansi_literal(
      "https://learn.microsoft.com/en-us/windows-server/administration/windows-commands/color");
  pool[instructions] =
      ansi_literal("Use decimal color values to chose foreground and baskground color.");
  for (std::size_t value = 0; value < kColors.size(); ++value) {
    pool[first_table_text + value] = ansi_literal(kColors[value].table_text);
    pool[first_name + value] = ansi_literal(kColors[value].name);
  }
  pool[foreground_prompt] = ansi_literal("Foreground color's value: ");
  pool[background_prompt] = ansi_literal("Background color's value: ");
  pool[only_digits_message] = ansi_literal("Only number characters.");
  pool[range_message] = ansi_literal(R"(Range is "0" to "15".)");
  pool[retry_line] = ansi_literal("Any key to retry.");
  pool[demonstration_title] = ansi_literal(" Color Demonstation Area ");
  pool[test_text] = ansi_literal(" Test Fore on Back ");
  pool[escape_closes_line] = ansi_literal("\"ESC\" key to close.");
  pool[other_key_line] = ansi_literal("Any other key to to try different colors.");
  pool[separator] = ansi_literal("\xB7");
  pool[escape_key] = wide_literal(u"\x1B");
  pool[blank] = wide_literal(u" ");
  pool[digit_set] = wide_literal(u"0123456789");
  return pool;
}

constexpr std::array<LiteralSpec, literal_count> kLiterals = literal_pool();

constexpr auto kDataSection = build_data_section<section_size(kLiterals)>(kLiterals);

constexpr std::int32_t kYellow = 14;
constexpr std::int32_t kWhite = 7;
constexpr std::int32_t kBlack = 0;
constexpr std::int32_t kMessageForeground = 12;
constexpr std::int32_t kMessageBackground = 15;
constexpr std::int32_t kHighestColor = 15;
constexpr std::size_t kTableRows = 8;
constexpr std::int32_t kTableRightColumn = 24;
constexpr std::int32_t kNameColumn = 30;
constexpr std::int32_t kTitleSeparators = 27;
constexpr std::int32_t kTestTextIndent = 30;
constexpr std::int32_t kSeparatorLine = 79;

StringValue literal(std::size_t id) {
  return pool_literal(kLiterals, id);
}

StringValue text(std::size_t id) {
  return pool_text(kLiterals, id);
}

std::size_t table_text(std::size_t value) {
  return first_table_text + value;
}

StringValue separators(std::int32_t count) {
  return string_repeat(count, text(separator));
}

// An accepted entry: the value and the row its prompt stands on.
struct ColorEntry {
  std::int32_t value = 0;
  std::int32_t row = 0;
};

// Shows why an entry was refused, in light red on bright white, and waits for
// any key (Esc included) before the cycle starts again.
void show_entry_failure(Literal message) {
  screen_set_color(kMessageForeground, kMessageBackground, 0);
  print_line(text(message));
  print_line(text(retry_line));
  key_wait(StringValue{}, 0);
}

// The value of an entry made of digits only, 0 to 15; nothing, after the
// failure display, for anything else. The empty entry is 0.
std::optional<std::int32_t> check_color_entry(const RuntimeString& entry) {
  RuntimeFrame frame;
  if (string_verify(1, entry, literal(digit_set)) != 0) {
    show_entry_failure(only_digits_message);
    return std::nullopt;
  }
  // A digit string too large for 32 bits rounds to -2147483648, so every
  // value past 15, however long, fails the range check.
  const std::int32_t value = runtime_round_to_int32(string_to_number(1, string_to_ansi(entry)));
  if (value < 0 || value > kHighestColor) {
    show_entry_failure(range_message);
    return std::nullopt;
  }
  return value;
}

// Prompts at column 1 of the current row, reads one line and checks its first
// field; nothing when the cycle has to start again.
std::optional<ColorEntry> ask_color_value(Literal prompt) {
  RuntimeFrame frame;
  RuntimeString entry;
  const std::int32_t row = screen_cursor_row();
  screen_print(text(prompt));
  {
    const StringValue line = line_input();
    string_assign(entry, string_input_field(line, 1));
  }
  const std::optional<std::int32_t> value = check_color_entry(entry);
  if (!value) {
    return std::nullopt;
  }
  return ColorEntry{*value, row};
}

// Writes the colour's name from column 30 of `row`, over whatever the entry's
// echo left there, and goes to column 1 of the row below.
void show_color_name(std::int32_t row, std::int32_t value) {
  RuntimeFrame frame;
  screen_locate(row, kNameColumn);
  print_line(text(first_name + static_cast<std::size_t>(value)));
}

// Written once, before the first cycle, in the start-up colours.
void write_header() {
  print_line(text(header_title));
  print_line(text(header_names));
  print_line(text(header_changes));
  print_line(text(header_address));
  screen_newline();
}

// A cleared screen with the instructions and the two-column colour table,
// leaving the cursor at column 1 of the row under an empty one.
void draw_color_table() {
  screen_set_color(kYellow, kBlack, 0);
  screen_clear();
  print_line(text(instructions));
  // Colours 0 to 7 from column 1, each with colour 8 higher from column 24
  // of the same row.
  for (std::size_t value = 0; value < kTableRows; ++value) {
    const std::int32_t row = screen_cursor_row();
    print_line(text(table_text(value)));
    screen_locate(row, kTableRightColumn);
    print_line(text(table_text(value + kTableRows)));
  }
  screen_newline();
}

// The framed test text in the chosen pair and the two closing lines.
void draw_demonstration(std::int32_t foreground, std::int32_t background) {
  screen_set_color(kWhite, kBlack, 0);
  print_line(string_concat(string_concat(separators(kTitleSeparators), text(demonstration_title)),
                           separators(kTitleSeparators)));
  screen_newline();
  screen_print(string_repeat(kTestTextIndent, literal(blank)));
  screen_set_color(foreground, background, 0);
  print_line(text(test_text));
  screen_newline();
  screen_set_color(kWhite, kBlack, 0);
  print_line(separators(kSeparatorLine));
  screen_newline();
  print_line(text(escape_closes_line));
  print_line(text(other_key_line));
}

std::int32_t program_main(platform::Handle /*instance*/, platform::Handle /*previous_instance*/,
                          const char16_t* /*command_tail*/, std::int32_t /*show_command*/) {
  RuntimeFrame frame;
  RuntimeString key_text;
  write_header();
  for (;;) {
    draw_color_table();
    const std::optional<ColorEntry> foreground = ask_color_value(foreground_prompt);
    if (!foreground) {
      continue;
    }
    show_color_name(foreground->row, foreground->value);
    const std::optional<ColorEntry> background = ask_color_value(background_prompt);
    if (!background) {
      continue;
    }
    show_color_name(background->row, background->value);
    draw_demonstration(foreground->value, background->value);
    string_assign(key_text, key_wait(StringValue{}, 0));
    if (string_compare(key_text, literal(escape_key)) == 0) {
      return 0;
    }
  }
}

constexpr std::uint16_t kOptions = 0x0080;
// Neither release table has an entry: the program holds no global or
// thread-local strings, interfaces or variants for shutdown to free.
constexpr std::array<std::uint32_t, 1> kNoReleases = {0};

constexpr ProgramDefinition kViewerProgram{kDataSection, kOptions, kNoReleases.data(),
                                           kNoReleases.data(), &program_main};

} // namespace

const ProgramDefinition& viewer_program() {
  return kViewerProgram;
}
