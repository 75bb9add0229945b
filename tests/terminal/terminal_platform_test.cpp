// The whole terminal console in a pseudo-terminal: a child process takes the
// terminal through the platform calls while the test plays the terminal on
// the other side, then checks how the terminal was left.
#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <string>

#include "runtime/platform/terminal/terminal_console.h"
#include "tests/terminal/screen_model.h"

namespace {

using platform::Handle;
using platform::InputRecord;
using platform::Platform;
using platform::StdHandle;

constexpr int kRows = 25;
constexpr int kColumns = 80;
constexpr std::string_view kReset = "\x1b[0m\x1b[?25h";
// Well inside the program's wait for the report, and far longer than it
// takes to get from start-up to its first screen call.
constexpr auto kReportDelay = std::chrono::milliseconds(100);

// What start-up does with the terminal: the console input device opened and
// standard input put into input mode 0.
Handle take_console(Platform& console, bool input_mode_zero = true) {
  const Handle input = console.create_file("CONIN$", platform::kGenericRead,
                                           platform::kFileShareRead, platform::kOpenExisting, 0);
  if (input_mode_zero) {
    console.set_console_mode(console.get_std_handle(StdHandle::input), 0);
  }
  return input;
}

// Reads one key-down and ends the process with its character as exit code.
[[noreturn]] void exit_with_next_key(Platform& console, Handle input) {
  InputRecord record;
  std::uint32_t count = 0;
  while (console.read_console_input(input, record, count) && count == 1) {
    if (record.key.key_down != 0) {
      console.exit_process(record.key.character);
    }
  }
  console.exit_process(200);
  ::_exit(200); // not reached: exit_process ends the process
}

class PseudoTerminal {
public:
  // Starts `child` on a new pseudo-terminal as its controlling terminal.
  explicit PseudoTerminal(const std::function<void()>& child, bool answers_reports = true)
      : answers_reports_(answers_reports) {
    std::fflush(nullptr);
    winsize size{};
    size.ws_row = kRows;
    size.ws_col = kColumns;
    // The modes are read before the child runs: once it does, it may have
    // taken the terminal by the time the parent looks.
    int slave = -1;
    if (::openpty(&master_, &slave, nullptr, nullptr, &size) != 0) {
      ADD_FAILURE() << "no pseudo-terminal";
      return;
    }
    ::tcgetattr(master_, &initial_modes_);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(master_);
      ::login_tty(slave);
      ::setenv("TERM", "xterm", 1);
      ::setenv("LC_ALL", "C.UTF-8", 1);
      child();
      ::_exit(99);
    }
    ::close(slave);
  }
  ~PseudoTerminal() {
    if (pid_ > 0 && !finished_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) {
      ::close(master_);
    }
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] pid_t foreground_group() const { return ::tcgetpgrp(master_); }
  [[nodiscard]] const std::string& output() const { return output_; }
  [[nodiscard]] const termios& initial_modes() const { return initial_modes_; }
  termios modes() const {
    termios now{};
    ::tcgetattr(master_, &now);
    return now;
  }

  void send(std::string_view bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Reads output until `needle` has appeared (answering the cursor position
  // request on the way); false after `timeout_ms`.
  bool wait_for(std::string_view needle, int timeout_ms = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (output_.find(needle) == std::string::npos) {
      if (std::chrono::steady_clock::now() >= deadline || !read_some(50)) {
        if (std::chrono::steady_clock::now() >= deadline) {
          return false;
        }
      }
    }
    return true;
  }

  // Waits for the child to end or stop; gives its wait status, -1 on timeout.
  int wait_status(int timeout_ms = 5000, bool stopped_too = false) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      const pid_t done = ::waitpid(pid_, &status, WNOHANG | (stopped_too ? WUNTRACED : 0));
      if (done == pid_) {
        finished_ = !WIFSTOPPED(status);
        // What it wrote last may still wait in the terminal.
        while (finished_ && read_some(50)) {
        }
        return status;
      }
      read_some(20);
    }
    return -1;
  }

