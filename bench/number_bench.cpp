// The number reader's cost: parsing a text and computing its value in the
// integer arithmetic every CPU shares (as string_to_number does, without the
// string's release), against the same parse with the arithmetic on the x87
// unit.
#include <benchmark/benchmark.h>

#include <string_view>

#include "runtime/number.h"
#include "tests/support/x87_number.h"

namespace {

constexpr std::string_view kShortEntry = "14";
constexpr std::string_view kNineteenDigits = "1234567890123456789";
constexpr std::string_view kLargeExponent = "1.2345678901234567e-4900";

void portable(benchmark::State& state, std::string_view text) {
  for ([[maybe_unused]] auto _ : state) {
    benchmark::DoNotOptimize(number_value(parse_number(1, text)));
  }
}

void on_x87(benchmark::State& state, std::string_view text) {
  for ([[maybe_unused]] auto _ : state) {
    benchmark::DoNotOptimize(x87::value(parse_number(1, text)));
  }
}

} // namespace

BENCHMARK_CAPTURE(portable, short_entry, kShortEntry);
BENCHMARK_CAPTURE(on_x87, short_entry, kShortEntry);
BENCHMARK_CAPTURE(portable, nineteen_digits, kNineteenDigits);
BENCHMARK_CAPTURE(on_x87, nineteen_digits, kNineteenDigits);
BENCHMARK_CAPTURE(portable, large_exponent, kLargeExponent);
BENCHMARK_CAPTURE(on_x87, large_exponent, kLargeExponent);

BENCHMARK_MAIN();
