#include "runtime/string.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "runtime/errors.h"
#include "runtime/memory.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/string_block.h"
#include "runtime/state.h"

namespace string_detail {

std::uint32_t block_byte_count(const void* handle) {
  if (handle == nullptr) {
    return 0;
  }
  return platform::string_block::byte_count(handle);
}

void release_block(void* handle) {
  if (handle != nullptr) {
    runtime_platform().sys_free_string(handle);
  }
}

} // namespace string_detail

namespace {

std::u16string_view units_of(const void* handle) {
  if (handle == nullptr) {
    return {};
  }
  return {static_cast<const char16_t*>(handle),
          string_detail::block_byte_count(handle) / sizeof(char16_t)};
}

std::string_view bytes_of(const void* handle) {
  if (handle == nullptr) {
    return {};
  }
  return {static_cast<const char*>(handle), string_detail::block_byte_count(handle)};
}

// The code page a conversion runs in: 0 asks for the calling thread's one,
// whose own 0 is the system ANSI code page, passed on to the platform as 0.
std::uint32_t effective_code_page(std::uint32_t code_page) {
  if (code_page != 0) {
    return code_page;
  }
  const ThreadRecord* record = runtime_thread_record();
  return record != nullptr ? record->code_page : platform::kCpAcp;
}

// A new block of `bytes` bytes, whatever the unit size of its text.
RuntimeString alloc_bytes(std::uint64_t bytes) {
  if (bytes > UINT32_MAX) {
    return {};
  }
  return string_alloc8(static_cast<std::uint32_t>(bytes));
}

} // namespace

