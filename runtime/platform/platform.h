// The console and system operations the runtime needs, in the Windows
// console API's own shapes. The runtime reaches the outside world only
// through this interface; win32/ forwards each operation to Windows,
// terminal/ gives the same effects on a POSIX terminal, and memory/ is an
// in-memory console for tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Handles of every kind (files, console buffers, windows, menus, modules) are
// opaque pointer-sized values.
using Handle = std::uintptr_t;
inline constexpr Handle kNullHandle = 0;
inline constexpr Handle kInvalidHandle = ~Handle{0};

// Console coordinates are 0-based.
struct Coord {
  std::int16_t x = 0;
  std::int16_t y = 0;
};

// An inclusive rectangle of cells.
struct SmallRect {
  std::int16_t left = 0;
  std::int16_t top = 0;
  std::int16_t right = 0;
  std::int16_t bottom = 0;
};

// One console cell: a UTF-16 code unit and its attribute.
struct CharInfo {
  char16_t character = u' ';
  std::uint16_t attributes = 0;
};

struct ScreenBufferInfo {
  Coord size;
  Coord cursor_position;
  std::uint16_t attributes = 0;
  SmallRect window;
  Coord maximum_window_size;
};

struct CursorInfo {
  std::uint32_t size = 0;   // percentage of the cell the cursor fills
  std::int32_t visible = 0; // 0 hidden, non-zero shown
};

inline constexpr std::uint16_t kKeyEvent = 0x0001;
inline constexpr std::uint16_t kMouseEvent = 0x0002;
inline constexpr std::uint16_t kWindowBufferSizeEvent = 0x0004;
inline constexpr std::uint16_t kMenuEvent = 0x0008;
inline constexpr std::uint16_t kFocusEvent = 0x0010;

// Control-key state bits of a key event.
inline constexpr std::uint32_t kRightAltPressed = 0x0001;
inline constexpr std::uint32_t kLeftAltPressed = 0x0002;
inline constexpr std::uint32_t kRightCtrlPressed = 0x0004;
inline constexpr std::uint32_t kLeftCtrlPressed = 0x0008;
inline constexpr std::uint32_t kShiftPressed = 0x0010;
inline constexpr std::uint32_t kNumLockOn = 0x0020;
inline constexpr std::uint32_t kScrollLockOn = 0x0040;
inline constexpr std::uint32_t kCapsLockOn = 0x0080;
inline constexpr std::uint32_t kEnhancedKey = 0x0100;

struct KeyEvent {
  std::int32_t key_down = 0;
  std::uint16_t repeat_count = 1;
  std::uint16_t virtual_key_code = 0;
  std::uint16_t virtual_scan_code = 0;
  char16_t character = 0;
  std::uint32_t control_key_state = 0;
};

// An input record; of the events other than keys only the type matters.
struct InputRecord {
  std::uint16_t event_type = 0;
  KeyEvent key;
};

inline constexpr std::uint32_t kPlatformWin32Windows = 1;
inline constexpr std::uint32_t kPlatformWin32Nt = 2;

struct OsVersionInfo {
  std::uint32_t size = 0; // preset by the caller
  std::uint32_t major_version = 0;
  std::uint32_t minor_version = 0;
  std::uint32_t build_number = 0;
  std::uint32_t platform_id = 0;
  char service_pack[128] = {};
};

inline constexpr std::uint32_t kStartfUseShowWindow = 0x0001;
inline constexpr std::uint32_t kStartfUseStdHandles = 0x0100;
inline constexpr std::int32_t kSwShowDefault = 10;

struct StartupInfo {
  std::uint32_t flags = 0;
  std::uint16_t show_window = 0;
  Handle std_input = kNullHandle;
  Handle std_output = kNullHandle;
  Handle std_error = kNullHandle;
};

struct SystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t day_of_week = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

struct WindowRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// Which standard handle: the Windows values.
enum class StdHandle : std::int32_t { input = -10, output = -11, error = -12 };

