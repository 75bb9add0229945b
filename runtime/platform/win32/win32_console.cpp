// The platform interface over the Windows API itself: each operation is one
// call of kernel32, user32, ole32 or oleaut32 with the caller's arguments,
// its records converted to and from the interface's own.
#include "runtime/platform/win32/win32_console.h"

#include "runtime/platform/win32/win32_convert.h"

#include <objbase.h>
#include <oleauto.h>

#include <atomic>

namespace platform {
namespace {

using namespace win32;

// Peeks or reads one input record with `call` (PeekConsoleInputW or
// ReadConsoleInputW, which share their shape).
template <typename InputCall>
bool one_input_record(InputCall call, Handle console, InputRecord& record, std::uint32_t& count) {
  INPUT_RECORD native_record{};
  DWORD native_count = 0;
  if (call(native(console), &native_record, 1, &native_count) == FALSE) {
    count = 0;
    return false;
  }
  count = native_count;
  if (native_count != 0) {
    record = from_native(native_record);
  }
  return true;
}

class Win32Console final : public Platform {
public:
  // --- Process -------------------------------------------------------------
  bool get_version_ex(OsVersionInfo& info) override {
    // Room for the extended record too, so that whichever size the caller
    // preset, Windows never writes past the record it was given.
    OSVERSIONINFOEXA native_info{};
    native_info.dwOSVersionInfoSize = info.size;
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&native_info)) == FALSE) {
      return false;
    }
    info = from_native(*reinterpret_cast<const OSVERSIONINFOA*>(&native_info));
    return true;
  }

  void get_startup_info(StartupInfo& info) override {
    STARTUPINFOA native_info{};
    native_info.cb = sizeof(native_info);
    GetStartupInfoA(&native_info);
    info = from_native(native_info);
  }

  const char16_t* get_command_line() override { return utf16(GetCommandLineW()); }
  Handle get_module_handle() override { return handle(GetModuleHandleW(nullptr)); }
  [[noreturn]] void exit_process(std::uint32_t exit_code) override { ExitProcess(exit_code); }

  // --- Memory and threads ----------------------------------------------------
  void* global_alloc_zeroed(std::size_t bytes) override { return GlobalAlloc(GPTR, bytes); }
  void* global_free(void* block) override { return GlobalFree(block); }
  std::uint32_t tls_alloc() override { return TlsAlloc(); }
  void* tls_get_value(std::uint32_t index) override { return TlsGetValue(index); }
  bool tls_set_value(std::uint32_t index, void* value) override {
    return TlsSetValue(index, value) != FALSE;
  }
  bool tls_free(std::uint32_t index) override { return TlsFree(index) != FALSE; }
  void sleep(std::uint32_t milliseconds) override { Sleep(milliseconds); }

  // --- Console set-up --------------------------------------------------------
  Handle get_std_handle(StdHandle which) override {
    return handle(GetStdHandle(static_cast<DWORD>(static_cast<std::int32_t>(which))));
  }

  Handle create_file(const char* name, std::uint32_t access, std::uint32_t share,
                     std::uint32_t disposition, std::uint32_t flags) override {
    return handle(CreateFileA(name, access, share, nullptr, disposition, flags, nullptr));
  }

  bool get_console_mode(Handle console, std::uint32_t& mode) override {
    DWORD native_mode = 0;
    if (GetConsoleMode(native(console), &native_mode) == FALSE) {
      return false;
    }
    mode = native_mode;
    return true;
  }

  bool set_console_mode(Handle console, std::uint32_t mode) override {
    return SetConsoleMode(native(console), mode) != FALSE;
  }

  // Windows calls the handler with its own calling convention on a thread
  // it starts for the event, so a fixed trampoline is registered and the
  // runtime's handler is kept where that thread can read it safely.
  bool set_console_ctrl_handler(CtrlHandler handler, bool add) override {
    if (handler == nullptr) {
      // No handler: Windows' own meaning, Ctrl+C ignored or heeded again.
      return SetConsoleCtrlHandler(nullptr, add ? TRUE : FALSE) != FALSE;
    }
    if (add) {
      ctrl_handler_.store(handler);
      return SetConsoleCtrlHandler(&ctrl_trampoline, TRUE) != FALSE;
    }
    // Removing a handler that is not registered fails, as on Windows, and
    // leaves the registered one in place.
    CtrlHandler expected = handler;
    if (!ctrl_handler_.compare_exchange_strong(expected, nullptr)) {
      return false;
    }
    return SetConsoleCtrlHandler(&ctrl_trampoline, FALSE) != FALSE;
  }

  // --- Console window --------------------------------------------------------
  std::uint32_t get_console_title(char16_t* buffer, std::uint32_t size) override {
    return GetConsoleTitleW(wide(buffer), size);
  }
  bool set_console_title(const char16_t* title) override {
    return SetConsoleTitleW(wide(title)) != FALSE;
  }
  Handle find_window(const char16_t* title) override {
    return handle(FindWindowW(nullptr, wide(title)));
  }
  Handle get_console_window() override { return handle(GetConsoleWindow()); }
  Handle get_system_menu(Handle window_handle, bool revert) override {
    return handle(GetSystemMenu(window(window_handle), revert ? TRUE : FALSE));
  }
  bool delete_menu(Handle menu_handle, std::uint32_t position, std::uint32_t flags) override {
    return DeleteMenu(menu(menu_handle), position, flags) != FALSE;
  }
  bool insert_menu(Handle menu_handle, std::uint32_t position, std::uint32_t flags,
                   std::uintptr_t item_id, const char16_t* text) override {
    return InsertMenuW(menu(menu_handle), position, flags, item_id, wide(text)) != FALSE;
  }
  bool draw_menu_bar(Handle window_handle) override {
    return DrawMenuBar(window(window_handle)) != FALSE;
  }
  bool get_window_rect(Handle window_handle, WindowRect& rect) override {
    RECT native_rect{};
    if (GetWindowRect(window(window_handle), &native_rect) == FALSE) {
      return false;
    }
    rect = from_native(native_rect);
    return true;
  }
  // Moves and sizes the window in place: its place in the z-order and the
  // active window stay as they are.
  bool set_window_pos(Handle window_handle, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height) override {
    return SetWindowPos(window(window_handle), nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
  }
  bool set_foreground_window(Handle window_handle) override {
    return SetForegroundWindow(window(window_handle)) != FALSE;
  }
  bool lock_window_update(Handle window_handle) override {
    return LockWindowUpdate(window(window_handle)) != FALSE;
  }

  // --- Screen ------------------------------------------------------------------
  bool get_console_screen_buffer_info(Handle console, ScreenBufferInfo& info) override {
    CONSOLE_SCREEN_BUFFER_INFO native_info{};
    if (GetConsoleScreenBufferInfo(native(console), &native_info) == FALSE) {
      return false;
    }
    info = from_native(native_info);
    return true;
  }

  bool write_console_output(Handle console, const CharInfo* buffer, Coord buffer_size,
                            Coord buffer_coord, SmallRect& region) override {
    SMALL_RECT native_region = to_native(region);
    const bool written = WriteConsoleOutputW(native(console), cells(buffer), to_native(buffer_size),
                                             to_native(buffer_coord), &native_region) != FALSE;
    region = from_native(native_region);
    return written;
  }

  bool read_console_output(Handle console, CharInfo* buffer, Coord buffer_size, Coord buffer_coord,
                           SmallRect& region) override {
    SMALL_RECT native_region = to_native(region);
    const bool read = ReadConsoleOutputW(native(console), cells(buffer), to_native(buffer_size),
                                         to_native(buffer_coord), &native_region) != FALSE;
    region = from_native(native_region);
    return read;
  }

  bool set_console_cursor_position(Handle console, Coord position) override {
    return SetConsoleCursorPosition(native(console), to_native(position)) != FALSE;
  }

  bool scroll_console_screen_buffer(Handle console, const SmallRect& scroll, const SmallRect* clip,
                                    Coord destination, const CharInfo& fill) override {
    const SMALL_RECT native_scroll = to_native(scroll);
    SMALL_RECT native_clip{};
    if (clip != nullptr) {
      native_clip = to_native(*clip);
    }
    const CHAR_INFO native_fill = to_native(fill);
    return ScrollConsoleScreenBufferW(native(console), &native_scroll,
                                      clip != nullptr ? &native_clip : nullptr,
                                      to_native(destination), &native_fill) != FALSE;
  }

  bool set_console_text_attribute(Handle console, std::uint16_t attributes) override {
    return SetConsoleTextAttribute(native(console), attributes) != FALSE;
  }

  bool fill_console_output_attribute(Handle console, std::uint16_t attributes, std::uint32_t length,
                                     Coord start, std::uint32_t& written) override {
    DWORD native_written = 0;
    const bool filled = FillConsoleOutputAttribute(native(console), attributes, length,
                                                   to_native(start), &native_written) != FALSE;
    written = native_written;
    return filled;
  }

  bool fill_console_output_character(Handle console, char character, std::uint32_t length,
                                     Coord start, std::uint32_t& written) override {
    DWORD native_written = 0;
    const bool filled = FillConsoleOutputCharacterA(native(console), character, length,
                                                    to_native(start), &native_written) != FALSE;
    written = native_written;
    return filled;
  }

  bool get_console_cursor_info(Handle console, CursorInfo& info) override {
    CONSOLE_CURSOR_INFO native_info{};
    if (GetConsoleCursorInfo(native(console), &native_info) == FALSE) {
      return false;
    }
    info = from_native(native_info);
    return true;
  }

  bool set_console_cursor_info(Handle console, const CursorInfo& info) override {
    const CONSOLE_CURSOR_INFO native_info = to_native(info);
    return SetConsoleCursorInfo(native(console), &native_info) != FALSE;
  }

  bool set_console_screen_buffer_size(Handle console, Coord size) override {
    return SetConsoleScreenBufferSize(native(console), to_native(size)) != FALSE;
  }

  bool set_console_window_info(Handle console, bool absolute,
                               const SmallRect& window_rect) override {
    const SMALL_RECT native_window = to_native(window_rect);
    return SetConsoleWindowInfo(native(console), absolute ? TRUE : FALSE, &native_window) != FALSE;
  }

  // --- Keyboard ------------------------------------------------------------------
  bool peek_console_input(Handle console, InputRecord& record, std::uint32_t& count) override {
    return one_input_record(PeekConsoleInputW, console, record, count);
  }

  bool read_console_input(Handle console, InputRecord& record, std::uint32_t& count) override {
    return one_input_record(ReadConsoleInputW, console, record, count);
  }

  void get_local_time(SystemTime& time) override {
    SYSTEMTIME native_time{};
    GetLocalTime(&native_time);
    time = from_native(native_time);
  }

  bool message_beep(std::uint32_t type) override { return MessageBeep(type) != FALSE; }

  // --- Text ------------------------------------------------------------------------
  int multi_byte_to_wide_char(std::uint32_t code_page, std::uint32_t flags, const char* source,
                              int source_bytes, char16_t* output, int output_units) override {
    return MultiByteToWideChar(code_page, flags, source, source_bytes, wide(output), output_units);
  }

  int wide_char_to_multi_byte(std::uint32_t code_page, std::uint32_t flags, const char16_t* source,
                              int source_units, char* output, int output_bytes) override {
    return WideCharToMultiByte(code_page, flags, wide(source), source_units, output, output_bytes,
                               nullptr, nullptr);
  }

  char16_t* sys_alloc_string_len(const char16_t* source, std::uint32_t units) override {
    return utf16(SysAllocStringLen(wide(source), units));
  }

  // The block is a BSTR whose count is in bytes; the interface hands it out
  // as 8-bit text.
  char* sys_alloc_string_byte_len(const char* source, std::uint32_t bytes) override {
    return reinterpret_cast<char*>(SysAllocStringByteLen(source, bytes));
  }

  void sys_free_string(void* string) override { SysFreeString(static_cast<BSTR>(string)); }

  // --- Other -------------------------------------------------------------------------
  std::int32_t message_box(Handle owner, const char* text, const char* caption,
                           std::uint32_t type) override {
    return MessageBoxA(window(owner), text, caption, type);
  }
  void co_initialize() override { static_cast<void>(CoInitialize(nullptr)); }
  void co_uninitialize() override { CoUninitialize(); }
  void variant_clear(void* variant) override {
    static_cast<void>(VariantClear(static_cast<VARIANTARG*>(variant)));
  }
  bool close_handle(Handle handle_to_close) override {
    return CloseHandle(native(handle_to_close)) != FALSE;
  }
  bool find_close(Handle search) override { return FindClose(native(search)) != FALSE; }

private:
  static BOOL WINAPI ctrl_trampoline(DWORD event);

  std::atomic<CtrlHandler> ctrl_handler_{nullptr};
};

Win32Console& the_console() {
  static Win32Console console;
  return console;
}

BOOL WINAPI Win32Console::ctrl_trampoline(DWORD event) {
  const CtrlHandler handler = the_console().ctrl_handler_.load();
  if (handler == nullptr) {
    return FALSE;
  }
  return handler(event) != 0 ? TRUE : FALSE;
}

} // namespace

Platform& win32_platform() {
  return the_console();
}

} // namespace platform
