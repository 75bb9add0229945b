// Output, idle and memory costs of the programs on a terminal, measured from
// the outside: each program runs in a pseudo-terminal (80 x 25 unless said
// otherwise), is driven with keys and resizes, and is compared with an
// ncurses program that draws the same screens.
//
// How it measures:
// - A "screen" is what a program sends after one key (or after starting) until
//   the terminal has been quiet for a while; its bytes are counted on the
//   pseudo-terminal's master side.
// - Write calls are the program's own: the difference of `syscw` in
//   /proc/<pid>/io across the screen, so partial reads on the master side do
//   not matter.
// - Times run from just before fork (or the key's write) to the first byte and
//   to the last byte before the quiet period.
// - While a program waits for a key: CPU time from /proc/<pid>/task/*/schedstat
//   (nanoseconds on a CPU) and wake-ups as voluntary context switches from
//   /proc/<pid>/task/*/status, over a fixed window.
// - A cursor position query (ESC [ 6 n) is answered as a fresh terminal would,
//   with the cursor at row 1, column 1, or, for a program started below shell
//   output, on the last row.
// - A resize sets the pseudo-terminal's size, which signals the program.
// - Memory: the resident set (VmRSS) while the program waits for its last key.
// - Start-up: the first byte of each program, and of the smallest ncurses
//   program that draws a screen, started in turn round after round.
// Every figure is the median of repeated runs. Nothing here is asserted.
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int quiet_ms = 300;       // silence that ends a screen: longer than any pause
constexpr int screen_cap_ms = 5000; // longest wait for one screen
constexpr int idle_window_ms = 1000;
constexpr const char* cursor_query = "\x1b[6n";

// The pseudo-terminal a program starts in, and where its cursor stands.
struct Terminal {
  int columns = 80;
  int rows = 25;
  int cursor_row = 1;
};

double ms_between(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

struct ScreenCost {
  double bytes = 0;
  double writes = 0;
  double first_byte_ms = 0;
  double last_byte_ms = 0;
};

struct IdleCost {
  double cpu_percent = 0;
  double wakeups_per_second = 0;
};

// Sums one numeric field over every thread of a process.
long long sum_over_tasks(pid_t pid, const std::string& file, const std::string& key) {
  long long total = 0;
  std::error_code error;
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream in(task.path() / file);
    if (key.empty()) { // schedstat: the first number is the time on a CPU, in ns
      long long value = 0;
      in >> value;
      total += value;
      continue;
    }
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind(key, 0) == 0) {
        total += std::atoll(line.c_str() + key.size());
      }
    }
  }
  return total;
}

// The number after `key` in /proc/<pid>/<file>, -1 when it is not there.
long long process_field(pid_t pid, const std::string& file, const std::string& key) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) {
      return std::atoll(line.c_str() + key.size());
    }
  }
  return -1;
}

// The resident set in kB.
long long resident_kb(pid_t pid) {
  return process_field(pid, "status", "VmRSS:");
}

long long write_calls(pid_t pid) {
  return process_field(pid, "io", "syscw:");
}

