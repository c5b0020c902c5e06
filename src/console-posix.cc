// The console on POSIX systems: file descriptors 0 and 1, SIGINT, and
// iconv to show the Windows-1250 text at a terminal, which is UTF-8.
#include <iconv.h>
#include <sys/select.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "console.h"

namespace {

volatile std::sig_atomic_t interrupt_caught = 0;

extern "C" void on_interrupt(int /*signal*/) { interrupt_caught = 1; }

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

// Writes all `size` bytes to standard output; false, with `error` set, when
// a write failed.
bool write_all(const char* from, std::size_t size, std::string& error) {
  while (size > 0) {
    const ssize_t put = ::write(1, from, size);
    if (put >= 0) {
      from += put;
      size -= static_cast<std::size_t>(put);
    } else if (errno != EINTR) {
      error = std::strerror(errno);
      return false;
    }
  }
  return true;
}

}  // namespace

std::size_t console_input::read_some(char* to, std::size_t size) {
  while (wait_for_input(0)) {
    const ssize_t got = ::read(0, to, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      error_ = std::strerror(errno);
      break;
    }
  }
  return 0;
}

struct console_output::terminal {
  explicit terminal(iconv_t converter) : to_utf8(converter) {}
  ~terminal() { iconv_close(to_utf8); }
  terminal(const terminal&) = delete;
  terminal& operator=(const terminal&) = delete;

  iconv_t to_utf8;
};

console_output::console_output() {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  // Whatever the locale says, terminals here are UTF-8; the raw bytes would
  // show there as holes or replacement marks.
  if (::isatty(1) == 0) return;
  const iconv_t converter = iconv_open("UTF-8", "CP1250");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's failure value
  if (converter != reinterpret_cast<iconv_t>(-1)) {
    terminal_ = std::make_unique<terminal>(converter);
  }
}

console_output::~console_output() { drain(); }

bool console_output::write_text(const char* from, std::size_t size) {
  if (!terminal_) return write_all(from, size, error_);
  // A Windows-1250 byte takes at most three bytes in UTF-8.
  constexpr std::size_t chunk = 4096;
  std::array<char, 3 * chunk> utf8;
  // iconv never writes through its input pointer, though it is not const.
  char* in = const_cast<char*>(from);
  std::size_t in_left = size;
  while (in_left > 0) {
    char* out = utf8.data();
    std::size_t out_left = utf8.size();
    // Stops early when `utf8` is full (E2BIG) or at a byte that Windows-1250
    // leaves undefined, which shows as the replacement character once there
    // is room for it.
    if (iconv(terminal_->to_utf8, &in, &in_left, &out, &out_left) ==
            static_cast<std::size_t>(-1) &&
        errno != E2BIG && out_left >= 3) {
      out = std::copy_n("\xEF\xBF\xBD", 3, out);
      ++in;
      --in_left;
    }
    if (!write_all(utf8.data(), static_cast<std::size_t>(out - utf8.data()),
                   error_)) {
      return false;
    }
  }
  return true;
}

void catch_interrupt() {
  struct sigaction action = {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART, so that a read that blocks after all, though pselect
  // found input, returns at Ctrl-C too (pselect itself returns at a signal
  // either way); SA_RESETHAND makes a second Ctrl-C end the program even if
  // it is stuck writing.
  action.sa_flags = static_cast<int>(SA_RESETHAND);
  struct sigaction before = {};
  sigaction(SIGINT, &action, &before);
  // A program started with Ctrl-C ignored (in the background) keeps it so.
  if (before.sa_handler == SIG_IGN) sigaction(SIGINT, &before, nullptr);
}

bool interrupted() { return interrupt_caught != 0; }

// A terminal's window belongs to the shell or the emulator, which keep it
// open after the program ends.
void keep_own_window_until_enter(std::ostream& /*out*/) {}

void end_as_interrupted() {
  std::signal(SIGINT, SIG_DFL);
  std::raise(SIGINT);
  // Only reached when the caller started the program with SIGINT blocked.
  // cppcheck-suppress unreachableCode
  std::_Exit(130);
}
