// The terminal key decoder over arbitrary byte streams, split at arbitrary
// points and fed with arbitrary silences between the pieces. What it decodes
// may depend only on where a silence long enough to end a sequence fell, not
// on how the bytes were split: a second decoder fed each stretch between such
// silences in one piece must give the same key records and cursor reports.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "runtime/platform/terminal/key_decoder.h"
#include "runtime/platform/terminal/terminal_capabilities.h"
#include "tests/support/latin1_charset.h"

namespace {

using platform::InputRecord;
using platform::terminal::InputCharset;
using platform::terminal::KeyDecoder;
using platform::terminal::KeyTable;

// Key tables of a few real terminal descriptions on top of the xterm
// fallbacks, whose sequences collide in different ways (the Linux console's
// ESC [ [ A, vt52's ESC A, cons25's ESC [ M), and the fallbacks alone.
constexpr std::array<const char*, 8> kTerminals = {
    "", "xterm-256color", "linux", "rxvt-unicode", "screen", "cons25", "vt52", "Eterm"};

const std::vector<KeyTable>& key_tables() {
  static const std::vector<KeyTable> tables = [] {
    const char* saved = std::getenv("TERM");
    const std::string saved_term = saved != nullptr ? saved : "";
    std::vector<KeyTable> result;
    for (const char* name : kTerminals) {
      std::vector<platform::terminal::KeyBinding> keys;
      if (*name != '\0') {
        setenv("TERM", name, 1);
        keys = platform::terminal::load_terminal_capabilities(-1).keys;
      }
      result.push_back(platform::terminal::build_key_table(keys));
    }
    if (saved != nullptr) {
      setenv("TERM", saved_term.c_str(), 1);
    } else {
      unsetenv("TERM");
    }
    return result;
  }();
  return tables;
}

const KeyTable& key_table() {
  return key_tables().front();
}

bool same_record(const InputRecord& a, const InputRecord& b) {
  return a.event_type == b.event_type && a.key.key_down == b.key.key_down &&
         a.key.repeat_count == b.key.repeat_count &&
         a.key.virtual_key_code == b.key.virtual_key_code &&
         a.key.virtual_scan_code == b.key.virtual_scan_code && a.key.character == b.key.character &&
         a.key.control_key_state == b.key.control_key_state;
}

std::vector<InputRecord> take_records(KeyDecoder& decoder) {
  std::vector<InputRecord> records;
  while (decoder.has_record()) {
    records.push_back(decoder.front());
    decoder.pop();
  }
  return records;
}

// Lets the input fall silent until the decoder holds nothing back.
void drain(KeyDecoder& decoder) {
  for (int round = 0; round < 8 && decoder.wait_left().has_value(); ++round) {
    decoder.elapse(*decoder.wait_left());
  }
  FUZZ_CHECK(!decoder.wait_left().has_value());
}

// Every key gives a key-down followed by its key-up, one at a time.
void check_pairs(const std::vector<InputRecord>& records) {
  FUZZ_CHECK(records.size() % 2 == 0);
  for (std::size_t i = 0; i + 1 < records.size(); i += 2) {
    FUZZ_CHECK(records[i].event_type == platform::kKeyEvent);
    FUZZ_CHECK(records[i].key.key_down == 1 && records[i + 1].key.key_down == 0);
    InputRecord up = records[i + 1];
    up.key.key_down = 1;
    FUZZ_CHECK(same_record(records[i], up));
    FUZZ_CHECK(records[i].key.repeat_count == 1);
  }
}

// Printable ASCII and well-formed UTF-8 type their own characters, one
// key each, whatever the pieces they arrive in.
void check_plain_text(const std::string& stream, bool utf8) {
  std::u16string expected;
  std::string text;
  for (std::size_t i = 0; i + 1 < stream.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(stream[i]) |
                                            static_cast<unsigned char>(stream[i + 1]) << 8U);
    if (!utf8 || unit < 0x80) {
      const auto ascii = static_cast<char>(0x20 + unit % 95);
      expected.push_back(static_cast<char16_t>(ascii));
      text.push_back(ascii);
    } else if (unit >= 0xA0 && (unit < 0xD800 || unit > 0xDFFF)) {
      expected.push_back(unit);
      if (unit < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (unit >> 6U)));
      } else {
        text.push_back(static_cast<char>(0xE0 | (unit >> 12U)));
        text.push_back(static_cast<char>(0x80 | ((unit >> 6U) & 0x3FU)));
      }
      text.push_back(static_cast<char>(0x80 | (unit & 0x3FU)));
    }
  }
  KeyDecoder decoder(key_table(), utf8 ? InputCharset{} : test_support::latin1_charset());
  for (std::size_t at = 0; at < text.size(); at += 3) {
    decoder.feed(std::string_view(text).substr(at, 3));
  }
  FUZZ_CHECK(!decoder.wait_left().has_value());
  const std::vector<InputRecord> records = take_records(decoder);
  FUZZ_CHECK(records.size() == 2 * expected.size());
  for (std::size_t i = 0; i < expected.size() && 2 * i < records.size(); ++i) {
    FUZZ_CHECK(records[2 * i].key.character == expected[i]);
  }
}

