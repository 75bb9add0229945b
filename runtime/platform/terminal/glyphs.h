// How a console cell's character is shown in exactly one terminal column,
// and how it is encoded for the terminal's character set.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include <iconv.h>

namespace platform::terminal {

// The code point that shows `unit` in one column: U+0000 as a blank, the
// other C0 codes and U+007F as the classic console glyphs, and a substitute
// for C1 codes, lone surrogates and anything whose display width is not 1.
char32_t display_code_point(char16_t unit);

inline constexpr char32_t kSubstitute = 0xFFFD;

// Encodes code points for the terminal: UTF-8 directly, any other character
// set through iconv, with '?' for what it cannot show.
class OutputEncoder {
public:
  OutputEncoder(); // UTF-8
  explicit OutputEncoder(const std::string& codeset);
  ~OutputEncoder();
  OutputEncoder(const OutputEncoder&) = delete;
  OutputEncoder& operator=(const OutputEncoder&) = delete;

  [[nodiscard]] bool utf8() const { return converter_ == kNoConverter; }
  void append(std::string& out, char32_t code_point) const;

private:
  static inline const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
  [[nodiscard]] std::string convert(char32_t code_point) const;

  iconv_t converter_ = kNoConverter;
  mutable std::unordered_map<char32_t, std::string> cache_;
};

} // namespace platform::terminal
