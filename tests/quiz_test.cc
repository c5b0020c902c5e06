#include "quiz.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "session_check.h"

namespace {

const qcode_array table = make_qcode_table();

struct session {
  std::string shown;
  tally counts;
  std::size_t draws = 0;
};

// When Ctrl-C comes in a scripted session.
enum class ctrl_c { never, once_input_is_read, at_once };

// Runs the quiz on `input` with the given draws, cycled, and writes the
// results.
session run(const std::string& input, const std::vector<int>& draws,
            ctrl_c interrupt = ctrl_c::never) {
  session s;
  std::istringstream in(input);
  capped_output written;
  std::ostream out(&written);
  s.counts = run_quiz(
      table, in, out, [&] { return draws[s.draws++ % draws.size()]; },
      [&] {
        return interrupt == ctrl_c::at_once ||
               (interrupt == ctrl_c::once_input_is_read && in.eof());
      });
  write_results(out, s.counts);
  s.shown = written.str();
  return s;
}

TEST(Quiz, ShowsASessionByteForByte) {
  const session s = run("qrq\nQTH\nend\n", {19, 51, 33 + 84 * 1000});
  EXPECT_EQ(s.shown,
            "Napiste Q znacku patriacu nasledujucemu vyrazu:\n"
            "Mam vysilat rychleji? Vysilejte rychleji!\n"
            "Spravne !\n\n\n"
            "Napiste Q znacku patriacu nasledujucemu vyrazu:\n"
            "Kolik je presne hodin? Presny cas je \x85\n"
            "ZLE !, zodpovedajuca znacka je: QTR\n\n\n"
            "Napiste Q znacku patriacu nasledujucemu vyrazu:\n"
            "Neslysim Vas na \x85 kHz\n"
            "Vysledy:\nOK  1\nZLE 1\n");
}

TEST(Quiz, JudgesEveryWordButEnd) {
  const std::string long_word(1 << 20, 'q');
  const struct {
    const char* name;
    std::string input;
    int draw;
    std::int64_t ok, wrong;
  } cases[] = {
      {"lower case", "qrq end", 19, 1, 0},
      {"mixed case", "QrQ\nend", 19, 1, 0},
      {"trailing mark", "QRQ! end", 19, 0, 1},
      {"one letter more", "QRQQ end", 19, 0, 1},
      {"capital END", "END End eNd end", 19, 0, 3},
      {"high bytes", "\x80\xff \xd1RQ end", 19, 0, 2},
      {"words on one line", "qrq qrq\tqrq\n", 19, 3, 0},
      {"white space and empty lines", " \t\r\n\n\v\f qrq\n\n end", 19, 1, 0},
      {"end first", "end qrq", 19, 0, 0},
      {"no input", "", 19, 0, 0},
      {"only white space", " \n\n\t", 19, 0, 0},
      {"last word without newline", "qrq", 19, 1, 0},
      {"endless word", long_word, 19, 0, 1},
      {"code then a long tail", "qrq" + long_word + " end", 19, 0, 1},
      {"end then a long tail", "end" + long_word, 19, 0, 1},
      {"shared code, Slovak wording", "qra qso", 57, 1, 1},
      {"first entry", "qaz", 0, 1, 0},
      {"last entry", "qzf", 83, 1, 0},
      {"third QSO", "qso", 75, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const session s = run(c.input, {c.draw});
    EXPECT_EQ(s.counts.ok_count, c.ok);
    EXPECT_EQ(s.counts.wrong_count, c.wrong);
    const std::string expected_code =
        "je: " + table[static_cast<std::size_t>(c.draw)].first + "\n\n\n";
    EXPECT_EQ(s.shown.find(expected_code) != std::string::npos, c.wrong > 0);
    EXPECT_EQ(s.draws, static_cast<std::size_t>(c.ok + c.wrong + 1));
  }
}

// Ctrl-C ends the input where it stands: what was read in full before it is
// judged, the word it cut short is not, and no question follows it.
TEST(Quiz, CtrlCJudgesOnlyWhatWasSent) {
  const struct {
    const char* input;
    ctrl_c interrupt;
    std::int64_t ok, wrong;
    std::size_t draws;
  } cases[] = {
      {"qr", ctrl_c::once_input_is_read, 0, 0, 1},
      {"qrq qrs qr", ctrl_c::once_input_is_read, 1, 1, 3},
      {"qrq\n", ctrl_c::once_input_is_read, 1, 0, 2},
      {"qrq end", ctrl_c::at_once, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const session s = run(c.input, {19}, c.interrupt);
    EXPECT_EQ(s.counts.ok_count, c.ok);
    EXPECT_EQ(s.counts.wrong_count, c.wrong);
    EXPECT_EQ(s.draws, c.draws);
  }
}

TEST(Convert, UpperCasesOnlyAsciiLetters) {
  for (int byte = 0; byte < 256; ++byte) {
    char c = static_cast<char>(byte);
    convert()(c);
    const int expected = byte >= 'a' && byte <= 'z' ? byte - 32 : byte;
    EXPECT_EQ(static_cast<unsigned char>(c), expected) << "byte " << byte;
  }
}

}  // namespace
