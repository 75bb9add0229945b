// The console on a POSIX terminal: the Platform calls over the console
// model, the renderer, the key decoder and the terminal device.
// terminal_console.cpp holds the console and terminal side,
// terminal_console_services.cpp the process, memory, thread, text and time services.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "runtime/platform/console_model.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/terminal/code_pages.h"
#include "runtime/platform/terminal/key_decoder.h"
#include "runtime/platform/terminal/output_encoder.h"
#include "runtime/platform/terminal/renderer.h"
#include "runtime/platform/terminal/terminal_io.h"

namespace platform::terminal {

inline constexpr std::size_t kTlsSlots = 64;

// The program's short name, for messages on standard error.
const char* program_name();

class TerminalConsole final : public Platform {
public:
  TerminalConsole();

  // Lets go of the terminal: colours reset, cursor shown, modes back. Safe to
  // call again.
  void restore_terminal();
  // Gives the terminal back without drawing anything more and ends the
  // process with `exit_code` at once: for when nothing else can be relied on.
  [[noreturn]] void end_at_once(int exit_code);

  // Process.
  bool get_version_ex(OsVersionInfo& info) override;
  void get_startup_info(StartupInfo& info) override { info = StartupInfo{}; }
  const char16_t* get_command_line() override;
  Handle get_module_handle() override;
  [[noreturn]] void exit_process(std::uint32_t exit_code) override;

  // Memory and threads.
  void* global_alloc_zeroed(std::size_t bytes) override {
    return std::calloc(1, bytes == 0 ? 1 : bytes);
  }
  void* global_free(void* block) override {
    std::free(block);
    return nullptr;
  }
  std::uint32_t tls_alloc() override;
  void* tls_get_value(std::uint32_t index) override;
  bool tls_set_value(std::uint32_t index, void* value) override;
  bool tls_free(std::uint32_t index) override;
  void sleep(std::uint32_t milliseconds) override;

  // Console set-up.
  Handle get_std_handle(StdHandle which) override;
  Handle create_file(const char* name, std::uint32_t access, std::uint32_t share,
                     std::uint32_t disposition, std::uint32_t flags) override;
  bool get_console_mode(Handle console, std::uint32_t& mode) override;
  bool set_console_mode(Handle console, std::uint32_t mode) override;
  bool set_console_ctrl_handler(CtrlHandler handler, bool add) override;

  // Console window: a terminal has none.
  std::uint32_t get_console_title(char16_t* buffer, std::uint32_t size) override {
    if (buffer != nullptr && size > 0) {
      buffer[0] = 0;
    }
    return 0;
  }
  bool set_console_title(const char16_t* /*title*/) override { return false; }
  Handle find_window(const char16_t* /*title*/) override { return kNullHandle; }
  Handle get_console_window() override { return kNullHandle; }
  Handle get_system_menu(Handle /*window*/, bool /*revert*/) override { return kNullHandle; }
  bool delete_menu(Handle /*menu*/, std::uint32_t /*position*/, std::uint32_t /*flags*/) override {
    return false;
  }
  bool insert_menu(Handle /*menu*/, std::uint32_t /*position*/, std::uint32_t /*flags*/,
                   std::uintptr_t /*item_id*/, const char16_t* /*text*/) override {
    return false;
  }
  bool draw_menu_bar(Handle /*window*/) override { return false; }
  bool get_window_rect(Handle /*window*/, WindowRect& /*rect*/) override { return false; }
  bool set_window_pos(Handle /*window*/, std::int32_t /*x*/, std::int32_t /*y*/,
                      std::int32_t /*width*/, std::int32_t /*height*/) override {
    return false;
  }
  bool set_foreground_window(Handle /*window*/) override { return false; }
  bool lock_window_update(Handle /*window*/) override { return false; }

  // Screen.
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
  // A terminal's size is the user's to change; the window can move.
  bool set_console_screen_buffer_size(Handle /*console*/, Coord /*size*/) override { return false; }
  bool set_console_window_info(Handle console, bool absolute, const SmallRect& window) override;

