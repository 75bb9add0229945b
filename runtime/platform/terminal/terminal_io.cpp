#include "runtime/platform/terminal/terminal_io.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "runtime/platform/terminal/terminal_signals.h"

namespace platform::terminal {

bool TerminalModes::save(int fd) {
  if (fd_ >= 0) {
    return true;
  }
  if (::tcgetattr(fd, &original_) != 0) {
    return false;
  }
  fd_ = fd;
  return true;
}

void TerminalModes::enter(bool signal_keys) {
  if (fd_ < 0) {
    return;
  }
  termios modes = original_;
  modes.c_iflag &=
      ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
  modes.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  modes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
  if (signal_keys) {
    modes.c_lflag |= ISIG;
  } else {
    modes.c_lflag &= ~static_cast<tcflag_t>(ISIG);
  }
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  ::tcsetattr(fd_, TCSANOW, &modes);
}

void TerminalModes::restore() {
  if (fd_ >= 0) {
    ::tcsetattr(fd_, TCSANOW, &original_);
  }
}

namespace {

// Empties the signal wake-up pipe while a write waits, so that a signal the
// program is not ending for does not turn the wait into a spin; what arrived
// stays recorded for the console to act on.
void drain(int wake_fd) {
  char bytes[64];
  while (::read(wake_fd, bytes, sizeof bytes) > 0) {
  }
}

} // namespace

bool write_all(int fd, std::string_view data) {
  const int wake_fd = signals::wake_fd();
  while (!data.empty()) {
    if (signals::ending()) {
      errno = EINTR;
      return false;
    }
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written > 0) {
      data.remove_prefix(static_cast<std::size_t>(written));
      continue;
    }
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // The terminal is not reading: wait until it takes more or a signal
      // arrives, however long that is.
      pollfd ready[2] = {{fd, POLLOUT, 0}, {wake_fd, POLLIN, 0}};
      if (::poll(ready, wake_fd >= 0 ? 2 : 1, -1) > 0 && (ready[1].revents & POLLIN) != 0) {
        drain(wake_fd);
      }
      continue;
    }
    return false;
  }
  return true;
}

void write_briefly(int fd, std::string_view data, int timeout_ms) {
  while (!data.empty()) {
    pollfd ready{fd, POLLOUT, 0};
    if (::poll(&ready, 1, timeout_ms) <= 0 || (ready.revents & POLLOUT) == 0) {
      return;
    }
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written <= 0) {
      return;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
}

ReadResult read_ready(int fd, std::string& into) {
  pollfd ready{fd, POLLIN, 0};
  const int count = ::poll(&ready, 1, 0);
  if (count <= 0) {
    return ReadResult::nothing;
  }
  if ((ready.revents & POLLIN) == 0) {
    // Hung up, error or a closed descriptor, with nothing left to read.
    return (ready.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 ? ReadResult::gone
                                                                 : ReadResult::nothing;
  }
  char buffer[4096];
  const ssize_t bytes = ::read(fd, buffer, sizeof buffer);
  if (bytes > 0) {
    into.append(buffer, static_cast<std::size_t>(bytes));
    return ReadResult::bytes;
  }
  if (bytes < 0 && (errno == EINTR || errno == EAGAIN)) {
    return ReadResult::nothing;
  }
  // End of file or EIO: the terminal went away.
  return ReadResult::gone;
}

void wait_readable(int fd, int wake_fd, int timeout_ms) {
  pollfd ready[2] = {{fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
  ::poll(ready, wake_fd >= 0 ? 2 : 1, timeout_ms);
}

std::uint64_t monotonic_ms() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000U +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000000U;
}

bool terminal_size(int fd, int& columns, int& rows) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
    return false;
  }
  columns = size.ws_col;
  rows = size.ws_row;
  return true;
}

} // namespace platform::terminal
