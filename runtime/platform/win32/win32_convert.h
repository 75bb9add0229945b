// Conversions between the platform interface's records and the Windows API's
// own. The records are laid out alike, but only the cell and the UTF-16 unit
// are passed through by pointer (arrays of them cross the API); everything
// else is converted field by field, so a difference in padding or field order
// cannot slip through.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstddef>

#include "runtime/platform/platform.h"

namespace platform::win32 {

// UTF-16 text crosses the API as wchar_t, which is a 16-bit unit on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be a UTF-16 unit on Windows");

// Arrays of cells cross the API as they are: CHAR_INFO is a 16-bit union of
// the UTF-16 and 8-bit character followed by the 16-bit attribute.
static_assert(sizeof(CHAR_INFO) == sizeof(CharInfo));
static_assert(offsetof(CHAR_INFO, Char) == offsetof(CharInfo, character));
static_assert(offsetof(CHAR_INFO, Attributes) == offsetof(CharInfo, attributes));

inline const wchar_t* wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* wide(char16_t* text) {
  return reinterpret_cast<wchar_t*>(text);
}
inline const char16_t* utf16(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}
inline char16_t* utf16(wchar_t* text) {
  return reinterpret_cast<char16_t*>(text);
}

inline const CHAR_INFO* cells(const CharInfo* buffer) {
  return reinterpret_cast<const CHAR_INFO*>(buffer);
}
inline CHAR_INFO* cells(CharInfo* buffer) {
  return reinterpret_cast<CHAR_INFO*>(buffer);
}

// Handles travel through the interface as integers; Windows takes them as
// pointers again.
// NOLINTBEGIN(performance-no-int-to-ptr)
inline HANDLE native(Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}
inline HWND window(Handle handle) {
  return reinterpret_cast<HWND>(handle);
}
inline HMENU menu(Handle handle) {
  return reinterpret_cast<HMENU>(handle);
}
// NOLINTEND(performance-no-int-to-ptr)
template <typename T>
Handle handle(T* native_handle) {
  return reinterpret_cast<Handle>(native_handle);
}

inline COORD to_native(Coord coord) {
  return COORD{coord.x, coord.y};
}
inline Coord from_native(COORD coord) {
  return Coord{coord.X, coord.Y};
}

inline SMALL_RECT to_native(const SmallRect& rect) {
  return SMALL_RECT{rect.left, rect.top, rect.right, rect.bottom};
}
inline SmallRect from_native(const SMALL_RECT& rect) {
  return SmallRect{rect.Left, rect.Top, rect.Right, rect.Bottom};
}

inline CHAR_INFO to_native(const CharInfo& cell) {
  CHAR_INFO native_cell{};
  // The union of the 8-bit and UTF-16 character: cells are written as UTF-16.
  native_cell.Char.UnicodeChar = // NOLINT(cppcoreguidelines-pro-type-union-access)
      static_cast<wchar_t>(cell.character);
  native_cell.Attributes = cell.attributes;
  return native_cell;
}

inline ScreenBufferInfo from_native(const CONSOLE_SCREEN_BUFFER_INFO& info) {
  ScreenBufferInfo result;
  result.size = from_native(info.dwSize);
  result.cursor_position = from_native(info.dwCursorPosition);
  result.attributes = info.wAttributes;
  result.window = from_native(info.srWindow);
  result.maximum_window_size = from_native(info.dwMaximumWindowSize);
  return result;
}

inline CursorInfo from_native(const CONSOLE_CURSOR_INFO& info) {
  return CursorInfo{static_cast<std::uint32_t>(info.dwSize),
                    static_cast<std::int32_t>(info.bVisible)};
}
inline CONSOLE_CURSOR_INFO to_native(const CursorInfo& info) {
  return CONSOLE_CURSOR_INFO{static_cast<DWORD>(info.size), static_cast<BOOL>(info.visible)};
}

// Of the events other than keys only the type is kept.
inline InputRecord from_native(const INPUT_RECORD& record) {
  InputRecord result;
  result.event_type = record.EventType;
  if (record.EventType == KEY_EVENT) {
    // The event type says which member of the union is there.
    const KEY_EVENT_RECORD& key =
        record.Event.KeyEvent; // NOLINT(cppcoreguidelines-pro-type-union-access)
    result.key.key_down = static_cast<std::int32_t>(key.bKeyDown);
    result.key.repeat_count = key.wRepeatCount;
    result.key.virtual_key_code = key.wVirtualKeyCode;
    result.key.virtual_scan_code = key.wVirtualScanCode;
    result.key.character = static_cast<char16_t>(
        key.uChar.UnicodeChar); // NOLINT(cppcoreguidelines-pro-type-union-access)
    result.key.control_key_state = static_cast<std::uint32_t>(key.dwControlKeyState);
  }
  return result;
}

inline OsVersionInfo from_native(const OSVERSIONINFOA& info) {
  OsVersionInfo result;
  result.size = info.dwOSVersionInfoSize;
  result.major_version = info.dwMajorVersion;
  result.minor_version = info.dwMinorVersion;
  result.build_number = info.dwBuildNumber;
  result.platform_id = info.dwPlatformId;
  static_assert(sizeof(result.service_pack) == sizeof(info.szCSDVersion));
  for (std::size_t i = 0; i < sizeof(result.service_pack); ++i) {
    result.service_pack[i] = info.szCSDVersion[i];
  }
  return result;
}

inline StartupInfo from_native(const STARTUPINFOA& info) {
  StartupInfo result;
  result.flags = info.dwFlags;
  result.show_window = info.wShowWindow;
  result.std_input = handle(info.hStdInput);
  result.std_output = handle(info.hStdOutput);
  result.std_error = handle(info.hStdError);
  return result;
}

inline SystemTime from_native(const SYSTEMTIME& time) {
  return SystemTime{time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                    time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

inline WindowRect from_native(const RECT& rect) {
  return WindowRect{static_cast<std::int32_t>(rect.left), static_cast<std::int32_t>(rect.top),
                    static_cast<std::int32_t>(rect.right), static_cast<std::int32_t>(rect.bottom)};
}

} // namespace platform::win32