inline constexpr std::uint32_t kGenericRead = 0x80000000U;
inline constexpr std::uint32_t kGenericWrite = 0x40000000U;
inline constexpr std::uint32_t kFileShareRead = 0x00000001U;
inline constexpr std::uint32_t kFileShareWrite = 0x00000002U;
inline constexpr std::uint32_t kOpenExisting = 3;

// Console modes.
inline constexpr std::uint32_t kEnableProcessedInput = 0x0001;
inline constexpr std::uint32_t kEnableLineInput = 0x0002;
inline constexpr std::uint32_t kEnableEchoInput = 0x0004;
inline constexpr std::uint32_t kEnableProcessedOutput = 0x0001;
inline constexpr std::uint32_t kEnableWrapAtEolOutput = 0x0002;

// Console control events.
inline constexpr std::uint32_t kCtrlCEvent = 0;
inline constexpr std::uint32_t kCtrlBreakEvent = 1;
inline constexpr std::uint32_t kCtrlCloseEvent = 2;
inline constexpr std::uint32_t kCtrlLogoffEvent = 5;
inline constexpr std::uint32_t kCtrlShutdownEvent = 6;

// Returns non-zero when the event was handled.
using CtrlHandler = std::int32_t (*)(std::uint32_t event);

// Menus.
inline constexpr std::uint32_t kScClose = 0xF060;
inline constexpr std::uint32_t kMfByCommand = 0x0000;
inline constexpr std::uint32_t kMfString = 0x0000;
inline constexpr std::uint32_t kMfByPosition = 0x0400;

// Message boxes.
inline constexpr std::uint32_t kMbOk = 0x0000;
inline constexpr std::uint32_t kMbTaskModal = 0x2000;
inline constexpr std::uint32_t kMbSetForeground = 0x10000;

inline constexpr std::uint32_t kTlsOutOfIndexes = 0xFFFFFFFFU;
inline constexpr std::uint32_t kCpAcp = 0;
inline constexpr std::uint32_t kMbPrecomposed = 0x0001;

class Platform {
public:
  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  virtual ~Platform() = default;

  // Process.
  virtual bool get_version_ex(OsVersionInfo& info) = 0;
  virtual void get_startup_info(StartupInfo& info) = 0;
  virtual const char16_t* get_command_line() = 0;
  virtual Handle get_module_handle() = 0;
  // Ends the process. The memory console returns control to its test
  // instead (see memory_console.h), so callers may not rely on anything
  // after this call running.
  [[noreturn]] virtual void exit_process(std::uint32_t exit_code) = 0;

  // Memory and threads.
  virtual void* global_alloc_zeroed(std::size_t bytes) = 0;
  // Gives null on success and the block itself on failure, as GlobalFree.
  virtual void* global_free(void* block) = 0;
  virtual std::uint32_t tls_alloc() = 0;
  virtual void* tls_get_value(std::uint32_t index) = 0;
  virtual bool tls_set_value(std::uint32_t index, void* value) = 0;
  virtual bool tls_free(std::uint32_t index) = 0;
  virtual void sleep(std::uint32_t milliseconds) = 0;

  // Console set-up.
  virtual Handle get_std_handle(StdHandle which) = 0;
  virtual Handle create_file(const char* name, std::uint32_t access, std::uint32_t share,
                             std::uint32_t disposition, std::uint32_t flags) = 0;
  virtual bool get_console_mode(Handle console, std::uint32_t& mode) = 0;
  virtual bool set_console_mode(Handle console, std::uint32_t mode) = 0;
  virtual bool set_console_ctrl_handler(CtrlHandler handler, bool add) = 0;

