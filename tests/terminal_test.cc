// Runs the built program on a pseudo-terminal, natively or its Windows build
// under wine, and types at it as a person would: what a terminal shows, and
// Ctrl-C typed as a key.
#include <fcntl.h>
#include <gtest/gtest.h>
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

#include "files.h"
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

// The program on a pseudo-terminal; under wine, with a UTF-8 locale.
program at_terminal(console kind = console::shared,
                    piped redirect = piped::none) {
  std::vector<std::string> command = program_command();
  // `wine program.exe` is alone on its console; shared-console.exe stays
  // there with it.
  const char* const sharer = std::getenv("QUIZ_WINE_SHARED_CONSOLE");
  if (wine_exe && kind == console::shared && sharer) {
    command.insert(command.begin() + 1, sharer);
  }
  return program(
      program::on::terminal,
      [redirect] {
        if (wine_exe) setenv("LANG", "C.UTF-8", 1);
        if (redirect == piped::input) {
          dup2(open((dir + "in").c_str(), O_RDONLY), 0);
        } else if (redirect == piped::output) {
          dup2(open((dir + "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
               1);
        }
      },
      command);
}

// Waits until the terminal takes keys. Wine's console sets it raw when it
// starts, dropping what was typed before; natively it always does.
bool wait_for_keys(program& quiz) {
  return quiz.wait_until([&quiz](const std::string&) {
    termios modes = {};
    return !wine_exe || (tcgetattr(quiz.input(), &modes) == 0 &&
                         (modes.c_lflag & ICANON) == 0);
  });
}

// The text as a line printer would show it: wine's cursor show and hide
// escapes are dropped, and every line ends in a bare "\n".
std::string printed(std::string text) {
  for (const std::string drop : {"\x1b[?25h", "\x1b[?25l", "\r"}) {
    for (std::size_t at = 0; (at = text.find(drop, at)) != std::string::npos;)
      text.erase(at, drop.size());
  }
  return text;
}

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
bool wait_for_question(program& quiz, std::size_t n) {
  return quiz.wait_until([n](const std::string& text) {
    return questions_shown(printed(text)) >= n;
  });
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

void press_ctrl_c(program& quiz) {
  ASSERT_TRUE(quiz.send("\x03"));
  if (wine_exe) {
    // Wine's console ends a pending read only at the next line, unlike
    // Windows' own; a person would press Enter after a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(quiz.send("\r"));
  }
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
    program quiz = at_terminal(console::shared, redirect);
    ASSERT_TRUE(quiz.started() && (!to_file || wait_for_keys(quiz)));
    if (to_file) {
      std::string keys = typed;
      std::replace(keys.begin(), keys.end(), '\n', '\r');
      ASSERT_TRUE(quiz.send(keys));
    }
    const int status = quiz.finish();
    EXPECT_TRUE(exited(status, 0)) << status;
    // A file gets the bytes as they are; the terminal shows the characters.
    std::string shown = to_file ? slurp(dir + "out") : printed(quiz.shown());
    if (wine_exe && to_file) shown = unix_lines(shown);
    EXPECT_EQ(check_session(to_file ? table : shown_table(), typed, shown), "")
        << shown;
  }
}

TEST(Terminal, CtrlCKeyShowsTheTallyThenEndsAsInterrupted) {
  program quiz = at_terminal();
  ASSERT_TRUE(quiz.started() && wait_for_keys(quiz));
  ASSERT_TRUE(wait_for_question(quiz, 1)) << printed(quiz.shown());
  ASSERT_TRUE(quiz.send("qrq\r"));
  ASSERT_TRUE(wait_for_question(quiz, 2)) << printed(quiz.shown());
  press_ctrl_c(quiz);
  const int status = quiz.finish();
  EXPECT_TRUE(ended_by_ctrl_c(status)) << status;

  // The tally follows the open question after one empty line that ends the
  // answer's line; under wine the console may first echo the Enter, if it
  // still took it.
  std::string shown = without_echo(printed(quiz.shown()), "qrq\n");
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
    program quiz = at_terminal(console::own);
    ASSERT_TRUE(quiz.started() && wait_for_keys(quiz));
    ASSERT_TRUE(wait_for_question(quiz, 1)) << printed(quiz.shown());
    if (c.ending == std::string("\x03")) {
      press_ctrl_c(quiz);
    } else {
      ASSERT_TRUE(quiz.send(c.ending + std::string("\r")));
    }
    ASSERT_TRUE(quiz.wait_until([&](const std::string& text) {
      return printed(text).find(last_line) != std::string::npos;
    })) << printed(quiz.shown());
    // Long enough for a program that does not wait to have ended.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(quiz.running());
    ASSERT_TRUE(quiz.send(c.closing));
    const int status = quiz.finish();
    EXPECT_TRUE(WIFEXITED(status) &&
                (c.status < 0 || WEXITSTATUS(status) == c.status))
        << status;
    // The tally, then the line, then only the echo of an Enter.
    const std::string shown = printed(quiz.shown());
    const std::size_t results = shown.rfind("Vysledy:\n");
    ASSERT_NE(results, std::string::npos) << shown;
    EXPECT_EQ(shown.substr(results),
              "Vysledy:\nOK  0\nZLE 0\n" + last_line +
                  (c.closing == std::string("\r") ? "\n" : ""))
        << shown;
  }
}

}  // namespace
