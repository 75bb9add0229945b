// line_input driven by arbitrary key events on a small memory console (10 x 3
// cells, so lines wrap and the screen scrolls): it never crashes, the cursor
// stays in the buffer, each line is what was typed with the backspaces
// applied and never longer than the longest line, and while a line fits on
// the screen the screen shows it with blanks where backspaces erased.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "runtime/keyboard.h"

namespace {

using platform::InputRecord;

constexpr std::int16_t kColumns = 10;
constexpr std::int16_t kRows = 3;

// What a key does to the line.
struct Key {
  enum class Effect : std::uint8_t { type, erase, enter, nothing };
  Effect effect = Effect::nothing;
  char16_t character = 0;
};

struct Script {
  std::vector<InputRecord> records;
  std::vector<Key> keys;
};

InputRecord key_record(bool down, char16_t character, std::uint16_t scan_code,
                       std::uint32_t control_key_state = 0) {
  InputRecord record;
  record.event_type = platform::kKeyEvent;
  record.key.key_down = down ? 1 : 0;
  record.key.character = character;
  record.key.virtual_scan_code = scan_code;
  record.key.control_key_state = control_key_state;
  return record;
}

void press(Script& script, Key key, char16_t character, std::uint16_t scan_code,
           std::uint32_t control_key_state = 0) {
  script.records.push_back(key_record(true, character, scan_code, control_key_state));
  script.records.push_back(key_record(false, character, scan_code, control_key_state));
  script.keys.push_back(key);
}

// Printable characters off the letter rows, so Alt never turns them into
// extended keys, plus a few beyond ASCII.
constexpr std::array<char16_t, 5> kControls = {u'\t', u'\x1b', u'\x03', u'\n', u'\x1f'};

constexpr std::array<char16_t, 8> kPrintable = {u'1',    u' ',      u',', u'"',
                                                u'\xe9', u'\x4e00', u'~', u'\xd83d'};

Script make_script(FuzzedDataProvider& input) {
  Script script;
  const Key nothing{};
  bool long_run_done = false; // each key of a long run costs a full echo
  while (input.remaining_bytes() > 0 && script.records.size() < 4096) {
    switch (input.ConsumeIntegralInRange(0, 9)) {
    case 0:
    case 1:
    case 2: {
      const char16_t c =
          input.ConsumeBool()
              ? kPrintable[input.ConsumeIntegralInRange<std::size_t>(0, kPrintable.size() - 1)]
              : input.ConsumeIntegralInRange<char16_t>(0x20, 0xFFFF);
      press(script, Key{Key::Effect::type, c}, c, 0);
      break;
    }
    case 3:
      press(script, Key{Key::Effect::erase, 0}, u'\b', 0x0E);
      break;
    case 4:
      press(script, Key{Key::Effect::enter, 0}, u'\r', 0x1C);
      break;
    case 5: // control characters: Tab, Esc, Ctrl+C, line feed
      press(script, nothing,
            kControls[input.ConsumeIntegralInRange<std::size_t>(0, kControls.size() - 1)], 0x01);
      break;
    case 6: // keys that type nothing, and Alt with a letter key
      if (input.ConsumeBool()) {
        press(script, nothing, 0, input.ConsumeIntegralInRange<std::uint16_t>(2, 0xFF));
      } else {
        press(script, nothing, u'a', 0x1E, platform::kLeftAltPressed);
      }
      break;
    case 7: { // events that are not keys
      InputRecord record;
      record.event_type =
          static_cast<std::uint16_t>(platform::kMouseEvent << input.ConsumeIntegralInRange(0, 3));
      script.records.push_back(record);
      break;
    }
    case 8: { // a run of one character; rarely, and once per input, past the longest line
      const bool past_limit = !long_run_done && input.ConsumeIntegral<std::uint8_t>() == 0xFF;
      const std::size_t count =
          past_limit ? kLineInputLimit + input.ConsumeIntegralInRange<std::size_t>(0, 20)
                     : input.ConsumeIntegralInRange<std::size_t>(1, 30);
      long_run_done = long_run_done || past_limit;
      for (std::size_t i = 0; i < count; ++i) {
        press(script, Key{Key::Effect::type, u'x'}, u'x', 0x2D);
      }
      break;
    }
    default: // a lone key-up
      script.records.push_back(key_record(false, u'q', 0x10));
      break;
    }
  }
  return script;
}

// The lines the keys make: typed characters up to the longest line, each
// backspace taking one back.
struct ExpectedLine {
  std::u16string text;
  std::size_t widest = 0; // the most cells the line covered while being typed
};

std::vector<ExpectedLine> expected_lines(const std::vector<Key>& keys) {
  std::vector<ExpectedLine> lines(1);
  for (const Key& key : keys) {
    ExpectedLine& line = lines.back();
    switch (key.effect) {
    case Key::Effect::type:
      if (line.text.size() < kLineInputLimit) {
        line.text.push_back(key.character);
        line.widest = std::max(line.widest, line.text.size());
      }
      break;
    case Key::Effect::erase:
      if (!line.text.empty()) {
        line.text.pop_back();
      }
      break;
    case Key::Effect::enter:
      lines.emplace_back();
      break;
    case Key::Effect::nothing:
      break;
    }
  }
  return lines;
}

void check_cursor_inside(const platform::MemoryConsole& console) {
  FUZZ_CHECK(console.cursor().x >= 0 && console.cursor().x < kColumns);
  FUZZ_CHECK(console.cursor().y >= 0 && console.cursor().y < kRows);
}

// A line that stayed clear of the last row never scrolled: the screen shows
// it from where it started, with blanks over what backspaces took back.
void check_echo(const platform::MemoryConsole& console, int start, const ExpectedLine& line) {
  const std::size_t covered = std::max(line.widest, line.text.size());
  if (start + covered >= static_cast<std::size_t>(kColumns) * (kRows - 1)) {
    return;
  }
  for (std::size_t i = 0; i < covered; ++i) {
    const int cell = start + static_cast<int>(i);
    const char16_t shown = console.cell(cell % kColumns, cell / kColumns).character;
    FUZZ_CHECK(shown == (i < line.text.size() ? line.text[i] : u' '));
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  platform::MemoryConsole::Config config;
  config.columns = kColumns;
  config.rows = kRows;
  config.cursor = platform::Coord{input.ConsumeIntegralInRange<std::int16_t>(0, kColumns - 1),
                                  input.ConsumeIntegralInRange<std::int16_t>(0, kRows - 1)};
  config.idle_limit_ms = 2;
  FuzzRuntime runtime(config);
  const Script script = make_script(input);
  // The records arrive in groups, no faster than line_input reads them, so
  // the console's queue stays short however long the script is.
  constexpr std::size_t kGroup = 64;
  for (std::size_t i = 0; i < script.records.size(); ++i) {
    runtime.console.push_record_at(i / kGroup * kGroup, script.records[i]);
  }
  const std::vector<ExpectedLine> lines = expected_lines(script.keys);

  std::size_t read = 0;
  try {
    for (;;) {
      const int start = runtime.console.cursor().y * kColumns + runtime.console.cursor().x;
      const StringValue line = line_input();
      FUZZ_CHECK(read + 1 < lines.size()); // only Enter ends a line
      FUZZ_CHECK(line.view16().size() <= kLineInputLimit);
      FUZZ_CHECK(line.view16() == lines[read].text);
      check_cursor_inside(runtime.console);
      FUZZ_CHECK(runtime.console.cursor().x == 0);
      check_echo(runtime.console, start, lines[read]);
      ++read;
    }
  } catch (const platform::MemoryConsoleStop& stop) {
    FUZZ_CHECK(stop.reason == platform::MemoryConsoleStop::Reason::input_exhausted);
  }
  FUZZ_CHECK(read + 1 == lines.size());
  check_cursor_inside(runtime.console);
  FUZZ_CHECK(runtime.error() == 0);
  return 0;
}
