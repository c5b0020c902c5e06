#ifndef QCODE_QUIZ_TESTS_FILES_H_
#define QCODE_QUIZ_TESTS_FILES_H_

// The files of a test process: its private folder, and what a file holds.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The whole of the file at `path`.
inline std::string slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
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

#endif  // QCODE_QUIZ_TESTS_FILES_H_
