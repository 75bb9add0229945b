// The Windows platform object against the real Windows API (under wine when
// cross-built): records converted field by field, text and string blocks as
// the runtime relies on them, and the console operations on a private screen
// buffer and the console's input queue.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/platform/win32/win32_console.h"
#include "runtime/platform/win32/win32_convert.h"
#include "runtime/startup.h"
#include "runtime/state.h"

namespace {

using namespace platform;

Platform& win32() {
  return win32_platform();
}

// The size the runtime presets in its version record.
constexpr std::uint32_t kVersionInfoBytes = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionInfoBytes);

// --- Record conversions -------------------------------------------------------

TEST(Win32Convert, KeyEventKeepsEveryField) {
  INPUT_RECORD native{};
  native.EventType = KEY_EVENT;
  native.Event.KeyEvent.bKeyDown = TRUE;
  native.Event.KeyEvent.wRepeatCount = 3;
  native.Event.KeyEvent.wVirtualKeyCode = 0x41;
  native.Event.KeyEvent.wVirtualScanCode = 0x1E;
  native.Event.KeyEvent.uChar.UnicodeChar = L'\x00e9';
  native.Event.KeyEvent.dwControlKeyState = LEFT_ALT_PRESSED | ENHANCED_KEY;

  const InputRecord record = win32::from_native(native);
  EXPECT_EQ(record.event_type, kKeyEvent);
  EXPECT_EQ(record.key.key_down, 1);
  EXPECT_EQ(record.key.repeat_count, 3);
  EXPECT_EQ(record.key.virtual_key_code, 0x41);
  EXPECT_EQ(record.key.virtual_scan_code, 0x1E);
  EXPECT_EQ(record.key.character, u'\u00e9');
  EXPECT_EQ(record.key.control_key_state, kLeftAltPressed | kEnhancedKey);
}

TEST(Win32Convert, OtherEventsKeepOnlyTheirType) {
  for (const std::uint16_t type : {kMouseEvent, kWindowBufferSizeEvent, kMenuEvent, kFocusEvent}) {
    INPUT_RECORD native{};
    native.EventType = type;
    // Whatever the union holds must not turn into a key.
    std::memset(&native.Event, 0x5A, sizeof(native.Event));
    const InputRecord record = win32::from_native(native);
    EXPECT_EQ(record.event_type, type);
    EXPECT_EQ(record.key.key_down, 0) << type;
    EXPECT_EQ(record.key.character, 0) << type;
  }
}

TEST(Win32Convert, ScreenBufferInfoFieldsLandInTheirPlaces) {
  // Every field distinct, so a swapped pair cannot pass.
  CONSOLE_SCREEN_BUFFER_INFO native{};
  native.dwSize = {120, 300};
  native.dwCursorPosition = {7, 42};
  native.wAttributes = 0x1E;
  native.srWindow = {3, 40, 82, 64};
  native.dwMaximumWindowSize = {130, 50};

  const ScreenBufferInfo info = win32::from_native(native);
  EXPECT_EQ(info.size.x, 120);
  EXPECT_EQ(info.size.y, 300);
  EXPECT_EQ(info.cursor_position.x, 7);
  EXPECT_EQ(info.cursor_position.y, 42);
  EXPECT_EQ(info.attributes, 0x1E);
  EXPECT_EQ(info.window.left, 3);
  EXPECT_EQ(info.window.top, 40);
  EXPECT_EQ(info.window.right, 82);
  EXPECT_EQ(info.window.bottom, 64);
  EXPECT_EQ(info.maximum_window_size.x, 130);
  EXPECT_EQ(info.maximum_window_size.y, 50);
}

