// An in-memory console for tests: the console model the terminal console
// keeps too (cells, window, cursor), a scripted input queue, a virtual clock
// (a pause advances the clock instead of sleeping, so tests never wait),
// injectable failures, and a record of what was done to the window, title,
// menu, control handler, message box and exit code.
//
// Ending the process (exit_process), polling an input queue whose script has
// run out, and the call a test chose to stop at (Config::stop_at_call) unwind
// to the test with a MemoryConsoleStop: this is the one place where the memory
// console leaves the runtime's normal flow, standing in for the end of the
// process.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/platform/console_model.h"
#include "runtime/platform/platform.h"

namespace platform {

struct MemoryConsoleStop {
  enum class Reason : std::uint8_t { exited, input_exhausted, stopped_at_call };
  Reason reason = Reason::exited;
  std::uint32_t exit_code = 0;
};

struct MessageBoxRecord {
  Handle owner = kNullHandle;
  std::string text;
  std::string caption; // empty for the system's default caption
  std::uint32_t type = 0;
};

struct MenuItem {
  std::uint32_t id = 0;
  std::u16string text;

  friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

// The arguments of one CreateFileA call.
struct CreateFileRecord {
  std::string name;
  std::uint32_t access = 0;
  std::uint32_t share = 0;
  std::uint32_t disposition = 0;
  std::uint32_t flags = 0;
};

class MemoryConsole final : public Platform {
public:
  // Handles the memory console gives out.
  static constexpr Handle kStdInput = 0x11;
  static constexpr Handle kStdOutput = 0x12;
  static constexpr Handle kStdError = 0x13;
  static constexpr Handle kConsoleInput = 0x14;
  static constexpr Handle kModule = 0x400000;
  static constexpr Handle kWindow = 0x1000;
  static constexpr Handle kSystemMenu = 0x2000;
  // A terminal application's top-level window and its system menu.
  static constexpr Handle kTerminalWindow = 0x3000;
  static constexpr Handle kTerminalMenu = 0x4000;

  struct Config {
    std::int16_t columns = 80;
    std::int16_t rows = 25;
    // The visible window; the whole buffer when not given.
    std::optional<SmallRect> window;
    Coord cursor;
    std::uint16_t initial_attributes = 7;
    CursorInfo cursor_info{25, 1};
    std::uint32_t platform_id = kPlatformWin32Nt;
    std::u16string command_line = u"program.exe";
    StartupInfo startup;
    std::u16string title = u"Console";
    // Whether each standard handle is the console. The screen buffer is
    // reached through whichever of output and error is the console.
    bool stdin_is_console = true;
    bool stdout_is_console = true;
    bool stderr_is_console = true;
    // The local time when the clock starts.
    SystemTime start_time{2026, 12, 2, 8, 14, 0, 0, 0};
    // The system ANSI code page the conversions use for code page 0: 1252,
    // or 65001 (UTF-8).
    std::uint32_t ansi_code_page = 1252;
    // How long (virtual) the input may sit empty with nothing scripted
    // before the run ends with Reason::input_exhausted.
    std::uint64_t idle_limit_ms = 60000;
    // The console window exists (the lookup by title can find it).
    bool has_window = true;
    // A terminal application shows the console's title in the caption of
    // its own top-level window (kTerminalWindow), which belongs to another
    // process, as Windows Terminal does; the lookup by title finds that
    // window instead of the console's own.
    bool terminal_window = false;
    // The run ends at the first call of this Windows name, before the call
    // acts, so that a test sees the console as it was then; empty: never.
    std::string stop_at_call;
  };

  MemoryConsole();
  explicit MemoryConsole(Config config);
  MemoryConsole(const MemoryConsole&) = delete;
  MemoryConsole& operator=(const MemoryConsole&) = delete;
  MemoryConsole(MemoryConsole&&) = delete;
  MemoryConsole& operator=(MemoryConsole&&) = delete;
  ~MemoryConsole() override;

  // --- Script -------------------------------------------------------------
  // Input is read from kConsoleInput, or kStdInput when it is the console.
  // A peek on an empty queue finds nothing, until the queue has been empty
  // with nothing scheduled for idle_limit_ms of virtual time since the last
  // record arrived or was read: then it throws input_exhausted. A read waits
  // as the console does: the clock runs on to the next scheduled record, or
  // to the idle limit when there is none, and the run ends.
  void push_record(const InputRecord& record);
  // A record that arrives when the virtual clock reaches `clock_ms`.
  void push_record_at(std::uint64_t clock_ms, const InputRecord& record);
  // A key-down followed by its key-up.
  void press(const KeyEvent& key_down);
  // One key per unit, with its US-layout scan code where it has one; '\r' is
  // Enter, '\n' Ctrl+Enter, '\b' Backspace, '\t' Tab, u'\x1b' Esc, other C0
  // codes Ctrl with their letter; a unit with no key of its own has scan
  // and virtual-key code 0.
  void type(std::u16string_view text);
  // Keys that type nothing: scan code with character U+0000.
  void press_scan(std::uint16_t scan_code, std::uint32_t control_key_state = 0);
  static KeyEvent key_for(char16_t character);
  [[nodiscard]] std::size_t pending_input() const;

