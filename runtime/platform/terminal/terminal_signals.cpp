#include "runtime/platform/terminal/terminal_signals.h"
#include "runtime/platform/terminal/terminal_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>

namespace platform::terminal::signals {
namespace {

struct Recorded {
  int number;
  unsigned bit;
};

constexpr Recorded kRecorded[] = {
    {SIGINT, kInterrupt}, {SIGQUIT, kQuit},     {SIGHUP, kHangUp},   {SIGTERM, kTerminate},
    {SIGTSTP, kStop},     {SIGCONT, kContinue}, {SIGWINCH, kResize},
};

// Signals that end the process at once: crashes, and every other signal
// whose default action ends it. The handler restores the terminal and lets
// the signal do what it would have done.
constexpr int kFatal[] = {
    SIGSEGV,   SIGBUS,  SIGILL,  SIGFPE,  SIGABRT,   SIGSYS,  SIGTRAP, SIGUSR1,
    SIGUSR2,   SIGALRM, SIGPIPE, SIGPROF, SIGVTALRM, SIGXCPU, SIGXFSZ,
#ifdef SIGIO
    SIGIO,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
};
// The process's real-time signals end it by default too; each gets a slot.
constexpr int kMostRealTimeSignals = 64;
// How long a fatal signal's handler waits for the terminal to take its reset.
constexpr int kFatalResetWaitMs = 100;

// What the handlers need. Signal handlers can reach only static storage; the
// console fills this in once when it takes the terminal. The flags are
// atomics of the CPU's native width, lock-free everywhere: a sub-word
// atomic's exchange needs libatomic on some CPUs (riscv64).
struct HandlerState {
  std::atomic<unsigned> arrived{0};
  std::atomic<int> terminal_held{0};
  int terminal_fd = -1;
  int output_fd = -1;
  termios saved_modes{};
  const char* reset = nullptr;
  std::size_t reset_length = 0;
  int wake_pipe[2] = {-1, -1};
  bool installed = false;
  struct sigaction previous_recorded[std::size(kRecorded)]{};
  struct sigaction previous_fatal[std::size(kFatal) + kMostRealTimeSignals]{};
  int fatal_numbers[std::size(kFatal) + kMostRealTimeSignals]{};
  std::size_t fatal_count = 0;
};

HandlerState& state() {
  static HandlerState instance;
  return instance;
}

void on_recorded(int number) {
  const int saved_errno = errno;
  HandlerState& s = state();
  for (const Recorded& recorded : kRecorded) {
    if (recorded.number == number) {
      s.arrived.fetch_or(recorded.bit);
    }
  }
  if (s.wake_pipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s.wake_pipe[1], &byte, 1);
  }
  errno = saved_errno;
}

void on_fatal(int number) {
  HandlerState& s = state();
  if (s.terminal_held.exchange(0) != 0) {
    // A terminal that stopped reading gets no reset rather than a handler
    // that never returns.
    write_briefly(s.output_fd, std::string_view(s.reset, s.reset_length), kFatalResetWaitMs);
    ::tcsetattr(s.terminal_fd, TCSANOW, &s.saved_modes);
  }
  // The handler was reset to the default on entry (SA_RESETHAND) and the
  // signal is not blocked (SA_NODEFER): raising it ends the process now.
  ::raise(number);
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TERMINAL_UNDER_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TERMINAL_UNDER_ADDRESS_SANITIZER)
constexpr bool kAlternateStack = false; // the sanitizer installs its own
#else
constexpr bool kAlternateStack = true;
#endif

// Lets the fatal handler run after a stack overflow.
void use_alternate_stack() {
  if (!kAlternateStack) {
    return;
  }
  static std::uint8_t stack_memory[64 * 1024];
  stack_t stack{};
  stack.ss_sp = stack_memory;
  stack.ss_size = sizeof stack_memory;
  ::sigaltstack(&stack, nullptr);
}

template <typename Visit>
void for_each_fatal_signal(Visit visit) {
  for (const int number : kFatal) {
    visit(number);
  }
#if defined(SIGRTMIN) && defined(SIGRTMAX)
  for (int number = SIGRTMIN; number <= SIGRTMAX; ++number) {
    visit(number);
  }
#endif
}

// A launcher may start the program with signals blocked; those the console
// acts on are let through, or a resize would go unseen and SIGTERM unheeded.
void unblock_handled_signals() {
  sigset_t handled;
  sigemptyset(&handled);
  for (const Recorded& recorded : kRecorded) {
    sigaddset(&handled, recorded.number);
  }
  for_each_fatal_signal([&](int number) { sigaddset(&handled, number); });
  ::sigprocmask(SIG_UNBLOCK, &handled, nullptr);
}

// A non-blocking pipe closed on exec. pipe2 would do it in one call but is
// not POSIX (macOS lacks it); nothing runs another program meanwhile, so
// setting the flags afterwards is as good.
bool open_wake_pipe(int (&fds)[2]) {
  if (::pipe(fds) != 0) {
    return false;
  }
  for (const int fd : fds) {
    if (::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0 ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
      ::close(fds[0]);
      ::close(fds[1]);
      return false;
    }
  }
  return true;
}

} // namespace

