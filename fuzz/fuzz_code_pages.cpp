// The code-page conversions, through the runtime over the memory console and
// through the terminal layer's converter (both on the built-in code pages,
// each with its own calling conventions): code page 1252 turns any bytes into
// UTF-16 and back unchanged, UTF-8 is stable after one round, and the two
// consoles agree.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/platform/terminal/code_pages.h"

namespace {

using platform::terminal::CodePageConverter;

constexpr std::uint32_t kCodePage1252 = 1252;
constexpr std::uint32_t kCodePageUtf8 = 65001;

std::u16string runtime_to_wide(std::string_view bytes, std::uint32_t code_page) {
  const RuntimeString text = make_string8(bytes);
  return std::u16string(string_to_wide(text, code_page).view16());
}

std::string runtime_to_ansi(std::u16string_view units, std::uint32_t code_page) {
  const RuntimeString text = make_string16(units);
  return std::string(string_to_ansi(text, code_page).view8());
}

// The Windows calling convention: measure, then convert.
std::u16string terminal_to_wide(CodePageConverter& converter, std::string_view bytes,
                                std::uint32_t code_page) {
  const int units =
      converter.to_wide(code_page, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string result(static_cast<std::size_t>(units), u'\0');
  if (units > 0) {
    FUZZ_CHECK(converter.to_wide(code_page, bytes.data(), static_cast<int>(bytes.size()),
                                 result.data(), units) == units);
  }
  return result;
}

std::string terminal_to_ansi(CodePageConverter& converter, std::u16string_view units,
                             std::uint32_t code_page) {
  const int bytes =
      converter.to_multi_byte(code_page, units.data(), static_cast<int>(units.size()), nullptr, 0);
  std::string result(static_cast<std::size_t>(bytes), '\0');
  if (bytes > 0) {
    FUZZ_CHECK(converter.to_multi_byte(code_page, units.data(), static_cast<int>(units.size()),
                                       result.data(), bytes) == bytes);
  }
  return result;
}

bool has_replacement(std::u16string_view units) {
  return units.find(u'\uFFFD') != std::u16string_view::npos;
}

void check_1252(CodePageConverter& converter, const std::string& bytes) {
  // Every byte has its own unit, so the round trip is exact.
  const std::u16string wide = runtime_to_wide(bytes, 0);
  FUZZ_CHECK(wide.size() == bytes.size());
  FUZZ_CHECK(runtime_to_ansi(wide, 0) == bytes);
  FUZZ_CHECK(terminal_to_wide(converter, bytes, kCodePage1252) == wide);
  FUZZ_CHECK(terminal_to_ansi(converter, wide, kCodePage1252) == bytes);
}

void check_utf8(CodePageConverter& converter, const std::string& bytes) {
  const std::u16string wide = runtime_to_wide(bytes, kCodePageUtf8);
  const std::string again = runtime_to_ansi(wide, kCodePageUtf8);
  FUZZ_CHECK(again == bytes || has_replacement(wide));
  FUZZ_CHECK(runtime_to_wide(again, kCodePageUtf8) == wide);

  const std::u16string terminal_wide = terminal_to_wide(converter, bytes, kCodePageUtf8);
  const std::string terminal_again = terminal_to_ansi(converter, terminal_wide, kCodePageUtf8);
  FUZZ_CHECK(terminal_again == bytes || has_replacement(terminal_wide));
  FUZZ_CHECK(terminal_to_wide(converter, terminal_again, kCodePageUtf8) == terminal_wide);
  // Well-formed text reads the same either way.
  if (again == bytes) {
    FUZZ_CHECK(terminal_wide == wide);
  }
}

// Any UTF-16 text, lone surrogates included, narrows to one byte per unit,
// the same from both implementations.
void check_units_to_1252(CodePageConverter& converter, const std::u16string& units) {
  const std::string narrow = runtime_to_ansi(units, kCodePage1252);
  FUZZ_CHECK(narrow.size() == units.size());
  FUZZ_CHECK(terminal_to_ansi(converter, units, kCodePage1252) == narrow);
  const std::u16string back = runtime_to_wide(narrow, kCodePage1252);
  for (std::size_t i = 0; i < units.size(); ++i) {
    FUZZ_CHECK(back[i] == units[i] || back[i] == u'?');
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FuzzRuntime runtime;
  CodePageConverter converter;
  FuzzedDataProvider input(data, size);
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  check_1252(converter, bytes);
  check_utf8(converter, bytes);
  check_units_to_1252(converter, fuzz_units16(bytes));
  FUZZ_CHECK(runtime.error() == 0);
  return 0;
}
