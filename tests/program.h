#ifndef QCODE_QUIZ_TESTS_PROGRAM_H_
#define QCODE_QUIZ_TESTS_PROGRAM_H_

// How the tests start the built program as a child: natively, under the
// emulator that runs a cross-built one (qemu-user), or its Windows build
// under wine; with its standard streams on pipes, as a script has them, or
// on a pseudo-terminal, as a person has them.

#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "files.h"

// The Windows build, when the tests are to run it under wine.
inline const char* const wine_exe = std::getenv("QUIZ_WINE_EXE");

// The command line that starts the program, with the commands it runs
// under first; a cross-built program cannot be started by its own path.
inline std::vector<std::string> program_command() {
  if (wine_exe) return {"wine", wine_exe};
  return {QUIZ_EMULATOR QUIZ_EXE};
}

// What one run of the program under test may take, so that one that never
// stops fails its test long before the test's own time limit: a file it
// writes past output_cap ends it (SIGXFSZ), and so does run_seconds of time
// (SIGALRM). A test keeps no more than output_cap of what it shows, and
// waits for it no longer than run_seconds.
constexpr int run_seconds = 30;
constexpr std::size_t output_cap = std::size_t{4} << 20;

// The time a run may take from now: run_seconds, or less, so that all the
// runs of this test process end ten seconds before ctest's limit, and a
// test whose runs all overrun still ends by itself and removes its folder.
inline unsigned seconds_allowed() {
  using clock = std::chrono::steady_clock;
  static const auto deadline =
      clock::now() + std::chrono::seconds(QUIZ_TEST_SECONDS - 10);
  const auto left =
      std::chrono::duration_cast<std::chrono::seconds>(deadline - clock::now());
  return static_cast<unsigned>(
      std::clamp<std::int64_t>(left.count(), 1, run_seconds));
}

// Whether a run was ended for overrunning its time or its output.
inline bool overran(int status) {
  return status == -1 || (WIFSIGNALED(status) && (WTERMSIG(status) == SIGALRM ||
                                                  WTERMSIG(status) == SIGXFSZ));
}

// Windows ends its lines in CR LF; this checks that it does and undoes it.
inline std::string unix_lines(std::string text) {
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) {
    if (at == 0 || text[at - 1] != '\r') return "a line end without CR";
    text.erase(at - 1, 1);
  }
  return text;
}

