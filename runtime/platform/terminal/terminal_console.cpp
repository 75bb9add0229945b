// The console on a POSIX terminal: the cells the program writes are kept
// here in a tall screen buffer, and the window onto it that follows the
// cursor is drawn on the terminal's screen when the program pauses or waits
// for input; keys are read from the controlling terminal and decoded
// into console key records. See runtime/platform/console_model.h,
// renderer.h and key_decoder.h for the parts; this file joins them to the console calls.
#include "runtime/platform/terminal/terminal_console.h"
#include "runtime/platform/utf8.h"

#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "runtime/platform/terminal/code_pages.h"
#include "runtime/platform/terminal/key_decoder.h"
#include "runtime/platform/terminal/key_table.h"
#include "runtime/platform/terminal/output_encoder.h"
#include "runtime/platform/terminal/renderer.h"
#include "runtime/platform/terminal/terminal_capabilities.h"
#include "runtime/platform/terminal/terminal_io.h"
#include "runtime/platform/terminal/terminal_signals.h"

namespace platform::terminal {
namespace {

// How long start-up waits for the terminal to report where its cursor is.
constexpr std::uint64_t kCursorReportWaitMs = 400;
// How long after asking a report may still come, over a slow link: until
// then an Esc that may begin it waits for the rest, and the program's end
// waits for it, so that it never reaches the shell's command line.
constexpr std::uint64_t kCursorReportGiveUpMs = 1500;
// Keys are read from the terminal only while fewer than this many records
// are queued: whatever is pasted, the rest waits in the terminal's buffer.
constexpr std::size_t kQueuedRecordsLimit = 1024;
// How long the last words to the terminal may wait for it to read them.
constexpr int kLastWordsWaitMs = 200;
// The reset after output that was cut off: CAN first ends any sequence the
// terminal was left in the middle of.
constexpr std::string_view kResetAfterCut = "\x18\x1b[0m\x1b[?25h";
// Output is written early once this much has collected.
constexpr std::size_t kOutputHighWater = std::size_t{64} * 1024;
// Sizes beyond these are not believed.
constexpr int kLargestSide = 1024;
// The height of a new Windows console's buffer; the window onto it is the
// terminal's screen.
constexpr std::int16_t kBufferRows = 9001;
// The exit code of a process that ends without a terminal, and of one that
// ends as a fatal run-time error ends it.
constexpr int kNoTerminalExitCode = 255;
constexpr int kFatalErrorExitCode = 255;

constexpr std::string_view kCursorPositionRequest = "\x1b[6n";

// Handles are file descriptors plus one, so that descriptor 0 is not the
// null handle.
int descriptor_of(Handle handle) {
  if (handle == kNullHandle || handle == kInvalidHandle || handle > static_cast<Handle>(INT_MAX)) {
    return -1;
  }
  return static_cast<int>(handle - 1);
}

Handle handle_of(int fd) {
  return static_cast<Handle>(fd) + 1;
}

// Whether `fd` is the process's controlling terminal (which /dev/tty reaches
// without being the same device node): only that terminal tells its
// foreground process group. (Asking for its session instead is an ioctl that
// neither valgrind nor qemu's user-mode emulation carries through.)
bool is_controlling_terminal(int fd) {
  return ::tcgetpgrp(fd) != -1;
}

TerminalConsole& the_console() {
  // Never destroyed: exit paths and signal handlers may still need it.
  static auto* console = new TerminalConsole;
  return *console;
}

void restore_at_exit() {
  the_console().restore_terminal();
}

// No memory left outside the runtime's own allocations (which record error 7
// and go on), or any other end the C++ runtime would report with a message
// (std::terminate): the terminal is given back and the process ends as a
// fatal run-time error does, with no message.
[[noreturn]] void end_as_fatal_error() {
  the_console().end_at_once(kFatalErrorExitCode);
}

// A descriptor of our own onto the terminal that `fd` writes to, which never
// blocks: a terminal that stops reading can then hold output but never the
// program. The shell's descriptors keep their flags. Without one (no
// descriptor left), `fd` itself.
int nonblocking_output(int fd) {
  const char* name = ::ttyname(fd);
  const int own = name == nullptr ? -1 : ::open(name, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  return own >= 0 ? own : fd;
}

} // namespace

// The console exists only with its terminal: it is opened here, once, when
// the program first reaches its platform object at start-up.
TerminalConsole::TerminalConsole() {
  std::setlocale(LC_CTYPE, "");
  codeset_ = ::nl_langinfo(CODESET);
  encoder_ = std::make_unique<OutputEncoder>(codeset_);
  open_terminal();
}

// --- The terminal ----------------------------------------------------------

// Opens the controlling terminal, the counterpart of the console input
// device, and makes it ours: modes saved and set, signal handlers in place,
// its key sequences read, its size taken and its cursor position asked for.
void TerminalConsole::open_terminal() {
  tty_fd_ = open_controlling_terminal();
  note_standard_descriptors();
  const TerminalCapabilities capabilities = load_terminal_capabilities(tty_fd_);
  renderer_options_ = {capabilities.background_color_erase, capabilities.last_column_safe};
  decoder_.emplace(build_key_table(capabilities.keys), input_charset());
  signals::install(tty_fd_, output_fd_, modes_.original(), kResetAfterCut);
  open_window();
  hold_terminal();
  std::atexit(restore_at_exit);
  std::set_new_handler(end_as_fatal_error);
  std::set_terminate(end_as_fatal_error);
  ask_cursor_position();
}

// /dev/tty with its modes saved; without one the program ends here.
int TerminalConsole::open_controlling_terminal() {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    fail_without_terminal(errno);
  }
  if (::isatty(fd) == 0 || !modes_.save(fd)) {
    fail_without_terminal(ENOTTY);
  }
  return fd;
}

// Which standard descriptors are on a terminal is noted once: the screen and
// input calls then ask no system call to know it. Output goes where the
// program's screen handle points: standard output when it is a terminal,
// else standard error, else the terminal itself.
void TerminalConsole::note_standard_descriptors() {
  stdin_is_terminal_ = ::isatty(STDIN_FILENO) != 0 && is_controlling_terminal(STDIN_FILENO);
  stdout_is_terminal_ = ::isatty(STDOUT_FILENO) != 0;
  stderr_is_terminal_ = ::isatty(STDERR_FILENO) != 0;
  const int screen_fd = stdout_is_terminal_   ? STDOUT_FILENO
                        : stderr_is_terminal_ ? STDERR_FILENO
                                              : tty_fd_;
  output_fd_ = nonblocking_output(screen_fd);
}

// How typed bytes become characters: UTF-8, or each byte through the
// locale's 8-bit character set.
InputCharset TerminalConsole::input_charset() {
  InputCharset charset;
  charset.utf8 = encoder_->utf8();
  if (!charset.utf8) {
    for (std::size_t byte = 0; byte < charset.single_byte.size(); ++byte) {
      const std::u16string text =
          converter_.decode(codeset_, std::string(1, static_cast<char>(byte)));
      charset.single_byte[byte] = text.size() == 1 ? text[0] : utf8::kReplacement;
    }
  }
  return charset;
}

// The console's buffer and window at the terminal's size (80 x 24 when it
// tells none), the cursor at the start of the last row until the terminal
// reports where it is.
void TerminalConsole::open_window() {
  const Coord size = reported_size().value_or(Coord{80, 24});
  model_.emplace(
      ConsoleModel::Start{.size = Coord{size.x, std::max(kBufferRows, size.y)},
                          .blank = ScreenCell{},
                          .window = SmallRect{0, 0, static_cast<std::int16_t>(size.x - 1),
                                              static_cast<std::int16_t>(size.y - 1)},
                          .cursor = Coord{0, static_cast<std::int16_t>(size.y - 1)}});
  renderer_ = std::make_unique<Renderer>(renderer_options_, *encoder_);
  renderer_->reset(size);
}

// Keys typed before the answer stay in the decoder as input.
void TerminalConsole::ask_cursor_position() {
  write_all(tty_fd_, kCursorPositionRequest);
  decoder_->expect_cursor_report();
  report_awaited_ = true;
  report_sent_ms_ = monotonic_ms();
  last_pump_ms_ = report_sent_ms_;
}

// Without a terminal the programs cannot read a key: they end before
// showing anything.
void TerminalConsole::fail_without_terminal(int error) {
  std::string message = program_name();
  message += ": no terminal to read keys from (";
  message += error == ENXIO ? "no controlling terminal" : std::strerror(error);
  message += ")\n";
  write_all(STDERR_FILENO, message);
  std::_Exit(kNoTerminalExitCode);
}

// The terminal in the program's modes, with the fatal-signal handlers told
// to give it back.
void TerminalConsole::hold_terminal() {
  modes_.enter(processed_input_);
  held_ = true;
  signals::set_terminal_held(true);
}

// The terminal's own modes back, after a reset of its colours and cursor
// when `reset` says so.
void TerminalConsole::release_terminal(bool reset) {
  if (!held_) {
    return;
  }
  held_ = false;
  signals::set_terminal_held(false);
  if (reset) {
    write_briefly(output_fd_, output_cut_ ? kResetAfterCut : Renderer::kResetSequence,
                  kLastWordsWaitMs);
  }
  modes_.restore();
}

void TerminalConsole::restore_terminal() {
  release_terminal(true);
}

void TerminalConsole::end_at_once(int exit_code) {
  restore_terminal();
  signals::uninstall();
  std::_Exit(exit_code);
}

void TerminalConsole::act_on_signals() {
  unsigned arrived = signals::take();
  while (arrived != 0) {
    if ((arrived & signals::kHangUp) != 0) {
      end_by_signal(SIGHUP);
    }
    if ((arrived & signals::kTerminate) != 0) {
      end_by_signal(SIGTERM);
    }
    // Ctrl+C and Ctrl+\ (Ctrl+Break) reach the control handler, which
    // reports them handled; unhandled, they end the program.
    if ((arrived & signals::kInterrupt) != 0 &&
        (ctrl_handler_ == nullptr || ctrl_handler_(kCtrlCEvent) == 0)) {
      end_by_signal(SIGINT);
    }
    if ((arrived & signals::kQuit) != 0 &&
        (ctrl_handler_ == nullptr || ctrl_handler_(kCtrlBreakEvent) == 0)) {
      end_by_signal(SIGQUIT);
    }
    if ((arrived & signals::kResize) != 0) {
      // The next flush repaints at the new size, also while the program
      // only waits for a key.
      follow_resize();
    }
    if ((arrived & signals::kStop) != 0) {
      suspend();
    } else if ((arrived & signals::kContinue) != 0) {
      resume();
    }
    arrived = signals::take() & ~signals::kContinue;
  }
}

// Ctrl+Z: the terminal goes back to the shell as it was, the process stops,
// and on continuing the terminal is taken again and repainted.
void TerminalConsole::suspend() {
  flush();
  restore_terminal();
  signals::act_by_default(SIGTSTP);
  resume();
}

void TerminalConsole::resume() {
  hold_terminal();
  // The shell wrote on the screen meanwhile, and the terminal may have been
  // resized while the program was stopped.
  follow_resize();
}

// A hang-up (the terminal closed) or SIGTERM ends the program at once, the
// terminal restored, as the signal's default action ends it: the parent sees
// the process killed by that signal (a shell reports 128 + its number).
void TerminalConsole::end_by_signal(int signal_number) {
  restore_terminal();
  signals::uninstall();
  signals::act_by_default(signal_number);
  std::_Exit(128 + signal_number);
}

void TerminalConsole::terminal_gone() {
  // Nothing more can be shown; only the modes are put back, where possible.
  release_terminal(false);
  signals::uninstall();
  signals::act_by_default(SIGHUP);
  std::_Exit(128 + SIGHUP);
}

// --- Handles and modes -----------------------------------------------------

Handle TerminalConsole::get_std_handle(StdHandle which) {
  int fd = STDIN_FILENO;
  if (which == StdHandle::output) {
    fd = STDOUT_FILENO;
  } else if (which == StdHandle::error) {
    fd = STDERR_FILENO;
  }
  return ::fcntl(fd, F_GETFD) == -1 ? kInvalidHandle : handle_of(fd);
}

Handle TerminalConsole::create_file(const char* name, std::uint32_t access, std::uint32_t /*share*/,
                                    std::uint32_t disposition, std::uint32_t /*flags*/) {
  if (name == nullptr) {
    return kInvalidHandle;
  }
  if (std::strcmp(name, "CONIN$") == 0 || std::strcmp(name, "CONOUT$") == 0) {
    console_input_open_ = true;
    return handle_of(tty_fd_);
  }
  int open_flags = O_CLOEXEC;
  const bool reading = (access & kGenericRead) != 0;
  const bool writing = (access & kGenericWrite) != 0;
  open_flags |= reading && writing ? O_RDWR : (writing ? O_WRONLY : O_RDONLY);
  if (disposition != kOpenExisting) {
    open_flags |= O_CREAT;
  }
  const int fd = ::open(name, open_flags, 0666);
  if (fd < 0) {
    return kInvalidHandle;
  }
  opened_files_.insert(fd);
  return handle_of(fd);
}

bool TerminalConsole::close_handle(Handle handle) {
  const int fd = descriptor_of(handle);
  if (fd >= 0 && fd == tty_fd_) {
    // The terminal stays open underneath: it is restored at the end.
    const bool was_open = console_input_open_;
    console_input_open_ = false;
    return was_open;
  }
  if (opened_files_.erase(fd) > 0) {
    return ::close(fd) == 0;
  }
  return false;
}

bool TerminalConsole::is_input(Handle handle) {
  const int fd = descriptor_of(handle);
  if (fd < 0) {
    return false;
  }
  if (fd == tty_fd_) {
    return console_input_open_;
  }
  return fd == STDIN_FILENO && stdin_is_terminal_;
}

bool TerminalConsole::is_screen(Handle handle) const {
  const int fd = descriptor_of(handle);
  return fd == tty_fd_ || (fd == STDOUT_FILENO && stdout_is_terminal_) ||
         (fd == STDERR_FILENO && stderr_is_terminal_);
}

bool TerminalConsole::get_console_mode(Handle console, std::uint32_t& mode) {
  const int fd = descriptor_of(console);
  if (fd < 0 || ::isatty(fd) == 0) {
    return false;
  }
  mode = fd == STDIN_FILENO || (fd == tty_fd_ && console_input_open_) ? input_mode_ : output_mode_;
  return true;
}

// The console input mode maps onto the terminal's modes: echo and line
// editing stay off while the program reads keys; processed input decides
// whether Ctrl+C, Ctrl+\ and Ctrl+Z are signals or keys.
bool TerminalConsole::set_console_mode(Handle console, std::uint32_t mode) {
  const int fd = descriptor_of(console);
  if (fd < 0 || ::isatty(fd) == 0) {
    return false;
  }
  if (fd == STDIN_FILENO || fd == tty_fd_) {
    if (fd == tty_fd_ || stdin_is_terminal_) {
      input_mode_ = mode;
      processed_input_ = (mode & kEnableProcessedInput) != 0;
      if (held_) {
        modes_.enter(processed_input_);
      }
    }
    return true;
  }
  output_mode_ = mode;
  return true;
}

bool TerminalConsole::set_console_ctrl_handler(CtrlHandler handler, bool add) {
  if (add) {
    ctrl_handler_ = handler;
  } else if (ctrl_handler_ == handler) {
    ctrl_handler_ = nullptr;
  }
  return true;
}

// --- Screen ----------------------------------------------------------------

// Every screen call works on the terminal's current size and a known cursor.
// The size is asked of the terminal at start-up and again only when a resize
// was signalled (or a wait ends: see read_console_input).
bool TerminalConsole::prepare_screen(Handle handle) {
  if (!is_screen(handle)) {
    return false;
  }
  act_on_signals();
  settle_cursor_report();
  return true;
}

// The terminal's size as it reports it, within the sides we believe.
std::optional<Coord> TerminalConsole::reported_size() const {
  int columns = 0;
  int rows = 0;
  if (!terminal_size(output_fd_, columns, rows) && !terminal_size(tty_fd_, columns, rows)) {
    return std::nullopt;
  }
  return Coord{static_cast<std::int16_t>(std::min(columns, kLargestSide)),
               static_cast<std::int16_t>(std::min(rows, kLargestSide))};
}

// A resize was signalled: the window takes the terminal's size and is
// repainted whole, since the terminal may have reflowed or scrolled what it
// showed; even when the size reads as before, as a shrink and a grow back
// may both have come before this look, and the terminal lost the cells its
// shrink cut off.
void TerminalConsole::follow_resize() {
  const std::optional<Coord> size = reported_size();
  if (size && (size->x != model_->window_size().x || size->y != model_->window_size().y)) {
    model_->resize_window(*size);
  }
  repaint_pending_ = true;
}

// The cursor position asked for at start-up: waited for once, briefly; with
// no answer the cursor is taken to be at the start of the last row.
void TerminalConsole::settle_cursor_report() {
  if (!report_awaited_) {
    return;
  }
  report_awaited_ = false;
  const std::uint64_t deadline = report_sent_ms_ + kCursorReportWaitMs;
  while (true) {
    pump_input();
    if (const auto position = decoder_->take_cursor_report()) {
      const Coord size = model_->window_size();
      model_->set_cursor(Coord{static_cast<std::int16_t>(std::min<int>(position->x, size.x - 1)),
                               static_cast<std::int16_t>(std::min<int>(position->y, size.y - 1))});
      return;
    }
    const std::uint64_t now = monotonic_ms();
    if (now >= deadline) {
      return;
    }
    wait_readable(tty_fd_, signals::wake_fd(), static_cast<int>(deadline - now));
  }
}

bool TerminalConsole::get_console_screen_buffer_info(Handle console, ScreenBufferInfo& info) {
  if (!prepare_screen(console)) {
    return false;
  }
  info.size = model_->size();
  info.cursor_position = model_->cursor();
  info.attributes = model_->attributes();
  info.window = model_->window();
  info.maximum_window_size = model_->window_size();
  return true;
}

bool TerminalConsole::write_console_output(Handle console, const CharInfo* buffer,
                                           Coord buffer_size, Coord buffer_coord,
                                           SmallRect& region) {
  return prepare_screen(console) && model_->write(buffer, buffer_size, buffer_coord, region);
}

bool TerminalConsole::read_console_output(Handle console, CharInfo* buffer, Coord buffer_size,
                                          Coord buffer_coord, SmallRect& region) {
  return prepare_screen(console) && model_->read(buffer, buffer_size, buffer_coord, region);
}

bool TerminalConsole::set_console_cursor_position(Handle console, Coord position) {
  if (!prepare_screen(console)) {
    return false;
  }
  const int top = model_->window().top;
  if (!model_->set_cursor(position)) {
    return false;
  }
  show_window_move(top, model_->window().top - top);
  return true;
}

// Moving the window over the buffer, at its present size.
bool TerminalConsole::set_console_window_info(Handle console, bool absolute,
                                              const SmallRect& window) {
  if (!prepare_screen(console)) {
    return false;
  }
  const SmallRect now = model_->window();
  const SmallRect wanted = model_->window_asked(absolute, window);
  if (wanted.left != now.left || wanted.right != now.right ||
      wanted.bottom - wanted.top != now.bottom - now.top || !model_->set_window(wanted)) {
    return false;
  }
  show_window_move(now.top, wanted.top - now.top);
  return true;
}

// A scroll of the whole buffer moves what the window shows up as a real
// terminal scroll does.
bool TerminalConsole::scroll_console_screen_buffer(Handle console, const SmallRect& scroll,
                                                   const SmallRect* clip, Coord destination,
                                                   const CharInfo& fill) {
  if (!prepare_screen(console)) {
    return false;
  }
  const int rows = model_->whole_buffer_rows_up(scroll, clip, destination);
  show_scroll(model_->window().top, rows, fill.attributes);
  return model_->scroll(scroll, clip, destination, fill);
}

// The terminal's screen follows the window as it moves `rows` down over the
// buffer from `old_top`: by up to a screenful, as that many real terminal
// scrolls, so the rows leaving the top go to the terminal's scrollback, drawn
// first if the terminal does not show them yet; the new rows are painted by
// the next flush (rows of blanks in one colour come in ready-made). Any other
// move repaints the window.
void TerminalConsole::show_window_move(int old_top, int rows) {
  const int height = model_->window_size().y;
  show_scroll(old_top, rows,
              model_->blank_rows_attributes(old_top + height, std::clamp(rows, 0, height)));
}

// The window's rows from `old_top` on move up `rows` rows, as a terminal
// scroll moves them; new rows are blank in `fill_attributes`, or in the
// terminal's own colours.
void TerminalConsole::show_scroll(int old_top, int rows,
                                  std::optional<std::uint16_t> fill_attributes) {
  if (rows == 0 || repaint_pending_) {
    return;
  }
  if (rows < 0 || rows > model_->window_size().y) {
    repaint_pending_ = true;
    return;
  }
  renderer_->render_rows(model_->window_cells(old_top), 0, rows, out_);
  renderer_->scroll_up(rows, fill_attributes, out_);
  model_->mark_changed();
  if (out_.size() >= kOutputHighWater) {
    write_out();
  }
}

bool TerminalConsole::set_console_text_attribute(Handle console, std::uint16_t attributes) {
  if (!prepare_screen(console)) {
    return false;
  }
  model_->set_attributes(attributes);
  return true;
}

bool TerminalConsole::fill_console_output_attribute(Handle console, std::uint16_t attributes,
                                                    std::uint32_t length, Coord start,
                                                    std::uint32_t& written) {
  written = 0;
  if (!prepare_screen(console)) {
    return false;
  }
  return model_->fill_attributes(attributes, length, start, written);
}

bool TerminalConsole::fill_console_output_character(Handle console, char character,
                                                    std::uint32_t length, Coord start,
                                                    std::uint32_t& written) {
  written = 0;
  if (!prepare_screen(console)) {
    return false;
  }
  char16_t unit = u' ';
  if (converter_.to_wide(kCpAcp, &character, 1, &unit, 1) != 1) {
    unit = static_cast<char16_t>(static_cast<unsigned char>(character));
  }
  return model_->fill_characters(unit, length, start, written);
}

bool TerminalConsole::get_console_cursor_info(Handle console, CursorInfo& info) {
  if (!prepare_screen(console)) {
    return false;
  }
  info = model_->cursor_info();
  return true;
}

bool TerminalConsole::set_console_cursor_info(Handle console, const CursorInfo& info) {
  return prepare_screen(console) && model_->set_cursor_info(info);
}

// Draws what changed in the window and writes everything collected with
// one write.
void TerminalConsole::flush() {
  if (repaint_pending_) {
    renderer_->repaint_from_blank(model_->window_size(), out_);
    repaint_pending_ = false;
    model_->mark_changed();
  }
  if (model_->changed()) {
    renderer_->render(model_->window_cells(), out_);
    const Coord cursor = model_->cursor();
    renderer_->place_cursor(
        Coord{cursor.x, static_cast<std::int16_t>(cursor.y - model_->window().top)},
        model_->cursor_info().visible != 0, out_);
    model_->mark_drawn();
  }
  write_out();
}

void TerminalConsole::write_out() {
  if (out_.empty()) {
    return;
  }
  const bool written = write_all(output_fd_, out_);
  out_.clear();
  if (written) {
    return;
  }
  if (errno == EIO) {
    terminal_gone();
  }
  if (signals::ending()) {
    // The terminal stopped reading and the program is told to end: what
    // did not go out is dropped.
    output_cut_ = true;
    act_on_signals();
  }
}

// --- Keyboard --------------------------------------------------------------

// Reads what the terminal has sent and lets the decoder know how long it
// was silent.
void TerminalConsole::pump_input() {
  act_on_signals();
  std::string bytes;
  if (decoder_->record_count() < kQueuedRecordsLimit &&
      read_ready(tty_fd_, bytes) == ReadResult::gone) {
    terminal_gone();
  }
  const std::uint64_t now = monotonic_ms();
  if (decoder_->awaiting_report() && now >= report_give_up_ms()) {
    decoder_->stop_waiting_for_reports();
  }
  const auto silent =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(now - last_pump_ms_, 60000));
  last_pump_ms_ = now;
  if (bytes.empty()) {
    decoder_->elapse(silent);
  } else {
    decoder_->feed(bytes);
  }
}

