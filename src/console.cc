#include "console.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/select.h>
#include <unistd.h>
#endif

namespace {

volatile std::sig_atomic_t interrupt_caught = 0;

#ifdef _WIN32
// The console's own Ctrl-C handling stays in place: it ends the program.
int read_some(int fd, char* to, int size) {
  return ::_read(fd, to, static_cast<unsigned>(size));
}
int write_some(int fd, const char* from, int size) {
  return ::_write(fd, from, static_cast<unsigned>(size));
}
bool wait_for_input(int /*fd*/) { return true; }
#else
extern "C" void on_interrupt(int /*signal*/) { interrupt_caught = 1; }

int read_some(int fd, char* to, int size) {
  return static_cast<int>(::read(fd, to, static_cast<size_t>(size)));
}
int write_some(int fd, const char* from, int size) {
  return static_cast<int>(::write(fd, from, static_cast<size_t>(size)));
}

// Waits until `fd` has input; false once Ctrl-C has been caught. SIGINT is
// blocked from the check of the flag until pselect lets it in, so a Ctrl-C
// that comes just before the wait cannot leave the program waiting.
bool wait_for_input(int fd) {
  sigset_t sigint, unblocked;
  sigemptyset(&sigint);
  sigaddset(&sigint, SIGINT);
  sigprocmask(SIG_BLOCK, &sigint, &unblocked);
  fd_set fds;
  FD_ZERO(&fds);
  FD_SET(fd, &fds);
  while (interrupt_caught == 0 &&
         pselect(fd + 1, &fds, nullptr, nullptr, nullptr, &unblocked) < 0 &&
         errno == EINTR) {
    FD_SET(fd, &fds);
  }
  sigprocmask(SIG_SETMASK, &unblocked, nullptr);
  // Any other failure of pselect is left for read to report.
  return interrupt_caught == 0;
}
#endif

}  // namespace

fd_streambuf::fd_streambuf(int fd, direction dir) : fd_(fd) {
  if (dir == direction::out) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
}

fd_streambuf::int_type fd_streambuf::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  while (wait_for_input(fd_)) {
    const int got =
        read_some(fd_, buffer_.data(), static_cast<int>(buffer_.size()));
    if (got > 0) {
      setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
      return traits_type::to_int_type(*gptr());
    }
    if (got == 0) break;
    if (errno != EINTR) {
      if (error_ == 0) error_ = errno;
      break;
    }
  }
  return traits_type::eof();
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
    const int put = write_some(fd_, next, static_cast<int>(pptr() - next));
    if (put >= 0) {
      next += put;
    } else if (errno != EINTR) {
      error_ = errno;
      return false;
    }
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return true;
}

void catch_interrupt() {
#ifndef _WIN32
  struct sigaction action = {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART, so a waiting read returns; SA_RESETHAND makes a second
  // Ctrl-C end the program even if it is stuck writing.
  action.sa_flags = static_cast<int>(SA_RESETHAND);
  struct sigaction before = {};
  sigaction(SIGINT, &action, &before);
  // A program started with Ctrl-C ignored (in the background) keeps it so.
  if (before.sa_handler == SIG_IGN) sigaction(SIGINT, &before, nullptr);
#endif
}

bool interrupted() { return interrupt_caught != 0; }

void end_as_interrupted() {
  std::signal(SIGINT, SIG_DFL);
  std::raise(SIGINT);
  // Only reached when the caller started the program with SIGINT blocked.
  // cppcheck-suppress unreachableCode
  std::_Exit(130);
}
