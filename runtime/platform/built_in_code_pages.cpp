#include "runtime/platform/built_in_code_pages.h"

#include <array>
#include <cstddef>

#include "runtime/platform/utf8.h"

namespace platform::code_pages {
namespace {

// Bytes 0x80-0x9F of code page 1252.
constexpr std::array<char16_t, 32> kWindows1252High = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};

char windows_1252_byte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
    return static_cast<char>(unit);
  }
  for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
    if (kWindows1252High[i] == unit) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

std::u16string utf8_to_utf16(std::string_view text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const utf8::Step step = utf8::decode(text.substr(i));
    if (step.kind != utf8::Step::Kind::character) {
      out.push_back(utf8::kReplacement);
    } else if (step.code_point > 0xFFFF) {
      const utf8::SurrogatePair pair = utf8::surrogates(step.code_point);
      out.push_back(pair.high);
      out.push_back(pair.low);
    } else {
      out.push_back(static_cast<char16_t>(step.code_point));
    }
    i += step.length;
  }
  return out;
}

bool is_high_surrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool is_low_surrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string utf16_to_utf8(std::u16string_view units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char32_t unit = units[i];
    if (is_high_surrogate(unit) && i + 1 < units.size() && is_low_surrogate(units[i + 1])) {
      utf8::append(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00U));
      ++i;
    } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
      utf8::append(out, utf8::kReplacement);
    } else {
      utf8::append(out, unit);
    }
  }
  return out;
}

} // namespace

char16_t windows_1252_unit(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    return kWindows1252High[byte - 0x80U];
  }
  return static_cast<char16_t>(byte);
}

std::u16string to_utf16(std::uint32_t code_page, std::string_view bytes) {
  if (code_page == kUtf8) {
    return utf8_to_utf16(bytes);
  }
  std::u16string out;
  out.reserve(bytes.size());
  for (const char byte : bytes) {
    out.push_back(windows_1252_unit(static_cast<unsigned char>(byte)));
  }
  return out;
}

std::string from_utf16(std::uint32_t code_page, std::u16string_view units) {
  if (code_page == kUtf8) {
    return utf16_to_utf8(units);
  }
  std::string out;
  out.reserve(units.size());
  for (const char16_t unit : units) {
    out.push_back(windows_1252_byte(unit));
  }
  return out;
}

} // namespace platform::code_pages