TEST(Win32Convert, TimeStartupAndVersionRecords) {
  const SYSTEMTIME time{2026, 12, 2, 8, 14, 59, 58, 999};
  const SystemTime converted = win32::from_native(time);
  EXPECT_EQ(converted.year, 2026);
  EXPECT_EQ(converted.month, 12);
  EXPECT_EQ(converted.day_of_week, 2);
  EXPECT_EQ(converted.day, 8);
  EXPECT_EQ(converted.hour, 14);
  EXPECT_EQ(converted.minute, 59);
  EXPECT_EQ(converted.second, 58);
  EXPECT_EQ(converted.milliseconds, 999);

  STARTUPINFOA startup{};
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINIMIZED;
  startup.hStdInput = reinterpret_cast<HANDLE>(0x10);
  startup.hStdOutput = reinterpret_cast<HANDLE>(0x20);
  startup.hStdError = reinterpret_cast<HANDLE>(0x30);
  const StartupInfo info = win32::from_native(startup);
  EXPECT_EQ(info.flags, kStartfUseStdHandles | kStartfUseShowWindow);
  EXPECT_EQ(info.show_window, SW_SHOWMINIMIZED);
  EXPECT_EQ(info.std_input, 0x10U);
  EXPECT_EQ(info.std_output, 0x20U);
  EXPECT_EQ(info.std_error, 0x30U);

  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  version.dwMajorVersion = 10;
  version.dwMinorVersion = 1;
  version.dwBuildNumber = 19045;
  version.dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::strcpy(version.szCSDVersion, "Service Pack 9");
  const OsVersionInfo os = win32::from_native(version);
  EXPECT_EQ(os.size, kVersionInfoBytes);
  EXPECT_EQ(os.major_version, 10U);
  EXPECT_EQ(os.minor_version, 1U);
  EXPECT_EQ(os.build_number, 19045U);
  EXPECT_EQ(os.platform_id, kPlatformWin32Nt);
  EXPECT_STREQ(os.service_pack, "Service Pack 9");
}

// --- Process, memory, threads -------------------------------------------------------

TEST(Win32Process, VersionQueryReportsNtAndRejectsAWrongSize) {
  OsVersionInfo info;
  info.size = kVersionInfoBytes;
  ASSERT_TRUE(win32().get_version_ex(info));
  EXPECT_EQ(info.platform_id, kPlatformWin32Nt);

  OsVersionInfo unsized;
  EXPECT_FALSE(win32().get_version_ex(unsized));
}

TEST(Win32Process, CommandLineAndModule) {
  const char16_t* line = win32().get_command_line();
  ASSERT_NE(line, nullptr);
  const std::u16string text(line);
  EXPECT_NE(text.find(u"windows_tests"), std::u16string::npos);
  EXPECT_NE(win32().get_module_handle(), kNullHandle);
}

TEST(Win32Memory, GlobalBlocksComeZeroFilledAndFreeGivesNull) {
  constexpr std::size_t kBytes = 4096;
  auto* block = static_cast<unsigned char*>(win32().global_alloc_zeroed(kBytes));
  ASSERT_NE(block, nullptr);
  for (std::size_t i = 0; i < kBytes; ++i) {
    ASSERT_EQ(block[i], 0) << i;
  }
  EXPECT_EQ(win32().global_free(block), nullptr);
}

TEST(Win32Memory, ThreadLocalSlotHoldsOnePointer) {
  const std::uint32_t slot = win32().tls_alloc();
  ASSERT_NE(slot, kTlsOutOfIndexes);
  int value = 0;
  EXPECT_EQ(win32().tls_get_value(slot), nullptr);
  EXPECT_TRUE(win32().tls_set_value(slot, &value));
  EXPECT_EQ(win32().tls_get_value(slot), &value);
  EXPECT_TRUE(win32().tls_free(slot));
}

// --- Text and automation strings ----------------------------------------------------

TEST(Win32Text, CodePage1252MeasuresThenConverts) {
  const char source[] = "a\xB7z";
  const int units = win32().multi_byte_to_wide_char(1252, kMbPrecomposed, source, 3, nullptr, 0);
  ASSERT_EQ(units, 3);
  std::u16string wide(3, u'\0');
  ASSERT_EQ(win32().multi_byte_to_wide_char(1252, kMbPrecomposed, source, 3, wide.data(), units),
            3);
  EXPECT_EQ(wide, u"a\u00b7z");

  const int bytes = win32().wide_char_to_multi_byte(1252, 0, wide.data(), 3, nullptr, 0);
  ASSERT_EQ(bytes, 3);
  std::string narrow(3, '\0');
  ASSERT_EQ(win32().wide_char_to_multi_byte(1252, 0, wide.data(), 3, narrow.data(), bytes), 3);
  EXPECT_EQ(narrow, "a\xB7z");
}