// A program running on the slave side of a pseudo-terminal.
class PtyProgram {
public:
  PtyProgram(const std::string& path, const Terminal& terminal, Clock::time_point& started)
      : cursor_answer_("\x1b[" + std::to_string(terminal.cursor_row) + ";1R") {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(terminal.columns);
    size.ws_row = static_cast<unsigned short>(terminal.rows);
    started = Clock::now();
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      setenv("TERM", "xterm-256color", 1);
      setenv("LANG", "C.UTF-8", 1);
      setenv("LC_ALL", "C.UTF-8", 1);
      std::string program = path;
      std::array<char*, 2> arguments{program.data(), nullptr};
      execv(program.c_str(), arguments.data());
      _exit(127);
    }
  }
  PtyProgram(const PtyProgram&) = delete;
  PtyProgram& operator=(const PtyProgram&) = delete;
  PtyProgram(PtyProgram&&) = delete;
  PtyProgram& operator=(PtyProgram&&) = delete;
  ~PtyProgram() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) {
      close(master_);
    }
  }

  [[nodiscard]] bool ok() const { return pid_ > 0 && master_ >= 0; }
  [[nodiscard]] long long resident_kb() const { return ::resident_kb(pid_); }

  // Resizes the terminal; the kernel signals the program's process group.
  void resize(int columns, int rows) const {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    ioctl(master_, TIOCSWINSZ, &size);
  }
  [[nodiscard]] int queries() const { return queries_; }

  void send(const std::string& keys) const {
    if (write(master_, keys.data(), keys.size()) < 0) {
      std::cerr << "write to the pseudo-terminal failed\n";
    }
  }

  // Reads until the program has been quiet for `quiet` ms after some output
  // (or until it ends); gives the bytes and the times of the first and last.
  ScreenCost read_screen(Clock::time_point since, int quiet = quiet_ms) {
    ScreenCost cost;
    writes_before_ = write_calls(pid_);
    std::optional<Clock::time_point> first;
    std::optional<Clock::time_point> last;
    for (;;) {
      const auto now = Clock::now();
      if (ms_between(since, now) > screen_cap_ms) {
        break;
      }
      if (last && ms_between(*last, now) >= quiet) {
        break;
      }
      pollfd fd{master_, POLLIN, 0};
      const int ready = poll(&fd, 1, 10);
      if (ready <= 0) {
        continue;
      }
      const ssize_t got = read(master_, buffer_.data(), buffer_.size());
      if (got <= 0) {
        ended_ = true; // EIO: the slave side is closed, the program has ended
        break;
      }
      const auto at = Clock::now();
      if (!first) {
        first = at;
      }
      last = at;
      cost.bytes += static_cast<double>(got);
      answer_queries(std::string(buffer_.data(), static_cast<size_t>(got)));
    }
    cost.writes = ended_ ? -1 : static_cast<double>(write_calls(pid_) - writes_before_);
    cost.first_byte_ms = first ? ms_between(since, *first) : -1;
    cost.last_byte_ms = last ? ms_between(since, *last) : -1;
    return cost;
  }

  // The time from `since` to the program's first byte; -1 when none comes.
  double first_byte_ms(Clock::time_point since) {
    while (ms_between(since, Clock::now()) < screen_cap_ms) {
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, 10) > 0) {
        const auto at = Clock::now();
        return read(master_, buffer_.data(), buffer_.size()) > 0 ? ms_between(since, at) : -1;
      }
    }
    return -1;
  }

  IdleCost idle() {
    const long long cpu_before = sum_over_tasks(pid_, "schedstat", "");
    const long long switches_before = sum_over_tasks(pid_, "status", "voluntary_ctxt_switches:");
    const auto start = Clock::now();
    drain(idle_window_ms);
    const double seconds = ms_between(start, Clock::now()) / 1000.0;
    const long long cpu_after = sum_over_tasks(pid_, "schedstat", "");
    const long long switches_after = sum_over_tasks(pid_, "status", "voluntary_ctxt_switches:");
    IdleCost cost;
    cost.cpu_percent = static_cast<double>(cpu_after - cpu_before) / 1e9 / seconds * 100.0;
    cost.wakeups_per_second = static_cast<double>(switches_after - switches_before) / seconds;
    return cost;
  }

  // Reads whatever comes for `ms` milliseconds, answering queries.
  void drain(int ms) {
    const auto start = Clock::now();
    for (;;) {
      const int left = ms - static_cast<int>(ms_between(start, Clock::now()));
      if (left <= 0) {
        return;
      }
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, left) <= 0) {
        continue;
      }
      const ssize_t got = read(master_, buffer_.data(), buffer_.size());
      if (got <= 0) {
        ended_ = true;
        return;
      }
      answer_queries(std::string(buffer_.data(), static_cast<size_t>(got)));
    }
  }

  // Waits for the program's end; gives its exit status (-1 if killed) and
  // completes the last screen's write calls, read while the ended process is
  // still a zombie whose counters /proc keeps.
  int finish(ScreenCost& last_screen) {
    const auto start = Clock::now();
    while (!ended_ && ms_between(start, Clock::now()) < screen_cap_ms) {
      read_screen(Clock::now());
    }
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) == 0) {
      last_screen.writes = static_cast<double>(write_calls(pid_) - writes_before_);
    }
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) {
      return -1;
    }
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