RuntimeString& RuntimeString::operator=(RuntimeString&& other) noexcept {
  if (this != &other) {
    string_detail::release_block(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

std::u16string_view RuntimeString::view16() const {
  return units_of(handle_);
}
std::string_view RuntimeString::view8() const {
  return bytes_of(handle_);
}

StringValue& StringValue::operator=(StringValue&& other) noexcept {
  if (this != &other) {
    reset();
    handle_ = other.handle_;
    owned_ = other.owned_;
    other.handle_ = nullptr;
    other.owned_ = false;
  }
  return *this;
}

std::u16string_view StringValue::view16() const {
  return units_of(handle_);
}
std::string_view StringValue::view8() const {
  return bytes_of(handle_);
}

void* StringValue::release_temporary() {
  if (!owned_) {
    return nullptr;
  }
  // A temporary's block is our own; the handle is const only so that a
  // borrowed value can never write through it.
  void* handle = const_cast<void*>(handle_); // NOLINT(cppcoreguidelines-pro-type-const-cast)
  handle_ = nullptr;
  owned_ = false;
  return handle;
}

void StringValue::reset() {
  if (owned_) {
    string_detail::release_block(
        const_cast<void*>(handle_)); // NOLINT(cppcoreguidelines-pro-type-const-cast)
  }
  handle_ = nullptr;
  owned_ = false;
}

RuntimeString string_alloc16(std::uint32_t units) {
  if (units == 0) {
    return {};
  }
  return RuntimeString::adopt(runtime_platform().sys_alloc_string_len(nullptr, units));
}

RuntimeString string_alloc8(std::uint32_t bytes) {
  if (bytes == 0) {
    return {};
  }
  return RuntimeString::adopt(runtime_platform().sys_alloc_string_byte_len(nullptr, bytes));
}

RuntimeString string_copy16(std::u16string_view units) {
  if (units.size() > UINT32_MAX) {
    return {};
  }
  RuntimeString result = string_alloc16(static_cast<std::uint32_t>(units.size()));
  if (!result.empty()) {
    std::memcpy(result.mutable_data(), units.data(), units.size() * sizeof(char16_t));
  }
  return result;
}

void string_assign(RuntimeString& variable, StringValue value) {
  if (value.is_temporary()) {
    variable = RuntimeString::adopt(value.release_temporary());
    return;
  }
  if (value.handle() == variable.handle()) {
    return; // the variable's own value: nothing to copy
  }
  const std::uint32_t bytes = value.byte_count();
  if (bytes == 0) {
    variable = RuntimeString();
    return;
  }
  if (variable.byte_count() == bytes) {
    std::memcpy(variable.mutable_data(), value.handle(), bytes);
    return;
  }
  RuntimeString copy = string_alloc8(bytes);
  if (copy.empty()) {
    variable = RuntimeString();
    runtime_raise_error(kErrorOutOfMemory);
    return;
  }
  std::memcpy(copy.mutable_data(), value.handle(), bytes);
  variable = std::move(copy);
}

StringValue string_to_wide(StringValue text, std::uint32_t code_page) {
  const std::string_view source = text.view8();
  if (source.empty() || source.size() > INT_MAX) {
    return {};
  }
  platform::Platform& system = runtime_platform();
  const std::uint32_t page = effective_code_page(code_page);
  const int source_bytes = static_cast<int>(source.size());
  // Precomposed characters where the code page allows the flag. UTF-8,
  // GB18030, UTF-7, ISO-2022, ISCII and Symbol take no such flag, and the
  // call fails there (as it does under a UTF-8 system code page); measuring
  // with no output can fail for nothing else that flags 0 would cure, so a
  // failed measurement is tried once more without the flag.
  std::uint32_t flags = platform::kMbPrecomposed;
  int units = system.multi_byte_to_wide_char(page, flags, source.data(), source_bytes, nullptr, 0);
  if (units <= 0) {
    flags = 0;
    units = system.multi_byte_to_wide_char(page, flags, source.data(), source_bytes, nullptr, 0);
  }
  if (units <= 0) {
    return {};
  }
  RuntimeString result = string_alloc16(static_cast<std::uint32_t>(units));
  if (result.empty()) {
    return {};
  }
  const int written =
      system.multi_byte_to_wide_char(page, flags, source.data(), source_bytes,
                                     static_cast<char16_t*>(result.mutable_data()), units);
  if (written != units) {
    return {};
  }
  return result;
}

StringValue string_to_ansi(StringValue text, std::uint32_t code_page) {
  const std::u16string_view source = text.view16();
  if (source.empty() || source.size() > INT_MAX) {
    return {};
  }
  platform::Platform& system = runtime_platform();
  const std::uint32_t page = effective_code_page(code_page);
  const int source_units = static_cast<int>(source.size());
  const int bytes =
      system.wide_char_to_multi_byte(page, 0, source.data(), source_units, nullptr, 0);
  if (bytes <= 0) {
    return {};
  }
  RuntimeString result = string_alloc8(static_cast<std::uint32_t>(bytes));
  if (result.empty()) {
    return {};
  }
  const int written = system.wide_char_to_multi_byte(
      page, 0, source.data(), source_units, static_cast<char*>(result.mutable_data()), bytes);
  if (written != bytes) {
    return {};
  }
  return result;
}

StringValue string_concat(StringValue left, StringValue right) {
  if (left.empty()) {
    return right;
  }
  if (right.empty()) {
    return left;
  }
  const std::uint32_t left_bytes = left.byte_count();
  const std::uint32_t right_bytes = right.byte_count();
  RuntimeString result = alloc_bytes(std::uint64_t{left_bytes} + right_bytes);
  if (result.empty()) {
    runtime_raise_error(kErrorOutOfMemory);
    return {};
  }
  auto* data = static_cast<unsigned char*>(result.mutable_data());
  std::memcpy(data, left.handle(), left_bytes);
  std::memcpy(data + left_bytes, right.handle(), right_bytes);
  return result;
}

StringValue string_repeat(std::int32_t count, StringValue text) {
  if (count == 0) {
    return {};
  }
  if (count < 0) {
    runtime_raise_error(kErrorOutOfMemory);
    return {};
  }
  const std::u16string_view source = text.view16();
  const char16_t fill = source.empty() ? u'\0' : source.front();
  RuntimeString result = string_alloc16(static_cast<std::uint32_t>(count));
  if (result.empty()) {
    runtime_raise_error(kErrorOutOfMemory);
    return {};
  }
  std::fill_n(static_cast<char16_t*>(result.mutable_data()), count, fill);
  return result;
}

std::int32_t string_compare(StringValue left, StringValue right) {
  // char16_t is unsigned, so the views compare units as unsigned 16-bit
  // values, and a string's own beginning is the smaller.
  const int order = left.view16().compare(right.view16());
  if (order == 0) {
    return 0;
  }
  return order < 0 ? -1 : 1;
}

// A start below 1 is read as 1: the whole text is checked.
std::int32_t string_verify(std::int32_t start, StringValue text, StringValue set) {
  const std::u16string_view units = text.view16();
  const std::u16string_view members = set.view16();
  const std::int32_t first = std::max(start, 1);
  if (units.empty()) {
    return 0;
  }
  if (members.empty()) {
    return first;
  }
  if (static_cast<std::uint32_t>(first) > units.size()) {
    return 0;
  }
  for (std::size_t i = static_cast<std::size_t>(first) - 1; i < units.size(); ++i) {
    if (members.find(units[i]) == std::u16string_view::npos) {
      return static_cast<std::int32_t>(i + 1);
    }
  }
  return 0;
}
