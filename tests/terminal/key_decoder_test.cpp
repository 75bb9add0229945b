// The key decoder from byte streams: every key it knows, its Alt and Ctrl
// forms, input split at every point, Esc timing with the time given by the
// test, malformed UTF-8, unknown sequences and cursor position reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/platform/terminal/key_decoder.h"
#include "runtime/platform/terminal/key_table.h"
#include "tests/support/latin1_charset.h"

namespace {

using platform::InputRecord;
using platform::KeyEvent;
using platform::terminal::build_key_table;
using platform::terminal::InputCharset;
using platform::terminal::KeyDecoder;
using platform::terminal::KeyTable;

constexpr std::uint32_t kShift = platform::kShiftPressed;
constexpr std::uint32_t kCtrl = platform::kLeftCtrlPressed;
constexpr std::uint32_t kAlt = platform::kLeftAltPressed;
constexpr std::uint32_t kEnhanced = platform::kEnhancedKey;

struct Key {
  char16_t character;
  std::uint16_t scan;
  std::uint16_t vk;
  std::uint32_t state;

  friend bool operator==(const Key&, const Key&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Key& key) {
    return out << "{char " << std::hex << static_cast<int>(key.character) << ", scan " << key.scan
               << ", vk " << key.vk << ", state " << key.state << std::dec << "}";
  }
};

KeyDecoder make_decoder(InputCharset charset = InputCharset{}) {
  return KeyDecoder(build_key_table({}), charset);
}

// Takes every record out of the decoder. Each key must come as a key-down
// followed by the same key's key-up, repeat count 1.
std::vector<Key> take_keys(KeyDecoder& decoder) {
  std::vector<Key> keys;
  while (decoder.has_record()) {
    const InputRecord down = decoder.front();
    decoder.pop();
    EXPECT_EQ(down.event_type, platform::kKeyEvent);
    EXPECT_EQ(down.key.key_down, 1);
    EXPECT_EQ(down.key.repeat_count, 1);
    EXPECT_TRUE(decoder.has_record()) << "key-down without its key-up";
    if (!decoder.has_record()) {
      break;
    }
    const InputRecord up = decoder.front();
    decoder.pop();
    EXPECT_EQ(up.key.key_down, 0);
    EXPECT_EQ(up.key.character, down.key.character);
    EXPECT_EQ(up.key.virtual_scan_code, down.key.virtual_scan_code);
    EXPECT_EQ(up.key.control_key_state, down.key.control_key_state);
    keys.push_back({down.key.character, down.key.virtual_scan_code, down.key.virtual_key_code,
                    down.key.control_key_state});
  }
  return keys;
}

// Feeds `bytes` in one piece, then lets the input fall silent.
std::vector<Key> decode(std::string_view bytes) {
  KeyDecoder decoder = make_decoder();
  decoder.feed(bytes);
  decoder.elapse(1000);
  return take_keys(decoder);
}

struct Case {
  const char* name;
  std::string bytes;
  std::vector<Key> keys;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> table = {
      {"lower letter", "a", {{u'a', 0x1E, 'A', 0}}},
      {"upper letter", "Q", {{u'Q', 0x10, 'Q', kShift}}},
      {"digit", "7", {{u'7', 0x08, '7', 0}}},
      {"shifted digit", "!", {{u'!', 0x02, '1', kShift}}},
      {"punctuation", "/", {{u'/', 0x35, 0xBF, 0}}},
      {"shifted punctuation", "?", {{u'?', 0x35, 0xBF, kShift}}},
      {"space", " ", {{u' ', 0x39, 0x20, 0}}},
      {"enter", "\r", {{u'\r', 0x1C, 0x0D, 0}}},
      {"backspace as DEL", "\x7f", {{u'\b', 0x0E, 0x08, 0}}},
      {"backspace as BS", "\b", {{u'\b', 0x0E, 0x08, 0}}},
      {"tab", "\t", {{u'\t', 0x0F, 0x09, 0}}},
      {"shift tab", "\x1b[Z", {{u'\t', 0x0F, 0x09, kShift}}},
      {"ctrl a", "\x01", {{0x01, 0x1E, 'A', kCtrl}}},
      {"line feed: ctrl j", "\n", {{u'\n', 0x24, 'J', kCtrl}}},
      {"ctrl c", "\x03", {{0x03, 0x2E, 'C', kCtrl}}},
      {"ctrl z", "\x1a", {{0x1A, 0x2C, 'Z', kCtrl}}},
      {"ctrl backslash", "\x1c", {{0x1C, 0x2B, 0xDC, kCtrl}}},
      {"ctrl space", std::string(1, '\0'), {{u' ', 0x39, 0x20, kCtrl}}},
      {"escape alone", "\x1b", {{0x1B, 0x01, 0x1B, 0}}},
      {"escape escape", "\x1b\x1b", {{0x1B, 0x01, 0x1B, 0}, {0x1B, 0x01, 0x1B, 0}}},
      {"alt letter",
       "\x1b"
       "a",
       {{u'a', 0x1E, 'A', kAlt}}},
      {"alt shifted letter", "\x1bX", {{u'X', 0x2D, 'X', kAlt | kShift}}},
      {"alt ctrl letter", "\x1b\x01", {{0x01, 0x1E, 'A', kAlt | kCtrl}}},
      {"alt backspace", "\x1b\x7f", {{u'\b', 0x0E, 0x08, kAlt}}},
      {"alt open bracket after silence", "\x1b[", {{u'[', 0x1A, 0xDB, kAlt}}},
      {"up", "\x1b[A", {{0, 0x48, 0x26, kEnhanced}}},
      {"down", "\x1b[B", {{0, 0x50, 0x28, kEnhanced}}},
      {"right", "\x1b[C", {{0, 0x4D, 0x27, kEnhanced}}},
      {"left", "\x1b[D", {{0, 0x4B, 0x25, kEnhanced}}},
      {"up application mode", "\x1bOA", {{0, 0x48, 0x26, kEnhanced}}},
      {"home", "\x1b[H", {{0, 0x47, 0x24, kEnhanced}}},
      {"end", "\x1b[F", {{0, 0x4F, 0x23, kEnhanced}}},
      {"home linux", "\x1b[1~", {{0, 0x47, 0x24, kEnhanced}}},
      {"end rxvt", "\x1b[8~", {{0, 0x4F, 0x23, kEnhanced}}},
      {"insert", "\x1b[2~", {{0, 0x52, 0x2D, kEnhanced}}},
      {"delete", "\x1b[3~", {{0, 0x53, 0x2E, kEnhanced}}},
      {"page up", "\x1b[5~", {{0, 0x49, 0x21, kEnhanced}}},
      {"page down", "\x1b[6~", {{0, 0x51, 0x22, kEnhanced}}},
      {"f1", "\x1bOP", {{0, 0x3B, 0x70, 0}}},
      {"f2", "\x1bOQ", {{0, 0x3C, 0x71, 0}}},
      {"f3", "\x1bOR", {{0, 0x3D, 0x72, 0}}},
      {"f4", "\x1bOS", {{0, 0x3E, 0x73, 0}}},
      {"f1 rxvt", "\x1b[11~", {{0, 0x3B, 0x70, 0}}},
      {"f1 linux", "\x1b[[A", {{0, 0x3B, 0x70, 0}}},
      {"f5 linux", "\x1b[[E", {{0, 0x3F, 0x74, 0}}},
      {"f5", "\x1b[15~", {{0, 0x3F, 0x74, 0}}},
      {"f6", "\x1b[17~", {{0, 0x40, 0x75, 0}}},
      {"f7", "\x1b[18~", {{0, 0x41, 0x76, 0}}},
      {"f8", "\x1b[19~", {{0, 0x42, 0x77, 0}}},
      {"f9", "\x1b[20~", {{0, 0x43, 0x78, 0}}},
      {"f10", "\x1b[21~", {{0, 0x44, 0x79, 0}}},
      {"f11", "\x1b[23~", {{0, 0x57, 0x7A, 0}}},
      {"f12", "\x1b[24~", {{0, 0x58, 0x7B, 0}}},
      {"ctrl up", "\x1b[1;5A", {{0, 0x48, 0x26, kCtrl | kEnhanced}}},
      {"shift alt right", "\x1b[1;4C", {{0, 0x4D, 0x27, kShift | kAlt | kEnhanced}}},
      {"shift f1", "\x1b[1;2P", {{0, 0x3B, 0x70, kShift}}},
      {"ctrl f3 with no report awaited", "\x1b[1;5R", {{0, 0x3D, 0x72, kCtrl}}},
      {"alt page up", "\x1b[5;3~", {{0, 0x49, 0x21, kAlt | kEnhanced}}},
      {"ctrl f12", "\x1b[24;5~", {{0, 0x58, 0x7B, kCtrl}}},
      {"alt f1 as escape prefix", "\x1b\x1bOP", {{0, 0x3B, 0x70, kAlt}}},
      {"alt up as escape prefix", "\x1b\x1b[A", {{0, 0x48, 0x26, kAlt | kEnhanced}}},
      {"escape then alt letter", "\x1b\x1bx", {{0x1B, 0x01, 0x1B, 0}, {u'x', 0x2D, 'X', kAlt}}},
      {"escape then alt left",
       "\x1b\x1b[1;3D",
       {{0x1B, 0x01, 0x1B, 0}, {0, 0x4B, 0x25, kAlt | kEnhanced}}},
      {"latin small e acute", "\xc3\xa9", {{0xE9, 0, 0, 0}}},
      {"euro sign", "\xe2\x82\xac", {{0x20AC, 0, 0, 0}}},
      {"outside the BMP", "\xf0\x9f\x98\x80", {{0xD83D, 0, 0, 0}, {0xDE00, 0, 0, 0}}},
      {"alt e acute", "\x1b\xc3\xa9", {{0xE9, 0, 0, kAlt}}},
      {"bad continuation restarts at the byte",
       "\xc3(",
       {{0xFFFD, 0, 0, 0}, {u'(', 0x0A, '9', kShift}}},
      {"stray continuation byte",
       "\x80"
       "a",
       {{0xFFFD, 0, 0, 0}, {u'a', 0x1E, 'A', 0}}},
      {"invalid lead byte", "\xff", {{0xFFFD, 0, 0, 0}}},
      {"overlong form", "\xc0\xaf", {{0xFFFD, 0, 0, 0}, {0xFFFD, 0, 0, 0}}},
      {"encoded surrogate",
       "\xed\xa0\x80",
       {{0xFFFD, 0, 0, 0}, {0xFFFD, 0, 0, 0}, {0xFFFD, 0, 0, 0}}},
      {"truncated at the end", "\xe2\x82", {{0xFFFD, 0, 0, 0}}},
      {"unknown CSI swallowed whole", "\x1b[99;7~x", {{u'x', 0x2D, 'X', 0}}},
      {"device attributes reply swallowed", "\x1b[?62;22cq", {{u'q', 0x10, 'Q', 0}}},
      {"unknown SS3 swallowed", "\x1bOzq", {{u'q', 0x10, 'Q', 0}}},
      {"late cursor report swallowed", "\x1b[24;80Rq", {{u'q', 0x10, 'Q', 0}}},
      {"colour reply ended by BEL swallowed",
       "\x1b]11;rgb:0000/0000/0000\aq",
       {{u'q', 0x10, 'Q', 0}}},
      {"colour reply ended by ST swallowed",
       "\x1b]10;rgb:ffff/ffff/ffff\x1b\\q",
       {{u'q', 0x10, 'Q', 0}}},
      {"DCS reply swallowed", "\x1bP1$r0m\x1b\\q", {{u'q', 0x10, 'Q', 0}}},
      {"APC swallowed", "\x1b_Gi=1;OK\x1b\\q", {{u'q', 0x10, 'Q', 0}}},
      {"PM swallowed", "\x1b^note\x1b\\q", {{u'q', 0x10, 'Q', 0}}},
      {"string cut short by a key sequence", "\x1b]11;rgb\x1b[A", {{0, 0x48, 0x26, kEnhanced}}},
      {"string cancelled by CAN", "\x1b]11;rgb\x18q", {{u'q', 0x10, 'Q', 0}}},
      {"alt close bracket after silence", "\x1b]", {{u']', 0x1B, 0xDD, kAlt}}},
      {"over-long CSI swallowed whole",
       "\x1b[" + std::string(300, '1') + "~q",
       {{u'q', 0x10, 'Q', 0}}},
      {"keys in a row",
       "ab\r",
       {{u'a', 0x1E, 'A', 0}, {u'b', 0x30, 'B', 0}, {u'\r', 0x1C, 0x0D, 0}}},
  };
  return table;
}

TEST(KeyDecoder, DecodesEveryKnownKey) {
  for (const Case& c : cases()) {
    EXPECT_EQ(decode(c.bytes), c.keys) << c.name;
  }
}

// A sequence that arrives in pieces, with no pause between them, decodes as
// if it had come in one read.
TEST(KeyDecoder, SplitReadsDecodeAlike) {
  for (const Case& c : cases()) {
    for (std::size_t split = 1; split < c.bytes.size(); ++split) {
      KeyDecoder decoder = make_decoder();
      decoder.feed(std::string_view(c.bytes).substr(0, split));
      decoder.elapse(5);
      decoder.feed(std::string_view(c.bytes).substr(split));
      decoder.elapse(1000);
      EXPECT_EQ(take_keys(decoder), c.keys) << c.name << " split at " << split;
    }
  }
}

TEST(KeyDecoder, LoneEscapeWaitsForTheTimeout) {
  KeyDecoder decoder = make_decoder();
  decoder.feed("\x1b");
  EXPECT_EQ(decoder.wait_left(), KeyDecoder::kEscapeTimeoutMs);
  decoder.elapse(KeyDecoder::kEscapeTimeoutMs - 1);
  EXPECT_FALSE(decoder.has_record());
  decoder.elapse(1);
  EXPECT_EQ(take_keys(decoder), (std::vector<Key>{{0x1B, 0x01, 0x1B, 0}}));
  EXPECT_EQ(decoder.wait_left(), std::nullopt);
}

TEST(KeyDecoder, SequenceCompletedWithinTheTimeoutIsOneKey) {
  KeyDecoder decoder = make_decoder();
  decoder.feed("\x1b");
  decoder.elapse(20);
  decoder.feed("[");
  decoder.elapse(20); // the silence counts from the last byte
  decoder.feed("A");
  EXPECT_EQ(take_keys(decoder), (std::vector<Key>{{0, 0x48, 0x26, kEnhanced}}));
}

TEST(KeyDecoder, EscapeThenLateBytesAreSeparateKeys) {
  KeyDecoder decoder = make_decoder();
  decoder.feed("\x1b");
  decoder.elapse(KeyDecoder::kEscapeTimeoutMs);
  decoder.feed("[A");
  decoder.elapse(1000);
  EXPECT_EQ(
      take_keys(decoder),
      (std::vector<Key>{{0x1B, 0x01, 0x1B, 0}, {u'[', 0x1A, 0xDB, 0}, {u'A', 0x1E, 'A', kShift}}));
}

// A byte that cannot continue any sequence settles what is pending at once,
// without waiting for the timeout.
TEST(KeyDecoder, ByteThatEndsThePrefixDecidesAtOnce) {
  KeyDecoder decoder = make_decoder();
  decoder.feed("\x1bx");
  EXPECT_EQ(take_keys(decoder), (std::vector<Key>{{u'x', 0x2D, 'X', kAlt}}));
  EXPECT_EQ(decoder.wait_left(), std::nullopt);

  decoder.feed("\x1b[1;5");
  EXPECT_FALSE(decoder.has_record());
  decoder.feed("\x01");
  // ESC [ 1 ; 5 followed by a byte no sequence continues with: swallowed,
  // and the byte is a key of its own.
  EXPECT_EQ(take_keys(decoder), (std::vector<Key>{{0x01, 0x1E, 'A', kCtrl}}));
}

TEST(KeyDecoder, CursorReportAmongTypedKeysIsNotAKey) {
  const std::string input = "a\x1b[12;40Rb";
  for (std::size_t split = 0; split <= input.size(); ++split) {
    KeyDecoder decoder = make_decoder();
    decoder.expect_cursor_report();
    decoder.feed(input.substr(0, split));
    decoder.elapse(1);
    decoder.feed(input.substr(split));
    EXPECT_EQ(take_keys(decoder), (std::vector<Key>{{u'a', 0x1E, 'A', 0}, {u'b', 0x30, 'B', 0}}))
        << "split at " << split;
    const auto report = decoder.take_cursor_report();
    ASSERT_TRUE(report.has_value()) << "split at " << split;
    EXPECT_EQ(report->x, 39);
    EXPECT_EQ(report->y, 11);
  }
}

// While a report is awaited, a row 1 report is a position, not Ctrl+F3, and
// a slow report may pause longer than an Esc would.
TEST(KeyDecoder, AwaitedReportWinsOverModifiedF3AndWaitsLonger) {
  KeyDecoder decoder = make_decoder();
  decoder.expect_cursor_report();
  decoder.feed("\x1b[1;");
  decoder.elapse(KeyDecoder::kEscapeTimeoutMs * 3);
  EXPECT_FALSE(decoder.has_record());
  decoder.feed("5R");
  EXPECT_FALSE(decoder.has_record());
  const auto report = decoder.take_cursor_report();
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->x, 4);
  EXPECT_EQ(report->y, 0);
  // Answered: the same bytes are Ctrl+F3 again.
  decoder.feed("\x1b[1;5R");
  EXPECT_EQ(take_keys(decoder), (std::vector<Key>{{0, 0x3D, 0x72, kCtrl}}));
}