  void close_master() {
    ::close(master_);
    master_ = -1;
  }

private:
  bool read_some(int timeout_ms) {
    answer_report();
    if (master_ < 0) {
      ::usleep(static_cast<useconds_t>(timeout_ms) * 1000);
      return false;
    }
    pollfd ready{master_, POLLIN, 0};
    if (::poll(&ready, 1, timeout_ms) <= 0) {
      return false;
    }
    char buffer[4096];
    const ssize_t bytes = ::read(master_, buffer, sizeof buffer);
    if (bytes <= 0) {
      ::usleep(static_cast<useconds_t>(timeout_ms) * 1000);
      return false;
    }
    output_.append(buffer, static_cast<std::size_t>(bytes));
    answer_report();
    return true;
  }

  // The cursor position request is answered a while after it came, as a
  // slow terminal answers: a program that does not wait for the report
  // draws in the wrong place, however loaded the machine is.
  void answer_report() {
    if (!answers_reports_ || answered_ || master_ < 0) {
      return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!request_seen_) {
      if (output_.find("\x1b[6n") == std::string::npos) {
        return;
      }
      request_seen_ = now;
    }
    if (now - *request_seen_ >= kReportDelay) {
      answered_ = true;
      send("\x1b[5;1R"); // the cursor stands at row 5, column 1
    }
  }

  int master_ = -1;
  pid_t pid_ = -1;
  bool finished_ = false;
  bool answers_reports_ = true;
  bool answered_ = false;
  std::optional<std::chrono::steady_clock::time_point> request_seen_;
  termios initial_modes_{};
  std::string output_;
};

bool raw(const termios& modes) {
  return (modes.c_lflag & (ICANON | ECHO)) == 0;
}

bool same_modes(const termios& a, const termios& b) {
  return a.c_lflag == b.c_lflag && a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag;
}

TEST(TerminalPlatform, DrawsAtTheReportedCursorAndGivesTheTerminalBack) {
  PseudoTerminal pty([] {
    Platform& console = platform::terminal_platform();
    take_console(console);
    const Handle screen = console.get_std_handle(StdHandle::output);
    platform::ScreenBufferInfo info;
    // A tall buffer, as a new Windows console has, with the terminal's
    // screen as its window, at the buffer's top.
    if (!console.get_console_screen_buffer_info(screen, info) || info.size.x != kColumns ||
        info.size.y != 9001 || info.window.top != 0 || info.window.bottom != kRows - 1) {
      console.exit_process(101);
    }
    const platform::CharInfo cells[] = {{u'h', 0x1E}, {u'i', 0x1E}, {u'\x01', 0x1E}};
    platform::SmallRect region{info.cursor_position.x, info.cursor_position.y,
                               static_cast<std::int16_t>(info.cursor_position.x + 2),
                               info.cursor_position.y};
    console.write_console_output(screen, cells, {3, 1}, {0, 0}, region);
    console.set_console_cursor_position(screen, {3, info.cursor_position.y});
    console.sleep(300); // shows the frame, then holds the terminal a while
    console.exit_process(7);
  });
  ASSERT_TRUE(pty.wait_for("hi"));
  EXPECT_TRUE(raw(pty.modes())) << "no echo, no line editing while the program runs";
  EXPECT_EQ(pty.modes().c_lflag & ISIG, 0U) << "input mode 0: Ctrl+C is a key";
  const int status = pty.wait_status();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  EXPECT_TRUE(same_modes(pty.modes(), pty.initial_modes()));
  EXPECT_EQ(pty.output().substr(pty.output().size() - kReset.size()), kReset);

  terminal_test::ScreenModel screen(kColumns, kRows);
  screen.feed(pty.output());
  EXPECT_EQ(screen.row_text(4).substr(0, 5), "hi\u263A");
  EXPECT_EQ(screen.at(0, 4).foreground, 11);
  EXPECT_EQ(screen.at(0, 4).background, 4);
  EXPECT_EQ(screen.cursor_x(), 3);
  EXPECT_EQ(screen.cursor_y(), 4);
}

