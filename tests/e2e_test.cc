// Runs the built program through bash and checks the bytes it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "quiz.h"

namespace {

const qcode_array table = make_qcode_table();

std::string slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

struct result {
  int status;  // exit status, or 128 plus the signal that ended bash
  std::string out, err;
  std::string expected_out;  // what the program shows for the second it ran in
};

// The program's output for `input` when started in the second `seed`.
std::string predicted(unsigned seed, const std::string& input) {
  std::srand(seed);
  std::istringstream in(input);
  std::ostringstream out;
  write_results(out, run_quiz(table, in, out, [] { return std::rand(); }));
  return out.str();
}

// Runs `script` with $Q naming the program and $IN a file holding the input
// that `make_input` gives for the current second; runs it again when the
// second changed meanwhile, since the draws then cannot be known.
result run(const std::string& script,
           const std::function<std::string(unsigned)>& make_input) {
  const std::string dir = testing::TempDir();
  setenv("Q", QUIZ_EXE, 1);
  setenv("IN", (dir + "in").c_str(), 1);
  setenv("S", script.c_str(), 1);
  for (;;) {
    const auto second = static_cast<unsigned>(std::time(nullptr));
    const std::string input = make_input(second);
    std::ofstream(dir + "in", std::ios::binary) << input;
    const int raw = std::system(
        ("bash -c \"$S\" >" + dir + "out 2>" + dir + "err").c_str());
    if (static_cast<unsigned>(std::time(nullptr)) != second) continue;
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return {status, slurp(dir + "out"), slurp(dir + "err"),
            predicted(second, input)};
  }
}

TEST(Program, TwoRunsInOneSecondShowTheSameSession) {
  // Answers the first question right, the second wrong, then ends.
  const result r = run(R"("$Q" <"$IN"; "$Q" <"$IN")", [](unsigned second) {
    std::srand(second);
    std::string code = table[static_cast<unsigned>(std::rand()) % 84].first;
    for (char& c : code) c = static_cast<char>(std::tolower(c));
    return code + "\n\n  nope\nend\n";
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.expected_out.find("OK  1\nZLE 1\n"), std::string::npos);
  EXPECT_EQ(r.out, r.expected_out + r.expected_out);
}

TEST(Program, ReportsLostInputAndOutput) {
  const std::string fail = "qcode-quiz: cannot ";
  const struct {
    const char* script;
    const char* input;
    int status;
    std::string err;  // empty when nothing may go to standard error
    bool shows_session;
  } cases[] = {
      {R"("$Q" </dev/null)", "", 0, "", true},
      {R"("$Q" <"$IN")", "qrq\tqrs QRA", 0, "", true},
      {R"("$Q" </)", "", 1, fail + "read standard input: Is a directory\n",
       true},
      {R"(yes qrq | "$Q" >/dev/full)", "", 1,
       fail + "write standard output: No space left on device\n", false},
      {R"("$Q" <"$IN" >&-)", "end", 1,
       fail + "write standard output: Bad file descriptor\n", false},
      {R"(trap "" PIPE; yes qrq 2>/dev/null | "$Q" | head -c 1 >/dev/null;
          exit "${PIPESTATUS[1]}")",
       "", 1, fail + "write standard output: Broken pipe\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const result r = run(c.script, [&](unsigned) { return c.input; });
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    if (c.shows_session) {
      EXPECT_EQ(r.out, r.expected_out);
    }
  }
}

}  // namespace
