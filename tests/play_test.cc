#include "play.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "session_check.h"

namespace {

const qcode_array table = make_qcode_table();

// When Ctrl-C comes in a scripted session.
enum class ctrl_c { never, once_input_is_read, at_once };

// What the loop reads as words, and where it stops; how each word is judged
// is the session's. Ctrl-C ends the input where it stands: what was read in
// full before it is judged, the word it cut short is not, no question
// follows it, and the results start on a line of their own after the ^C.
TEST(Play, HandsOnEachWordItReads) {
  const std::string endless(1 << 20, 'q');
  const struct {
    const char* name;
    std::string input;
    ctrl_c interrupt;
    int questions;
    const char* results;
  } cases[] = {
      {"words on one line", "qrq qrq\tqrq\n", ctrl_c::never, 4, "OK  3\nZLE 0"},
      {"white space and empty lines", " \t\r\n\n\v\f qrq\n\n end\nqrq",
       ctrl_c::never, 2, "OK  1\nZLE 0"},
      {"no input", "", ctrl_c::never, 1, "OK  0\nZLE 0"},
      {"last word without newline", "qrq", ctrl_c::never, 2, "OK  1\nZLE 0"},
      {"an endless word", endless, ctrl_c::never, 2, "OK  0\nZLE 1"},
      {"end, then more", "end" + endless, ctrl_c::never, 2, "OK  0\nZLE 1"},
      {"Ctrl-C in a word", "qrq qrs qr", ctrl_c::once_input_is_read, 3,
       "\nVysledy:\nOK  1\nZLE 1"},
      {"Ctrl-C after a line", "qrq\n", ctrl_c::once_input_is_read, 2,
       "\nVysledy:\nOK  1\nZLE 0"},
      {"Ctrl-C before the start", "qrq end", ctrl_c::at_once, 0,
       "\nVysledy:\nOK  0\nZLE 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream in(c.input);
    capped_output written;
    std::ostream out(&written);
    quiz_session session(table, [] { return 19; });
    play(session, in, out, [&] {
      return c.interrupt == ctrl_c::at_once ||
             (c.interrupt == ctrl_c::once_input_is_read && in.eof());
    });
    const std::string& shown = written.str();
    int questions = 0;
    for (auto at = shown.find("Napiste"); at != std::string::npos;
         at = shown.find("Napiste", at + 1)) {
      ++questions;
    }
    EXPECT_EQ(questions, c.questions);
    const std::string results = std::string(c.results) + '\n';
    EXPECT_EQ(
        shown.substr(shown.size() - std::min(shown.size(), results.size())),
        results);
  }
}

}  // namespace
