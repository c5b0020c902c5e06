#include "console.h"

#include <unistd.h>

#include <cerrno>

fd_streambuf::fd_streambuf(int fd, direction dir) : fd_(fd) {
  if (dir == direction::out) setp(buffer_, buffer_ + sizeof buffer_);
}

fd_streambuf::int_type fd_streambuf::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
    if (got > 0) {
      setg(buffer_, buffer_, buffer_ + got);
      return traits_type::to_int_type(*gptr());
    }
    if (got == 0) return traits_type::eof();
    if (errno != EINTR) {
      if (error_ == 0) error_ = errno;
      return traits_type::eof();
    }
  }
}

fd_streambuf::int_type fd_streambuf::overflow(int_type c) {
  if (!drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return 0;
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int fd_streambuf::sync() { return drain() ? 0 : -1; }

bool fd_streambuf::drain() {
  if (error_ != 0) return false;
  const char* next = pbase();
  while (next < pptr()) {
    const ssize_t put = ::write(fd_, next, static_cast<size_t>(pptr() - next));
    if (put >= 0) {
      next += put;
    } else if (errno != EINTR) {
      error_ = errno;
      return false;
    }
  }
  setp(buffer_, buffer_ + sizeof buffer_);
  return true;
}