TEST(Win32Text, Utf8WithoutFlagsGivesTheReplacementCharacterForALoneMiddleDotByte) {
  char16_t unit = 0;
  EXPECT_EQ(win32().multi_byte_to_wide_char(65001, 0, "\xB7", 1, &unit, 1), 1);
  EXPECT_EQ(unit, u'\uFFFD');
}

TEST(Win32Text, ConversionFailureGivesZero) {
  const char source[] = "abc";
  // No such code page; and an output too small for the text.
  EXPECT_EQ(win32().multi_byte_to_wide_char(54321, 0, source, 3, nullptr, 0), 0);
  char16_t small[1];
  EXPECT_EQ(win32().multi_byte_to_wide_char(1252, kMbPrecomposed, source, 3, small, 1), 0);
}

std::uint32_t byte_count_before(const void* data) {
  std::uint32_t count = 0;
  std::memcpy(&count, static_cast<const unsigned char*>(data) - sizeof(count), sizeof(count));
  return count;
}

TEST(Win32Strings, BlocksCarryTheirByteCountAndAZeroUnit) {
  char16_t* wide = win32().sys_alloc_string_len(u"xyz", 3);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(byte_count_before(wide), 6U);
  EXPECT_EQ(std::u16string(wide, 3), u"xyz");
  EXPECT_EQ(wide[3], u'\0');
  win32().sys_free_string(wide);

  // Without a source the block is there, of the right size, to be filled.
  char16_t* empty_wide = win32().sys_alloc_string_len(nullptr, 5);
  ASSERT_NE(empty_wide, nullptr);
  EXPECT_EQ(byte_count_before(empty_wide), 10U);
  EXPECT_EQ(empty_wide[5], u'\0');
  win32().sys_free_string(empty_wide);

  char* narrow = win32().sys_alloc_string_byte_len(nullptr, 5);
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(byte_count_before(narrow), 5U);
  EXPECT_EQ(narrow[5], '\0');
  win32().sys_free_string(narrow);
}

// --- The console ------------------------------------------------------------------------

// A process started without a console (as under CTest, with pipes for its
// standard handles) gets a fresh one; the tests then work on a private
// screen buffer of it and on its input queue.
class Win32Console : public ::testing::Test {
protected:
  static void SetUpTestSuite() { available_ = attach_console(); }

  // Whether the console is this process's alone (made by attach_console),
  // so that a control event raised on it reaches no other process.
  static bool own_console() { return own_console_; }

  void SetUp() override {
    if (!available_) {
      GTEST_SKIP() << "no console to test against";
    }
    buffer_ =
        CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
    ASSERT_NE(buffer_, INVALID_HANDLE_VALUE);
    // A buffer cannot be smaller than its window: the window shrinks first.
    ASSERT_TRUE(
        win32().set_console_window_info(screen(), true, SmallRect{0, 0, kColumns - 1, kRows - 1}));
    ASSERT_TRUE(win32().set_console_screen_buffer_size(screen(), Coord{kColumns, kRows}));
    input_ = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(input_, INVALID_HANDLE_VALUE);
    FlushConsoleInputBuffer(input_);
  }

  void TearDown() override {
    if (buffer_ != nullptr && buffer_ != INVALID_HANDLE_VALUE) {
      CloseHandle(buffer_);
    }
    if (input_ != nullptr && input_ != INVALID_HANDLE_VALUE) {
      CloseHandle(input_);
    }
  }

