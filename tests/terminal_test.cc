// Runs the built program on a pseudo-terminal, natively or its Windows build
// under wine, and types at it as a person would: what a terminal shows, and
// Ctrl-C typed as a key.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "program.h"
#include "qcode_table.h"
#include "session_check.h"

namespace {

const qcode_array table = make_qcode_table();
const std::string& dir = private_folder();
const char* const prompt = "Napiste Q znacku patriacu nasledujucemu vyrazu:\n";

// The UTF-8 form of an expression, as a terminal shows it. Only the four
// characters the table uses are known here; any other byte above 0x7F stays
// and fails the comparison. Wine's console shows a tab as spaces up to the
// next multiple of 8 columns (Slovak expressions are ASCII: a byte each).
std::string as_shown(const std::string& expression) {
  const struct {
    char byte;
    const char* utf8;
  } characters[] = {{'\x84', "\xE2\x80\x9E"},   // „
                    {'\x85', "\xE2\x80\xA6"},   // …
                    {'\x93', "\xE2\x80\x9C"},   // “
                    {'\x96', "\xE2\x80\x93"}};  // –
  std::string shown;
  for (const char c : expression) {
    const auto* known =
        std::find_if(std::begin(characters), std::end(characters),
                     [c](const auto& k) { return k.byte == c; });
    if (known != std::end(characters)) {
      shown += known->utf8;
    } else if (c == '\t' && wine_exe) {
      shown.append(8 - shown.size() % 8, ' ');
    } else {
      shown += c;
    }
  }
  return shown;
}

qcode_array shown_table() {
  qcode_array shown = table;
  for (auto& entry : shown) entry.second = as_shown(entry.second);
  return shown;
}

// Whether the program has its console to itself, as when Windows starts it
// by a double-click, or shares it with the program that started it, as with
// a Command Prompt. Natively a terminal is always shared with the shell.
enum class console { own, shared };

// Which of the program's streams is a file in the test's folder (named
// "in" or "out") instead of the terminal.
enum class piped { none, input, output };

// The program on the slave side of a pseudo-terminal with echo off and a
// window wide enough that no expression wraps.
class terminal {
 public:
  explicit terminal(console kind = console::shared,
                    piped redirect = piped::none) {
    winsize window = {};
    window.ws_row = 50;
    window.ws_col = 400;
    pid_ = forkpty(&master_, nullptr, nullptr, &window);
    if (pid_ == 0) {
      termios modes = {};
      tcgetattr(0, &modes);
      modes.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      tcsetattr(0, TCSANOW, &modes);
      std::signal(SIGINT, SIG_DFL);
      if (redirect == piped::input) {
        dup2(open((dir + "in").c_str(), O_RDONLY), 0);
      } else if (redirect == piped::output) {
        dup2(open((dir + "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
             1);
      }
      std::vector<std::string> command = program_command();
      if (wine_exe) {
        setenv("LANG", "C.UTF-8", 1);
        // `wine program.exe` is alone on its console; shared-console.exe
        // stays there with it.
        const char* const sharer = std::getenv("QUIZ_WINE_SHARED_CONSOLE");
        if (kind == console::shared && sharer) {
          command.insert(command.begin() + 1, sharer);
        }
      }
      exec_command(command);
    }
  }
  ~terminal() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  terminal(const terminal&) = delete;
  terminal& operator=(const terminal&) = delete;

  bool started() const { return pid_ > 0; }

  // True while the program has not ended; it is left for finish to reap.
  bool running() const {
    siginfo_t ended = {};
    return waitid(P_PID, static_cast<id_t>(pid_), &ended,
                  WEXITED | WNOHANG | WNOWAIT) == 0 &&
           ended.si_pid == 0;
  }

  // Waits until the terminal takes keys. Wine's console sets it raw when
  // it starts, dropping what was typed before; natively it always does.
  bool wait_for_keys() {
    return wait_until([this](const std::string&) {
      termios modes = {};
      return !wine_exe ||
             (tcgetattr(master_, &modes) == 0 && (modes.c_lflag & ICANON) == 0);
    });
  }

  void type(const std::string& keys) const {
    ASSERT_EQ(write(master_, keys.data(), keys.size()),
              static_cast<ssize_t>(keys.size()));
  }

  // Reads until `done` holds for what is shown; false if the program ends
  // first or 30 seconds pass.
  bool wait_until(const std::function<bool(const std::string&)>& done) {
    const auto deadline = clock::now() + std::chrono::seconds(30);
    while (!done(shown())) {
      if (clock::now() > deadline || read_some() == output::ended) {
        return false;
      }
    }
    return true;
  }

  // Reads all the program shows until it ends; returns its wait status, or
  // -1 if it has not ended within 30 seconds.
  int finish() {
    int status = -1;
    const auto deadline = clock::now() + std::chrono::seconds(30);
    while (clock::now() < deadline) {
      // Wine's server may keep the terminal open after the program ended,
      // so it is the program's end that counts, once its output is read.
      const bool closed = read_some() == output::ended;
      if (waitpid(pid_, &status, closed ? 0 : WNOHANG) == pid_) {
        pid_ = -1;
        while (read_some() == output::read) {
        }
        break;
      }
    }
    return status;
  }

  // The text as a line printer would show it: wine's cursor show and hide
  // escapes are dropped, and every line ends in a bare "\n".
  std::string shown() const {
    std::string text = raw_;
    for (const std::string drop : {"\x1b[?25h", "\x1b[?25l", "\r"}) {
      for (std::size_t at = 0; (at = text.find(drop, at)) != std::string::npos;)
        text.erase(at, drop.size());
    }
    return text;
  }

 private:
  using clock = std::chrono::steady_clock;
  enum class output { read, none_yet, ended };

  // Takes what the program shows within a tenth of a second; past
  // output_cap, takes no more, as if the program had ended.
  output read_some() {
    if (raw_.size() >= output_cap) return output::ended;
    pollfd ready = {master_, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) return output::none_yet;
    char chunk[4096];
    const ssize_t got = read(master_, chunk, sizeof chunk);
    if (got <= 0) return output::ended;  // EIO once the slave side is closed
    raw_.append(chunk, static_cast<std::size_t>(got));
    return output::read;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  std::string raw_;
};

std::size_t questions_shown(const std::string& shown) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = shown.find(prompt, at)) != std::string::npos;
       ++count) {
    at += std::string(prompt).size();
    if (shown.find('\n', at) == std::string::npos) break;  // still arriving
  }
  return count;
}

// Waits for question `n` (from 1) to be shown in full.
bool wait_for_question(terminal& quiz, std::size_t n) {
  return quiz.wait_until(
      [n](const std::string& text) { return questions_shown(text) >= n; });
}

// The code of the last question shown, found from its expression.
std::string last_code(const qcode_array& shown_entries,
                      const std::string& text) {
  const std::size_t start = text.rfind(prompt) + std::string(prompt).size();
  const std::string expression =
      text.substr(start, text.find('\n', start) - start);
  const auto entry = find_expression(shown_entries, expression);
  return entry != shown_entries.end() ? entry->first : "?";
}

// Wine's console echoes each line typed; the program itself never does.
std::string without_echo(std::string text, const std::string& typed) {
  if (!wine_exe) return text;
  std::size_t from = 0;
  for (std::size_t end; (end = typed.find('\n', from)) != std::string::npos;
       from = end + 1) {
    const std::string line = "\n" + typed.substr(from, end - from + 1);
    const std::size_t at = text.find(line);
    if (at != std::string::npos) text.erase(at + 1, line.size() - 1);
  }
  return text;
}

void press_ctrl_c(terminal& quiz) {
  quiz.type("\x03");
  if (wine_exe) {
    // Wine's console ends a pending read only at the next line, unlike
    // Windows' own; a person would press Enter after a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    quiz.type("\r");
  }
}

TEST(Terminal, ShowsTheExpressionsInUtf8) {
  const qcode_array shown_entries = shown_table();
  terminal quiz;
  ASSERT_TRUE(quiz.started() && quiz.wait_for_keys());
  // Every other answer right, in lower case, so both verdicts show; forty
  // questions all but surely include the non-ASCII characters.
  std::string typed;
  for (std::size_t n = 1; n <= 40; ++n) {
    ASSERT_TRUE(wait_for_question(quiz, n)) << quiz.shown();
    std::string answer =
        n % 2 == 0 ? "qzz" : last_code(shown_entries, quiz.shown());
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    typed += answer + "\n";
    quiz.type(answer + "\r");
  }
  ASSERT_TRUE(wait_for_question(quiz, 41)) << quiz.shown();
  typed += "end\n";
  quiz.type("end\r");
  const int status = quiz.finish();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  const std::string shown = without_echo(quiz.shown(), typed);
  EXPECT_EQ(check_session(shown_entries, typed, shown), "") << shown;
  EXPECT_NE(
      std::find_if(shown.begin(), shown.end(),
                   [](char c) { return static_cast<unsigned char>(c) > 0x7F; }),
      shown.end())
      << "no expression with a non-ASCII character was shown";
}

TEST(Terminal, ShowsUtf8OnlyWhereItsOutputIsTheTerminal) {
  // Forty wrong answers all but surely show non-ASCII characters.
  std::string typed;
  for (int n = 0; n < 40; ++n) typed += "qzz\n";
  typed += "end\n";
  for (const piped redirect : {piped::output, piped::input}) {
    const bool to_file = redirect == piped::output;
    SCOPED_TRACE(to_file ? "output to a file" : "input from a file");
    std::ofstream(dir + "in", std::ios::binary) << typed;
    terminal quiz(console::shared, redirect);
    ASSERT_TRUE(quiz.started() && (!to_file || quiz.wait_for_keys()));
    if (to_file) {
      std::string keys = typed;
      std::replace(keys.begin(), keys.end(), '\n', '\r');
      quiz.type(keys);
    }
    const int status = quiz.finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // A file gets the bytes as they are; the terminal shows the characters.
    std::string shown = to_file ? slurp(dir + "out") : quiz.shown();
    if (wine_exe && to_file) shown = unix_lines(shown);
    EXPECT_EQ(check_session(to_file ? table : shown_table(), typed, shown), "")
        << shown;
  }
}

TEST(Terminal, CtrlCKeyShowsTheTallyThenEndsAsInterrupted) {
  terminal quiz;
  ASSERT_TRUE(quiz.started() && quiz.wait_for_keys());
  ASSERT_TRUE(wait_for_question(quiz, 1)) << quiz.shown();
  quiz.type("qrq\r");
  ASSERT_TRUE(wait_for_question(quiz, 2)) << quiz.shown();
  press_ctrl_c(quiz);
  const int status = quiz.finish();
  if (wine_exe) {
    // Wine's STATUS_CONTROL_C_EXIT (0xC000013A), cut to its low byte.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0x3A) << status;
  } else {
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  }

  // The tally follows the open question after one empty line that ends the
  // answer's line; under wine the console may first echo the Enter, if it
  // still took it.
  std::string shown = without_echo(quiz.shown(), "qrq\n");
  const std::size_t results = shown.rfind("\n\nVysledy:\n");
  ASSERT_NE(results, std::string::npos) << shown;
  shown.erase(results, wine_exe && shown[results - 1] == '\n' ? 2 : 1);
  EXPECT_EQ(check_session(shown_table(), "qrq", shown), "") << shown;
}

TEST(Terminal, OwnWindowKeepsTheTallyUntilEnter) {
  if (!wine_exe) GTEST_SKIP() << "only Windows gives a program its own window";
  const std::string last_line = "Stlacte Enter na zatvorenie okna.\n";
  const struct {
    const char* ending;
    const char* closing;  // the key that closes the window
    int status;           // under wine, the exit status's low byte; -1: any
  } cases[] = {
      {"end", "\r", 0},
      {"\x03", "\r", 0x3A},
      // Ctrl-C closes it at once, with the status Ctrl-C gives any program
      // (STATUS_CONTROL_C_EXIT on Windows, 0 under wine).
      {"end", "\x03", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.ending) + c.closing));
    terminal quiz(console::own);
    ASSERT_TRUE(quiz.started() && quiz.wait_for_keys());
    ASSERT_TRUE(wait_for_question(quiz, 1)) << quiz.shown();
    if (c.ending == std::string("\x03")) {
      press_ctrl_c(quiz);
    } else {
      quiz.type(c.ending + std::string("\r"));
    }
    ASSERT_TRUE(quiz.wait_until([&](const std::string& text) {
      return text.find(last_line) != std::string::npos;
    })) << quiz.shown();
    // Long enough for a program that does not wait to have ended.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(quiz.running());
    quiz.type(c.closing);
    const int status = quiz.finish();
    EXPECT_TRUE(WIFEXITED(status) &&
                (c.status < 0 || WEXITSTATUS(status) == c.status))
        << status;
    // The tally, then the line, then only the echo of an Enter.
    const std::string shown = quiz.shown();
    const std::size_t results = shown.rfind("Vysledy:\n");
    ASSERT_NE(results, std::string::npos) << shown;
    EXPECT_EQ(shown.substr(results),
              "Vysledy:\nOK  0\nZLE 0\n" + last_line +
                  (c.closing == std::string("\r") ? "\n" : ""))
        << shown;
  }
}

}  // namespace