private:
  void answer_queries(const std::string& chunk) {
    std::string text = tail_ + chunk;
    for (size_t at = text.find(cursor_query); at != std::string::npos;
         at = text.find(cursor_query, at + 1)) {
      ++queries_;
      send(cursor_answer_);
    }
    tail_ = text.substr(text.size() >= 3 ? text.size() - 3 : 0);
  }

  std::string cursor_answer_;
  pid_t pid_ = -1;
  int master_ = -1;
  bool ended_ = false;
  bool reaped_ = false;
  int queries_ = 0;
  long long writes_before_ = 0;
  std::string tail_;
  std::array<char, 65536> buffer_{};
};

// One step of a session: keys to type or a new terminal size, and whether its
// screen is reported.
struct Step {
  const char* name;
  const char* keys;
  bool reported;
  int resize_columns = 0;
  int resize_rows = 0;
};

// A viewer session: the first screen, a first cycle, then a second cycle
// whose every screen is reported, ended with Esc. Idle costs are taken at the
// second cycle's foreground prompt (line input) and closing prompt (key wait).
const std::vector<Step> viewer_steps{
    {"first screen (table and prompt)", nullptr, true},
    {"cycle 1: echo '1'", "1", false},
    {"cycle 1: name, next prompt", "\r", false},
    {"cycle 1: echo '4'", "4", false},
    {"cycle 1: name, demonstration", "\r", false},
    {"cycle 2: cleared, table and prompt", "x", true},
    {"cycle 2: echo '1'", "1", true},
    {"cycle 2: name, next prompt", "\r", true},
    {"cycle 2: echo '4'", "4", true},
    {"cycle 2: name, demonstration", "\r", true},
    {"end (Esc)", "\x1b", true},
};
constexpr size_t viewer_prompt_step = 5; // idle measured after this step
constexpr size_t viewer_closing_step = 9;

const std::vector<Step> chart_steps{
    {"whole chart", nullptr, true},
    {"end (key)", "x", true},
};
constexpr size_t chart_closing_step = 0;

// The chart started on the last row, below a screenful of shell output, then
// the terminal shrunk by a row and grown back while the chart waits.
const std::vector<Step> chart_below_output_steps{
    {"whole chart", nullptr, true},
    {"resize to 80x24", nullptr, true, 80, 24},
    {"resize back: repaint at 80x25", nullptr, true, 80, 25},
    {"end (key)", "x", true},
};

// The viewer in a terminal of 11 rows: its second prompt is below the
// window, which follows the cursor down by one row.
const std::vector<Step> short_viewer_steps{
    {"first screen", nullptr, true},
    {"echo '1'", "1", false},
    {"name, next prompt: window down a row", "\r", true},
    {"echo '4'", "4", false},
    {"name, demonstration", "\r", true},
    {"end (Esc)", "\x1b", false},
};
constexpr size_t short_viewer_closing_step = 4;

struct RunResult {
  std::vector<ScreenCost> screens;
  IdleCost at_prompt;
  IdleCost at_key;
  long long resident_kb = 0;
  int exit_status = -1;
  int queries = 0;
};

std::optional<RunResult> run_once(const std::string& path, const Terminal& terminal,
                                  const std::vector<Step>& steps, std::optional<size_t> prompt_step,
                                  size_t closing_step) {
  Clock::time_point started;
  PtyProgram program(path, terminal, started);
  if (!program.ok()) {
    return std::nullopt;
  }
  RunResult result;
  for (size_t i = 0; i < steps.size(); ++i) {
    auto since = started;
    if (steps[i].keys != nullptr) {
      since = Clock::now();
      program.send(steps[i].keys);
    } else if (steps[i].resize_columns > 0) {
      since = Clock::now();
      program.resize(steps[i].resize_columns, steps[i].resize_rows);
    }
    const bool last = i + 1 == steps.size();
    ScreenCost cost = program.read_screen(since);
    if (last) {
      result.exit_status = program.finish(cost);
    }
    result.screens.push_back(cost);
    if (prompt_step && i == *prompt_step) {
      result.at_prompt = program.idle();
    }
    if (i == closing_step) {
      result.at_key = program.idle();
      result.resident_kb = program.resident_kb();
    }
  }
  result.queries = program.queries();
  return result;
}

