// The memory console's text services: conversions through the built-in code
// pages, 1252 and UTF-8 (65001), refusing the flags a code page does not take
// as Windows does, and automation strings.
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>

#include "runtime/platform/built_in_code_pages.h"
#include "runtime/platform/memory/memory_console.h"
#include "runtime/platform/string_block.h"
#include "runtime/platform/text_buffers.h"
#include "runtime/platform/utf8.h"

namespace platform {

namespace {

using code_pages::kUtf8;
constexpr std::uint32_t kMbErrInvalidChars = 0x0008;

// The flags MultiByteToWideChar accepts for a code page: UTF-8 and GB18030
// take 0 or MB_ERR_INVALID_CHARS, the ISO-2022, ISCII, UTF-7 and Symbol pages
// 0 alone; any other flags fail there with ERROR_INVALID_FLAGS.
bool flags_allowed(std::uint32_t code_page, std::uint32_t flags) {
  if (code_page == kUtf8 || code_page == 54936) {
    return (flags & ~kMbErrInvalidChars) == 0;
  }
  const bool takes_no_flags = (code_page >= 50220 && code_page <= 50229) ||
                              (code_page >= 57002 && code_page <= 57011) || code_page == 65000 ||
                              code_page == 42;
  return !takes_no_flags || flags == 0;
}

} // namespace

char16_t MemoryConsole::ansi_to_unit(char character) const {
  const auto byte = static_cast<unsigned char>(character);
  if (config_.ansi_code_page == kUtf8) {
    return byte < 0x80 ? static_cast<char16_t>(byte) : utf8::kReplacement;
  }
  return code_pages::windows_1252_unit(byte);
}

int MemoryConsole::multi_byte_to_wide_char(std::uint32_t code_page, std::uint32_t flags,
                                           const char* source, int source_bytes, char16_t* output,
                                           int output_units) {
  log("MultiByteToWideChar");
  if (code_page == kCpAcp) {
    code_page = config_.ansi_code_page;
  }
  if (failures_.conversion || source == nullptr || source_bytes == 0 || output_units < 0 ||
      !flags_allowed(code_page, flags) || !code_pages::is_built_in(code_page)) {
    return 0;
  }
  const std::size_t count = text::source_length(source, source_bytes);
  return text::deliver(code_pages::to_utf16(code_page, std::string_view(source, count)), output,
                       output_units);
}

int MemoryConsole::wide_char_to_multi_byte(std::uint32_t code_page, std::uint32_t /*flags*/,
                                           const char16_t* source, int source_units, char* output,
                                           int output_bytes) {
  log("WideCharToMultiByte");
  if (code_page == kCpAcp) {
    code_page = config_.ansi_code_page;
  }
  if (failures_.conversion || source == nullptr || source_units == 0 || output_bytes < 0 ||
      !code_pages::is_built_in(code_page)) {
    return 0;
  }
  const std::size_t count = text::source_length(source, source_units);
  return text::deliver(code_pages::from_utf16(code_page, std::u16string_view(source, count)),
                       output, output_bytes);
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
