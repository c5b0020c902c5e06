#include "play.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "session_check.h"

namespace {

const qcode_array table = make_qcode_table();

struct session {
  std::string shown;
  tally counts;
};

// When Ctrl-C comes in a scripted session.
enum class ctrl_c { never, once_input_is_read, at_once };

// Plays a session on `input`, always drawing `draw`.
session run(const std::string& input, int draw,
            ctrl_c interrupt = ctrl_c::never) {
  session s;
  std::istringstream in(input);
  capped_output written;
  std::ostream out(&written);
  quiz_session quiz(table, [draw] { return draw; });
  play(quiz, in, out, [&] {
    return interrupt == ctrl_c::at_once ||
           (interrupt == ctrl_c::once_input_is_read && in.eof());
  });
  s.counts = quiz.counts();
  s.shown = written.str();
  return s;
}

// What the loop reads as words; how each word is judged is the session's.
TEST(Play, HandsOnEachWordItReads) {
  const std::string long_word(1 << 20, 'q');
  const struct {
    const char* name;
    std::string input;
    std::int64_t ok, wrong;
  } cases[] = {
      {"words on one line", "qrq qrq\tqrq\n", 3, 0},
      {"white space and empty lines", " \t\r\n\n\v\f qrq\n\n end", 1, 0},
      {"end first", "end qrq", 0, 0},
      {"no input", "", 0, 0},
      {"only white space", " \n\n\t", 0, 0},
      {"last word without newline", "qrq", 1, 0},
      {"endless word", long_word, 0, 1},
      {"code then a long tail", "qrq" + long_word + " end", 0, 1},
      {"end then a long tail", "end" + long_word, 0, 1},
      {"capital END", "END End end", 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const session s = run(c.input, 19);
    EXPECT_EQ(s.counts.ok_count, c.ok);
    EXPECT_EQ(s.counts.wrong_count, c.wrong);
    EXPECT_EQ(check_session(table, c.input.substr(0, 100), s.shown), "");
  }
}

// Ctrl-C ends the input where it stands: what was read in full before it is
// judged, the word it cut short is not, and no question follows it.
TEST(Play, CtrlCJudgesOnlyWhatWasSent) {
  const struct {
    const char* input;
    ctrl_c interrupt;
    std::int64_t ok, wrong;
    std::size_t questions;
  } cases[] = {
      {"qr", ctrl_c::once_input_is_read, 0, 0, 1},
      {"qrq qrs qr", ctrl_c::once_input_is_read, 1, 1, 3},
      {"qrq\n", ctrl_c::once_input_is_read, 1, 0, 2},
      {"qrq end", ctrl_c::at_once, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const session s = run(c.input, 19, c.interrupt);
    std::size_t questions = 0;
    for (std::size_t at = 0;
         (at = s.shown.find("Napiste", at)) != std::string::npos; ++at) {
      ++questions;
    }
    EXPECT_EQ(questions, c.questions);
    // The results start on a line of their own, after the ^C echoed.
    const std::string results = "\nVysledy:\nOK  " + std::to_string(c.ok) +
                                "\nZLE " + std::to_string(c.wrong) + "\n";
    EXPECT_EQ(s.shown.substr(s.shown.size() -
                             std::min(s.shown.size(), results.size())),
              results);
  }
}

}  // namespace
