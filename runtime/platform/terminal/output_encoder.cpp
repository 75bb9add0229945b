#include "runtime/platform/terminal/output_encoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string_view>
#include <utility>

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

// ASCII look-alikes of the characters that reach the screen: the middle dot
// and the glyphs above, by shape. Those without one (card suits, gender signs,
// notes) are left out and become '?'.
constexpr std::array<std::pair<char32_t, char>, 26> kLookAlikes{{
    {U'\u00B7', '.'}, {U'\u263A', 'o'}, {U'\u263B', 'O'}, {U'\u2022', 'o'}, {U'\u25D8', '#'},
    {U'\u25CB', 'o'}, {U'\u25D9', '#'}, {U'\u263C', '*'}, {U'\u25BA', '>'}, {U'\u25C4', '<'},
    {U'\u2195', '|'}, {U'\u203C', '!'}, {U'\u00B6', 'P'}, {U'\u00A7', 'S'}, {U'\u25AC', '-'},
    {U'\u21A8', '|'}, {U'\u2191', '^'}, {U'\u2193', 'v'}, {U'\u2192', '>'}, {U'\u2190', '<'},
    {U'\u221F', 'L'}, {U'\u2194', '-'}, {U'\u25B2', '^'}, {U'\u25BC', 'v'}, {U'\u2302', '^'},
    {U'\uFFFD', '?'},
}};

// The ASCII look-alikes of the Latin-1 letters U+00C0..U+00FF, as the C
// library's transliteration gives them where it gives one character; '?'
// where it gives none or more ("AE", "ss"). A multibyte locale may show these
// letters two columns wide, and there the transliteration is not asked.
constexpr std::string_view kLatin1Letters =
    "AAAAAA?CEEEEIIIIDNOOOOOxOUUUUY??aaaaaa?ceeeeiiiidnooooo/ouuuuy?y";
constexpr char32_t kFirstLatin1Letter = 0xC0;

bool single_column(char32_t code_point) {
  if (code_point >= 0x20 && code_point < 0x7F) {
    return true;
  }
  const int width = ::wcwidth(static_cast<wchar_t>(code_point));
  return width == 1 || (width < 0 && MB_CUR_MAX == 1);
}

std::optional<char> ascii_look_alike(char32_t code_point) {
  const auto* known = std::find_if(kLookAlikes.begin(), kLookAlikes.end(),
                                   [&](const auto& entry) { return entry.first == code_point; });
  if (known != kLookAlikes.end()) {
    return known->second;
  }
  if (code_point >= kFirstLatin1Letter && code_point - kFirstLatin1Letter < kLatin1Letters.size() &&
      kLatin1Letters[code_point - kFirstLatin1Letter] != '?') {
    return kLatin1Letters[code_point - kFirstLatin1Letter];
  }
  return std::nullopt;
}

// One code point through `converter`, or nothing when it fails.
std::optional<std::string> run(iconv_t converter, char32_t code_point) {
  char input_bytes[sizeof(char32_t)];
  std::memcpy(input_bytes, &code_point, sizeof code_point);
  char output_bytes[16];
  char* input = input_bytes;
  std::size_t input_left = sizeof input_bytes;
  char* output = output_bytes;
  std::size_t output_left = sizeof output_bytes;
  ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (::iconv(converter, &input, &input_left, &output, &output_left) ==
          static_cast<std::size_t>(-1) ||
      ::iconv(converter, nullptr, nullptr, &output, &output_left) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  return std::string(output_bytes, static_cast<std::size_t>(output - output_bytes));
}

} // namespace

// A character the locale shows in other than one column (the middle dot is
// two columns wide in the East Asian multibyte locales) shows as its ASCII
// look-alike, which is one column everywhere; without one, as the substitute.
char32_t display_code_point(char16_t unit) {
  char32_t code_point = unit;
  if (unit < 0x20) {
    code_point = kControlGlyphs[unit];
  } else if (unit == 0x7F) {
    code_point = kDeleteGlyph;
  } else if ((unit >= 0x80 && unit < 0xA0) || (unit >= 0xD800 && unit < 0xE000)) {
    return char32_t{utf8::kReplacement};
  }
  if (single_column(code_point)) {
    return code_point;
  }
  const auto look_alike = ascii_look_alike(code_point);
  return look_alike ? static_cast<char32_t>(*look_alike) : char32_t{utf8::kReplacement};
}

OutputEncoder::OutputEncoder() = default;

// Without a converter for the locale's character set (a C library whose
// converter modules are missing or cannot be loaded) the terminal gets ASCII,
// as in the C locale: never UTF-8 it did not ask for.
OutputEncoder::OutputEncoder(const std::string& codeset) {
  if (codeset == "UTF-8" || codeset == "utf8") {
    return;
  }
  const char* source = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
  converter_ = ::iconv_open(codeset.c_str(), source);
  kind_ = converter_ == kNoConverter ? Kind::ascii : Kind::converted;
  const std::string target = kind_ == Kind::ascii ? "ASCII" : codeset;
  transliterator_ = ::iconv_open((target + "//TRANSLIT").c_str(), source);
  transliteration_locale_ = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
}

OutputEncoder::~OutputEncoder() {
  for (iconv_t converter : {converter_, transliterator_}) {
    if (converter != kNoConverter) {
      ::iconv_close(converter);
    }
  }
  if (transliteration_locale_ != nullptr) {
    ::freelocale(transliteration_locale_);
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

// The substitute is never converted: where a character set has U+FFFD at
// all (GB18030), it is as wide as the East Asian ambiguous characters there,
// and '?' is the one-column substitute.
std::string OutputEncoder::convert(char32_t code_point) const {
  if (kind_ == Kind::converted && code_point != char32_t{utf8::kReplacement}) {
    if (auto bytes = run(converter_, code_point)) {
      return *std::move(bytes);
    }
  }
  return look_alike(code_point);
}

// Our own table first, as iconv's transliteration has no shapes for the
// console glyphs; then the transliteration when it gives exactly one byte, a
// character that takes one column ("(C)" or "EUR" would shift the row).
std::string OutputEncoder::look_alike(char32_t code_point) const {
  if (const auto known = ascii_look_alike(code_point)) {
    return {*known};
  }
  if (transliterator_ == kNoConverter) {
    return "?";
  }
  const locale_t previous =
      transliteration_locale_ != nullptr ? ::uselocale(transliteration_locale_) : nullptr;
  const auto bytes = run(transliterator_, code_point);
  if (previous != nullptr) {
    ::uselocale(previous);
  }
  if (bytes && bytes->size() == 1 && static_cast<unsigned char>(bytes->front()) >= 0x20 &&
      bytes->front() != '\x7F') {
    return *bytes;
  }
  return "?";
}

} // namespace platform::terminal
