// What the fuzz targets share: the runtime set up over a memory console as
// start-up leaves it (the unit tests' fixture without GoogleTest), strings
// made from fuzz data, and a check that stops the run with a message.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/platform/memory/memory_console.h"
#include "runtime/state.h"
#include "runtime/string.h"
#include "tests/support/runtime_session.h"

// The runtime over a memory console of its own (see RuntimeSession).
class FuzzRuntime {
public:
  FuzzRuntime() : FuzzRuntime(platform::MemoryConsole::Config{}) {}
  explicit FuzzRuntime(platform::MemoryConsole::Config config)
      : console(std::move(config)), session_(console) {}
  ~FuzzRuntime() = default;
  FuzzRuntime(const FuzzRuntime&) = delete;
  FuzzRuntime& operator=(const FuzzRuntime&) = delete;
  FuzzRuntime(FuzzRuntime&&) = delete;
  FuzzRuntime& operator=(FuzzRuntime&&) = delete;

  // The error number recorded in the frame.
  [[nodiscard]] int error() const { return session_.frame().error_word & 0xFF; }
  void clear_error() { session_.frame().error_word = 0; }

  platform::MemoryConsole console;

private:
  RuntimeSession session_;
};

// Bytes read as little-endian UTF-16 units; an odd last byte is dropped.
std::u16string fuzz_units16(std::string_view bytes);

// Up to `steps` times, while the data lasts, runs the one of `operations`
// that the data picks.
template <typename... Operations>
void run_fuzz_steps(FuzzedDataProvider& input, int steps, Operations... operations) {
  const std::array<std::function<void()>, sizeof...(Operations)> table{operations...};
  for (int step = 0; step < steps && input.remaining_bytes() > 0; ++step) {
    table[input.ConsumeIntegralInRange<std::size_t>(0, table.size() - 1)]();
  }
}

// Reports a broken invariant and aborts, which libFuzzer records as a crash
// with the input that caused it.
[[noreturn]] void fuzz_fail(const char* file, int line, const char* condition);

// The condition's text goes into the report, which only a macro can give.
// NOLINTNEXTLINE(cppcoreguidelines-macro-usage)
#define FUZZ_CHECK(condition)                                                                      \
  ((condition) ? static_cast<void>(0) : fuzz_fail(__FILE__, __LINE__, #condition))
