// Runs the built program on pipes and files, natively or its Windows build
// under wine, as a script would, and checks the bytes it writes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "files.h"
#include "program.h"
#include "qcode_table.h"
#include "session_check.h"

namespace {

const qcode_array table = make_qcode_table();
const std::string& dir = private_folder();

struct result {
  int status;
  std::vector<std::string> shown;  // each run's output, with "\n" line ends
  std::string err;
  bool one_second;  // false if the clock's second changed during every try
};

// The streams of one run: standard input from a file of `input`, or from
// `input_path`; standard error to a file; and the other changes that
// `in_child` makes.
struct run_setup {
  std::string input;
  const char* input_path = nullptr;
  std::function<void()> in_child = {};
  int runs = 1;  // one after another, with the same input
  std::vector<std::string> command = program_command();
  bool reader_goes_away = false;  // after the first line of output
};

// Runs the program as `setup` says, with its output on a pipe that is read
// to the end. Several runs are tried again, up to ten times, until all of
// them start in one second of the clock, which seeds their draws.
result run(const run_setup& setup) {
  const std::string in = dir + "in", err = dir + "err";
  std::ofstream(in, std::ios::binary) << setup.input;
  const char* const from = setup.input_path ? setup.input_path : in.c_str();
  for (int tries = 1;; ++tries) {
    const auto second = std::time(nullptr);
    result r = {0, {}, "", true};
    for (int n = 0; n < setup.runs; ++n) {
      program quiz(
          program::on::pipes,
          [&] {
            dup2(open(from, O_RDONLY), 0);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            if (setup.in_child) setup.in_child();
          },
          setup.command);
      if (setup.reader_goes_away && quiz.wait_for_lines(1)) quiz.close_output();
      r.status = quiz.finish();
      r.shown.push_back(wine_exe ? unix_lines(quiz.shown()) : quiz.shown());
    }
    r.err = slurp(err);
    r.one_second = std::time(nullptr) == second;
    if (r.one_second || setup.runs == 1 || tries == 10) return r;
  }
}

TEST(Program, TwoRunsInOneSecondShowTheSameSession) {
  const std::string input = "qrq\n\n  nope\nend\n";
  const result r = run({input, nullptr, {}, 2});
  if (!r.one_second)
    GTEST_SKIP() << "the machine is too busy for two runs in one second";
  EXPECT_TRUE(exited(r.status, 0)) << r.status;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(check_session(table, input, r.shown[0]), "");
  EXPECT_EQ(first_difference(r.shown[1], r.shown[0]), "");
}

TEST(Program, ReportsLostInputAndOutput) {
  const std::string cannot_read = "qcode-quiz: cannot read standard input: ";
  const std::string cannot_write = "qcode-quiz: cannot write standard output: ";
  std::string many = "qrq\n";
  while (many.size() < 100000) many += many;
  const auto to_full = [] { dup2(open("/dev/full", O_WRONLY), 1); };
  const auto closed = [] { close(1); };
  const auto no_sigpipe = [] { std::signal(SIGPIPE, SIG_IGN); };
  const struct {
    const char* name;
    run_setup setup;
    int status;
    std::string err;  // all that goes to standard error
  } cases[] = {
      {"no input", {"", "/dev/null"}, 0, ""},
      {"any words", {"qrq\tqrs QRA \xe1 END\n\nqrq"}, 0, ""},
      {"input a folder", {"", "/"}, 1, cannot_read + "Is a directory\n"},
      {"full disk",
       {many, nullptr, to_full},
       1,
       cannot_write + "No space left on device\n"},
      {"output closed",
       {"end", nullptr, closed},
       1,
       cannot_write + "Bad file descriptor\n"},
      {"reader gone",
       {many, nullptr, no_sigpipe, 1, program_command(), true},
       1,
       cannot_write + "Broken pipe\n"},
  };
  // Windows words the reasons its own way: there, only what comes before
  // the reason is compared.
  const auto before_reason = [](const std::string& err) {
    return wine_exe ? err.substr(0, err.find(": ", 12)) : err;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const result r = run(c.setup);
    // A program that asks forever would overrun every row in turn.
    ASSERT_FALSE(overran(r.status)) << "it ran past its limits";
    EXPECT_TRUE(exited(r.status, c.status)) << r.status;
    EXPECT_EQ(before_reason(r.err), before_reason(c.err)) << r.err;
    EXPECT_EQ(r.err.find('\n'),
              c.err.empty() ? std::string::npos : r.err.size() - 1);
    if (c.err.rfind(cannot_write, 0) != 0) {
      EXPECT_EQ(check_session(table, c.setup.input, r.shown[0]), "");
    }
  }
}

TEST(Program, WritesToNulAsToAFile) {
  if (!wine_exe) GTEST_SKIP() << "NUL is Windows' own";
  // NUL passes for a terminal by _isatty, but it is no console: the console
  // writes would fail there. Wine's drive Z: is the root folder.
  std::string windows_path = std::string("Z:") + wine_exe;
  std::replace(windows_path.begin(), windows_path.end(), '/', '\\');
  const result r = run({"",
                        "/dev/null",
                        {},
                        1,
                        {"wine", "cmd", "/c", windows_path + " <NUL >NUL"}});
  EXPECT_TRUE(exited(r.status, 0)) << r.status;
  EXPECT_EQ(r.err, "");
}

TEST(Program, SecondCtrlCEndsItAtOnceWhileItWaitsToWrite) {
  // Answers that fit in the input pipe; their verdicts fill the output
  // pipe, which nobody reads, so the program waits to write.
  program quiz;
  std::string answers;
  while (answers.size() < 40000) answers += "qzz\n";
  ASSERT_TRUE(quiz.send(answers));
  // It surely waits once the pipe is all but full and what it holds stops
  // growing; before that, the tally may still fit.
  const int capacity = fcntl(quiz.output(), F_GETPIPE_SZ);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(run_seconds);
  for (int queued = 0, last = -1, steady = 0;
       steady < 3 && std::chrono::steady_clock::now() < deadline;
       last = queued) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ioctl(quiz.output(), FIONREAD, &queued);
    steady = queued == last && queued > capacity - 4096 ? steady + 1 : 0;
  }
  quiz.signal(SIGINT);  // caught: the tally waits for the write
  EXPECT_EQ(quiz.wait(1), -1) << "the first Ctrl-C ended it";
  quiz.signal(SIGINT);
  const int status = quiz.wait(5);
  // Under wine, Windows' own end of a program at Ctrl-C gives status 0.
  EXPECT_TRUE(wine_exe ? WIFEXITED(status) : ended_by_ctrl_c(status)) << status;
}

TEST(Program, StartedWithCtrlCIgnoredTakesNoNoticeOfIt) {
  // Wine turns SIGINT into a Windows Ctrl-C even where it was ignored.
  if (wine_exe) GTEST_SKIP() << "a POSIX promise: SIGINT ignored at start";
  // As a shell starts a job in the background.
  program quiz(program::on::pipes, [] { std::signal(SIGINT, SIG_IGN); });
  ASSERT_TRUE(quiz.wait_for_lines(2));
  quiz.signal(SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_TRUE(quiz.send("qzz\nend\n"));
  const int status = quiz.finish();
  EXPECT_TRUE(exited(status, 0)) << status;
  EXPECT_EQ(check_session(table, "qzz end", quiz.shown()), "");
}

}  // namespace