  static bool attach_console() {
    if (console_answers()) {
      return true;
    }
    FreeConsole();
    if (AllocConsole() == FALSE) {
      return false;
    }
    own_console_ = true;
    // A new console takes a moment before it takes input.
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (console_answers()) {
        return true;
      }
      Sleep(20);
    }
    return false;
  }

  static bool console_answers() {
    HANDLE in = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) {
      return false;
    }
    INPUT_RECORD probe{};
    probe.EventType = FOCUS_EVENT;
    DWORD written = 0;
    const bool answers = WriteConsoleInputW(in, &probe, 1, &written) != FALSE && written == 1;
    FlushConsoleInputBuffer(in);
    CloseHandle(in);
    return answers;
  }

  Handle screen() const { return win32::handle(buffer_); }
  Handle input() const { return win32::handle(input_); }

  std::vector<CharInfo> row_cells(std::int16_t row) {
    std::vector<CharInfo> cells(kColumns);
    SmallRect region{0, row, kColumns - 1, row};
    EXPECT_TRUE(win32().read_console_output(screen(), cells.data(), Coord{kColumns, 1}, Coord{0, 0},
                                            region));
    return cells;
  }

  std::u16string row_text(std::int16_t row) {
    std::u16string text;
    for (const CharInfo& cell : row_cells(row)) {
      text += cell.character;
    }
    return text;
  }

  void write_row_text(std::int16_t column, std::int16_t row, std::u16string_view text,
                      std::uint16_t attributes) {
    std::vector<CharInfo> cells;
    for (const char16_t unit : text) {
      cells.push_back(CharInfo{unit, attributes});
    }
    const auto length = static_cast<std::int16_t>(cells.size());
    SmallRect region{column, row, static_cast<std::int16_t>(column + length - 1), row};
    ASSERT_TRUE(win32().write_console_output(screen(), cells.data(), Coord{length, 1}, Coord{0, 0},
                                             region));
  }

  void push_input(const std::vector<INPUT_RECORD>& records) {
    DWORD written = 0;
    ASSERT_TRUE(
        WriteConsoleInputW(input_, records.data(), static_cast<DWORD>(records.size()), &written));
    ASSERT_EQ(written, records.size());
  }

  static constexpr std::int16_t kColumns = 40;
  static constexpr std::int16_t kRows = 10;

private:
  static inline bool available_ = false;
  static inline bool own_console_ = false;
  HANDLE buffer_ = nullptr;
  HANDLE input_ = nullptr;
};

TEST_F(Win32Console, CellsGoInAsWrittenAndNothingIsInterpreted) {
  // Control units are cells like any other; the cursor does not move.
  write_row_text(2, 3, std::u16string_view(u"A\r\n\t\u00b7\0Z", 7), 0x1E);
  const std::vector<CharInfo> cells = row_cells(3);
  const std::u16string expected = u"A\r\n\t\u00b7";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(cells[2 + i].character, expected[i]) << i;
    EXPECT_EQ(cells[2 + i].attributes, 0x1E) << i;
  }
  EXPECT_EQ(cells[7].character, u'\0');
  EXPECT_EQ(cells[8].character, u'Z');

  ScreenBufferInfo info;
  ASSERT_TRUE(win32().get_console_screen_buffer_info(screen(), info));
  EXPECT_EQ(info.size.x, kColumns);
  EXPECT_EQ(info.size.y, kRows);
  EXPECT_EQ(info.cursor_position.x, 0);
  EXPECT_EQ(info.cursor_position.y, 0);
}

TEST_F(Win32Console, WriteIsClippedToTheBufferAndReportsWhatItWrote) {
  std::array<CharInfo, 5> cells{};
  for (CharInfo& cell : cells) {
    cell = CharInfo{u'#', 0x4F};
  }
  SmallRect region{kColumns - 2, 1, kColumns + 2, 1};
  ASSERT_TRUE(
      win32().write_console_output(screen(), cells.data(), Coord{5, 1}, Coord{0, 0}, region));
  EXPECT_EQ(region.left, kColumns - 2);
  EXPECT_EQ(region.right, kColumns - 1);
  EXPECT_EQ(row_text(1).substr(kColumns - 3), u" ##");
}

TEST_F(Win32Console, ScrollMovesTheRectangleAndFillsWhatItUncovers) {
  write_row_text(0, 0, u"top", 7);
  write_row_text(0, 1, u"second", 7);
  const SmallRect below_top{0, 1, kColumns - 1, kRows - 1};
  ASSERT_TRUE(win32().scroll_console_screen_buffer(screen(), below_top, nullptr, Coord{0, 0},
                                                   CharInfo{u'.', 0x2A}));
  EXPECT_EQ(row_text(0).substr(0, 6), u"second");
  const std::vector<CharInfo> last = row_cells(kRows - 1);
  EXPECT_EQ(last.front().character, u'.');
  EXPECT_EQ(last.front().attributes, 0x2A);
  EXPECT_EQ(last.back().attributes, 0x2A);
}