bool TerminalConsole::peek_console_input(Handle console, InputRecord& record,
                                         std::uint32_t& count) {
  count = 0;
  if (!is_input(console)) {
    return false;
  }
  // Input first: acting on the signals that came may repaint.
  pump_input();
  flush();
  if (decoder_->has_record()) {
    record = decoder_->front();
    count = 1;
  }
  return true;
}

bool TerminalConsole::read_console_input(Handle console, InputRecord& record,
                                         std::uint32_t& count) {
  count = 0;
  if (!is_input(console)) {
    return false;
  }
  while (true) {
    pump_input();
    flush();
    if (decoder_->has_record()) {
      record = decoder_->front();
      decoder_->pop();
      count = 1;
      return true;
    }
    const auto wait = decoder_->wait_left();
    wait_readable(tty_fd_, signals::wake_fd(), wait ? static_cast<int>(*wait) : -1);
  }
}

// --- Process, memory, threads ----------------------------------------------

// Everything drawn, the terminal given back, then the end.
void TerminalConsole::exit_process(std::uint32_t exit_code) {
  flush();
  take_late_cursor_report();
  restore_terminal();
  signals::uninstall();
  std::exit(static_cast<int>(exit_code & 0xFF));
}

// When a report that has not come is no longer waited for.
std::uint64_t TerminalConsole::report_give_up_ms() const {
  return report_sent_ms_ + kCursorReportGiveUpMs;
}

