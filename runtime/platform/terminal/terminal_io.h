// The terminal device: its modes, and reading and writing it without
// blocking on a dead or silent terminal.
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::terminal {

// The modes the terminal had before the program took it, and ours.
class TerminalModes {
public:
  // Saves the terminal's modes (once); false when `fd` is no terminal.
  bool save(int fd);
  [[nodiscard]] bool saved() const { return fd_ >= 0; }
  [[nodiscard]] const termios& original() const { return original_; }

  // No echo, no line editing, no input translation, no output processing
  // (a line feed moves straight down); signal keys stay signals only with
  // `signal_keys`. Set with TCSANOW, so keys typed ahead are kept.
  void enter(bool signal_keys);
  // Puts the saved modes back.
  void restore();

private:
  int fd_ = -1;
  termios original_{};
};

// Writes all of `data`, through partial writes and interruptions, for as
// long as the terminal takes to read it; a descriptor that would block waits
// for the terminal or a signal. Gives up only when the terminal cannot take
// it (gone, or an error) or a signal that ends the program arrived (errno is
// then EINTR), so a terminal that stopped reading never holds the program.
bool write_all(int fd, std::string_view data);

// Writes what the terminal takes of `data` within `timeout_ms` for each
// piece: the last words to a terminal that may have stopped reading. Only
// poll and write, so a signal handler may call it too.
void write_briefly(int fd, std::string_view data, int timeout_ms);

enum class ReadResult : std::uint8_t { nothing, bytes, gone };
// Appends whatever the terminal has ready, without waiting.
ReadResult read_ready(int fd, std::string& into);

// Waits until `fd` or `wake_fd` (may be -1) is readable, at most
// `timeout_ms` (negative: no limit). Returns early on a signal.
void wait_readable(int fd, int wake_fd, int timeout_ms);

// Milliseconds of a clock that never goes back.
std::uint64_t monotonic_ms();

// The terminal's size in cells; false when `fd` is no terminal or reports no
// size.
bool terminal_size(int fd, int& columns, int& rows);

} // namespace platform::terminal
