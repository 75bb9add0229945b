// The runtime's string value. A string is one block: a 32-bit byte count, the
// data, and a zero unit; its handle points at the data, and the null handle is
// the empty string, for which no block exists. The same container holds UTF-16
// text (everything printed, compared or read from the keyboard) and 8-bit text
// in a code page (literals before conversion, and the input of
// string_to_number).
//
// Ownership: a string variable (RuntimeString) owns its block. An operand or
// result (StringValue) is either borrowed (a literal, or a variable's current
// value) or a temporary that it owns. Every operation consumes its operands,
// releasing the temporaries among them, and gives a new value.
#pragma once

#include <cstdint>
#include <string_view>

namespace string_detail {
std::uint32_t block_byte_count(const void* handle);
void release_block(void* handle);
} // namespace string_detail

class StringValue;

// A string variable.
class RuntimeString {
public:
  RuntimeString() = default;
  RuntimeString(const RuntimeString&) = delete;
  RuntimeString& operator=(const RuntimeString&) = delete;
  RuntimeString(RuntimeString&& other) noexcept : handle_(other.handle_) {
    other.handle_ = nullptr;
  }
  RuntimeString& operator=(RuntimeString&& other) noexcept;
  ~RuntimeString() { string_detail::release_block(handle_); }

  // Takes over a block made by the platform's string allocator.
  static RuntimeString adopt(void* handle) {
    RuntimeString result;
    result.handle_ = handle;
    return result;
  }
  void* release() {
    void* handle = handle_;
    handle_ = nullptr;
    return handle;
  }

  [[nodiscard]] const void* handle() const { return handle_; }
  [[nodiscard]] void* mutable_data() { return handle_; }
  [[nodiscard]] bool empty() const { return handle_ == nullptr; }
  [[nodiscard]] std::uint32_t byte_count() const {
    return string_detail::block_byte_count(handle_);
  }
  [[nodiscard]] std::u16string_view view16() const;
  [[nodiscard]] std::string_view view8() const;

private:
  void* handle_ = nullptr;
};

// An operand or result of a string operation.
class StringValue {
public:
  StringValue() = default;
  // A variable's current value, borrowed: only read.
  StringValue(const RuntimeString& variable) // NOLINT(google-explicit-constructor)
      : handle_(variable.handle()) {}
  // A temporary, taken over without copying.
  StringValue(RuntimeString&& temporary) // NOLINT(google-explicit-constructor)
      : handle_(temporary.release()), owned_(handle_ != nullptr) {}
  static StringValue borrowed(const void* handle) {
    StringValue value;
    value.handle_ = handle;
    return value;
  }
  StringValue(const StringValue&) = delete;
  StringValue& operator=(const StringValue&) = delete;
  StringValue(StringValue&& other) noexcept : handle_(other.handle_), owned_(other.owned_) {
    other.handle_ = nullptr;
    other.owned_ = false;
  }
  StringValue& operator=(StringValue&& other) noexcept;
  ~StringValue() { reset(); }

  [[nodiscard]] const void* handle() const { return handle_; }
  [[nodiscard]] bool is_temporary() const { return owned_; }
  [[nodiscard]] bool empty() const { return handle_ == nullptr; }
  [[nodiscard]] std::uint32_t byte_count() const {
    return string_detail::block_byte_count(handle_);
  }
  [[nodiscard]] std::u16string_view view16() const;
  [[nodiscard]] std::string_view view8() const;

  // Gives up a temporary's block to a new owner; null for a borrowed value.
  void* release_temporary();
  void reset();

private:
  const void* handle_ = nullptr;
  bool owned_ = false;
};

// New blocks from the platform's automation string allocator, uninitialised
// data and a zero unit after it; an empty result when the allocation fails
// (or for a length of 0, which needs no block).
RuntimeString string_alloc16(std::uint32_t units);
RuntimeString string_alloc8(std::uint32_t bytes);
// A new UTF-16 string holding `units`; empty when it cannot be allocated.
RuntimeString string_copy16(std::u16string_view units);

// Assignment to a variable: a temporary moves in; a borrowed value is copied,
// into the variable's own block when it has the same byte count. An
// allocation failure raises run-time error 7 and leaves the variable empty.
void string_assign(RuntimeString& variable, StringValue value);

// Conversions through a code page; 0 means the calling thread's current one.
// Measured first, converted second, one allocation; any failure gives the
// empty string without an error.
StringValue string_to_wide(StringValue text, std::uint32_t code_page = 0);
StringValue string_to_ansi(StringValue text, std::uint32_t code_page = 0);

StringValue string_concat(StringValue left, StringValue right);
// count copies of the first unit of text (U+0000 for the empty text); a
// negative or unallocatable count raises error 7 and gives the empty string.
StringValue string_repeat(std::int32_t count, StringValue text);
// Unit by unit as unsigned 16-bit values; negative, 0 or positive.
std::int32_t string_compare(StringValue left, StringValue right);
// 1-based position of the first unit from `start` on that is not in `set`;
// 0 when there is none.
std::int32_t string_verify(std::int32_t start, StringValue text, StringValue set);
