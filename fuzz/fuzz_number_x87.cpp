// The number reader's integer arithmetic against the x87 unit, bit for bit:
// for arbitrary texts, for arbitrary digits times any power of ten from
// 10^-5000 to 10^5000, and for the rounding to a 32-bit integer. The x87
// side is the reader's arithmetic written plainly in long double, built only
// where that is the x87 extended format (tests/support/x87_number.h).
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/number.h"
#include "tests/support/x87_number.h"

namespace {

std::int32_t x87_round_to_int32(long double value) {
  if (std::isnan(value)) {
    return INT32_MIN;
  }
  const long double rounded = std::nearbyint(value);
  if (rounded < static_cast<long double>(INT32_MIN) ||
      rounded > static_cast<long double>(INT32_MAX)) {
    return INT32_MIN;
  }
  return static_cast<std::int32_t>(rounded);
}

void check(const NumberParts& parts) {
  const long double x87 = x87::value(parts);
  const Float80 portable = number_value(parts);
  FUZZ_CHECK(portable == x87::to_float80(x87));
  FUZZ_CHECK(runtime_round_to_int32(portable) == x87_round_to_int32(x87));
}

} // namespace

// Every power of ten the reader can meet, and those around them, once.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  runtime_load_fpu_control_word(kFpuControlWord);
  for (std::int64_t k = -5000; k <= 5000; ++k) {
    check({.digits = 1, .power = k});
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // Any 64-bit integer times any power of ten in the range, either sign.
  const NumberParts scaled{.negative = input.ConsumeBool(),
                           .digits = input.ConsumeIntegral<std::uint64_t>(),
                           .power = input.ConsumeIntegralInRange<std::int64_t>(-5000, 5000)};
  check(scaled);
  // And what the rest says as a text.
  const auto start = input.ConsumeIntegralInRange<std::int32_t>(-1, 8);
  const std::string text = input.ConsumeRemainingBytesAsString();
  check(parse_number(start, text));
  return 0;
}
