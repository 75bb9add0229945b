// The memory console's input queue, keys and virtual clock.
#include <algorithm>
#include <array>

#include "runtime/platform/key_records.h"
#include "runtime/platform/memory/memory_console.h"
#include "runtime/platform/us_layout.h"

namespace platform {

namespace {

// The virtual-key code of a key that types nothing; 0 for an unknown one.
std::uint16_t silent_key_vk(std::uint16_t scan_code) {
  for (const us_layout::SilentKey& key : us_layout::kNavigationAndFunctionKeys) {
    if (key.scan == scan_code) {
      return key.vk;
    }
  }
  for (const us_layout::ModifierKey& key : us_layout::kModifierKeys) {
    if (key.scan == scan_code) {
      return key.vk;
    }
  }
  return 0;
}

constexpr std::uint16_t kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool is_leap_year(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month) {
  return month == 2 && is_leap_year(year) ? 29 : kDaysInMonth[month - 1];
}

} // namespace

KeyEvent MemoryConsole::key_for(char16_t character) {
  return character_key(character);
}

void MemoryConsole::push_record(const InputRecord& record) {
  queue_.push_back(record);
  idle_since_ms_ = clock_ms_;
}

void MemoryConsole::push_record_at(std::uint64_t clock_ms, const InputRecord& record) {
  // Kept in arrival order; records due at the same time keep their order.
  auto later =
      std::upper_bound(timed_.begin(), timed_.end(), clock_ms,
                       [](std::uint64_t at, const TimedRecord& timed) { return at < timed.at_ms; });
  timed_.insert(later, TimedRecord{clock_ms, record});
}

void MemoryConsole::press(const KeyEvent& key_down) {
  for (const InputRecord& record : key_press(key_down)) {
    push_record(record);
  }
}

void MemoryConsole::type(std::u16string_view text) {
  for (char16_t unit : text) {
    press(key_for(unit));
  }
}

void MemoryConsole::press_scan(std::uint16_t scan_code, std::uint32_t control_key_state) {
  KeyEvent key;
  key.key_down = 1;
  key.virtual_scan_code = scan_code;
  key.control_key_state = control_key_state;
  key.virtual_key_code = silent_key_vk(scan_code);
  press(key);
}

std::size_t MemoryConsole::pending_input() const {
  return queue_.size() + timed_.size();
}

void MemoryConsole::deliver_due_records() {
  auto due = std::find_if(timed_.begin(), timed_.end(),
                          [this](const TimedRecord& timed) { return timed.at_ms > clock_ms_; });
  for (auto it = timed_.begin(); it != due; ++it) {
    queue_.push_back(it->record);
    idle_since_ms_ = std::max(idle_since_ms_, it->at_ms);
  }
  timed_.erase(timed_.begin(), due);
}

bool MemoryConsole::peek_console_input(Handle console, InputRecord& record, std::uint32_t& count) {
  log("PeekConsoleInputW");
  count = 0;
  if (!is_input(console) || failures_.peek) {
    return false;
  }
  deliver_due_records();
  if (queue_.empty()) {
    // Nothing typed and nothing scripted for a long while: the script is
    // over, and the test takes over.
    if (timed_.empty() && clock_ms_ - idle_since_ms_ >= config_.idle_limit_ms) {
      throw MemoryConsoleStop{MemoryConsoleStop::Reason::input_exhausted, 0};
    }
    return true;
  }
  record = queue_.front();
  count = 1;
  return true;
}

bool MemoryConsole::read_console_input(Handle console, InputRecord& record, std::uint32_t& count) {
  log("ReadConsoleInputW");
  count = 0;
  if (!is_input(console) || failures_.read) {
    return false;
  }
  deliver_due_records();
  // Reading waits for a record: the clock runs on to the next scripted one.
  while (queue_.empty()) {
    if (timed_.empty()) {
      // The wait would never end: it ends the script once the idle limit
      // has passed on the clock.
      clock_ms_ = std::max(clock_ms_, idle_since_ms_ + config_.idle_limit_ms);
      throw MemoryConsoleStop{MemoryConsoleStop::Reason::input_exhausted, 0};
    }
    clock_ms_ = std::max(clock_ms_, timed_.front().at_ms);
    deliver_due_records();
  }
  record = queue_.front();
  queue_.erase(queue_.begin());
  idle_since_ms_ = clock_ms_;
  count = 1;
  return true;
}

void MemoryConsole::sleep(std::uint32_t milliseconds) {
  log("Sleep");
  clock_ms_ += milliseconds;
}

void MemoryConsole::get_local_time(SystemTime& time) {
  log("GetLocalTime");
  time = config_.start_time;
  std::uint64_t total_ms = time.milliseconds + clock_ms_;
  time.milliseconds = static_cast<std::uint16_t>(total_ms % 1000);
  std::uint64_t total_s = time.second + total_ms / 1000;
  time.second = static_cast<std::uint16_t>(total_s % 60);
  std::uint64_t total_min = time.minute + total_s / 60;
  time.minute = static_cast<std::uint16_t>(total_min % 60);
  std::uint64_t total_h = time.hour + total_min / 60;
  time.hour = static_cast<std::uint16_t>(total_h % 24);
  std::uint64_t days = total_h / 24;
  time.day_of_week = static_cast<std::uint16_t>((time.day_of_week + days) % 7);
  int year = time.year;
  int month = std::clamp<int>(time.month, 1, 12);
  std::uint64_t day = time.day + days;
  while (day > static_cast<std::uint64_t>(days_in_month(year, month))) {
    day -= static_cast<std::uint64_t>(days_in_month(year, month));
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint16_t>(month);
  time.day = static_cast<std::uint16_t>(day);
}

bool MemoryConsole::message_beep(std::uint32_t /*type*/) {
  log("MessageBeep");
  ++beeps_;
  return true;
}

} // namespace platform