double median(std::vector<double> values) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Medians of every figure over the runs.
struct Summary {
  std::vector<ScreenCost> screens;
  IdleCost at_prompt;
  IdleCost at_key;
  double resident_kb = 0;
  std::vector<int> exit_statuses;
  int max_queries = 0;
};

template <typename Field>
double median_of(const std::vector<RunResult>& runs, Field field) {
  std::vector<double> values;
  values.reserve(runs.size());
  for (const RunResult& run : runs) {
    values.push_back(field(run));
  }
  return median(values);
}

Summary summarise(const std::vector<RunResult>& runs, size_t step_count) {
  Summary s;
  for (size_t i = 0; i < step_count; ++i) {
    ScreenCost c;
    c.bytes = median_of(runs, [i](const RunResult& r) { return r.screens[i].bytes; });
    c.writes = median_of(runs, [i](const RunResult& r) { return r.screens[i].writes; });
    c.first_byte_ms =
        median_of(runs, [i](const RunResult& r) { return r.screens[i].first_byte_ms; });
    c.last_byte_ms = median_of(runs, [i](const RunResult& r) { return r.screens[i].last_byte_ms; });
    s.screens.push_back(c);
  }
  s.at_prompt.cpu_percent =
      median_of(runs, [](const RunResult& r) { return r.at_prompt.cpu_percent; });
  s.at_prompt.wakeups_per_second =
      median_of(runs, [](const RunResult& r) { return r.at_prompt.wakeups_per_second; });
  s.at_key.cpu_percent = median_of(runs, [](const RunResult& r) { return r.at_key.cpu_percent; });
  s.at_key.wakeups_per_second =
      median_of(runs, [](const RunResult& r) { return r.at_key.wakeups_per_second; });
  s.resident_kb =
      median_of(runs, [](const RunResult& r) { return static_cast<double>(r.resident_kb); });
  for (const RunResult& r : runs) {
    s.exit_statuses.push_back(r.exit_status);
    s.max_queries = std::max(s.max_queries, r.queries);
  }
  return s;
}

std::optional<Summary> measure(const std::string& path, const Terminal& terminal,
                               const std::vector<Step>& steps, std::optional<size_t> prompt_step,
                               size_t closing_step, int runs) {
  if (access(path.c_str(), X_OK) != 0) {
    return std::nullopt;
  }
  std::vector<RunResult> results;
  for (int i = 0; i < runs; ++i) {
    if (auto r = run_once(path, terminal, steps, prompt_step, closing_step)) {
      results.push_back(*r);
    }
  }
  if (results.empty()) {
    return std::nullopt;
  }
  return summarise(results, steps.size());
}

std::string statuses(const std::vector<int>& codes) {
  std::ostringstream out;
  for (size_t i = 0; i < codes.size(); ++i) {
    out << (i > 0 ? "," : "") << codes[i];
  }
  return out.str();
}

std::string fixed(double value, int decimals) {
  std::ostringstream out;
  out << std::fixed << std::setprecision(decimals) << value;
  return out.str();
}

std::string ratio(double ours, double theirs) {
  return theirs > 0 ? fixed(ours / theirs, 2) : "-";
}

// One row of the screen table: name, bytes and writes, then the yardstick's.
void print_screen_row(const std::string& name, const std::string& bytes, const std::string& writes,
                      const std::string& their_bytes, const std::string& their_writes,
                      const std::string& bytes_ratio) {
  std::cout << "  " << std::left << std::setw(36) << name << std::right << std::setw(9) << bytes
            << std::setw(8) << writes << " |" << std::setw(9) << their_bytes << std::setw(8)
            << their_writes << " | " << bytes_ratio << "\n";
}

