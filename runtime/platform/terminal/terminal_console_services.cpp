// The terminal console's services that are no console: version, command
// line, process handle, memory, thread-local slots, automation strings, local
// time and message boxes.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/platform/string_block.h"
#include "runtime/platform/terminal/terminal_console.h"
#include "runtime/platform/terminal/terminal_io.h"

namespace platform::terminal {

// The C library's record of the program's name: getprogname on macOS and
// the BSDs, the GNU name (glibc, musl) elsewhere.
const char* program_name() {
#if defined(__APPLE__) || defined(__FreeBSD__) || defined(__NetBSD__) || defined(__OpenBSD__) ||   \
    defined(__DragonFly__)
  const char* name = ::getprogname();
#else
  const char* name = ::program_invocation_short_name;
#endif
  return name != nullptr && *name != 0 ? name : "program";
}

void TerminalConsole::get_local_time(SystemTime& time) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  time.year = static_cast<std::uint16_t>(local.tm_year + 1900);
  time.month = static_cast<std::uint16_t>(local.tm_mon + 1);
  time.day_of_week = static_cast<std::uint16_t>(local.tm_wday);
  time.day = static_cast<std::uint16_t>(local.tm_mday);
  time.hour = static_cast<std::uint16_t>(local.tm_hour);
  time.minute = static_cast<std::uint16_t>(local.tm_min);
  time.second = static_cast<std::uint16_t>(std::min(local.tm_sec, 59));
  time.milliseconds = static_cast<std::uint16_t>(now.tv_nsec / 1000000);
}

bool TerminalConsole::get_version_ex(OsVersionInfo& info) {
  // This console offers everything the runtime asks of an NT console.
  info.major_version = 10;
  info.minor_version = 0;
  info.build_number = 19041;
  info.platform_id = kPlatformWin32Nt;
  info.service_pack[0] = 0;
  return true;
}

// The arguments as one command line, quoted the way Windows quotes them.
// They are read from /proc; where there is none (macOS, a BSD without
// procfs) the command line is the program's name alone, which is all the
// programs look at.
const char16_t* TerminalConsole::get_command_line() {
  if (command_line_.empty()) {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string raw{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::size_t start = 0;
    while (start < raw.size()) {
      std::size_t end = raw.find('\0', start);
      if (end == std::string::npos) {
        end = raw.size();
      }
      const std::string argument = raw.substr(start, end - start);
      if (!command_line_.empty()) {
        command_line_ += u' ';
      }
      const bool quote = argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
      if (quote) {
        command_line_ += u'"';
      }
      for (const char16_t unit : converter_.decode(codeset_, argument)) {
        if (unit == u'"') {
          command_line_ += u'\\';
        }
        command_line_ += unit;
      }
      if (quote) {
        command_line_ += u'"';
      }
      start = end + 1;
    }
    if (command_line_.empty()) {
      command_line_ = converter_.decode(codeset_, program_name());
    }
  }
  return command_line_.c_str();
}

Handle TerminalConsole::get_module_handle() {
  static const char module_marker = 0;
  return reinterpret_cast<Handle>(&module_marker);
}

std::uint32_t TerminalConsole::tls_alloc() {
  for (std::size_t i = 0; i < kTlsSlots; ++i) {
    if (!tls_used_[i]) {
      tls_used_[i] = true;
      tls_values_[i] = nullptr;
      return static_cast<std::uint32_t>(i);
    }
  }
  return kTlsOutOfIndexes;
}

void* TerminalConsole::tls_get_value(std::uint32_t index) {
  return index < kTlsSlots && tls_used_[index] ? tls_values_[index] : nullptr;
}

bool TerminalConsole::tls_set_value(std::uint32_t index, void* value) {
  if (index >= kTlsSlots || !tls_used_[index]) {
    return false;
  }
  tls_values_[index] = value;
  return true;
}

bool TerminalConsole::tls_free(std::uint32_t index) {
  if (index >= kTlsSlots || !tls_used_[index]) {
    return false;
  }
  tls_used_[index] = false;
  tls_values_[index] = nullptr;
  return true;
}

// --- Strings and messages --------------------------------------------------

// An automation string's block (see string_block.h); the handle points at
// the data.
void* TerminalConsole::allocate_string(std::uint32_t bytes) {
  if (bytes > 0x7FFFFFF0U) {
    return nullptr;
  }
  void* block = std::calloc(1, string_block::block_bytes(bytes));
  return block == nullptr ? nullptr : string_block::format(block, bytes);
}

char16_t* TerminalConsole::sys_alloc_string_len(const char16_t* source, std::uint32_t units) {
  if (units > 0x3FFFFFF0U) {
    return nullptr;
  }
  auto* data = static_cast<char16_t*>(allocate_string(units * 2));
  if (data != nullptr && source != nullptr) {
    std::memcpy(data, source, static_cast<std::size_t>(units) * 2);
  }
  return data;
}

char* TerminalConsole::sys_alloc_string_byte_len(const char* source, std::uint32_t bytes) {
  auto* data = static_cast<char*>(allocate_string(bytes));
  if (data != nullptr && source != nullptr) {
    std::memcpy(data, source, bytes);
  }
  return data;
}

void TerminalConsole::sys_free_string(void* string) {
  if (string != nullptr) {
    std::free(string_block::block_of(string));
  }
}

std::int32_t TerminalConsole::message_box(Handle /*owner*/, const char* text, const char* caption,
                                          std::uint32_t /*type*/) {
  std::string line = caption != nullptr && *caption != 0 ? std::string(caption) : program_name();
  line += ": ";
  line += text != nullptr ? text : "";
  line += '\n';
  terminal::write_all(STDERR_FILENO, line);
  return 1; // OK
}

} // namespace platform::terminal