// A report still on its way when the program ends would be typed on the
// shell's command line: it is waited for, briefly, and taken. Keys still
// queued or typed meanwhile have no reader left.
void TerminalConsole::take_late_cursor_report() {
  while (decoder_->awaiting_report()) {
    while (decoder_->has_record()) {
      decoder_->pop();
    }
    pump_input();
    const std::uint64_t now = monotonic_ms();
    const std::uint64_t give_up = report_give_up_ms();
    if (!decoder_->awaiting_report() || now >= give_up) {
      return;
    }
    wait_readable(tty_fd_, signals::wake_fd(), static_cast<int>(give_up - now));
  }
}

// A pause shows what the program drew, then sleeps; signals that arrive
// meanwhile are acted on and the rest of the pause is slept.
void TerminalConsole::sleep(std::uint32_t milliseconds) {
  const std::uint64_t deadline = monotonic_ms() + milliseconds;
  while (true) {
    act_on_signals();
    flush();
    const std::uint64_t now = monotonic_ms();
    if (now >= deadline) {
      return;
    }
    const std::uint64_t left = deadline - now;
    timespec pause{static_cast<time_t>(left / 1000), static_cast<long>((left % 1000) * 1000000)};
    ::nanosleep(&pause, nullptr);
  }
}

} // namespace platform::terminal

namespace platform {

Platform& terminal_platform() {
  return terminal::the_console();
}

} // namespace platform
