#include "runtime/platform/terminal/key_decoder.h"

#include <algorithm>
#include <utility>

#include "runtime/platform/terminal/terminal_keys.h"
#include "runtime/platform/utf8.h"

namespace platform::terminal {
namespace {

constexpr char kEsc = '\x1b';
constexpr char kBell = '\x07';
constexpr char kCancel = '\x18';
constexpr char kSubstitute = '\x1a';
constexpr std::size_t kLongestSequence = 256;

unsigned char byte_at(std::string_view input, std::size_t i) {
  return static_cast<unsigned char>(input[i]);
}

// The extent of a control sequence introduced by ESC [: parameter bytes,
// intermediate bytes, one final byte.
struct CsiScan {
  enum class Kind : std::uint8_t { complete, incomplete, malformed, overlong };
  Kind kind = Kind::incomplete;
  std::size_t length = 0; // complete: whole sequence; malformed: up to the bad byte
};

CsiScan scan_csi(std::string_view input) {
  const std::size_t end = std::min(input.size(), kLongestSequence);
  std::size_t i = 2;
  while (i < end && byte_at(input, i) >= 0x30 && byte_at(input, i) <= 0x3F) {
    ++i;
  }
  while (i < end && byte_at(input, i) >= 0x20 && byte_at(input, i) <= 0x2F) {
    ++i;
  }
  if (i >= kLongestSequence) {
    // No key is this long: the rest is swallowed as it comes, not kept.
    return {CsiScan::Kind::overlong, i};
  }
  if (i == input.size()) {
    return {CsiScan::Kind::incomplete, i};
  }
  if (byte_at(input, i) >= 0x40 && byte_at(input, i) <= 0x7E) {
    return {CsiScan::Kind::complete, i + 1};
  }
  return {CsiScan::Kind::malformed, i};
}

// Whether `input` may still grow into a cursor position report.
bool could_become_cursor_report(std::string_view input) {
  if (input.empty() || input[0] != kEsc) {
    return false;
  }
  if (input.size() > 1 && input[1] != '[') {
    return false;
  }
  return std::all_of(input.begin() + std::min<std::ptrdiff_t>(2, std::ssize(input)), input.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == ';' || c == '?'; });
}

// The second byte of the strings a terminal sends after ESC: OSC, DCS, APC,
// PM and SOS. Each runs to a BEL or ST.
bool introduces_string(char second) {
  return second == ']' || second == 'P' || second == '_' || second == '^' || second == 'X';
}

// A cursor position report, CSI row ; column R (also in its CSI ? form).
std::optional<Coord> parse_cursor_report(std::string_view sequence) {
  std::string_view body = sequence.substr(2, sequence.size() - 3);
  if (sequence.back() != 'R') {
    return std::nullopt;
  }
  if (!body.empty() && body.front() == '?') {
    body.remove_prefix(1);
  }
  int numbers[2] = {0, 0};
  int index = 0;
  bool digits = false;
  for (const char c : body) {
    if (c >= '0' && c <= '9') {
      numbers[index] = numbers[index] * 10 + (c - '0');
      if (numbers[index] > 100000) {
        return std::nullopt;
      }
      digits = true;
    } else if (c == ';' && index == 0 && digits) {
      index = 1;
      digits = false;
    } else {
      return std::nullopt;
    }
  }
  if (index != 1 || !digits || numbers[0] < 1 || numbers[1] < 1) {
    return std::nullopt;
  }
  return Coord{static_cast<std::int16_t>(std::min(numbers[1] - 1, 32767)),
               static_cast<std::int16_t>(std::min(numbers[0] - 1, 32767))};
}

} // namespace

KeyDecoder::KeyDecoder(KeyTable table, const InputCharset& charset)
    : table_(std::move(table)), charset_(charset) {}

void KeyDecoder::feed(std::string_view bytes) {
  if (bytes.empty()) {
    return;
  }
  pending_.append(bytes);
  silent_ms_ = 0;
  decode(false);
}

void KeyDecoder::elapse(std::uint32_t milliseconds) {
  if (pending_.empty() && skipping_ == Skipping::nothing) {
    return;
  }
  silent_ms_ += milliseconds;
  if (silent_ms_ >= timeout()) {
    silent_ms_ = 0;
    // A string that never ended ends with the silence; what it left
    // pending is decoded as it stands.
    skipping_ = Skipping::nothing;
    decode(true);
  }
}

std::optional<std::uint32_t> KeyDecoder::wait_left() const {
  if (pending_.empty() && skipping_ == Skipping::nothing) {
    return std::nullopt;
  }
  const std::uint32_t limit = timeout();
  return silent_ms_ >= limit ? 0 : limit - silent_ms_;
}

std::optional<Coord> KeyDecoder::take_cursor_report() {
  return std::exchange(report_, std::nullopt);
}

