// string_verify over arbitrary text, set and start: the result is 0 or the
// first position from the start whose unit is not in the set.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"

namespace {

bool in_set(std::u16string_view set, char16_t unit) {
  return set.find(unit) != std::u16string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FuzzRuntime runtime;
  FuzzedDataProvider input(data, size);
  const auto start = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::int32_t>(-2, 40)
                                         : input.ConsumeIntegral<std::int32_t>();
  const std::u16string set =
      fuzz_units16(input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 24)));
  const std::u16string text = fuzz_units16(input.ConsumeRemainingBytesAsString());

  const RuntimeString text_value = make_string16(text);
  const RuntimeString set_value = make_string16(set);
  const std::int32_t result = string_verify(start, text_value, set_value);
  FUZZ_CHECK(runtime.error() == 0);
  // A start below 1 reads from the first unit.
  const std::int64_t first = std::max<std::int64_t>(start, 1);
  const auto length = static_cast<std::int64_t>(text.size());

  if (text.empty()) {
    FUZZ_CHECK(result == 0);
  } else if (set.empty()) {
    FUZZ_CHECK(result == first);
  } else if (result == 0) {
    for (std::int64_t i = first; i <= length; ++i) {
      FUZZ_CHECK(in_set(set, text[static_cast<std::size_t>(i - 1)]));
    }
  } else {
    FUZZ_CHECK(result >= first && result <= length);
    FUZZ_CHECK(!in_set(set, text[static_cast<std::size_t>(result - 1)]));
    for (std::int64_t i = first; i < result; ++i) {
      FUZZ_CHECK(in_set(set, text[static_cast<std::size_t>(i - 1)]));
    }
  }
  return 0;
}
