#ifndef QCODE_QUIZ_TESTS_PROGRAM_H_
#define QCODE_QUIZ_TESTS_PROGRAM_H_

// How the end-to-end and terminal tests start the built program: natively,
// under the emulator that runs a cross-built one (qemu-user), or its Windows
// build under wine.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
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