TEST_F(Win32Console, FillsRunOnIntoTheFollowingRows) {
  write_row_text(0, 2, u"keep these characters", 7);
  std::uint32_t written = 0;
  ASSERT_TRUE(
      win32().fill_console_output_attribute(screen(), 0x70, kColumns + 5, Coord{3, 2}, written));
  EXPECT_EQ(written, static_cast<std::uint32_t>(kColumns + 5));
  const std::vector<CharInfo> row2 = row_cells(2);
  const std::vector<CharInfo> row3 = row_cells(3);
  EXPECT_EQ(row2[2].attributes, 7);
  EXPECT_EQ(row2[3].attributes, 0x70);
  EXPECT_EQ(row2[3].character, u'p');
  EXPECT_EQ(row3[7].attributes, 0x70);
  EXPECT_EQ(row3[8].attributes, 7);

  ASSERT_TRUE(win32().fill_console_output_character(screen(), 'x', kColumns, Coord{kColumns - 1, 4},
                                                    written));
  EXPECT_EQ(written, static_cast<std::uint32_t>(kColumns));
  EXPECT_EQ(row_cells(4).back().character, u'x');
  EXPECT_EQ(row_text(5).substr(0, kColumns - 1), std::u16string(kColumns - 1, u'x'));
  EXPECT_EQ(row_cells(5).back().character, u' ');

  // A length of 0 is a valid call that writes nothing.
  written = 9;
  EXPECT_TRUE(win32().fill_console_output_attribute(screen(), 0x70, 0, Coord{0, 6}, written));
  EXPECT_TRUE(win32().fill_console_output_character(screen(), 'x', 0, Coord{0, 6}, written));
  EXPECT_EQ(written, 0U);
  EXPECT_EQ(row_cells(6).front().attributes, 7);
}

TEST_F(Win32Console, CursorPositionAndShape) {
  ASSERT_TRUE(win32().set_console_cursor_position(screen(), Coord{11, 6}));
  ScreenBufferInfo info;
  ASSERT_TRUE(win32().get_console_screen_buffer_info(screen(), info));
  EXPECT_EQ(info.cursor_position.x, 11);
  EXPECT_EQ(info.cursor_position.y, 6);

  ASSERT_TRUE(win32().set_console_cursor_info(screen(), CursorInfo{57, 0}));
  CursorInfo cursor;
  ASSERT_TRUE(win32().get_console_cursor_info(screen(), cursor));
  EXPECT_EQ(cursor.size, 57U);
  EXPECT_EQ(cursor.visible, 0);

  EXPECT_TRUE(win32().set_console_text_attribute(screen(), 0x1F));
  ASSERT_TRUE(win32().get_console_screen_buffer_info(screen(), info));
  EXPECT_EQ(info.attributes, 0x1F);
}

INPUT_RECORD key_record(bool down, WORD scan, wchar_t character, DWORD state = 0) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
  record.Event.KeyEvent.wRepeatCount = 1;
  record.Event.KeyEvent.wVirtualScanCode = scan;
  record.Event.KeyEvent.uChar.UnicodeChar = character;
  record.Event.KeyEvent.dwControlKeyState = state;
  return record;
}

