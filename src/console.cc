#include "console.h"

console_output::int_type console_output::overflow(int_type c) {
  if (!drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return traits_type::not_eof(c);
  }
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int console_output::sync() { return drain() ? 0 : -1; }

bool console_output::drain() {
  if (!error_.empty()) return false;
  const bool written =
      write_text(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return written;
}

console_input::int_type console_input::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const std::size_t got = read_some(buffer_.data(), buffer_.size());
  if (got == 0) return traits_type::eof();
  setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
  return traits_type::to_int_type(*gptr());
}
