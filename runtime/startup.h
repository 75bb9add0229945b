// The process: start-up, shutdown, the console guard and the console window.
#pragma once

#include <cstdint>

#include "runtime/platform/platform.h"
#include "runtime/program.h"

inline constexpr std::uint32_t kTitleBufferUnits = 256;
inline constexpr std::uint32_t kTitleDancePauseMs = 200;

// The process entry: prepares everything, calls the program's main routine
// once and ends the process with its result. Never returns.
[[noreturn]] void runtime_start(platform::Platform& platform, const ProgramDefinition& program);

// Releases what the runtime holds, removes the console guard and ends the
// process with `exit_code`.
[[noreturn]] void runtime_shutdown(std::int32_t exit_code);

// Clears the global-variable area, resets the runtime state to its initial
// values and loads the FPU control word.
void runtime_init_program();

// The console window's handle, looked up (with the title dance) on first need;
// none when the window the title finds is not the console's own.
platform::Handle runtime_console_window();

// Applies (registers the control handler, removes the Close item) or removes
// (unregisters, puts "Close" back at position 6) the console guard.
void runtime_console_guard(bool apply);

// Handled (1) for Ctrl+C, Ctrl+Break and close; 0 for every other event.
std::int32_t runtime_ctrl_handler(std::uint32_t event);

// Walks a release table whose offsets count from `base`.
void runtime_walk_release_table(const std::uint32_t* table, std::uint8_t* base);
