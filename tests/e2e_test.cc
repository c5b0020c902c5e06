// Runs the built program, natively or its Windows build under wine, and
// checks the bytes it writes.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "program.h"
#include "quiz.h"
#include "session_check.h"

namespace {

const qcode_array table = make_qcode_table();
const std::string& dir = private_folder();

struct result {
  int status;  // exit status, or 128 plus the signal that ended bash
  std::string out, err;
  std::string expected_out;  // natively: what the program shows in that second
  bool second_known;  // false if the clock's second changed during every try
};

// The program's output for `input` when started in the second `seed`.
std::string predicted(unsigned seed, const std::string& input) {
  std::srand(seed);
  std::istringstream in(input);
  capped_output written;
  std::ostream out(&written);
  write_results(out, run_quiz(table, in, out, [] { return std::rand(); }));
  return written.str();
}

// Runs `script` with $Q naming a script that starts the program, and $IN a file
// holding the input that `make_input` gives for the current second. Natively it
// runs again when the second changed meanwhile, since the draws then cannot be
// known; on a machine too busy for any try to fit in one second, the result
// says so, and the test skips what depends on the draws.
result run(const std::string& script,
           const std::function<std::string(unsigned)>& make_input) {
  {
    std::ofstream script_file(dir + "quiz");
    script_file << "#!/bin/sh\nexec";
    for (const std::string& word : program_command()) {
      script_file << " '" << word << "'";
    }
    script_file << " \"$@\"\n";
  }
  chmod((dir + "quiz").c_str(), 0755);
  setenv("Q", (dir + "quiz").c_str(), 1);
  setenv("IN", (dir + "in").c_str(), 1);
  setenv("S", script.c_str(), 1);
  // The limits of program.h: ulimit -f counts 512-byte blocks in sh, and
  // timeout ends the whole pipeline.
  const std::string limited = "ulimit -f " + std::to_string(output_cap / 512) +
                              " && timeout -k 5 " +
                              std::to_string(run_seconds) + " bash -c \"$S\"";
  for (int tries = 1;; ++tries) {
    const auto second = static_cast<unsigned>(std::time(nullptr));
    const std::string input = make_input(second);
    std::ofstream(dir + "in", std::ios::binary) << input;
    const int raw =
        std::system((limited + " >" + dir + "out 2>" + dir + "err").c_str());
    const bool second_known =
        wine_exe || static_cast<unsigned>(std::time(nullptr)) == second;
    if (!second_known && tries < 10) continue;
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return {status, slurp(dir + "out"), slurp(dir + "err"),
            predicted(second, input), second_known};
  }
}

TEST(Program, TwoRunsInOneSecondShowTheSameSession) {
  if (wine_exe) GTEST_SKIP() << "the draws of Windows' rand are not known";
  // Answers the first question right, the second wrong, then ends.
  const result r = run(R"("$Q" <"$IN"; "$Q" <"$IN")", [](unsigned second) {
    std::srand(second);
    std::string code = table[static_cast<unsigned>(std::rand()) % 84].first;
    for (char& c : code) c = static_cast<char>(std::tolower(c));
    return code + "\n\n  nope\nend\n";
  });
  if (!r.second_known)
    GTEST_SKIP() << "the machine is too busy for two runs in one second";
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.expected_out.find("OK  1\nZLE 1\n"), std::string::npos);
  EXPECT_EQ(first_difference(r.out, r.expected_out + r.expected_out), "");
}

TEST(Program, ReportsLostInputAndOutput) {
  const std::string cannot_read = "qcode-quiz: cannot read standard input: ";
  const std::string cannot_write = "qcode-quiz: cannot write standard output: ";
  const struct {
    const char* script;
    const char* input;
    int status;
    std::string err;  // empty when nothing may go to standard error
    const char* reason;
    bool shows_session;
  } cases[] = {
      {R"("$Q" </dev/null)", "", 0, "", "", true},
      {R"("$Q" <"$IN")", "qrq\tqrs QRA \xe1 END\n\nqrq", 0, "", "", true},
      {R"("$Q" </)", "", 1, cannot_read, "Is a directory", true},
      {R"(yes qrq 2>/dev/null | "$Q" >/dev/full)", "", 1, cannot_write,
       "No space left on device", false},
      {R"("$Q" <"$IN" >&-)", "end", 1, cannot_write, "Bad file descriptor",
       false},
      {R"(trap "" PIPE; yes qrq 2>/dev/null | "$Q" | head -c 1 >/dev/null;
          exit "${PIPESTATUS[1]}")",
       "", 1, cannot_write, "Broken pipe", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const result r = run(c.script, [&](unsigned) { return c.input; });
    EXPECT_EQ(r.status, c.status);
    if (wine_exe) {  // Windows words the reasons its own way
      EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
      EXPECT_EQ(r.err.empty(), c.err.empty()) << r.err;
      EXPECT_EQ(r.err.find('\n'),
                r.err.empty() ? std::string::npos : r.err.size() - 1);
      if (c.shows_session) {
        EXPECT_EQ(check_session(table, c.input, unix_lines(r.out)), "");
      }
    } else {
      EXPECT_EQ(r.err, c.err.empty() ? "" : c.err + c.reason + "\n");
      if (c.shows_session) {
        EXPECT_EQ(r.second_known ? first_difference(r.out, r.expected_out)
                                 : check_session(table, c.input, r.out),
                  "");
      }
    }
  }
}