TEST(KeyDecoder, GivingUpOnTheReportRestoresTheShortTimeout) {
  KeyDecoder decoder = make_decoder();
  decoder.expect_cursor_report();
  decoder.feed("\x1b");
  EXPECT_EQ(decoder.wait_left(), KeyDecoder::kReportTimeoutMs);
  decoder.stop_waiting_for_reports();
  decoder.elapse(KeyDecoder::kEscapeTimeoutMs);
  EXPECT_EQ(take_keys(decoder), (std::vector<Key>{{0x1B, 0x01, 0x1B, 0}}));
  // The late report is still swallowed.
  decoder.feed("\x1b[3;1R");
  EXPECT_FALSE(decoder.has_record());
}

TEST(KeyDecoder, LongRunOfEscapesIsOneEscPerByte) {
  KeyDecoder decoder = make_decoder();
  decoder.feed(std::string(100000, '\x1b'));
  decoder.elapse(KeyDecoder::kEscapeTimeoutMs);
  EXPECT_EQ(decoder.record_count(), 200000U);
}

// A string that never ends is swallowed until the input falls silent, and
// no byte of it is kept meanwhile.
TEST(KeyDecoder, UnendedStringEndsWithTheSilence) {
  KeyDecoder decoder = make_decoder();
  decoder.feed("\x1b]11;");
  for (int i = 0; i < 1000; ++i) {
    decoder.feed(std::string(1000, 'x'));
  }
  EXPECT_FALSE(decoder.has_record());
  EXPECT_EQ(decoder.wait_left(), KeyDecoder::kStringTimeoutMs);
  decoder.elapse(KeyDecoder::kStringTimeoutMs);
  EXPECT_EQ(decoder.wait_left(), std::nullopt);
  decoder.feed("q");
  EXPECT_EQ(take_keys(decoder), (std::vector<Key>{{u'q', 0x10, 'Q', 0}}));
}