std::string idle_figures(const IdleCost& idle) {
  return fixed(idle.cpu_percent, 3) + "% CPU, " + fixed(idle.wakeups_per_second, 0) + " wake-ups/s";
}

void print_viewer(const Summary& ours, const std::optional<Summary>& theirs) {
  std::cout << "\ncolorviewer" << (theirs ? " against ncurses_screens (same keys)" : "") << "\n";
  print_screen_row("screen", "bytes", "writes", "ncurses", "writes", "bytes ratio");
  for (size_t i = 0; i < viewer_steps.size(); ++i) {
    if (!viewer_steps[i].reported) {
      continue;
    }
    const ScreenCost& o = ours.screens[i];
    const ScreenCost t = theirs ? theirs->screens[i] : ScreenCost{};
    print_screen_row(viewer_steps[i].name, fixed(o.bytes, 0), fixed(o.writes, 0),
                     theirs ? fixed(t.bytes, 0) : "-", theirs ? fixed(t.writes, 0) : "-",
                     theirs ? ratio(o.bytes, t.bytes) : "-");
  }
  const ScreenCost& first = ours.screens[0];
  std::cout << "  start to first byte: " << fixed(first.first_byte_ms, 2) << " ms";
  if (theirs) {
    std::cout << " (ncurses " << fixed(theirs->screens[0].first_byte_ms, 2) << " ms, ratio "
              << ratio(first.first_byte_ms, theirs->screens[0].first_byte_ms) << ")";
  }
  std::cout << "\n  start to quiet first screen: " << fixed(first.last_byte_ms, 2) << " ms";
  if (theirs) {
    std::cout << " (ncurses " << fixed(theirs->screens[0].last_byte_ms, 2) << " ms)";
  }
  std::cout << "\n  waiting at the prompt (line input): " << idle_figures(ours.at_prompt);
  if (theirs) {
    std::cout << " (ncurses " << idle_figures(theirs->at_prompt) << ")";
  }
  std::cout << "\n  waiting for the closing key: " << idle_figures(ours.at_key);
  if (theirs) {
    std::cout << " (ncurses " << idle_figures(theirs->at_key) << ")";
  }
  std::cout << "\n  resident memory waiting for the closing key: "
            << fixed(ours.resident_kb / 1024.0, 2) << " MiB";
  if (theirs) {
    std::cout << " (ncurses " << fixed(theirs->resident_kb / 1024.0, 2) << " MiB)";
  }
  std::cout << "\n  exit statuses: " << statuses(ours.exit_statuses)
            << "; cursor queries answered per run: at most " << ours.max_queries << "\n";
}

// The bytes and writes of each reported step of a session.
void print_steps(const std::string& title, const std::vector<Step>& steps, const Summary& s) {
  std::cout << "\n" << title << "\n";
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].reported) {
      std::cout << "  " << std::left << std::setw(40) << steps[i].name << std::right << std::setw(7)
                << fixed(s.screens[i].bytes, 0) << " bytes in " << fixed(s.screens[i].writes, 0)
                << " writes\n";
    }
  }
}

void print_chart(const Summary& s) {
  std::cout << "\ncolorchart\n"
            << "  whole chart: " << fixed(s.screens[0].bytes, 0) << " bytes in "
            << fixed(s.screens[0].writes, 0) << " writes\n"
            << "  end after the key: " << fixed(s.screens[1].bytes, 0) << " bytes in "
            << fixed(s.screens[1].writes, 0) << " writes\n"
            << "  start to first byte: " << fixed(s.screens[0].first_byte_ms, 2)
            << " ms; start to quiet chart: " << fixed(s.screens[0].last_byte_ms, 2) << " ms\n"
            << "  waiting for the closing key: " << idle_figures(s.at_key) << "\n"
            << "  exit statuses: " << statuses(s.exit_statuses)
            << "; cursor queries answered per run: at most " << s.max_queries << "\n";
}

