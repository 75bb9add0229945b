#include "fuzz/vt_screen.h"

#include <algorithm>

namespace fuzz {
namespace {

constexpr unsigned char kEsc = 0x1B;

// The code point of a UTF-8 sequence at the start of `bytes` and its length;
// length 0 for an ill-formed or cut-off sequence.
std::pair<char32_t, std::size_t> decode_utf8(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  char32_t code_point = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0FU;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07U;
  } else {
    return {0, 0};
  }
  if (bytes.size() < length) {
    return {0, 0};
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0U) != 0x80) {
      return {0, 0};
    }
    code_point = (code_point << 6U) | (next & 0x3FU);
  }
  const bool overlong =
      (length == 3 && code_point < 0x800) || (length == 4 && code_point < 0x10000);
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  if (overlong || surrogate || code_point > 0x10FFFF) {
    return {0, 0};
  }
  return {code_point, length};
}

} // namespace

VtScreen::VtScreen(int columns, int rows, bool wraps_at_once, bool utf8)
    : columns_(columns), rows_(rows), wraps_at_once_(wraps_at_once), utf8_(utf8),
      cells_(static_cast<std::size_t>(columns) * rows) {}

bool VtScreen::apply(std::string_view bytes, std::string& error) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte == kEsc) {
      if (i + 1 >= bytes.size() || bytes[i + 1] != '[') {
        error = "an escape other than CSI";
        return false;
      }
      std::size_t end = i + 2;
      while (end < bytes.size() && (static_cast<unsigned char>(bytes[end]) < 0x40 ||
                                    static_cast<unsigned char>(bytes[end]) > 0x7E)) {
        ++end;
      }
      if (end == bytes.size()) {
        error = "a control sequence cut off";
        return false;
      }
      if (!csi(bytes.substr(i, end + 1 - i), error)) {
        return false;
      }
      i = end + 1;
    } else if (byte < 0x20 || byte == 0x7F) {
      if (!control(byte, error)) {
        return false;
      }
      ++i;
    } else if (byte < 0x80) {
      print(byte);
      ++i;
    } else if (!utf8_) {
      if (byte < 0xA0) {
        error = "a C1 control";
        return false;
      }
      print(byte);
      ++i;
    } else {
      const auto [code_point, length] = decode_utf8(bytes.substr(i));
      if (length == 0) {
        error = "ill-formed UTF-8";
        return false;
      }
      if (code_point >= 0x80 && code_point < 0xA0) {
        error = "a C1 control as text";
        return false;
      }
      print(code_point);
      i += length;
    }
  }
  return true;
}

bool VtScreen::control(unsigned char byte, std::string& error) {
  if (byte == '\r') {
    x_ = 0;
    wrap_pending_ = false;
    return true;
  }
  if (wrap_pending_) {
    error = "a line feed or backspace while a wrap is pending";
    return false;
  }
  if (byte == '\n') {
    line_feed();
    return true;
  }
  if (byte == '\b') {
    x_ = std::max(0, x_ - 1);
    return true;
  }
  error = "control byte " + std::to_string(byte);
  return false;
}

void VtScreen::line_feed() {
  if (y_ + 1 < rows_) {
    ++y_;
    return;
  }
  cells_.erase(cells_.begin(), cells_.begin() + columns_);
  cells_.insert(cells_.end(), static_cast<std::size_t>(columns_),
                VtCell{U' ', foreground_, background_});
  ++scrolled_;
}

void VtScreen::print(char32_t code_point) {
  if (wrap_pending_) {
    wrap_pending_ = false;
    x_ = 0;
    line_feed();
  }
  at(x_, y_) = VtCell{code_point, foreground_, background_};
  if (x_ + 1 < columns_) {
    ++x_;
  } else if (wraps_at_once_) {
    x_ = 0;
    line_feed();
  } else {
    wrap_pending_ = true;
  }
}

void VtScreen::erase(std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i < end; ++i) {
    cells_[i] = VtCell{U' ', foreground_, background_};
  }
}

bool VtScreen::csi(std::string_view sequence, std::string& error) {
  const char final = sequence.back();
  std::string_view body = sequence.substr(2, sequence.size() - 3);
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
      error = "a control sequence with '" + std::string(1, c) + "'";
      return false;
    }
  }
  parameters.push_back(value);
  auto parameter = [&parameters](std::size_t i, int fallback) {
    return i < parameters.size() && parameters[i] > 0 ? parameters[i] : fallback;
  };

  if (is_private) {
    if (parameters.size() == 1 && parameters[0] == 25 && (final == 'h' || final == 'l')) {
      cursor_visible_ = final == 'h' ? 1 : 0;
      return true;
    }
    error = "a private mode other than the cursor's";
    return false;
  }
  if (final == 'm') {
    return sgr(parameters, error);
  }
  if (parameters.size() > (final == 'H' ? 2U : 1U)) {
    error = "too many parameters for CSI " + std::string(1, final);
    return false;
  }
  const int n = parameter(0, 1);
  if (wrap_pending_ && final != 'H') {
    error = "CSI " + std::string(1, final) + " while a wrap is pending";
    return false;
  }
  wrap_pending_ = false;
  const std::size_t here = static_cast<std::size_t>(y_) * columns_ + x_;
  switch (final) {
  case 'H':
    y_ = std::min(parameter(0, 1), rows_) - 1;
    x_ = std::min(parameter(1, 1), columns_) - 1;
    return true;
  case 'A':
    y_ = std::max(0, y_ - n);
    return true;
  case 'B':
    y_ = std::min(rows_ - 1, y_ + n);
    return true;
  case 'C':
    x_ = std::min(columns_ - 1, x_ + n);
    return true;
  case 'D':
    x_ = std::max(0, x_ - n);
    return true;
  case 'G':
    x_ = std::min(n, columns_) - 1;
    return true;
  case 'd':
    y_ = std::min(n, rows_) - 1;
    return true;
  case 'K':
  case 'J':
    if (parameters[0] > 0) {
      error = "an erase other than to the end";
      return false;
    }
    erase(here, final == 'K' ? static_cast<std::size_t>(y_ + 1) * columns_ : cells_.size());
    return true;
  default:
    error = "CSI " + std::string(1, final);
    return false;
  }
}

bool VtScreen::sgr(const std::vector<int>& parameters, std::string& error) {
  for (const int p : parameters) {
    if (p <= 0) {
      foreground_ = -1;
      background_ = -1;
    } else if (p >= 30 && p <= 37) {
      foreground_ = p - 30;
    } else if (p >= 90 && p <= 97) {
      foreground_ = p - 90 + 8;
    } else if (p >= 40 && p <= 47) {
      background_ = p - 40;
    } else if (p >= 100 && p <= 107) {
      background_ = p - 100 + 8;
    } else {
      error = "SGR " + std::to_string(p);
      return false;
    }
  }
  return true;
}

} // namespace fuzz