struct Coord16 {
  std::int16_t x;
  std::int16_t y;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool utf8 = input.ConsumeBool();
  const int reports = input.ConsumeIntegralInRange(0, 2);
  const KeyTable& table =
      key_tables()[input.ConsumeIntegralInRange<std::size_t>(0, kTerminals.size() - 1)];
  const std::string stream =
      input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 1024));
  const InputCharset charset = utf8 ? InputCharset{} : test_support::latin1_charset();

  KeyDecoder split(table, charset);
  KeyDecoder whole(table, charset);
  for (int i = 0; i < reports; ++i) {
    split.expect_cursor_report();
    whole.expect_cursor_report();
  }

  std::vector<InputRecord> split_records;
  std::vector<InputRecord> whole_records;
  std::vector<Coord16> split_reports;
  std::vector<Coord16> whole_reports;
  auto collect = [&]() {
    for (const InputRecord& record : take_records(split)) {
      split_records.push_back(record);
    }
    for (const InputRecord& record : take_records(whole)) {
      whole_records.push_back(record);
    }
    if (const auto report = split.take_cursor_report()) {
      split_reports.push_back({report->x, report->y});
    }
    if (const auto report = whole.take_cursor_report()) {
      whole_reports.push_back({report->x, report->y});
    }
  };

  std::string stretch; // bytes fed since the last silence that ended a sequence
  std::size_t at = 0;
  while (at < stream.size()) {
    const std::size_t length =
        std::min(stream.size() - at, input.ConsumeIntegralInRange<std::size_t>(1, 16));
    const std::string_view piece = std::string_view(stream).substr(at, length);
    at += length;
    split.feed(piece);
    stretch += piece;

    // Mostly short pauses; sometimes one long enough to end what is pending.
    const auto pause = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::uint32_t>(0, 40)
                                           : input.ConsumeIntegralInRange<std::uint32_t>(0, 600);
    const std::optional<std::uint32_t> left = split.wait_left();
    split.elapse(pause);
    if (left.has_value() && pause >= *left) {
      whole.feed(stretch);
      stretch.clear();
      const std::optional<std::uint32_t> whole_left = whole.wait_left();
      FUZZ_CHECK(whole_left.has_value());
      whole.elapse(*whole_left);
      collect();
      FUZZ_CHECK(split_records.size() == whole_records.size());
    }
  }
  whole.feed(stretch);
  drain(split);
  drain(whole);
  collect();

  check_pairs(split_records);
  check_plain_text(stream, utf8);
  FUZZ_CHECK(split_records.size() == whole_records.size());
  for (std::size_t i = 0; i < split_records.size(); ++i) {
    FUZZ_CHECK(same_record(split_records[i], whole_records[i]));
  }
  FUZZ_CHECK(split_reports.size() == whole_reports.size());
  for (std::size_t i = 0; i < split_reports.size(); ++i) {
    FUZZ_CHECK(split_reports[i].x == whole_reports[i].x &&
               split_reports[i].y == whole_reports[i].y);
  }
  return 0;
}
