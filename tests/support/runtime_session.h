// The runtime set up over a memory console as start-up leaves it, without
// running a program: what the unit tests' fixture and the fuzz targets share.
// Free of any test framework, so that both can link it.
#pragma once

#include <optional>
#include <string_view>

#include "runtime/platform/memory/memory_console.h"
#include "runtime/state.h"
#include "runtime/string.h"

// For as long as it lives: fresh runtime state over `console`, platform set,
// output to the console's standard output, colours 7 on 0, pages 1, cursor
// record from the console, a thread-local slot with the main thread's record,
// the start-up floating-point mode, and one frame.
class RuntimeSession {
public:
  explicit RuntimeSession(platform::MemoryConsole& console);
  ~RuntimeSession();
  RuntimeSession(const RuntimeSession&) = delete;
  RuntimeSession& operator=(const RuntimeSession&) = delete;
  RuntimeSession(RuntimeSession&&) = delete;
  RuntimeSession& operator=(RuntimeSession&&) = delete;

  [[nodiscard]] RuntimeFrame& frame() { return *frame_; }
  [[nodiscard]] const RuntimeFrame& frame() const { return *frame_; }

private:
  platform::MemoryConsole& console_;
  std::optional<RuntimeFrame> frame_;
};

// A new UTF-16 or 8-bit string holding `text`, owned by the caller.
RuntimeString make_string16(std::u16string_view text);
RuntimeString make_string8(std::string_view text);
