// console_output on its own, with standard output sent to a file, a full
// device or nowhere: a session flushes after every question, so only here
// does its buffer fill before a flush.
#include "console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "files.h"
#include "session_check.h"

namespace {

struct outcome {
  bool good_after_write, good_after_flush;
  std::string error;
};

// Writes `text` through a console_output whose descriptor 1 is opened on
// `target` (closed if null), flushes it unless `left`, and gives descriptor
// 1 back.
outcome write_through_console(const std::string& text, const char* target,
                              bool left) {
  std::fflush(stdout);
  const int saved = dup(1);
  close(1);
  // The lowest free descriptor, 1, is the one opened.
  if (target && open(target, O_WRONLY | O_CREAT | O_TRUNC, 0600) != 1) {
    std::abort();
  }
  outcome result;
  {
    console_output output;
    std::ostream out(&output);
    out << text;
    result.good_after_write = static_cast<bool>(out);
    if (!left) out.flush();
    result.good_after_flush = static_cast<bool>(out);
    result.error = output.error();
  }
  dup2(saved, 1);
  close(saved);
  return result;
}

TEST(ConsoleOutput, WritesEveryByteInOrderOrReportsWhyNot) {
  const std::string file = private_folder() + "out";
  constexpr std::size_t buffer = 1 << 16;
  const struct {
    const char* name;
    std::size_t size;
    const char* target;
    bool good_after_write;
    const char* error;  // "" when all must arrive
    bool left = false;  // for the end, unflushed
  } cases[] = {
      {"a line, on flush", 100, file.c_str(), true, ""},
      {"a line, left for the end", 100, file.c_str(), true, "", true},
      {"two buffers and more", 2 * buffer + 100, file.c_str(), true, ""},
      {"a full device, on flush", 100, "/dev/full", true,
       "No space left on device"},
      {"a full device, once the buffer is full", buffer + 1, "/dev/full", false,
       "No space left on device"},
      {"a closed descriptor", 100, nullptr, true, "Bad file descriptor"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text(c.size, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
      text[i] = static_cast<char>(i % 251);  // every byte, no period of 2^k
    }
    const outcome got = write_through_console(text, c.target, c.left);
    EXPECT_EQ(got.good_after_write, c.good_after_write);
    EXPECT_EQ(got.good_after_flush, *c.error == '\0');
    EXPECT_EQ(got.error, c.error);
    if (*c.error == '\0') {
      EXPECT_EQ(first_difference(slurp(file), text), "");
    }
  }
}

}  // namespace
