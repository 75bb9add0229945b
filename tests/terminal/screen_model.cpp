#include "tests/terminal/screen_model.h"

#include <algorithm>
#include <utility>

#include "runtime/platform/utf8.h"

namespace terminal_test {
namespace {

constexpr unsigned char kEsc = 0x1B;

bool is_final(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x40 && byte <= 0x7E;
}

} // namespace

ScreenModel::ScreenModel(int columns, int rows, ScreenOptions options)
    : columns_(columns), rows_(rows), options_(options),
      cells_(static_cast<std::size_t>(columns) * rows, options.initial) {}

std::string ScreenModel::row_text(int y) const {
  std::string text;
  for (int x = 0; x < columns_; ++x) {
    platform::utf8::append(text, at(x, y).character);
  }
  return text;
}

void ScreenModel::set_text(int x, int y, std::u32string_view text) {
  for (const char32_t c : text) {
    cells_[index(x++, y)].character = c;
  }
}

void ScreenModel::feed(std::string_view input) {
  partial_.append(input);
  const std::string bytes = std::exchange(partial_, {});
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t used = step(std::string_view(bytes).substr(i));
    if (used == 0) {
      partial_ = bytes.substr(i);
      return;
    }
    i += used;
  }
}

// Applies the sequence or character at the start of `bytes` and gives its
// length; 0 when it is cut off.
std::size_t ScreenModel::step(std::string_view bytes) {
  const auto byte = static_cast<unsigned char>(bytes[0]);
  if (byte == kEsc) {
    if (bytes.size() < 2) {
      return 0;
    }
    if (bytes[1] != '[') {
      problems_.push_back("an escape other than CSI: ESC " + std::string(1, bytes[1]));
      return 2;
    }
    const auto end = std::find_if(bytes.begin() + 2, bytes.end(), is_final);
    if (end == bytes.end()) {
      return 0;
    }
    const auto length = static_cast<std::size_t>(end - bytes.begin());
    control_sequence(bytes.substr(2, length - 2), *end);
    return length + 1;
  }
  if (byte < 0x20 || byte == 0x7F) {
    control(byte);
    return 1;
  }
  if (byte < 0x80 || !options_.utf8) {
    if (byte >= 0x80 && byte < 0xA0) {
      problems_.emplace_back("a C1 control");
    }
    print(byte);
    return 1;
  }
  const platform::utf8::Step decoded = platform::utf8::decode(bytes);
  switch (decoded.kind) {
  case platform::utf8::Step::Kind::incomplete:
    return 0;
  case platform::utf8::Step::Kind::ill_formed:
    problems_.emplace_back("ill-formed UTF-8");
    print(platform::utf8::kReplacement);
    break;
  case platform::utf8::Step::Kind::character:
    if (decoded.code_point < 0xA0) {
      problems_.emplace_back("a C1 control as text");
    }
    print(decoded.code_point);
    break;
  }
  return decoded.length;
}

void ScreenModel::control(unsigned char byte) {
  if (byte == '\r') {
    x_ = 0;
    wrap_pending_ = false;
  } else if (byte == '\a') {
    ++bells_;
  } else if (byte == '\n' || byte == '\b') {
    if (wrap_pending_) {
      problems_.emplace_back("a line feed or backspace while a wrap is pending");
    }
    if (byte == '\n') {
      line_feed();
    } else {
      x_ = std::max(0, x_ - (wrap_pending_ ? 0 : 1));
      wrap_pending_ = false;
    }
  } else {
    problems_.push_back("control byte " + std::to_string(byte));
  }
}

// Auto-wrap as xterm does it: writing the last column leaves the cursor
// there until the next character arrives, unless the terminal wraps at once.
void ScreenModel::print(char32_t character) {
  if (wrap_pending_) {
    x_ = 0;
    line_feed();
  }
  cells_[index(x_, y_)] = ScreenCell{character, foreground_, background_};
  if (x_ + 1 < columns_) {
    ++x_;
  } else if (options_.wraps_at_once) {
    x_ = 0;
    line_feed();
  } else {
    wrap_pending_ = true;
  }
}

