// How a console cell's character is shown in exactly one terminal column,
// and how it is encoded for the terminal's character set.
#pragma once

#include <clocale>
#include <cstdint>
#include <string>
#include <unordered_map>

#include <iconv.h>

namespace platform::terminal {

// The code point that shows `unit` in one column: U+0000 as a blank, the
// other C0 codes and U+007F as the classic console glyphs, and a substitute
// for C1 codes and lone surrogates. A character whose display width in the
// locale is not 1 shows as its ASCII look-alike (the middle dot as '.') or,
// without one, as the substitute. A single-byte locale knows the width of its
// own characters only: there the others are kept, and the encoder shows each
// of them as one character.
char32_t display_code_point(char16_t unit);

// Encodes code points for the terminal: UTF-8 directly, any other character
// set through iconv. What the set cannot show becomes its closest look-alike
// that is exactly one character, and '?' where there is none. When no
// converter for the set can be opened, the terminal gets ASCII and
// look-alikes, as in the C locale.
class OutputEncoder {
public:
  OutputEncoder(); // UTF-8
  explicit OutputEncoder(const std::string& codeset);
  ~OutputEncoder();
  OutputEncoder(const OutputEncoder&) = delete;
  OutputEncoder& operator=(const OutputEncoder&) = delete;

  [[nodiscard]] bool utf8() const { return kind_ == Kind::utf8; }
  void append(std::string& out, char32_t code_point) const;

private:
  static inline const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
  [[nodiscard]] std::string convert(char32_t code_point) const;
  [[nodiscard]] std::string look_alike(char32_t code_point) const;

  enum class Kind : std::uint8_t { utf8, converted, ascii };
  Kind kind_ = Kind::utf8;
  iconv_t converter_ = kNoConverter;
  iconv_t transliterator_ = kNoConverter;
  // iconv's transliteration follows the LC_CTYPE locale's tables, and the C
  // locale has almost none: a UTF-8 locale lends them where it exists.
  locale_t transliteration_locale_ = nullptr;
  mutable std::unordered_map<char32_t, std::string> cache_;
};

} // namespace platform::terminal
