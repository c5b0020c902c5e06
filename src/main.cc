// The quiz at the console: wires standard input and output, the clock and
// rand into a session, turns a lost console into exit status 1, shows the
// tally before a Ctrl-C ends the program, and keeps a window that would
// close with the program open until the tally has been read.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <istream>
#include <ostream>
#include <string>

#include "console.h"
#include "play.h"
#include "qcode_table.h"
#include "quiz.h"

namespace {

void report(const char* what, const std::string& reason) {
  std::fprintf(stderr, "qcode-quiz: %s: %s\n", what, reason.c_str());
}

}  // namespace

int main() {
  const qcode_array qcode_table = make_qcode_table();
  std::srand(static_cast<unsigned>(std::time(nullptr)));

  catch_interrupt();
  console_input input;
  console_output output;
  std::istream in(&input);
  std::ostream out(&output);

  quiz_session session(qcode_table, [] { return std::rand(); });
  play(session, in, out, interrupted);

  int status = 0;
  if (!output.error().empty()) {
    report("cannot write standard output", output.error());
    status = 1;
  } else if (!input.error().empty()) {
    report("cannot read standard input", input.error());
    status = 1;
  }
  keep_own_window_until_enter(out);
  if (interrupted()) end_as_interrupted();
  return status;
}