// The start to first byte of each program, started in turn in the same
// pseudo-terminal set-up, round after round, so that a busy machine slows
// them alike; medians over the rounds. Programs that are not built are left
// out.
void print_first_bytes(const std::string& bin, const std::vector<std::string>& names, int rounds) {
  std::vector<std::vector<double>> times(names.size());
  for (int round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string path = bin + "/" + names[i];
      if (access(path.c_str(), X_OK) != 0) {
        continue;
      }
      Clock::time_point started;
      PtyProgram program(path, Terminal{}, started);
      if (program.ok()) {
        if (const double ms = program.first_byte_ms(started); ms >= 0) {
          times[i].push_back(ms);
        }
      }
    }
  }
  std::cout << "\nstart to first byte, the programs started in turn, median of " << rounds
            << " rounds\n";
  for (size_t i = 0; i < names.size(); ++i) {
    if (!times[i].empty()) {
      std::cout << "  " << std::left << std::setw(16) << names[i] << std::right
                << fixed(median(times[i]), 2) << " ms\n";
    }
  }
  std::cout << "  (ncurses_minimal: setlocale, initscr, start_color, one screen drawn)\n";
}

} // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  const std::string bin = args.size() > 1 ? args[1] : "build/bin";
  const int runs = args.size() > 2 ? std::max(1, std::atoi(args[2].c_str())) : 7;
  if (args.size() > 3 && args[3] == "start") { // only the first bytes
    print_first_bytes(bin, {"colorviewer", "colorchart", "ncurses_minimal", "ncurses_screens"},
                      runs);
    return 0;
  }
  const Terminal standard;
  std::cout << "terminal benchmark: " << standard.columns << "x" << standard.rows
            << " pseudo-terminal, TERM=xterm-256color, median of " << runs << " runs\n"
            << "(a screen ends after " << quiet_ms
            << " ms without output; writes are the program's write calls,\n"
            << " the first screen's including the cursor position query sent before it)\n"
            << std::flush;

  const auto viewer = measure(bin + "/colorviewer", standard, viewer_steps, viewer_prompt_step,
                              viewer_closing_step, runs);
  const auto yardstick = measure(bin + "/ncurses_screens", standard, viewer_steps,
                                 viewer_prompt_step, viewer_closing_step, runs);
  const auto chart =
      measure(bin + "/colorchart", standard, chart_steps, std::nullopt, chart_closing_step, runs);
  const auto chart_below_output =
      measure(bin + "/colorchart", Terminal{80, 25, 25}, chart_below_output_steps, std::nullopt,
              chart_closing_step, runs);
  const auto short_viewer = measure(bin + "/colorviewer", Terminal{80, 11, 1}, short_viewer_steps,
                                    std::nullopt, short_viewer_closing_step, runs);
  const auto large_viewer = measure(bin + "/colorviewer", Terminal{300, 100, 1}, viewer_steps,
                                    viewer_prompt_step, viewer_closing_step, runs);

  if (!yardstick) {
    std::cout << "\nncurses_screens is not built (ncurses development files missing): no ratios\n";
  }
  if (viewer) {
    print_viewer(*viewer, yardstick);
  } else {
    std::cout << "\ncolorviewer is not built\n";
  }
  if (chart) {
    print_chart(*chart);
  } else {
    std::cout << "\ncolorchart is not built\n";
  }
  if (chart_below_output) {
    print_steps("colorchart started on the last row of 80x25", chart_below_output_steps,
                *chart_below_output);
  }
  if (short_viewer) {
    print_steps("colorviewer at 80x11", short_viewer_steps, *short_viewer);
  }
  if (large_viewer) {
    std::cout << "\ncolorviewer at 300x100: resident memory waiting for the closing key: "
              << fixed(large_viewer->resident_kb / 1024.0, 2) << " MiB\n";
  }
  print_first_bytes(bin, {"colorviewer", "colorchart", "ncurses_minimal", "ncurses_screens"},
                    runs * 5);
  return viewer && chart ? 0 : 1;
}
