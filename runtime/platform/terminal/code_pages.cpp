#include "runtime/platform/terminal/code_pages.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
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
  return code_page == 0 ? code_pages::kWindows1252 : code_page;
}

bool is_utf8(const std::string& charset) {
  return charset == "UTF-8" || charset == "utf8";
}

// Runs `descriptor` over all of `input`, giving each stretch of output to
// `take_output`. An input unit of `unit_bytes` that the target lacks, or
// that the end cuts off, goes to `take_unconverted` instead and is skipped.
template <typename TakeOutput, typename TakeUnconverted>
void convert_all(iconv_t descriptor, std::string_view input, std::size_t unit_bytes,
                 TakeOutput take_output, TakeUnconverted take_unconverted) {
  std::vector<char> buffer((input.size() * 4) + 16);
  char* in = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  while (true) {
    char* out = buffer.data();
    std::size_t out_left = buffer.size();
    const std::size_t status = ::iconv(descriptor, &in, &in_left, &out, &out_left);
    take_output(std::string_view(buffer.data(), static_cast<std::size_t>(out - buffer.data())));
    if (status != kFailed || in_left < unit_bytes) {
      return;
    }
    if (errno == E2BIG) {
      continue;
    }
    take_unconverted(static_cast<unsigned char>(*in));
    in += unit_bytes;
    in_left -= unit_bytes;
    ::iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  }
}

// Bytes in a character set as UTF-16; a byte with no character is its own
// value.
std::u16string decode_with(iconv_t descriptor, std::string_view bytes) {
  std::u16string result;
  convert_all(
      descriptor, bytes, 1,
      [&result](std::string_view output) {
        const std::size_t before = result.size();
        result.resize(before + (output.size() / 2));
        std::memcpy(result.data() + before, output.data(), (output.size() / 2) * 2);
      },
      [&result](unsigned char byte) { result += static_cast<char16_t>(byte); });
  return result;
}

// UTF-16 in a character set; a unit with no character becomes '?'.
std::string encode_with(iconv_t descriptor, std::u16string_view units) {
  std::string result;
  convert_all(
      descriptor, std::string_view(reinterpret_cast<const char*>(units.data()), units.size() * 2),
      2, [&result](std::string_view output) { result += output; },
      [&result](unsigned char /*first_byte*/) { result += '?'; });
  return result;
}

} // namespace

std::string charset_of_code_page(std::uint32_t code_page) {
  switch (code_page) {
  case 0:
    return "CP1252";
  case 1: // the OEM code page
    return "CP437";
  case code_pages::kUtf8:
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

std::u16string CodePageConverter::decode(const std::string& charset, std::string_view bytes) {
  if (is_utf8(charset)) {
    return code_pages::to_utf16(code_pages::kUtf8, bytes);
  }
  const iconv_t descriptor = converter(utf16_name(), charset);
  if (descriptor == kNoConverter) {
    std::u16string result;
    for (const char c : bytes) {
      result += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return result;
  }
  return decode_with(descriptor, bytes);
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
  return text::deliver(decode_with(descriptor, std::string_view(source, length)), output,
                       output_units);
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
  return text::deliver(encode_with(descriptor, std::u16string_view(source, length)), output,
                       output_bytes);
}

} // namespace platform::terminal