void ScreenModel::line_feed() {
  wrap_pending_ = false;
  if (y_ + 1 < rows_) {
    ++y_;
    return;
  }
  scrollback_.push_back(row_text(0));
  cells_.erase(cells_.begin(), cells_.begin() + columns_);
  cells_.insert(cells_.end(), static_cast<std::size_t>(columns_),
                ScreenCell{U' ', foreground_, background_});
}

void ScreenModel::erase(std::size_t from, std::size_t to) {
  std::fill(cells_.begin() + static_cast<std::ptrdiff_t>(from),
            cells_.begin() + static_cast<std::ptrdiff_t>(to),
            ScreenCell{U' ', foreground_, background_});
}

void ScreenModel::control_sequence(std::string_view body, char final) {
  const std::string sequence = "CSI " + std::string(body) + final;
  const bool is_private = !body.empty() && body.front() == '?';
  if (is_private) {
    body.remove_prefix(1);
  }
  std::vector<int> parameters;
  int value = -1; // -1: left out
  for (const char c : body) {
    if (c >= '0' && c <= '9') {
      value = std::min(std::max(value, 0) * 10 + (c - '0'), 100000);
    } else if (c == ';') {
      parameters.push_back(value);
      value = -1;
    } else {
      problems_.push_back("an unknown " + sequence);
      return;
    }
  }
  parameters.push_back(value);
  auto parameter = [&parameters](std::size_t i) {
    return i < parameters.size() && parameters[i] > 0 ? parameters[i] : 1;
  };

  if (is_private) {
    if (parameters == std::vector<int>{25} && (final == 'h' || final == 'l')) {
      cursor_visible_ = final == 'h' ? 1 : 0;
    } else {
      problems_.push_back("an unknown " + sequence);
    }
    return;
  }
  if (final == 'm') {
    select_graphic_rendition(parameters);
    return;
  }
  if (std::string_view("HABCDGdKJ").find(final) == std::string_view::npos) {
    problems_.push_back("an unknown " + sequence);
    return;
  }
  if (parameters.size() > (final == 'H' ? 2U : 1U)) {
    problems_.push_back("too many parameters: " + sequence);
  }
  if (wrap_pending_ && final != 'H') {
    problems_.push_back(sequence + " while a wrap is pending");
  }
  wrap_pending_ = false;
  const int n = parameter(0);
  switch (final) {
  case 'H':
    y_ = std::min(n, rows_) - 1;
    x_ = std::min(parameter(1), columns_) - 1;
    break;
  case 'A':
    y_ = std::max(0, y_ - n);
    break;
  case 'B':
    y_ = std::min(rows_ - 1, y_ + n);
    break;
  case 'C':
    x_ = std::min(columns_ - 1, x_ + n);
    break;
  case 'D':
    x_ = std::max(0, x_ - n);
    break;
  case 'G':
    x_ = std::min(n, columns_) - 1;
    break;
  case 'd':
    y_ = std::min(n, rows_) - 1;
    break;
  default: // 'K' and 'J'
    if (parameters[0] > 0) {
      problems_.push_back("an erase other than to the end: " + sequence);
    }
    erase(index(x_, y_), final == 'K' ? index(0, y_ + 1) : cells_.size());
    break;
  }
}

void ScreenModel::select_graphic_rendition(const std::vector<int>& parameters) {
  for (const int value : parameters) {
    if (value <= 0) {
      foreground_ = background_ = -1;
    } else if (value >= 30 && value <= 37) {
      foreground_ = value - 30;
    } else if (value >= 90 && value <= 97) {
      foreground_ = value - 90 + 8;
    } else if (value >= 40 && value <= 47) {
      background_ = value - 40;
    } else if (value >= 100 && value <= 107) {
      background_ = value - 100 + 8;
    } else {
      problems_.push_back("SGR " + std::to_string(value));
    }
  }
}

} // namespace terminal_test
