// The memory console's text services: conversions through code page 1252 and
// UTF-8 (65001), refusing the flags a code page does not take as Windows
// does, and automation strings.
#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "runtime/platform/memory/memory_console.h"
#include "runtime/platform/string_block.h"
#include "runtime/platform/text_buffers.h"
#include "runtime/platform/utf8.h"

namespace platform {

namespace {

constexpr std::uint32_t kCodePage1252 = 1252;
constexpr std::uint32_t kCodePageUtf8 = 65001;
constexpr char16_t kReplacement = u'\uFFFD';
constexpr std::uint32_t kMbErrInvalidChars = 0x0008;

// The flags MultiByteToWideChar accepts for a code page: UTF-8 and GB18030
// take 0 or MB_ERR_INVALID_CHARS, the ISO-2022, ISCII, UTF-7 and Symbol pages
// 0 alone; any other flags fail there with ERROR_INVALID_FLAGS.
bool flags_allowed(std::uint32_t code_page, std::uint32_t flags) {
  if (code_page == kCodePageUtf8 || code_page == 54936) {
    return (flags & ~kMbErrInvalidChars) == 0;
  }
  const bool takes_no_flags = (code_page >= 50220 && code_page <= 50229) ||
                              (code_page >= 57002 && code_page <= 57011) || code_page == 65000 ||
                              code_page == 42;
  return !takes_no_flags || flags == 0;
}

// Bytes 0x80-0x9F of code page 1252; the five bytes it leaves undefined map
// to the C1 controls of the same value. Every other byte is its own code
// point.
constexpr std::array<char16_t, 32> kWindows1252High = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};

char16_t from_1252(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    return kWindows1252High[byte - 0x80U];
  }
  return static_cast<char16_t>(byte);
}

// '?' for a unit the code page cannot show.
char to_1252(char16_t unit) {
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

// UTF-8 to UTF-16. Each maximal ill-formed subsequence, and a sequence cut
// off by the end, gives one U+FFFD, as Windows does without
// MB_ERR_INVALID_CHARS.
std::u16string decode_utf8(const unsigned char* bytes, std::size_t count) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), count);
  std::u16string out;
  std::size_t i = 0;
  while (i < count) {
    const utf8::Step step = utf8::decode(text.substr(i));
    if (step.kind != utf8::Step::Kind::character) {
      out.push_back(kReplacement);
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

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string encode_utf8(const char16_t* units, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    char32_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      utf8::append(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00U));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      utf8::append(out, kReplacement);
    } else {
      utf8::append(out, unit);
    }
  }
  return out;
}

} // namespace

char16_t MemoryConsole::ansi_to_unit(char character) const {
  const auto byte = static_cast<unsigned char>(character);
  if (config_.ansi_code_page == kCodePageUtf8) {
    return byte < 0x80 ? static_cast<char16_t>(byte) : kReplacement;
  }
  return from_1252(byte);
}

int MemoryConsole::multi_byte_to_wide_char(std::uint32_t code_page, std::uint32_t flags,
                                           const char* source, int source_bytes, char16_t* output,
                                           int output_units) {
  log("MultiByteToWideChar");
  if (code_page == kCpAcp) {
    code_page = config_.ansi_code_page;
  }
  if (failures_.conversion || source == nullptr || source_bytes == 0 || output_units < 0 ||
      !flags_allowed(code_page, flags) ||
      (code_page != kCodePage1252 && code_page != kCodePageUtf8)) {
    return 0;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(source);
  const std::size_t count = text::source_length(source, source_bytes);
  std::u16string converted;
  if (code_page == kCodePageUtf8) {
    converted = decode_utf8(bytes, count);
  } else {
    converted.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      converted.push_back(from_1252(bytes[i]));
    }
  }
  return text::deliver(converted, output, output_units);
}

int MemoryConsole::wide_char_to_multi_byte(std::uint32_t code_page, std::uint32_t /*flags*/,
                                           const char16_t* source, int source_units, char* output,
                                           int output_bytes) {
  log("WideCharToMultiByte");
  if (code_page == kCpAcp) {
    code_page = config_.ansi_code_page;
  }
  if (failures_.conversion || source == nullptr || source_units == 0 || output_bytes < 0 ||
      (code_page != kCodePage1252 && code_page != kCodePageUtf8)) {
    return 0;
  }
  const std::size_t count = text::source_length(source, source_units);
  std::string converted;
  if (code_page == kCodePageUtf8) {
    converted = encode_utf8(source, count);
  } else {
    converted.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      converted.push_back(to_1252(source[i]));
    }
  }
  return text::deliver(converted, output, output_bytes);
}

void* MemoryConsole::allocate_string_block(std::uint32_t bytes) {
  if (failures_.string_allocs_left == 0 ||
      bytes > std::numeric_limits<std::uint32_t>::max() -
                  (string_block::kCountBytes + string_block::kTerminatorBytes)) {
    return nullptr;
  }
  if (failures_.string_allocs_left > 0) {
    --failures_.string_allocs_left;
  }
  Block block(new (std::nothrow) unsigned char[string_block::block_bytes(bytes)]);
  if (!block) {
    return nullptr;
  }
  void* handle = string_block::format(block.get(), bytes);
  strings_.emplace(handle, std::move(block));
  return handle;
}

char16_t* MemoryConsole::sys_alloc_string_len(const char16_t* source, std::uint32_t units) {
  log("SysAllocStringLen");
  if (units > std::numeric_limits<std::uint32_t>::max() / 2) {
    return nullptr;
  }
  auto* handle = static_cast<char16_t*>(allocate_string_block(units * 2));
  if (handle != nullptr && source != nullptr) {
    std::memcpy(handle, source, std::size_t{units} * 2);
  }
  return handle;
}

char* MemoryConsole::sys_alloc_string_byte_len(const char* source, std::uint32_t bytes) {
  log("SysAllocStringByteLen");
  auto* handle = static_cast<char*>(allocate_string_block(bytes));
  if (handle != nullptr && source != nullptr) {
    std::memcpy(handle, source, bytes);
  }
  return handle;
}

void MemoryConsole::sys_free_string(void* string) {
  log("SysFreeString");
  if (string != nullptr) {
    strings_.erase(string);
  }
}

} // namespace platform
