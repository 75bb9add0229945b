#include "runtime/platform/terminal/code_pages.h"
#include "runtime/platform/utf8.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/platform/built_in_code_pages.h"
#include "runtime/platform/text_buffers.h"

namespace platform::terminal {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

const char* utf16_name() {
  return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

// Code page 0, the system ANSI code page, is 1252.
std::uint32_t resolved(std::uint32_t code_page) {
  return code_page == 0 ? kAnsiCodePage : code_page;
}

bool is_utf8(const std::string& charset) {
  return charset == "UTF-8" || charset == "utf8";
}

} // namespace

std::string charset_of_code_page(std::uint32_t code_page) {
  switch (code_page) {
  case 0:
    return "CP1252";
  case 1: // the OEM code page
    return "CP437";
  case kUtf8CodePage:
    return "UTF-8";
  case 20127:
    return "ASCII";
  case 28591:
    return "ISO-8859-1";
  default:
    return "CP" + std::to_string(code_page);
  }
}

CodePageConverter::~CodePageConverter() {
  for (auto& [names, descriptor] : converters_) {
    if (descriptor != kNoConverter) {
      ::iconv_close(descriptor);
    }
  }
}

iconv_t CodePageConverter::converter(const std::string& to, const std::string& from) {
  const auto key = std::make_pair(to, from);
  auto found = converters_.find(key);
  if (found == converters_.end()) {
    found = converters_.emplace(key, ::iconv_open(to.c_str(), from.c_str())).first;
  }
  if (found->second != kNoConverter) {
    ::iconv(found->second, nullptr, nullptr, nullptr, nullptr); // back to the initial state
  }
  return found->second;
}

std::u16string CodePageConverter::decode_with(iconv_t descriptor, std::string_view bytes,
                                              bool utf8) {
  std::u16string result;
  std::vector<char> buffer(bytes.size() * 4 + 16);
  char* input = const_cast<char*>(bytes.data());
  std::size_t input_left = bytes.size();
  while (true) {
    char* output = buffer.data();
    std::size_t output_left = buffer.size();
    const std::size_t status = ::iconv(descriptor, &input, &input_left, &output, &output_left);
    const std::size_t produced = static_cast<std::size_t>(output - buffer.data()) / 2;
    const std::size_t before = result.size();
    result.resize(before + produced);
    std::memcpy(result.data() + before, buffer.data(), produced * 2);
    if (status != kFailed || input_left == 0) {
      break;
    }
    if (errno == E2BIG) {
      continue;
    }
    // A byte with no character, or a sequence cut off at the end.
    const auto value = static_cast<unsigned char>(*input);
    result += utf8 ? utf8::kReplacement : static_cast<char16_t>(value);
    ++input;
    --input_left;
    ::iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  }
  return result;
}

std::u16string CodePageConverter::decode(const std::string& charset, std::string_view bytes) {
  if (is_utf8(charset)) {
    return code_pages::to_utf16(kUtf8CodePage, bytes);
  }
  const iconv_t descriptor = converter(utf16_name(), charset);
  if (descriptor == kNoConverter) {
    std::u16string result;
    for (const char c : bytes) {
      result += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return result;
  }
  return decode_with(descriptor, bytes, charset == "UTF-8");
}

int CodePageConverter::to_wide(std::uint32_t code_page, const char* source, int source_bytes,
                               char16_t* output, int output_units) {
  if (source == nullptr || output_units < 0) {
    return 0;
  }
  const std::size_t length = text::source_length(source, source_bytes);
  if (length == 0) {
    return 0;
  }
  if (code_pages::is_built_in(resolved(code_page))) {
    return text::deliver(
        code_pages::to_utf16(resolved(code_page), std::string_view(source, length)), output,
        output_units);
  }
  const std::string charset = charset_of_code_page(code_page);
  const iconv_t descriptor = converter(utf16_name(), charset);
  if (descriptor == kNoConverter) {
    return 0;
  }
  const std::u16string result =
      decode_with(descriptor, std::string_view(source, length), charset == "UTF-8");
  return text::deliver(result, output, output_units);
}

int CodePageConverter::to_multi_byte(std::uint32_t code_page, const char16_t* source,
                                     int source_units, char* output, int output_bytes) {
  if (source == nullptr || output_bytes < 0) {
    return 0;
  }
  const std::size_t length = text::source_length(source, source_units);
  if (length == 0) {
    return 0;
  }
  if (code_pages::is_built_in(resolved(code_page))) {
    return text::deliver(
        code_pages::from_utf16(resolved(code_page), std::u16string_view(source, length)), output,
        output_bytes);
  }
  const std::string charset = charset_of_code_page(code_page);
  const iconv_t descriptor = converter(charset, utf16_name());
  if (descriptor == kNoConverter) {
    return 0;
  }
  std::string result;
  std::vector<char> buffer((length * 4) + 16);
  char* input = reinterpret_cast<char*>(const_cast<char16_t*>(source));
  std::size_t input_left = length * 2;
  while (true) {
    char* out = buffer.data();
    std::size_t out_left = buffer.size();
    const std::size_t status = ::iconv(descriptor, &input, &input_left, &out, &out_left);
    result.append(buffer.data(), out);
    if (status != kFailed || input_left == 0) {
      break;
    }
    if (errno == E2BIG) {
      continue;
    }
    result += '?';
    input += 2;
    input_left -= 2;
    ::iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  }
  return text::deliver(result, output, output_bytes);
}

} // namespace platform::terminal
