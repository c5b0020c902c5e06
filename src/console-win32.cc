// The console on Windows: the C runtime's descriptors 0 and 1, a console
// control handler for Ctrl-C, and WriteConsoleW, which shows the
// Windows-1250 text right whatever code page the console is set to.
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "console.h"

namespace {

constexpr UINT text_code_page = 1250;

// The handler runs on a thread of its own, so the flag is atomic, and the
// event lets a read that Ctrl-C ended wait for the handler to run.
std::atomic<bool> interrupt_caught{false};
HANDLE interrupt_event = nullptr;

BOOL WINAPI on_control(DWORD event) {
  // Ctrl-Break and closing the window keep their default actions, and so
  // does a second Ctrl-C: the program ends at once.
  if (event != CTRL_C_EVENT || interrupt_caught.exchange(true)) return FALSE;
  SetEvent(interrupt_event);
  return TRUE;
}

// _isatty is true for NUL as well; only a console has a console mode.
bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// True when standard input and output are a console that no other process
// shares: Windows made it for this program, and closes it as it ends.
bool owns_console_window() {
  std::array<DWORD, 2> processes;
  return is_console(GetStdHandle(STD_INPUT_HANDLE)) &&
         is_console(GetStdHandle(STD_OUTPUT_HANDLE)) &&
         GetConsoleProcessList(processes.data(), processes.size()) == 1;
}

// The system's words for the error `code`, without the closing full stop.
std::string system_reason(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason =
      length > 0 ? std::string(text, length) : "error " + std::to_string(code);
  LocalFree(text);
  while (!reason.empty() && std::strchr(". \r\n", reason.back()) != nullptr) {
    reason.pop_back();
  }
  return reason;
}

// Writes all `size` bytes to descriptor 1, whose text mode adds the CR of
// each line end; false, with `error` set, when a write failed.
bool write_all(const char* from, std::size_t size, std::string& error) {
  while (size > 0) {
    const int put = ::_write(
        1, from, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 16)));
    if (put < 0) {
      error = std::strerror(errno);
      return false;
    }
    from += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

std::size_t console_input::read_some(char* to, std::size_t size) {
  if (interrupt_caught) return 0;
  const int got = ::_read(
      0, to, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 16)));
  const int read_error = errno;
  // Ctrl-C ends a console read as if the input had ended, and its handler
  // may run only after the read has returned: give it a moment to tell.
  if (got <= 0 && interrupt_event != nullptr &&
      is_console(GetStdHandle(STD_INPUT_HANDLE))) {
    WaitForSingleObject(interrupt_event, 250);
  }
  // Where Ctrl-C does not end the read, the line that does belongs to no
  // question either.
  if (interrupt_caught) return 0;
  if (got < 0) {
    error_ = std::strerror(read_error);
    return 0;
  }
  return static_cast<std::size_t>(got);
}

struct console_output::terminal {
  HANDLE console;
};

console_output::console_output() {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (is_console(handle) && IsValidCodePage(text_code_page) != 0) {
    terminal_ = std::make_unique<terminal>(terminal{handle});
  }
}

console_output::~console_output() { drain(); }

bool console_output::write_text(const char* from, std::size_t size) {
  if (!terminal_) return write_all(from, size, error_);
  constexpr std::size_t chunk = 4096;
  std::array<wchar_t, chunk> converted;
  std::array<wchar_t, 2 * chunk> shown;  // room for a CR before each LF
  while (size > 0) {
    const int taken = static_cast<int>(std::min(size, chunk));
    const int count = MultiByteToWideChar(text_code_page, 0, from, taken,
                                          converted.data(), taken);
    if (count == 0) {
      error_ = system_reason(GetLastError());
      return false;
    }
    from += taken;
    size -= static_cast<std::size_t>(taken);
    // Lines end in CR LF, as text mode writes them everywhere else.
    wchar_t* end = shown.data();
    for (const wchar_t c : std::wstring_view(converted.data(), count)) {
      if (c == L'\n') *end++ = L'\r';
      *end++ = c;
    }
    for (const wchar_t* next = shown.data(); next < end;) {
      DWORD put = 0;
      if (WriteConsoleW(terminal_->console, next,
                        static_cast<DWORD>(end - next), &put, nullptr) == 0) {
        error_ = system_reason(GetLastError());
        return false;
      }
      next += put;
    }
  }
  return true;
}

void catch_interrupt() {
  interrupt_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // Where Ctrl-C is ignored (a program started that way), the handler is
  // never called, so the program keeps ignoring it.
  SetConsoleCtrlHandler(on_control, TRUE);
}

bool interrupted() { return interrupt_caught; }

void keep_own_window_until_enter(std::ostream& out) {
  if (!owns_console_window()) return;
  // From here Ctrl-C closes the window at once, as at any program.
  SetConsoleCtrlHandler(on_control, FALSE);
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  // Keys typed ahead, before the tally was shown, must not close it unread.
  FlushConsoleInputBuffer(input);
  out << "Stlacte Enter na zatvorenie okna." << std::endl;
  if (!out) return;
  // A line longer than the buffer comes in several reads; a failed or empty
  // read is the end of the input.
  std::array<wchar_t, 256> keys;
  DWORD got = 0;
  while (ReadConsoleW(input, keys.data(), static_cast<DWORD>(keys.size()), &got,
                      nullptr) != 0 &&
         got > 0 &&
         std::wstring_view(keys.data(), got).find_first_of(L"\r\n") ==
             std::wstring_view::npos) {
  }
}

void end_as_interrupted() { ExitProcess(STATUS_CONTROL_C_EXIT); }
