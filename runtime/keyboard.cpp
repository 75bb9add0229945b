// Keyboard input, polled from the console input queue one event at a time.
// The console neither edits nor echoes (start-up switches that off), so the
// line editor here draws everything the user sees through the screen.
#include "runtime/keyboard.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "runtime/errors.h"
#include "runtime/platform/us_layout.h"
#include "runtime/screen.h"
#include "runtime/state.h"

namespace {

using platform::InputRecord;

// The clock is the position of the local time within its hour.
constexpr std::uint32_t kHourMs = 3600000;
constexpr std::uint32_t kLongestLimitMs = 3590000;
constexpr std::uint32_t kNoDeadline = 0xFFFFFFFFU;
// A clock this far past the deadline, or less, means the deadline has passed;
// further past, the deadline is taken to lie in the next hour.
constexpr std::uint32_t kPassedWindowMs = 1000;

constexpr char16_t kBackspace = u'\b';
constexpr char16_t kEnter = u'\r';
constexpr char16_t kSpace = u' ';
constexpr char16_t kComma = u',';
constexpr char16_t kQuote = u'"';

struct ScanRange {
  std::uint8_t first;
  std::uint8_t last;
};
// The three letter rows: with Alt held their keys are extended keys.
constexpr std::array<ScanRange, 3> kLetterRows = {{
    {0x10, 0x19}, // Q .. P
    {0x1E, 0x26}, // A .. L
    {0x2C, 0x32}, // Z .. M
}};

// Keys that only modify others are no key when pressed alone.
bool is_modifier(std::uint8_t scan_code) {
  return std::any_of(
      platform::us_layout::kModifierKeys.begin(), platform::us_layout::kModifierKeys.end(),
      [scan_code](const platform::us_layout::ModifierKey& key) { return key.scan == scan_code; });
}

bool is_letter_key(std::uint8_t scan_code) {
  return std::any_of(kLetterRows.begin(), kLetterRows.end(), [scan_code](const ScanRange& row) {
    return scan_code >= row.first && scan_code <= row.last;
  });
}

bool alt_down(std::uint32_t control_key_state) {
  return (control_key_state & (platform::kRightAltPressed | platform::kLeftAltPressed)) != 0;
}

// Takes the head event out of the queue; false when the console refused.
bool take_head_event() {
  InputRecord record;
  std::uint32_t count = 0;
  return runtime_platform().read_console_input(runtime_state().console_input_handle, record,
                                               count) &&
         count == 1;
}

std::uint32_t clock_within_hour() {
  platform::SystemTime now;
  runtime_platform().get_local_time(now);
  return now.minute * 60000U + now.second * 1000U + now.milliseconds;
}

// The key text: one unit for a character key, U+0000 and the scan code for
// an extended key.
StringValue key_text(const PeekedKey& key) {
  if (key.kind == PeekedKey::Kind::extended) {
    const std::array<char16_t, 2> units = {u'\0', static_cast<char16_t>(key.scan_code)};
    return string_copy16({units.data(), units.size()});
  }
  return string_copy16({&key.character, 1});
}

// The length of the allowed-list item that starts with `first`.
std::size_t item_length(char16_t first) {
  if (first == u'\0') {
    return 2;
  }
  if (first == u'\xFF') {
    return 4;
  }
  return 1;
}

bool admits(std::u16string_view allowed, const PeekedKey& key) {
  std::size_t at = 0;
  if (key.kind == PeekedKey::Kind::extended) {
    // An item may claim more units than are left, so `at` can pass the end.
    while (at + 2 <= allowed.size()) {
      if (allowed[at] == u'\0' && allowed[at + 1] == key.scan_code) {
        return true;
      }
      at += item_length(allowed[at]);
    }
    return false;
  }
  while (at < allowed.size()) {
    if (allowed[at] == key.character) {
      return true;
    }
    at += item_length(allowed[at]);
  }
  return false;
}

// Moves the cursor back over the cell last written, across the start of a
// row and out of a deferred scroll.
void step_back_one_cell() {
  RuntimeState& state = runtime_state();
  if (state.pending_scroll != 0) {
    state.pending_scroll = 0;
    const ScreenSize size = screen_buffer_size();
    screen_locate(size.rows, size.columns);
    return;
  }
  const ScreenPosition cursor = screen_cursor_position();
  const std::int32_t column = cursor.column + 1;
  const std::int32_t row = cursor.row + 1;
  if (column > 1) {
    screen_locate(row, column - 1);
  } else {
    screen_locate(row - 1, screen_buffer_size().columns);
  }
}

} // namespace

PeekedKey key_peek() {
  const RuntimeState& state = runtime_state();
  platform::Platform& console = runtime_platform();
  for (;;) {
    InputRecord record;
    std::uint32_t count = 0;
    if (!console.peek_console_input(state.console_input_handle, record, count) || count == 0) {
      return {};
    }
    if (record.event_type == platform::kKeyEvent && record.key.key_down != 0) {
      const auto scan_code = static_cast<std::uint8_t>(record.key.virtual_scan_code & 0xFF);
      const char16_t character = record.key.character;
      if (character == u'\0') {
        if (scan_code == platform::us_layout::kEscScan) {
          return PeekedKey{PeekedKey::Kind::character, u'\0', scan_code};
        }
        if (!is_modifier(scan_code)) {
          return PeekedKey{PeekedKey::Kind::extended, u'\0', scan_code};
        }
      } else if (alt_down(record.key.control_key_state) && is_letter_key(scan_code)) {
        return PeekedKey{PeekedKey::Kind::extended, u'\0', scan_code};
      } else {
        return PeekedKey{PeekedKey::Kind::character, character, scan_code};
      }
    }
    // Key-ups, lone modifiers and non-key events are dropped. If the console
    // will not give the event up, the queue counts as empty for now rather
    // than spinning on an event that never leaves.
    if (!take_head_event()) {
      return {};
    }
  }
}