TEST(Program, WritesToNulAsToAFile) {
  if (!wine_exe) GTEST_SKIP() << "NUL is Windows' own";
  // NUL passes for a terminal by _isatty, but it is no console: the console
  // writes would fail there.
  const result r =
      run(R"(wine cmd /c "$(winepath -w "$QUIZ_WINE_EXE") <NUL >NUL")",
          [](unsigned) { return ""; });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

// Wine's STATUS_CONTROL_C_EXIT (0xC000013A), cut to its low byte, or
// natively the end by SIGINT.
bool ended_by_ctrl_c(int status) {
  if (wine_exe) return WIFEXITED(status) && WEXITSTATUS(status) == 0x3A;
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGINT;
}

TEST(Program, CtrlCShowsTheTallyThenEndsAsInterrupted) {
  // The first answer is sent in full; a word the pipe has sent only in part
  // when SIGINT comes is never judged.
  for (const std::string sent : {"qrq\n", "qrq\nqr"}) {
    SCOPED_TRACE(sent);
    piped_program quiz;
    // One write, so the program reads it all before it shows question 2.
    ASSERT_EQ(write(quiz.to, sent.data(), sent.size()),
              static_cast<ssize_t>(sent.size()));
    // Once the second expression is shown, the program waits for its answer.
    std::string shown = quiz.read(7);
    kill(quiz.pid, SIGINT);
    // Wine makes SIGINT a Windows Ctrl-C, which leaves a read from a pipe
    // waiting; once its handler has had a moment to run, the end of the
    // pipe ends the read.
    if (wine_exe) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      close(quiz.to);
      quiz.to = -1;
    }
    shown += quiz.read();
    const int status = quiz.wait(run_seconds);
    EXPECT_TRUE(ended_by_ctrl_c(status)) << status;
    if (wine_exe) shown = unix_lines(shown);

    // ^C leaves the cursor on the answer line, so a newline comes first.
    const std::size_t results = shown.rfind("\nVysledy:\n");
    ASSERT_NE(results, std::string::npos) << shown;
    EXPECT_EQ(shown[results - 1], '\n');
    EXPECT_EQ(check_session(table, "qrq", shown.erase(results, 1)), "");
  }
}

TEST(Program, SecondCtrlCEndsItAtOnceWhileItWaitsToWrite) {
  // Answers that fit in the input pipe; their verdicts fill the output
  // pipe, which nobody reads, so the program waits to write.
  piped_program quiz;
  std::string answers;
  while (answers.size() < 40000) answers += "qzz\n";
  ASSERT_EQ(write(quiz.to, answers.data(), answers.size()),
            static_cast<ssize_t>(answers.size()));
  int queued = 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(run_seconds);
  while (queued < 60000 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ioctl(quiz.from, FIONREAD, &queued);
  }
  kill(quiz.pid, SIGINT);  // caught: the tally waits for the write
  EXPECT_EQ(quiz.wait(1), -1) << "the first Ctrl-C ended it";
  kill(quiz.pid, SIGINT);
  const int status = quiz.wait(5);
  // Under wine, Windows' own end of a program at Ctrl-C gives status 0.
  EXPECT_TRUE(wine_exe ? WIFEXITED(status) : ended_by_ctrl_c(status)) << status;
}

TEST(Program, StartedWithCtrlCIgnoredTakesNoNoticeOfIt) {
  // Wine turns SIGINT into a Windows Ctrl-C even where it was ignored.
  if (wine_exe) GTEST_SKIP() << "a POSIX promise: SIGINT ignored at start";
  // As a shell starts a job in the background.
  piped_program quiz(SIG_IGN);
  std::string shown = quiz.read(2);
  kill(quiz.pid, SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(write(quiz.to, "qzz\nend\n", 8), 8);
  shown += quiz.read();
  const int status = quiz.wait(run_seconds);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(check_session(table, "qzz end", shown), "");
}

}  // namespace
