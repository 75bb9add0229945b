#include "runtime/platform/terminal/glyphs.h"

#include <array>
#include <bit>
#include <cstring>
#include <cwchar>

#include "runtime/platform/utf8.h"

namespace platform::terminal {
namespace {

// The glyphs a PC console shows for the control codes 0x00..0x1F.
constexpr std::array<char32_t, 32> kControlGlyphs{
    U' ',      U'\u263A', U'\u263B', U'\u2665', U'\u2666', U'\u2663', U'\u2660', U'\u2022',
    U'\u25D8', U'\u25CB', U'\u25D9', U'\u2642', U'\u2640', U'\u266A', U'\u266B', U'\u263C',
    U'\u25BA', U'\u25C4', U'\u2195', U'\u203C', U'\u00B6', U'\u00A7', U'\u25AC', U'\u21A8',
    U'\u2191', U'\u2193', U'\u2192', U'\u2190', U'\u221F', U'\u2194', U'\u25B2', U'\u25BC',
};
constexpr char32_t kDeleteGlyph = U'\u2302';

bool single_column(char32_t code_point) {
  if (code_point >= 0x20 && code_point < 0x7F) {
    return true;
  }
  return ::wcwidth(static_cast<wchar_t>(code_point)) == 1;
}

} // namespace

char32_t display_code_point(char16_t unit) {
  char32_t code_point = unit;
  if (unit < 0x20) {
    code_point = kControlGlyphs[unit];
  } else if (unit == 0x7F) {
    code_point = kDeleteGlyph;
  } else if ((unit >= 0x80 && unit < 0xA0) || (unit >= 0xD800 && unit < 0xE000)) {
    return kSubstitute;
  }
  return single_column(code_point) ? code_point : kSubstitute;
}

OutputEncoder::OutputEncoder() = default;

OutputEncoder::OutputEncoder(const std::string& codeset) {
  if (codeset != "UTF-8" && codeset != "utf8") {
    const char* source = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
    converter_ = ::iconv_open(codeset.c_str(), source);
    if (converter_ == kNoConverter) {
      // An unknown character set: ASCII is shown everywhere.
      converter_ = ::iconv_open("ASCII", source);
    }
  }
}

OutputEncoder::~OutputEncoder() {
  if (converter_ != kNoConverter) {
    ::iconv_close(converter_);
  }
}

void OutputEncoder::append(std::string& out, char32_t code_point) const {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
    return;
  }
  if (utf8()) {
    utf8::append(out, code_point);
    return;
  }
  auto found = cache_.find(code_point);
  if (found == cache_.end()) {
    found = cache_.emplace(code_point, convert(code_point)).first;
  }
  out += found->second;
}

std::string OutputEncoder::convert(char32_t code_point) const {
  char input_bytes[sizeof(char32_t)];
  std::memcpy(input_bytes, &code_point, sizeof code_point);
  char output_bytes[16];
  char* input = input_bytes;
  std::size_t input_left = sizeof input_bytes;
  char* output = output_bytes;
  std::size_t output_left = sizeof output_bytes;
  ::iconv(converter_, nullptr, nullptr, nullptr, nullptr);
  if (::iconv(converter_, &input, &input_left, &output, &output_left) ==
          static_cast<std::size_t>(-1) ||
      ::iconv(converter_, nullptr, nullptr, &output, &output_left) ==
          static_cast<std::size_t>(-1)) {
    return "?";
  }
  return {output_bytes, static_cast<std::size_t>(output - output_bytes)};
}

} // namespace platform::terminal
