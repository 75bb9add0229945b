// Signals while the program holds the terminal. The handlers only record
// what arrived (a flag and a byte on a self-pipe, both async-signal-safe);
// the console acts on them at its next operation. Crashes and every other
// signal whose default action ends the process restore the terminal from the
// handler itself with a precomputed reset and the saved modes, then end the
// process as the signal would have.
#pragma once

#include <csignal>
#include <termios.h>

#include <string_view>

namespace platform::terminal::signals {

// Bits of what arrived.
inline constexpr unsigned kInterrupt = 1U << 0; // SIGINT
inline constexpr unsigned kQuit = 1U << 1;      // SIGQUIT
inline constexpr unsigned kHangUp = 1U << 2;    // SIGHUP
inline constexpr unsigned kTerminate = 1U << 3; // SIGTERM
inline constexpr unsigned kStop = 1U << 4;      // SIGTSTP
inline constexpr unsigned kContinue = 1U << 5;  // SIGCONT
inline constexpr unsigned kResize = 1U << 6;    // SIGWINCH

// Installs the handlers. `terminal_fd` and `saved_modes` are what the fatal
// handler restores; `reset` (static storage) is written to `output_fd` first.
void install(int terminal_fd, int output_fd, const termios& saved_modes, std::string_view reset);
// Whether the fatal handler still has to restore the terminal.
void set_terminal_held(bool held);
// Puts back the handlers that were there before install.
void uninstall();

// Takes the bits among `which` of what arrived since they were last taken.
unsigned take(unsigned which = ~0U);
// A descriptor that becomes readable when a signal arrives, to wait on
// together with the terminal; -1 before install.
int wake_fd();

// Ends the process as `signal_number` does by default (the terminal must be
// restored already); returns only for a signal whose default is to stop, once
// the process continues.
void act_by_default(int signal_number);

// Whether a signal that ends the program (a hang-up, SIGTERM) arrived and
// waits to be acted on.
bool ending();

} // namespace platform::terminal::signals