TEST(KeyDecoder, EightBitCharsetMapsBytesThroughItsTable) {
  InputCharset charset = test_support::latin1_charset();
  charset.single_byte[0xA4] = 0x20AC; // as in ISO-8859-15
  KeyDecoder decoder = make_decoder(charset);
  decoder.feed("\xe9\xa4\x1b\xe9");
  EXPECT_EQ(take_keys(decoder),
            (std::vector<Key>{{0xE9, 0, 0, 0}, {0x20AC, 0, 0, 0}, {0xE9, 0, 0, kAlt}}));
}

TEST(KeyTable, TerminalSequencesWinOverTheFallbacks) {
  KeyEvent f5{};
  f5.virtual_scan_code = 0x3F;
  // A terminal that sends ESC [ 11 ~ for F5 rather than F1.
  KeyDecoder decoder(build_key_table({{"\x1b[11~", f5}}), InputCharset{});
  decoder.feed("\x1b[11~\x1b[A");
  const std::vector<Key> keys = take_keys(decoder);
  ASSERT_EQ(keys.size(), 2U);
  EXPECT_EQ(keys[0].scan, 0x3F);
  EXPECT_EQ(keys[1].scan, 0x48);
}

TEST(KeyTable, TellsCompleteSequencesFromPrefixes) {
  KeyTable table;
  table.add("\x1bOA", KeyEvent{});
  EXPECT_TRUE(table.match("\x1bO").prefix);
  EXPECT_EQ(table.match("\x1bO").length, 0U);
  EXPECT_EQ(table.match("\x1bOAx").length, 3U);
  EXPECT_FALSE(table.match("\x1bOAx").prefix);
  EXPECT_EQ(table.match("\x1bX").length, 0U);
  EXPECT_FALSE(table.match("\x1bX").prefix);
}

} // namespace