// A terminal that never reports its cursor: after a short wait the cursor
// is taken to be at the start of the last row.
TEST(TerminalPlatform, UnansweredCursorQueryMeansTheLastRow) {
  PseudoTerminal pty(
      [] {
        Platform& console = platform::terminal_platform();
        take_console(console);
        const Handle screen = console.get_std_handle(StdHandle::output);
        platform::ScreenBufferInfo info;
        console.get_console_screen_buffer_info(screen, info);
        const platform::CharInfo cell{u'z', 0x07};
        platform::SmallRect region{info.cursor_position.x, info.cursor_position.y,
                                   info.cursor_position.x, info.cursor_position.y};
        console.write_console_output(screen, &cell, {1, 1}, {0, 0}, region);
        console.exit_process(0);
      },
      false);
  const auto started = std::chrono::steady_clock::now();
  const int status = pty.wait_status();
  const auto waited = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(WIFEXITED(status));
  // The end waits a while longer for a report that may still come; the
  // bound only catches a wait that never ends.
  EXPECT_LT(waited, std::chrono::seconds(5));
  terminal_test::ScreenModel screen(kColumns, kRows);
  screen.feed(pty.output());
  EXPECT_EQ(screen.at(0, kRows - 1).character, U'z');
}

TEST(TerminalPlatform, CtrlCArrivesAsAKeyInInputModeZero) {
  PseudoTerminal pty([] {
    Platform& console = platform::terminal_platform();
    exit_with_next_key(console, take_console(console));
  });
  ASSERT_TRUE(pty.wait_for("\x1b[6n"));
  ::usleep(100000);
  pty.send("\x03");
  const int status = pty.wait_status();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
}

std::int32_t handled(std::uint32_t /*event*/) {
  return 1;
}

// With standard input redirected, Ctrl+C stays a signal, which the control
// handler reports handled; the program reads on.
TEST(TerminalPlatform, CtrlCWithRedirectedInputGoesToTheControlHandler) {
  PseudoTerminal pty([] {
    std::freopen("/dev/null", "r", stdin);
    Platform& console = platform::terminal_platform();
    console.set_console_ctrl_handler(handled, true);
    exit_with_next_key(console, take_console(console));
  });
  ASSERT_TRUE(pty.wait_for("\x1b[6n"));
  EXPECT_NE(pty.modes().c_lflag & ISIG, 0U);
  ::usleep(100000);
  pty.send("\x03");
  ::usleep(200000);
  pty.send("q");
  const int status = pty.wait_status();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 'q');
}

[[noreturn]] void sleep_forever() {
  Platform& console = platform::terminal_platform();
  take_console(console);
  platform::ScreenBufferInfo info;
  console.get_console_screen_buffer_info(console.get_std_handle(StdHandle::output), info);
  while (true) {
    console.sleep(20);
  }
}

TEST(TerminalPlatform, TerminateEndsPromptlyWithTheTerminalRestored) {
  PseudoTerminal pty(sleep_forever);
  ASSERT_TRUE(pty.wait_for("\x1b[6n"));
  ::usleep(100000);
  ::kill(pty.pid(), SIGTERM);
  const int status = pty.wait_status(2000);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_TRUE(same_modes(pty.modes(), pty.initial_modes()));
  EXPECT_NE(pty.output().find(kReset), std::string::npos);
}

