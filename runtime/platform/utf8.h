// UTF-8 one character at a time, and UTF-8 and UTF-16 from a code point.
// Decoding follows the Unicode rules for well-formed sequences (no overlong
// forms, no surrogates, nothing above U+10FFFF), so each caller can turn a
// maximal ill-formed subsequence into one U+FFFD and go on at the byte that
// broke it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::utf8 {

// U+FFFD, which stands for what cannot be decoded or shown.
inline constexpr char16_t kReplacement = u'\uFFFD';

struct Step {
  enum class Kind : std::uint8_t {
    character,  // `code_point`, taking `length` bytes
    ill_formed, // a maximal ill-formed subsequence of `length` bytes
    incomplete, // the bytes end inside a sequence: `length` is all of them
  };
  Kind kind = Kind::ill_formed;
  char32_t code_point = 0;
  std::size_t length = 1;
};

// Decodes the character at the start of `bytes`, which is not empty.
constexpr Step decode(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) {
    return {Step::Kind::character, lead, 1};
  }
  std::size_t length = 0;
  char32_t code_point = 0;
  // The range of the second byte; later ones are plain continuation bytes.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0FU;
    low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
    high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07U;
    low = lead == 0xF0 ? 0x90 : 0x80;  // no overlong forms
    high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
  } else {
    return {Step::Kind::ill_formed, 0, 1};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= bytes.size()) {
      return {Step::Kind::incomplete, 0, i};
    }
    const auto next = static_cast<unsigned char>(bytes[i]);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
      return {Step::Kind::ill_formed, 0, i};
    }
    code_point = (code_point << 6U) | (next & 0x3FU);
  }
  return {Step::Kind::character, code_point, length};
}

// The UTF-8 bytes of a code point.
inline void append(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

// The two UTF-16 units of a code point above U+FFFF.
struct SurrogatePair {
  char16_t high = 0;
  char16_t low = 0;
};

constexpr SurrogatePair surrogates(char32_t code_point) {
  const char32_t offset = code_point - 0x10000;
  return {static_cast<char16_t>(0xD800 + (offset >> 10)),
          static_cast<char16_t>(0xDC00 + (offset & 0x3FF))};
}

} // namespace platform::utf8