std::uint32_t KeyDecoder::timeout() const {
  if (skipping_ != Skipping::nothing) {
    return kStringTimeoutMs;
  }
  return awaiting_report() && could_become_cursor_report(pending_) ? kReportTimeoutMs
                                                                   : kEscapeTimeoutMs;
}

// Decodes as much of the pending input as forms whole keys. With `expired`,
// the silence has lasted long enough that nothing more belongs to what is
// pending, so every prefix is taken as it stands.
void KeyDecoder::decode(bool expired) {
  std::size_t start = 0;
  while (start < pending_.size()) {
    if (skipping_ != Skipping::nothing) {
      start += skip(std::string_view(pending_).substr(start));
      if (skipping_ != Skipping::nothing) {
        break;
      }
      continue;
    }
    const Decoded decoded = decode_key(std::string_view(pending_).substr(start), expired);
    if (decoded.kind == Decoded::Kind::need_more) {
      break;
    }
    start += decoded.length;
    switch (decoded.kind) {
    case Decoded::Kind::key:
      if (decoded.code_point > 0xFFFF) {
        const utf8::SurrogatePair pair = utf8::surrogates(decoded.code_point);
        KeyEvent high = decoded.key;
        high.character = pair.high;
        emit(high);
        KeyEvent low = decoded.key;
        low.character = pair.low;
        emit(low);
      } else {
        emit(decoded.key);
      }
      break;
    case Decoded::Kind::cursor_report:
      --outstanding_reports_;
      report_ = decoded.report;
      break;
    case Decoded::Kind::string_begins:
      skipping_ = Skipping::string;
      break;
    case Decoded::Kind::sequence_overlong:
      skipping_ = Skipping::control_sequence;
      break;
    default:
      break;
    }
  }
  pending_.erase(0, start);
}

// Takes the bytes of what is being swallowed, up to its end, and gives how
// many it took. A string ends at BEL, at ST (ESC \\), or at CAN or SUB,
// which cancel it; an ESC that starts anything else ends it and is decoded
// itself. A control sequence ends at its final byte, or at a byte that has no
// place in it.
std::size_t KeyDecoder::skip(std::string_view input) {
  std::size_t i = 0;
  while (i < input.size()) {
    const char byte = input[i];
    if (skipping_ == Skipping::control_sequence) {
      const auto value = static_cast<unsigned char>(byte);
      if (value >= 0x20 && value <= 0x3F) {
        ++i;
        continue;
      }
      skipping_ = Skipping::nothing;
      return value >= 0x40 && value <= 0x7E ? i + 1 : i;
    }
    if (byte == kBell || byte == kCancel || byte == kSubstitute) {
      skipping_ = Skipping::nothing;
      return i + 1;
    }
    if (byte == kEsc) {
      if (i + 1 == input.size()) {
        return i; // ST or not: the next byte tells
      }
      skipping_ = Skipping::nothing;
      return input[i + 1] == '\\' ? i + 2 : i;
    }
    ++i;
  }
  return i;
}

void KeyDecoder::emit(const KeyEvent& key_down) {
  for (const InputRecord& record : key_press(key_down)) {
    records_.push_back(record);
  }
}

KeyDecoder::Decoded KeyDecoder::decode_key(std::string_view input, bool expired) const {
  const unsigned char first = byte_at(input, 0);
  if (first == kEsc) {
    return decode_escape(input, expired);
  }
  if (first < 0x80) {
    return Decoded::make_key(1, byte_key(first));
  }
  if (charset_.utf8) {
    return decode_utf8(input, expired);
  }
  return Decoded::make_key(1, character_key(charset_.single_byte[first]));
}

// A sequence that starts with Esc: a key from the table, a cursor position
// report, a string or an unknown sequence (swallowed whole), Esc itself, or
// Alt with the key that follows.
KeyDecoder::Decoded KeyDecoder::decode_escape(std::string_view input, bool expired) const {
  if (input.size() == 1) {
    return expired ? Decoded::make_key(1, character_key(0x1B)) : Decoded{};
  }
  const char second = input[1];
  if (introduces_string(second)) {
    return decode_string_start(input, expired);
  }
  if (const auto report = decode_cursor_report(input)) {
    return *report;
  }
  const KeyTable::Match match = table_.match(input);
  if (match.prefix && !expired) {
    return {};
  }
  if (match.length > 0) {
    return Decoded::make_key(match.length, match.key);
  }
  switch (second) {
  case '[':
    return decode_unknown_csi(input, expired);
  case 'O':
    return decode_unknown_ss3(input, expired);
  case kEsc:
    return decode_escape_prefix(input, expired);
  default:
    return decode_alt(input, expired);
  }
}

