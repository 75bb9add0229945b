// Run-time errors: recorded in the calling procedure's frame, never thrown;
// the highest numbers end the process at once.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kErrorIllegalCall = 5;
inline constexpr std::int32_t kErrorOutOfMemory = 7;
inline constexpr std::int32_t kErrorZeroRecordedAs = 51;
inline constexpr std::int32_t kErrorFatalFirst = 241;
inline constexpr std::uint32_t kFatalExitCode = 255;

// Records `number` (0 is recorded as 51) in the calling frame's error word;
// 241 and above end the process with exit code 255, no message, no shutdown.
void runtime_raise_error(std::int32_t number);
// The variant that takes any integer: outside 1..255 raises 5 instead.
void runtime_raise_error_checked(std::int32_t number);

// The calling frame's error number: read; read and cleared; cleared; set
// without raising.
std::int32_t runtime_error_number();
std::int32_t runtime_take_error();
void runtime_clear_error();
void runtime_set_error(std::int32_t number);