// Whether a wait status is an exit with `code`.
inline bool exited(int status, int code) {
  return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

// Whether a wait status is the end that Ctrl-C gives: natively by SIGINT,
// under wine STATUS_CONTROL_C_EXIT (0xC000013A), cut to its low byte.
inline bool ended_by_ctrl_c(int status) {
  return wine_exe ? exited(status, 0x3A)
                  : WIFSIGNALED(status) && WTERMSIG(status) == SIGINT;
}

// The program running as a child of the test, killed if still running when
// the test is done with it.
class program {
 public:
  enum class on { pipes, terminal };

  // Starts `command` with its input and output on pipes, or on a terminal
  // with echo off and a window wide enough that no expression wraps.
  // SIGINT is as a shell leaves it, by default; `in_child` runs just before
  // the command, to redirect a stream or set a signal.
  explicit program(
      on where = on::pipes, const std::function<void()>& in_child = {},
      const std::vector<std::string>& command = program_command()) {
    const unsigned seconds = seconds_allowed();
    if (where == on::terminal) {
      winsize window = {};
      window.ws_row = 50;
      window.ws_col = 400;
      pid_ = forkpty(&to_, nullptr, nullptr, &window);
      if (pid_ == 0) {
        termios modes = {};
        tcgetattr(0, &modes);
        modes.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(0, TCSANOW, &modes);
      }
      from_ = to_ >= 0 ? dup(to_) : -1;
    } else {
      int in[2], out[2];
      if (pipe(in) != 0 || pipe(out) != 0) std::abort();
      pid_ = fork();
      if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        for (const int fd : {in[0], in[1], out[0], out[1]}) close(fd);
      } else {
        close(in[0]);
        close(out[1]);
        to_ = in[1];
        from_ = out[0];
      }
    }
    if (pid_ == 0) {
      std::signal(SIGINT, SIG_DFL);
      if (in_child) in_child();
      const rlimit file_size = {output_cap, output_cap};
      setrlimit(RLIMIT_FSIZE, &file_size);
      alarm(seconds);  // kept across exec
      std::vector<char*> argv;
      for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
      }
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      _exit(127);
    }
  }
  ~program() {
    if (to_ >= 0) close(to_);
    close_output();
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  program(const program&) = delete;
  program& operator=(const program&) = delete;

  bool started() const { return pid_ > 0; }
  // Sends it `signal`, unless it has been reaped: kill(-1) would reach
  // every process of this user.
  void signal(int signal) const {
    if (pid_ > 0) kill(pid_, signal);
  }
  int input() const { return to_; }
  int output() const { return from_; }

  // Writes all of `text` to its input, or types it at its terminal.
  bool send(const std::string& text) const {
    return write(to_, text.data(), text.size()) ==
           static_cast<ssize_t>(text.size());
  }
  // Reads no more of its output, as a reader that goes away.
  void close_output() {
    if (from_ >= 0) close(from_);
    from_ = -1;
  }

  // All it has shown so far, byte for byte.
  const std::string& shown() const { return shown_; }

  // Reads until `done` holds for what it has shown; false if its output
  // ends first or run_seconds pass.
  bool wait_until(const std::function<bool(const std::string&)>& done) {
    const auto deadline = clock::now() + std::chrono::seconds(run_seconds);
    while (!done(shown_)) {
      if (clock::now() > deadline || read_some() == reading::ended)
        return false;
    }
    return true;
  }
  bool wait_for_lines(std::size_t lines) {
    return wait_until([lines](const std::string& text) {
      return static_cast<std::size_t>(
                 std::count(text.begin(), text.end(), '\n')) >= lines;
    });
  }

  // True while it has not ended; it is left for wait or finish to reap.
  bool running() const {
    siginfo_t ended = {};
    return waitid(P_PID, static_cast<id_t>(pid_), &ended,
                  WEXITED | WNOHANG | WNOWAIT) == 0 &&
           ended.si_pid == 0;
  }

  // Its wait status once it has ended, reading none of its output, or -1
  // if it is still running after `seconds`.
  int wait(int seconds) {
    const auto deadline = clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (clock::now() > deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return status;
  }

  // Reads all it shows until it ends; its wait status, or -1 if it has not
  // ended within run_seconds.
  int finish() {
    int status = -1;
    const auto deadline = clock::now() + std::chrono::seconds(run_seconds);
    while (clock::now() < deadline) {
      // Wine's server may keep the output open after the program ended, so
      // it is the program's end that counts, once its output is read.
      const bool closed = read_some() == reading::ended;
      if (waitpid(pid_, &status, closed ? 0 : WNOHANG) == pid_) {
        pid_ = -1;
        while (read_some() == reading::some) {
        }
        break;
      }
    }
    return status;
  }

 private:
  using clock = std::chrono::steady_clock;
  enum class reading { some, none_yet, ended };

  // Takes what it shows within a tenth of a second; past output_cap, takes
  // no more, as if it had ended.
  reading read_some() {
    if (from_ < 0 || shown_.size() >= output_cap) return reading::ended;
    pollfd ready = {from_, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) return reading::none_yet;
    char chunk[4096];
    const ssize_t got = read(from_, chunk, sizeof chunk);
    if (got <= 0) return reading::ended;  // a terminal gives EIO once closed
    shown_.append(chunk, static_cast<std::size_t>(got));
    return reading::some;
  }

  pid_t pid_ = -1;
  int to_ = -1;
  int from_ = -1;
  std::string shown_;
};

#endif  // QCODE_QUIZ_TESTS_PROGRAM_H_