void install(int terminal_fd, int output_fd, const termios& saved_modes, std::string_view reset) {
  HandlerState& s = state();
  if (s.installed) {
    return;
  }
  s.terminal_fd = terminal_fd;
  s.output_fd = output_fd;
  s.saved_modes = saved_modes;
  s.reset = reset.data();
  s.reset_length = reset.size();
  if (s.wake_pipe[0] < 0 && !open_wake_pipe(s.wake_pipe)) {
    s.wake_pipe[0] = s.wake_pipe[1] = -1;
  }
  use_alternate_stack();

  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking call returns with EINTR so the signal is acted
  // on at once.
  action.sa_handler = on_recorded;
  for (std::size_t i = 0; i < std::size(kRecorded); ++i) {
    ::sigaction(kRecorded[i].number, &action, &s.previous_recorded[i]);
  }
  struct sigaction fatal {};
  sigemptyset(&fatal.sa_mask);
  fatal.sa_handler = on_fatal;
  fatal.sa_flags = SA_RESETHAND | SA_NODEFER | (kAlternateStack ? SA_ONSTACK : 0);
  s.fatal_count = 0;
  for_each_fatal_signal([&](int number) {
    // A signal the process was started ignoring stays ignored.
    struct sigaction current {};
    if (::sigaction(number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN ||
        s.fatal_count == std::size(s.fatal_numbers)) {
      return;
    }
    if (::sigaction(number, &fatal, &s.previous_fatal[s.fatal_count]) == 0) {
      s.fatal_numbers[s.fatal_count++] = number;
    }
  });
  unblock_handled_signals();
  s.installed = true;
}

void set_terminal_held(bool held) {
  state().terminal_held.store(held ? 1 : 0);
}

void uninstall() {
  HandlerState& s = state();
  if (!s.installed) {
    return;
  }
  for (std::size_t i = 0; i < std::size(kRecorded); ++i) {
    ::sigaction(kRecorded[i].number, &s.previous_recorded[i], nullptr);
  }
  for (std::size_t i = 0; i < s.fatal_count; ++i) {
    ::sigaction(s.fatal_numbers[i], &s.previous_fatal[i], nullptr);
  }
  s.fatal_count = 0;
  s.installed = false;
}

unsigned take(unsigned which) {
  HandlerState& s = state();
  // The pipe is drained only when something arrived and nothing else stays
  // behind: this runs at every input poll and screen call, and an empty read
  // would cost a system call each time; a bit left behind keeps its wake-up
  // byte for the next wait. A signal that lands between the test and the
  // exchange leaves a byte behind, which only wakes the next wait early.
  const unsigned arrived = s.arrived.load();
  if (s.wake_pipe[0] >= 0 && arrived != 0 && (arrived & ~which) == 0) {
    char bytes[64];
    while (::read(s.wake_pipe[0], bytes, sizeof bytes) > 0) {
    }
  }
  return s.arrived.fetch_and(~which) & which;
}

int wake_fd() {
  return state().wake_pipe[0];
}

void act_by_default(int signal_number) {
  struct sigaction original {};
  struct sigaction fallback {};
  sigemptyset(&fallback.sa_mask);
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signal_number, &fallback, &original);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal_number);
  sigset_t previous;
  ::sigprocmask(SIG_UNBLOCK, &just_this, &previous);
  ::raise(signal_number);
  // Still here: the signal stops the process and it has been continued.
  ::sigprocmask(SIG_SETMASK, &previous, nullptr);
  ::sigaction(signal_number, &original, nullptr);
}

bool ending() {
  return (state().arrived.load() & (kHangUp | kTerminate)) != 0;
}

} // namespace platform::terminal::signals
