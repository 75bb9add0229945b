// Turns the bytes a terminal sends into console key records. A pure state
// machine: it is fed bytes and the time that passed without any, and holds
// no clock and no file descriptor, so every timing case can be driven
// directly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/platform/platform.h"
#include "runtime/platform/terminal/key_table.h"

namespace platform::terminal {

// How input bytes become characters: UTF-8, or one character per byte
// through a table of the locale's 8-bit character set.
struct InputCharset {
  bool utf8 = true;
  std::array<char16_t, 256> single_byte{};
};

class KeyDecoder {
public:
  // A lone Esc waits this long for the rest of a sequence.
  static constexpr std::uint32_t kEscapeTimeoutMs = 30;
  // While a cursor position report is awaited, slow links may split it.
  static constexpr std::uint32_t kReportTimeoutMs = 500;
  // A string the terminal sends (OSC, DCS, APC, PM) or an over-long control
  // sequence is swallowed up to its end, or until the input falls silent
  // this long.
  static constexpr std::uint32_t kStringTimeoutMs = 500;

  KeyDecoder(KeyTable table, const InputCharset& charset);

  // Bytes read from the terminal.
  void feed(std::string_view bytes);
  // Time that passed since the last bytes arrived; a pending Esc or
  // incomplete sequence is decoded as it stands once the timeout is reached.
  void elapse(std::uint32_t milliseconds);
  // How long the decoder still waits for more bytes; none when it holds no
  // incomplete input.
  [[nodiscard]] std::optional<std::uint32_t> wait_left() const;

  // A cursor position request was sent: its report is swallowed, not decoded
  // as a key.
  void expect_cursor_report() { ++outstanding_reports_; }
  // The awaited report is too late to be waited for: stop stretching the
  // Esc timeout for it (a later report is still swallowed).
  void stop_waiting_for_reports() { reports_late_ = true; }
  // Whether a requested report has neither come nor been given up on.
  [[nodiscard]] bool awaiting_report() const { return outstanding_reports_ > 0 && !reports_late_; }
  // The last cursor position reported (0-based), taken once.
  std::optional<Coord> take_cursor_report();

  [[nodiscard]] bool has_record() const { return !records_.empty(); }
  [[nodiscard]] const InputRecord& front() const { return records_.front(); }
  void pop() { records_.pop_front(); }
  [[nodiscard]] std::size_t record_count() const { return records_.size(); }

private:
  struct Decoded {
    enum class Kind : std::uint8_t {
      need_more,
      key,
      swallowed,
      cursor_report,
      string_begins,    // swallowed, and the bytes up to the string's end too
      sequence_overlong // swallowed, and the rest of the control sequence too
    };
    Kind kind = Kind::need_more;
    std::size_t length = 0;
    KeyEvent key;
    char32_t code_point = 0; // a character outside the BMP: two records
    Coord report;

    static Decoded make_key(std::size_t length, const KeyEvent& key) {
      Decoded decoded;
      decoded.kind = Kind::key;
      decoded.length = length;
      decoded.key = key;
      return decoded;
    }
    // Bytes that give no key; `kind` says what else they begin or carry.
    static Decoded make_swallowed(std::size_t length, Kind kind = Kind::swallowed) {
      Decoded decoded;
      decoded.kind = kind;
      decoded.length = length;
      return decoded;
    }
  };

  // What is being swallowed beyond the pending bytes.
  enum class Skipping : std::uint8_t { nothing, string, control_sequence };

  void decode(bool expired);
  std::size_t skip(std::string_view input);
  [[nodiscard]] Decoded decode_key(std::string_view input, bool expired) const;
  [[nodiscard]] Decoded decode_escape(std::string_view input, bool expired) const;
  [[nodiscard]] Decoded decode_string_start(std::string_view input, bool expired) const;
  [[nodiscard]] std::optional<Decoded> decode_cursor_report(std::string_view input) const;
  [[nodiscard]] Decoded decode_unknown_csi(std::string_view input, bool expired) const;
  [[nodiscard]] Decoded decode_unknown_ss3(std::string_view input, bool expired) const;
  [[nodiscard]] Decoded decode_escape_prefix(std::string_view input, bool expired) const;
  [[nodiscard]] Decoded decode_alt(std::string_view input, bool expired) const;
  [[nodiscard]] Decoded decode_utf8(std::string_view input, bool expired) const;
  [[nodiscard]] std::uint32_t timeout() const;
  void emit(const KeyEvent& key_down);

  KeyTable table_;
  InputCharset charset_;
  std::string pending_;
  std::uint32_t silent_ms_ = 0;
  int outstanding_reports_ = 0;
  bool reports_late_ = false;
  Skipping skipping_ = Skipping::nothing;
  std::optional<Coord> report_;
  std::deque<InputRecord> records_;
};

} // namespace platform::terminal
