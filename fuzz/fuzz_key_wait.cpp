// key_wait with an arbitrary allowed-key list (items of one, two and four
// units, cut short anywhere) and arbitrary key events: it never reads past
// the list, gives a key text or, when the time limit runs out, the empty
// string, and beeps once for every key it refuses.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/keyboard.h"

namespace {

using platform::InputRecord;

// Units that start items or name keys: U+0000 (two-unit item), U+00FF
// (four-unit item), F1, Esc's scan code, a letter and the scan code of A.
constexpr std::array<char16_t, 6> kUnits = {u'\0', u'\xFF', u'\x3B', u'\x01', u'a', u'\x1E'};

char16_t some_unit(FuzzedDataProvider& input) {
  return input.ConsumeBool()
             ? kUnits[input.ConsumeIntegralInRange<std::size_t>(0, kUnits.size() - 1)]
             : input.ConsumeIntegral<char16_t>();
}

InputRecord key_record(FuzzedDataProvider& input) {
  InputRecord record;
  record.event_type =
      input.ConsumeIntegralInRange(0, 7) == 0 ? platform::kFocusEvent : platform::kKeyEvent;
  record.key.key_down = input.ConsumeIntegralInRange(0, 3) == 0 ? 0 : 1;
  record.key.character = input.ConsumeBool() ? u'\0' : some_unit(input);
  record.key.virtual_scan_code = some_unit(input);
  record.key.control_key_state =
      input.ConsumeIntegralInRange(0, 3) == 0 ? platform::kLeftAltPressed : 0;
  return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  platform::MemoryConsole::Config config;
  config.idle_limit_ms = 50;
  FuzzRuntime runtime(config);
  const std::int32_t limit = input.ConsumeBool() ? 0 : input.ConsumeIntegralInRange(1, 5000);
  std::u16string allowed;
  const auto units = input.ConsumeIntegralInRange<std::size_t>(0, 12);
  for (std::size_t i = 0; i < units; ++i) {
    allowed.push_back(some_unit(input));
  }
  int keys = 0;
  while (input.remaining_bytes() > 0 && keys < 64) {
    const InputRecord record = key_record(input);
    keys += record.event_type == platform::kKeyEvent && record.key.key_down != 0 ? 1 : 0;
    runtime.console.push_record_at(input.ConsumeIntegralInRange<std::uint64_t>(0, 3000), record);
  }

  const RuntimeString list = make_string16(allowed);
  try {
    const StringValue result = key_wait(StringValue(list), limit);
    const std::u16string_view text = result.view16();
    // One unit for a character key, U+0000 and a scan code for an
    // extended key; nothing when the time ran out.
    FUZZ_CHECK(text.size() <= 2);
    FUZZ_CHECK(text.size() < 2 || (text[0] == u'\0' && text[1] <= 0xFF));
    FUZZ_CHECK(!text.empty() || limit != 0);
    FUZZ_CHECK(runtime.console.beeps() <= keys);
  } catch (const platform::MemoryConsoleStop& stop) {
    // With no time limit the wait only ends when the script does.
    FUZZ_CHECK(stop.reason == platform::MemoryConsoleStop::Reason::input_exhausted);
  }
  FUZZ_CHECK(runtime.error() == 0);
  return 0;
}