  // Keyboard.
  bool peek_console_input(Handle console, InputRecord& record, std::uint32_t& count) override;
  bool read_console_input(Handle console, InputRecord& record, std::uint32_t& count) override;
  void get_local_time(SystemTime& time) override;
  bool message_beep(std::uint32_t /*type*/) override {
    out_ += '\a';
    return true;
  }

  // Text.
  int multi_byte_to_wide_char(std::uint32_t code_page, std::uint32_t /*flags*/, const char* source,
                              int source_bytes, char16_t* output, int output_units) override {
    return converter_.to_wide(code_page, source, source_bytes, output, output_units);
  }
  int wide_char_to_multi_byte(std::uint32_t code_page, std::uint32_t /*flags*/,
                              const char16_t* source, int source_units, char* output,
                              int output_bytes) override {
    return converter_.to_multi_byte(code_page, source, source_units, output, output_bytes);
  }
  char16_t* sys_alloc_string_len(const char16_t* source, std::uint32_t units) override;
  char* sys_alloc_string_byte_len(const char* source, std::uint32_t bytes) override;
  void sys_free_string(void* string) override;

  // Other.
  std::int32_t message_box(Handle owner, const char* text, const char* caption,
                           std::uint32_t type) override;
  void co_initialize() override {}
  void co_uninitialize() override {}
  void variant_clear(void* /*variant*/) override {}
  bool close_handle(Handle handle) override;
  bool find_close(Handle /*handle*/) override { return true; }

private:
  void open_terminal();
  int open_controlling_terminal();
  void note_standard_descriptors();
  InputCharset input_charset();
  void open_window();
  void ask_cursor_position();
  [[noreturn]] void fail_without_terminal(int error);
  [[nodiscard]] bool is_input(Handle handle);
  [[nodiscard]] bool is_screen(Handle handle) const;
  bool prepare_screen(Handle handle);
  [[nodiscard]] std::optional<Coord> reported_size() const;
  void follow_resize();
  void take_late_cursor_report();
  [[nodiscard]] std::uint64_t report_give_up_ms() const;
  void settle_cursor_report();
  void pump_input();
  void act_on_signals();
  void show_window_move(int old_top, int rows);
  void show_scroll(int old_top, int rows, std::optional<std::uint16_t> fill_attributes);
  void flush();
  void write_out();
  void hold_terminal();
  void release_terminal(bool reset);
  void suspend();
  void resume();
  [[noreturn]] void end_by_signal(int signal_number);
  [[noreturn]] void terminal_gone();
  void* allocate_string(std::uint32_t bytes);

  std::string codeset_;
  CodePageConverter converter_;
  std::unique_ptr<OutputEncoder> encoder_;
  std::u16string command_line_;

  int tty_fd_ = -1;
  bool console_input_open_ = false;
  bool stdin_is_terminal_ = false;
  bool stdout_is_terminal_ = false;
  bool stderr_is_terminal_ = false;
  std::set<int> opened_files_;
  TerminalModes modes_;
  bool held_ = false;
  bool processed_input_ = true;
  std::uint32_t input_mode_ = kEnableProcessedInput | kEnableLineInput | kEnableEchoInput;
  std::uint32_t output_mode_ = kEnableProcessedOutput | kEnableWrapAtEolOutput;
  CtrlHandler ctrl_handler_ = nullptr;

  RendererOptions renderer_options_;
  std::optional<KeyDecoder> decoder_;
  std::optional<ConsoleModel> model_;
  std::unique_ptr<Renderer> renderer_;
  int output_fd_ = -1;
  std::string out_;
  bool output_cut_ = false;
  bool repaint_pending_ = false;
  bool report_awaited_ = false;
  std::uint64_t report_sent_ms_ = 0;
  std::uint64_t last_pump_ms_ = 0;

  std::array<void*, kTlsSlots> tls_values_{};
  std::array<bool, kTlsSlots> tls_used_{};
};

} // namespace platform::terminal

namespace platform {

// The process's terminal console, created on first use.
Platform& terminal_platform();

} // namespace platform