  // --- Observation --------------------------------------------------------
  [[nodiscard]] CharInfo cell(int column, int row) const; // 0-based
  [[nodiscard]] std::u16string row_text(int row) const;   // 0-based, whole row
  [[nodiscard]] Coord size() const { return model_.size(); }
  [[nodiscard]] Coord cursor() const { return model_.cursor(); }
  [[nodiscard]] SmallRect window() const { return model_.window(); }
  [[nodiscard]] std::uint16_t text_attribute() const { return model_.attributes(); }
  [[nodiscard]] CursorInfo cursor_info() const { return model_.cursor_info(); }
  [[nodiscard]] std::uint64_t clock_ms() const { return clock_ms_; }
  // The Windows name of every platform call, in order. The polling calls
  // (Sleep, PeekConsoleInputW, GetLocalTime) are logged once per idle stretch:
  // one that already appears in the trailing run of polling calls is not
  // logged again, so a wait of tens of thousands of polls stays a few
  // entries. count_calls counts every call, polls included.
  [[nodiscard]] const std::vector<std::string>& calls() const { return calls_; }
  [[nodiscard]] std::size_t count_calls(std::string_view name) const;
  [[nodiscard]] const std::vector<CreateFileRecord>& create_file_calls() const {
    return create_file_calls_;
  }
  [[nodiscard]] const std::vector<std::u16string>& titles_set() const { return titles_set_; }
  [[nodiscard]] const std::u16string& title() const { return title_; }
  [[nodiscard]] const std::vector<MenuItem>& system_menu() const { return system_menu_; }
  [[nodiscard]] const std::vector<MenuItem>& terminal_menu() const { return terminal_menu_; }
  [[nodiscard]] bool menu_has_close() const;
  [[nodiscard]] std::optional<std::size_t> close_item_position() const;
  [[nodiscard]] CtrlHandler ctrl_handler() const { return ctrl_handler_; }
  [[nodiscard]] const std::vector<MessageBoxRecord>& message_boxes() const {
    return message_boxes_;
  }
  [[nodiscard]] std::optional<std::uint32_t> exit_code() const { return exit_code_; }
  [[nodiscard]] int beeps() const { return beeps_; }
  [[nodiscard]] std::optional<std::uint32_t> console_mode(Handle handle) const;
  [[nodiscard]] bool com_initialized() const { return com_depth_ > 0; }
  [[nodiscard]] std::size_t live_global_blocks() const { return global_blocks_.size(); }
  [[nodiscard]] std::size_t live_strings() const { return strings_.size(); }
  [[nodiscard]] std::size_t live_tls_slots() const { return tls_slots_.size(); }
  [[nodiscard]] std::set<Handle> open_handles() const { return open_handles_; }

  // --- Set-up and failures -----------------------------------------------
  void set_cell(int column, int row, CharInfo cell);
  void write_text(int column, int row, std::u16string_view text, std::uint16_t attributes);
  void advance_clock(std::uint64_t milliseconds) { clock_ms_ += milliseconds; }
  struct Failures {
    bool version_query = false;
    bool tls_alloc = false;
    // Global allocations succeed this many more times, then fail; negative:
    // never fail.
    int global_allocs_left = -1;
    bool global_free = false;
    int string_allocs_left = -1;
    bool conversion = false;
    bool cursor_info_output = false; // get_console_cursor_info on standard output
    bool cursor_info_error = false;  // ... on standard error
    bool peek = false;
    bool read = false;
    bool set_title = false; // the console title cannot be changed
  };
  Failures& failures() { return failures_; }

  // --- Platform -----------------------------------------------------------
  bool get_version_ex(OsVersionInfo& info) override;
  void get_startup_info(StartupInfo& info) override;
  const char16_t* get_command_line() override;
  Handle get_module_handle() override;
  [[noreturn]] void exit_process(std::uint32_t exit_code) override;

  void* global_alloc_zeroed(std::size_t bytes) override;
  void* global_free(void* block) override;
  std::uint32_t tls_alloc() override;
  void* tls_get_value(std::uint32_t index) override;
  bool tls_set_value(std::uint32_t index, void* value) override;
  bool tls_free(std::uint32_t index) override;
  void sleep(std::uint32_t milliseconds) override;

  Handle get_std_handle(StdHandle which) override;
  Handle create_file(const char* name, std::uint32_t access, std::uint32_t share,
                     std::uint32_t disposition, std::uint32_t flags) override;
  bool get_console_mode(Handle console, std::uint32_t& mode) override;
  bool set_console_mode(Handle console, std::uint32_t mode) override;
  bool set_console_ctrl_handler(CtrlHandler handler, bool add) override;