// However the process ends in the middle, the terminal is given back: a
// crash ends it by its signal; no memory left (operator new calls the new
// handler when an allocation fails) and an exception nobody catches (which
// calls std::terminate) end it
// as a fatal run-time error does, with status 255 and no message.
TEST(TerminalPlatform, EveryAbruptEndRestoresTheTerminal) {
  struct Case {
    const char* name;
    void (*end)();
    int status;
  };
  const Case cases[] = {
      {"crash", [] { std::abort(); }, SIGABRT},
      {"no memory left", [] { std::get_new_handler()(); }, 255},
      {"an exception nobody catches", [] { std::terminate(); }, 255},
  };
  for (const Case& c : cases) {
    PseudoTerminal pty([&c] {
      Platform& console = platform::terminal_platform();
      take_console(console);
      console.sleep(50);
      c.end();
    });
    const int status = pty.wait_status();
    if (c.status == SIGABRT) {
      ASSERT_TRUE(WIFSIGNALED(status)) << c.name;
      EXPECT_EQ(WTERMSIG(status), SIGABRT) << c.name;
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << c.name;
      EXPECT_EQ(WEXITSTATUS(status), c.status) << c.name;
    }
    EXPECT_TRUE(same_modes(pty.modes(), pty.initial_modes())) << c.name;
    EXPECT_NE(pty.output().find(kReset), std::string::npos) << c.name;
    EXPECT_EQ(pty.output().find("terminate"), std::string::npos) << c.name;
  }
}

// Job control needs a shell: the program runs in its own foreground process
// group under a parent that plays the shell, reports how the terminal was
// left while the program was stopped, and continues it.
[[noreturn]] void shell_with_program_in_foreground() {
  const pid_t program = ::fork();
  if (program == 0) {
    ::setpgid(0, 0);
    Platform& console = platform::terminal_platform();
    exit_with_next_key(console, take_console(console));
  }
  ::setpgid(program, program);
  ::tcsetpgrp(STDIN_FILENO, program);
  int status = 0;
  ::waitpid(program, &status, WUNTRACED);
  if (!WIFSTOPPED(status)) {
    ::_exit(WIFEXITED(status) ? 150 : 151);
  }
  termios modes{};
  ::tcgetattr(STDIN_FILENO, &modes);
  const std::string_view note =
      (modes.c_lflag & ICANON) != 0 ? "<stopped:given back>" : "<stopped:raw>";
  [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, note.data(), note.size());
  ::kill(program, SIGCONT);
  ::waitpid(program, &status, 0);
  ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 152);
}

TEST(TerminalPlatform, StopGivesTheTerminalBackAndContinueTakesItAgain) {
  PseudoTerminal pty(shell_with_program_in_foreground);
  ASSERT_TRUE(pty.wait_for("\x1b[6n"));
  ::usleep(100000);
  ASSERT_TRUE(raw(pty.modes()));
  ::kill(-pty.foreground_group(), SIGTSTP);
  ASSERT_TRUE(pty.wait_for("<stopped:", 2000));
  EXPECT_TRUE(pty.wait_for("<stopped:given back>", 100)) << pty.output();
  ::usleep(200000);
  EXPECT_TRUE(raw(pty.modes())) << "raw again after continuing";
  pty.send("x");
  const int status = pty.wait_status();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 'x');
}

TEST(TerminalPlatform, ClosedTerminalEndsTheProgram) {
  PseudoTerminal pty(sleep_forever);
  ASSERT_TRUE(pty.wait_for("\x1b[6n"));
  ::usleep(100000);
  pty.close_master();
  const int status = pty.wait_status(2000);
  ASSERT_NE(status, -1) << "still running on a dead terminal";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP);
}

TEST(TerminalPlatform, NoControllingTerminalEndsAtOnceWithOneLine) {
  int errors[2];
  ASSERT_EQ(::pipe(errors), 0);
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid(); // a new session has no controlling terminal
    ::dup2(errors[1], STDERR_FILENO);
    take_console(platform::terminal_platform());
    ::_exit(0);
  }
  ::close(errors[1]);
  std::string message;
  char buffer[256];
  ssize_t bytes = 0;
  while ((bytes = ::read(errors[0], buffer, sizeof buffer)) > 0) {
    message.append(buffer, static_cast<std::size_t>(bytes));
  }
  ::close(errors[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 255);
  EXPECT_NE(message.find("no terminal"), std::string::npos) << message;
  EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line";
}

} // namespace