  // Console window.
  virtual std::uint32_t get_console_title(char16_t* buffer, std::uint32_t size) = 0;
  virtual bool set_console_title(const char16_t* title) = 0;
  virtual Handle find_window(const char16_t* title) = 0;
  // The console's own window (GetConsoleWindow); none when it has none.
  virtual Handle get_console_window() = 0;
  virtual Handle get_system_menu(Handle window, bool revert) = 0;
  virtual bool delete_menu(Handle menu, std::uint32_t position, std::uint32_t flags) = 0;
  virtual bool insert_menu(Handle menu, std::uint32_t position, std::uint32_t flags,
                           std::uintptr_t item_id, const char16_t* text) = 0;
  virtual bool draw_menu_bar(Handle window) = 0;
  virtual bool get_window_rect(Handle window, WindowRect& rect) = 0;
  virtual bool set_window_pos(Handle window, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) = 0;
  virtual bool set_foreground_window(Handle window) = 0;
  virtual bool lock_window_update(Handle window) = 0;

  // Screen.
  virtual bool get_console_screen_buffer_info(Handle console, ScreenBufferInfo& info) = 0;
  // Writes buffer_size cells of `buffer` (from buffer_coord) into `region`,
  // clipped to the screen buffer; `region` comes back as the part written.
  virtual bool write_console_output(Handle console, const CharInfo* buffer, Coord buffer_size,
                                    Coord buffer_coord, SmallRect& region) = 0;
  // Reads the cells of `region` into `buffer` laid out as buffer_size.
  virtual bool read_console_output(Handle console, CharInfo* buffer, Coord buffer_size,
                                   Coord buffer_coord, SmallRect& region) = 0;
  virtual bool set_console_cursor_position(Handle console, Coord position) = 0;
  virtual bool scroll_console_screen_buffer(Handle console, const SmallRect& scroll,
                                            const SmallRect* clip, Coord destination,
                                            const CharInfo& fill) = 0;
  virtual bool set_console_text_attribute(Handle console, std::uint16_t attributes) = 0;
  virtual bool fill_console_output_attribute(Handle console, std::uint16_t attributes,
                                             std::uint32_t length, Coord start,
                                             std::uint32_t& written) = 0;
  virtual bool fill_console_output_character(Handle console, char character, std::uint32_t length,
                                             Coord start, std::uint32_t& written) = 0;
  virtual bool get_console_cursor_info(Handle console, CursorInfo& info) = 0;
  virtual bool set_console_cursor_info(Handle console, const CursorInfo& info) = 0;
  virtual bool set_console_screen_buffer_size(Handle console, Coord size) = 0;
  virtual bool set_console_window_info(Handle console, bool absolute, const SmallRect& window) = 0;

  // Keyboard.
  virtual bool peek_console_input(Handle console, InputRecord& record, std::uint32_t& count) = 0;
  virtual bool read_console_input(Handle console, InputRecord& record, std::uint32_t& count) = 0;
  virtual void get_local_time(SystemTime& time) = 0;
  virtual bool message_beep(std::uint32_t type) = 0;

  // Text. Conversions measure when the output size is 0, as the Windows calls
  // do, and give 0 on failure.
  virtual int multi_byte_to_wide_char(std::uint32_t code_page, std::uint32_t flags,
                                      const char* source, int source_bytes, char16_t* output,
                                      int output_units) = 0;
  virtual int wide_char_to_multi_byte(std::uint32_t code_page, std::uint32_t flags,
                                      const char16_t* source, int source_units, char* output,
                                      int output_bytes) = 0;
  // Automation strings: a 32-bit byte count, the data, and a zero unit; the
  // handle points at the data. Null on failure.
  virtual char16_t* sys_alloc_string_len(const char16_t* source, std::uint32_t units) = 0;
  virtual char* sys_alloc_string_byte_len(const char* source, std::uint32_t bytes) = 0;
  virtual void sys_free_string(void* string) = 0;

  // Other.
  virtual std::int32_t message_box(Handle owner, const char* text, const char* caption,
                                   std::uint32_t type) = 0;
  virtual void co_initialize() = 0;
  virtual void co_uninitialize() = 0;
  virtual void variant_clear(void* variant) = 0;
  virtual bool close_handle(Handle handle) = 0;
  virtual bool find_close(Handle handle) = 0;
};

} // namespace platform
