#ifndef QCODE_QUIZ_TESTS_PROGRAM_H_
#define QCODE_QUIZ_TESTS_PROGRAM_H_

// How the end-to-end and terminal tests start the built program: natively,
// under the emulator that runs a cross-built one (qemu-user), or its Windows
// build under wine.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

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
// (SIGALRM, or the timeout command). A test keeps in memory no more than
// output_cap of what the program shows.
constexpr unsigned run_seconds = 30;
constexpr std::size_t output_cap = std::size_t{4} << 20;

// Replaces the calling process, a child of the test, with `command`, with
// the limits above.
[[noreturn]] inline void exec_command(const std::vector<std::string>& command) {
  const rlimit file_size = {output_cap, output_cap};
  setrlimit(RLIMIT_FSIZE, &file_size);
  alarm(run_seconds);  // kept across exec
  std::vector<char*> argv;
  for (const std::string& word : command) {
    argv.push_back(const_cast<char*>(word.c_str()));
  }
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

// The whole of the file at `path`.
inline std::string slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// Windows ends its lines in CR LF; this checks that it does and undoes it.
inline std::string unix_lines(std::string text) {
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) {
    if (at == 0 || text[at - 1] != '\r') return "a line end without CR";
    text.erase(at - 1, 1);
  }
  return text;
}

// The program started with its standard input and output on pipes, with
// SIGINT set to `sigint` as it starts.
struct piped_program {
  pid_t pid;
  int to;    // its standard input
  int from;  // its standard output

  explicit piped_program(void (*sigint)(int) = SIG_DFL) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) std::abort();
    pid = fork();
    if (pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      for (const int fd : {in[0], in[1], out[0], out[1]}) close(fd);
      std::signal(SIGINT, sigint);
      exec_command(program_command());
    }
    close(in[0]);
    close(out[1]);
    to = in[1];
    from = out[0];
  }
  ~piped_program() {
    if (to >= 0) close(to);
    close(from);
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  piped_program(const piped_program&) = delete;
  piped_program& operator=(const piped_program&) = delete;

  // Reads what it writes until it has written `lines` lines, or all it
  // writes if `lines` is 0, up to output_cap.
  std::string read(std::size_t lines = 0) const {
    std::string shown;
    char chunk[4096];
    for (ssize_t got;
         shown.size() < output_cap &&
         (lines == 0 || std::count(shown.begin(), shown.end(), '\n') <
                            static_cast<std::ptrdiff_t>(lines)) &&
         (got = ::read(from, chunk, sizeof chunk)) > 0;) {
      shown.append(chunk, static_cast<std::size_t>(got));
    }
    return shown;
  }

  // Its wait status once it has ended, or -1 if it is still running after
  // `seconds`, when it is killed.
  int wait(int seconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = -1;
    return status;
  }
};

// A folder under TMPDIR that this test process made for itself, ending in
// "/". mkdtemp gives it a name nobody could have taken first and leaves it
// to this user alone, so tests running side by side, or earlier runs by
// other users, cannot meet in it; it goes, with all it holds, when the
// process ends.
inline const std::string& private_folder() {
  struct folder {
    folder() {
      const char* const tmp = std::getenv("TMPDIR");
      path = std::string(tmp && *tmp ? tmp : "/tmp") + "/qcode-quiz.XXXXXX";
      if (mkdtemp(path.data()) == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
      }
      path += '/';
    }
    ~folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
    std::string path;
  };
  static const folder made;
  return made.path;
}

#endif  // QCODE_QUIZ_TESTS_PROGRAM_H_