TEST_F(Win32Console, PeekLeavesTheHeadAndReadTakesItInArrivalOrder) {
  INPUT_RECORD focus{};
  focus.EventType = FOCUS_EVENT;
  push_input({key_record(true, 0x1E, L'a', LEFT_ALT_PRESSED), key_record(false, 0x1E, L'a'), focus,
              key_record(true, 0x01, L'\x1b')});

  InputRecord record;
  std::uint32_t count = 0;
  for (int look = 0; look < 2; ++look) {
    ASSERT_TRUE(win32().peek_console_input(input(), record, count));
    ASSERT_EQ(count, 1U);
    EXPECT_EQ(record.event_type, kKeyEvent);
    EXPECT_EQ(record.key.key_down, 1);
    EXPECT_EQ(record.key.virtual_scan_code, 0x1E);
    EXPECT_EQ(record.key.character, u'a');
    EXPECT_EQ(record.key.control_key_state & kLeftAltPressed, kLeftAltPressed);
  }

  const std::array<std::pair<std::uint16_t, char16_t>, 4> expected{
      {{kKeyEvent, u'a'}, {kKeyEvent, u'a'}, {kFocusEvent, 0}, {kKeyEvent, u'\x1b'}}};
  for (const auto& [type, character] : expected) {
    record = InputRecord{};
    ASSERT_TRUE(win32().read_console_input(input(), record, count));
    ASSERT_EQ(count, 1U);
    EXPECT_EQ(record.event_type, type);
    if (type == kKeyEvent) {
      EXPECT_EQ(record.key.character, character);
    }
  }
  ASSERT_TRUE(win32().peek_console_input(input(), record, count));
  EXPECT_EQ(count, 0U);
}

std::atomic<std::uint32_t> g_events_seen{0};
std::atomic<std::uint32_t> g_last_event{0xFFFFFFFFU};

std::int32_t record_ctrl_event(std::uint32_t event) {
  g_last_event = event;
  ++g_events_seen;
  return 1;
}

std::int32_t never_registered(std::uint32_t /*event*/) {
  return 0;
}

TEST_F(Win32Console, ControlEventsReachTheHandlerThroughTheTrampoline) {
  if (!own_console()) {
    GTEST_SKIP() << "the console is shared: a control event would reach other processes";
  }
  ASSERT_TRUE(win32().set_console_ctrl_handler(&record_ctrl_event, true));
  // Removing a handler that was never added changes nothing.
  EXPECT_FALSE(win32().set_console_ctrl_handler(&never_registered, false));
  // Reported handled, so the process goes on after the event. (Wine raises
  // Ctrl+C on a console but not Ctrl+Break.)
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  for (int wait = 0; wait < 200 && g_events_seen == 0; ++wait) {
    Sleep(10);
  }
  EXPECT_EQ(g_events_seen.load(), 1U);
  EXPECT_EQ(g_last_event.load(), kCtrlCEvent);
  EXPECT_TRUE(win32().set_console_ctrl_handler(&record_ctrl_event, false));
}

TEST_F(Win32Console, TitleReadBackAsSet) {
  std::array<char16_t, 256> before{};
  const std::uint32_t length = win32().get_console_title(before.data(), before.size());
  ASSERT_TRUE(win32().set_console_title(u"colour test \u00b7 title"));
  std::array<char16_t, 256> now{};
  ASSERT_EQ(win32().get_console_title(now.data(), now.size()), 19U);
  EXPECT_EQ(std::u16string(now.data()), u"colour test \u00b7 title");
  win32().set_console_title(std::u16string(before.data(), length).c_str());
}

// A top-level window of this process that carries the title the lookup
// marks the console with, as a terminal's window carries the console's title
// (Windows Terminal): it is not the console's window, so the console guard
// leaves its system menu alone, at start-up and at shutdown.
TEST_F(Win32Console, TheGuardLeavesAWindowThatIsNotTheConsolesAlone) {
  std::array<wchar_t, 1024> title{};
  GetConsoleTitleW(title.data(), static_cast<DWORD>(title.size()));
  const std::wstring marked = std::wstring(title.data()) + L"       ";
  HWND other = CreateWindowExW(0, L"STATIC", marked.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (other == nullptr) {
    GTEST_SKIP() << "no window can be made here";
  }
  HMENU menu = GetSystemMenu(other, FALSE);
  ASSERT_NE(menu, nullptr);
  const int items = GetMenuItemCount(menu);

  RuntimeState& state = runtime_state();
  state = RuntimeState{};
  state.platform = &win32();
  runtime_console_guard(true);
  EXPECT_NE(state.console_window, reinterpret_cast<Handle>(other));
  EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1))
      << "Close was removed from another window's menu";
  runtime_console_guard(false);
  EXPECT_EQ(GetMenuItemCount(menu), items) << "the other window's menu changed";
  state = RuntimeState{};
  DestroyWindow(other);
}

} // namespace