void key_consume() {
  static_cast<void>(take_head_event());
}

char16_t key_read_char() {
  platform::Platform& console = runtime_platform();
  for (;;) {
    console.sleep(kKeyReadPauseMs);
    const PeekedKey key = key_peek();
    if (key.kind == PeekedKey::Kind::none) {
      continue;
    }
    key_consume();
    if (key.kind == PeekedKey::Kind::character && key.character != u'\0') {
      return key.character;
    }
  }
}

std::uint32_t key_deadline(std::int32_t time_limit_ms) {
  if (time_limit_ms == 0) {
    return kNoDeadline;
  }
  auto limit = static_cast<std::uint32_t>(time_limit_ms);
  if (time_limit_ms < 0 || limit > kLongestLimitMs) {
    limit = kLongestLimitMs;
  }
  // A deadline that lands on or past the end of the hour is placed in the
  // next hour, where the clock can reach it: the end of the hour itself is
  // the next hour's 0.
  std::uint32_t deadline = clock_within_hour() + limit + 1;
  if (deadline >= kHourMs) {
    deadline -= kHourMs;
  }
  return deadline;
}

std::uint32_t key_time_left(std::uint32_t deadline) {
  if (deadline == kNoDeadline) {
    return kNoDeadline;
  }
  // A deadline given as the end of the hour or just past it (3600000,
  // 3600001) means the start of the next hour.
  if (deadline >= kHourMs) {
    deadline -= kHourMs;
  }
  const std::uint32_t clock = clock_within_hour();
  if (deadline >= clock) {
    return deadline - clock;
  }
  if (clock - deadline < kPassedWindowMs) {
    return 0;
  }
  return kHourMs - clock + deadline;
}

StringValue key_wait(StringValue allowed, std::int32_t time_limit_ms) {
  const std::uint32_t deadline = key_deadline(time_limit_ms);
  const std::u16string_view list = allowed.view16();
  platform::Platform& console = runtime_platform();
  for (;;) {
    const PeekedKey key = key_peek();
    if (key.kind != PeekedKey::Kind::none) {
      key_consume();
      if (list.empty() || admits(list, key)) {
        return key_text(key); // `allowed` is released on the way out
      }
      // A refused key: sound and look again at once.
      console.message_beep(0);
    } else {
      console.sleep(kKeyWaitPauseMs);
    }
    if (key_time_left(deadline) == 0) {
      return {};
    }
  }
}

StringValue line_input() {
  screen_cursor_force_visible();
  std::array<char16_t, kLineInputLimit> line; // NOLINT(cppcoreguidelines-pro-type-member-init)
  std::uint32_t count = 0;
  for (;;) {
    const char16_t c = key_read_char();
    if (c == kEnter) {
      break;
    }
    if (c == kBackspace) {
      if (count > 0) {
        step_back_one_cell();
        screen_write_cells(&kSpace, 1);
        step_back_one_cell();
        --count;
      }
      continue;
    }
    if (c < kSpace || count == kLineInputLimit) {
      continue; // control characters, and anything past the longest line
    }
    line[count++] = c;
    screen_write_cells(&c, 1);
  }
  screen_newline();
  StringValue result = string_copy16({line.data(), count});
  screen_cursor_restore();
  return result;
}

StringValue string_input_field(const StringValue& line, std::int32_t n) {
  const std::u16string_view text = line.view16();
  if (n <= 0) {
    return {};
  }
  std::size_t at = 0;
  for (std::int32_t field = 1;; ++field) {
    while (at < text.size() && text[at] == kSpace) {
      ++at;
    }
    if (at == text.size()) {
      return {};
    }
    if (field == n) {
      break;
    }
    // Pass over a field before the one asked for.
    if (text[at] == kQuote) {
      const std::size_t closing = text.find(kQuote, at + 1);
      if (closing == std::u16string_view::npos) {
        return {};
      }
      at = closing + 1;
    }
    const std::size_t comma = text.find(kComma, at);
    if (comma == std::u16string_view::npos) {
      return {};
    }
    at = comma + 1;
  }

  // substr cuts a count that runs past the end, so a missing closing quote
  // or comma (npos) takes the rest of the line.
  std::u16string_view field;
  if (text[at] == kQuote) {
    const std::size_t start = at + 1;
    field = text.substr(start, text.find(kQuote, start) - start);
  } else {
    field = text.substr(at, text.find(kComma, at) - at);
    const std::size_t last = field.find_last_not_of(kSpace);
    field = field.substr(0, last == std::u16string_view::npos ? 0 : last + 1);
  }
  if (field.empty()) {
    return {};
  }
  RuntimeString result = string_copy16(field);
  if (result.empty()) {
    runtime_raise_error(kErrorOutOfMemory);
  }
  return {std::move(result)};
}