// ESC and the second byte of a string: the string is swallowed up to its
// end; alone, after a silence, the two bytes are Alt with a key.
KeyDecoder::Decoded KeyDecoder::decode_string_start(std::string_view input, bool expired) const {
  if (input.size() == 2) {
    return expired ? decode_alt(input, expired) : Decoded{};
  }
  return Decoded::make_swallowed(2, Decoded::Kind::string_begins);
}

// A complete cursor position report while one is awaited (with none
// awaited, the same bytes can be a key: CSI 1 ; m R is F3 with modifiers).
std::optional<KeyDecoder::Decoded> KeyDecoder::decode_cursor_report(std::string_view input) const {
  if (outstanding_reports_ == 0 || input[1] != '[') {
    return std::nullopt;
  }
  const CsiScan csi = scan_csi(input);
  if (csi.kind != CsiScan::Kind::complete) {
    return std::nullopt;
  }
  const auto position = parse_cursor_report(input.substr(0, csi.length));
  if (!position) {
    return std::nullopt;
  }
  Decoded decoded = Decoded::make_swallowed(csi.length, Decoded::Kind::cursor_report);
  decoded.report = *position;
  return decoded;
}

// A control sequence no key has: swallowed whole once complete, up to the
// byte that breaks it when malformed; incomplete after a silence, ESC [ is
// Alt with '['.
KeyDecoder::Decoded KeyDecoder::decode_unknown_csi(std::string_view input, bool expired) const {
  const CsiScan csi = scan_csi(input);
  switch (csi.kind) {
  case CsiScan::Kind::complete:
  case CsiScan::Kind::malformed:
    return Decoded::make_swallowed(csi.length);
  case CsiScan::Kind::overlong:
    return Decoded::make_swallowed(csi.length, Decoded::Kind::sequence_overlong);
  case CsiScan::Kind::incomplete:
    break;
  }
  return expired ? decode_alt(input, expired) : Decoded{};
}

// SS3 with one final byte, possibly after a modifier digit.
KeyDecoder::Decoded KeyDecoder::decode_unknown_ss3(std::string_view input, bool expired) const {
  const std::size_t length = input.size() > 2 && input[2] >= '0' && input[2] <= '9' ? 4 : 3;
  if (input.size() < length) {
    return expired ? decode_alt(input, expired) : Decoded{};
  }
  return Decoded::make_swallowed(length);
}

// Esc before a key sequence is Alt with that key (how many terminals send
// Alt with a cursor or function key). Esc before anything else, including a
// sequence that carries Alt already, is Esc on its own.
KeyDecoder::Decoded KeyDecoder::decode_escape_prefix(std::string_view input, bool expired) const {
  if (input.size() > 2 && input[2] == kEsc) {
    // A third Esc: whatever follows, the first is Esc on its own (and the
    // decoding does not recurse along a run of Esc bytes).
    return Decoded::make_key(1, character_key(0x1B));
  }
  Decoded inner = decode_escape(input.substr(1), expired);
  if (inner.kind == Decoded::Kind::need_more) {
    return inner;
  }
  if (inner.kind == Decoded::Kind::key && inner.length > 1 &&
      (inner.key.control_key_state & kLeftAltPressed) == 0) {
    inner.length += 1;
    inner.key.control_key_state |= kLeftAltPressed;
    return inner;
  }
  return Decoded::make_key(1, character_key(0x1B));
}

// Esc followed by a key is that key with Alt held.
KeyDecoder::Decoded KeyDecoder::decode_alt(std::string_view input, bool expired) const {
  Decoded inner = decode_key(input.substr(1), expired);
  if (inner.kind != Decoded::Kind::key) {
    return inner;
  }
  inner.length += 1;
  inner.key.control_key_state |= kLeftAltPressed;
  return inner;
}

// One UTF-8 character. A malformed sequence gives one U+FFFD and decoding
// goes on at the byte that broke it; an incomplete one waits for its
// remaining bytes until the input falls silent.
KeyDecoder::Decoded KeyDecoder::decode_utf8(std::string_view input, bool expired) const {
  const utf8::Step step = utf8::decode(input);
  switch (step.kind) {
  case utf8::Step::Kind::incomplete:
    if (!expired) {
      return {};
    }
    return Decoded::make_key(step.length, character_key(utf8::kReplacement));
  case utf8::Step::Kind::ill_formed:
    return Decoded::make_key(step.length, character_key(utf8::kReplacement));
  case utf8::Step::Kind::character:
    break;
  }
  if (step.code_point > 0xFFFF) {
    KeyEvent key;
    key.key_down = 1;
    Decoded decoded = Decoded::make_key(step.length, key);
    decoded.code_point = step.code_point;
    return decoded;
  }
  return Decoded::make_key(step.length, character_key(static_cast<char16_t>(step.code_point)));
}

} // namespace platform::terminal