  std::uint32_t get_console_title(char16_t* buffer, std::uint32_t size) override;
  bool set_console_title(const char16_t* title) override;
  Handle find_window(const char16_t* title) override;
  Handle get_console_window() override;
  Handle get_system_menu(Handle window, bool revert) override;
  bool delete_menu(Handle menu, std::uint32_t position, std::uint32_t flags) override;
  bool insert_menu(Handle menu, std::uint32_t position, std::uint32_t flags, std::uintptr_t item_id,
                   const char16_t* text) override;
  bool draw_menu_bar(Handle window) override;
  bool get_window_rect(Handle window, WindowRect& rect) override;
  bool set_window_pos(Handle window, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height) override;
  bool set_foreground_window(Handle window) override;
  bool lock_window_update(Handle window) override;

  bool get_console_screen_buffer_info(Handle console, ScreenBufferInfo& info) override;
  bool write_console_output(Handle console, const CharInfo* buffer, Coord buffer_size,
                            Coord buffer_coord, SmallRect& region) override;
  bool read_console_output(Handle console, CharInfo* buffer, Coord buffer_size, Coord buffer_coord,
                           SmallRect& region) override;
  bool set_console_cursor_position(Handle console, Coord position) override;
  bool scroll_console_screen_buffer(Handle console, const SmallRect& scroll, const SmallRect* clip,
                                    Coord destination, const CharInfo& fill) override;
  bool set_console_text_attribute(Handle console, std::uint16_t attributes) override;
  bool fill_console_output_attribute(Handle console, std::uint16_t attributes, std::uint32_t length,
                                     Coord start, std::uint32_t& written) override;
  bool fill_console_output_character(Handle console, char character, std::uint32_t length,
                                     Coord start, std::uint32_t& written) override;
  bool get_console_cursor_info(Handle console, CursorInfo& info) override;
  bool set_console_cursor_info(Handle console, const CursorInfo& info) override;
  bool set_console_screen_buffer_size(Handle console, Coord size) override;
  bool set_console_window_info(Handle console, bool absolute, const SmallRect& window) override;

  bool peek_console_input(Handle console, InputRecord& record, std::uint32_t& count) override;
  bool read_console_input(Handle console, InputRecord& record, std::uint32_t& count) override;
  void get_local_time(SystemTime& time) override;
  bool message_beep(std::uint32_t type) override;

  int multi_byte_to_wide_char(std::uint32_t code_page, std::uint32_t flags, const char* source,
                              int source_bytes, char16_t* output, int output_units) override;
  int wide_char_to_multi_byte(std::uint32_t code_page, std::uint32_t flags, const char16_t* source,
                              int source_units, char* output, int output_bytes) override;
  char16_t* sys_alloc_string_len(const char16_t* source, std::uint32_t units) override;
  char* sys_alloc_string_byte_len(const char* source, std::uint32_t bytes) override;
  void sys_free_string(void* string) override;

  std::int32_t message_box(Handle owner, const char* text, const char* caption,
                           std::uint32_t type) override;
  void co_initialize() override;
  void co_uninitialize() override;
  void variant_clear(void* variant) override;
  bool close_handle(Handle handle) override;
  bool find_close(Handle handle) override;

private:
  struct TimedRecord {
    std::uint64_t at_ms = 0;
    InputRecord record;
  };

  void log(std::string_view name);
  [[nodiscard]] bool is_input(Handle console) const;
  // The items of a system menu handle; null for any other handle.
  [[nodiscard]] std::vector<MenuItem>* menu_items(Handle menu);
  [[nodiscard]] bool is_screen(Handle console) const;
  void deliver_due_records();
  void* allocate_string_block(std::uint32_t bytes);
  // One 8-bit character in the system ANSI code page as UTF-16.
  [[nodiscard]] char16_t ansi_to_unit(char character) const;

  Config config_;
  // Every cell is written: the console starts as blanks.
  ConsoleModel model_;
  std::map<Handle, std::uint32_t> modes_;
  std::set<Handle> open_handles_;
  std::vector<InputRecord> queue_;
  std::vector<TimedRecord> timed_;
  std::uint64_t clock_ms_ = 0;
  std::uint64_t idle_since_ms_ = 0;
  std::vector<std::string> calls_;
  std::map<std::string, std::size_t, std::less<>> call_counts_;
  std::vector<CreateFileRecord> create_file_calls_;
  WindowRect window_rect_{0, 0, 660, 340};
  std::u16string title_;
  std::vector<std::u16string> titles_set_;
  std::vector<MenuItem> system_menu_;
  std::vector<MenuItem> terminal_menu_;
  CtrlHandler ctrl_handler_ = nullptr;
  std::vector<MessageBoxRecord> message_boxes_;
  std::optional<std::uint32_t> exit_code_;
  int beeps_ = 0;
  int com_depth_ = 0;
  // Blocks given out, by the pointer the caller holds (for a string, its
  // data, 4 bytes into the block).
  using Block = std::unique_ptr<unsigned char[]>;
  std::map<void*, Block> global_blocks_;
  std::map<void*, Block> strings_;
  std::map<std::uint32_t, void*> tls_slots_;
  std::uint32_t next_tls_index_ = 1;
  Failures failures_;
};

} // namespace platform
