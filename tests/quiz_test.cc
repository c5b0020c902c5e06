#include "quiz.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const qcode_array table = make_qcode_table();
const std::string prompt = "Napiste Q znacku patriacu nasledujucemu vyrazu:\n";

TEST(Quiz, SaysWhatToShowForEachWord) {
  const int draws[] = {19, 51, 33 + 84 * 1000};
  std::size_t drawn = 0;
  quiz_session session(table, [&] { return draws[drawn++ % 3]; });
  EXPECT_EQ(session.question(),
            prompt + "Mam vysilat rychleji? Vysilejte rychleji!\n");
  EXPECT_EQ(session.answer("qrq"),
            "Spravne !\n\n\n" + prompt +
                "Kolik je presne hodin? Presny cas je \x85\n");
  EXPECT_EQ(session.answer("QTH"), "ZLE !, zodpovedajuca znacka je: QTR\n\n\n" +
                                       prompt + "Neslysim Vas na \x85 kHz\n");
  EXPECT_EQ(session.answer("end"), "Vysledy:\nOK  1\nZLE 1\n");
  // Once ended, it takes nothing more and draws no more.
  EXPECT_EQ(session.answer("qsh") + session.results(), "");
  EXPECT_EQ(drawn, 3u);
}

TEST(Quiz, JudgesEveryWordButEnd) {
  const struct {
    const char* name;
    std::string word;
    int draw;
    bool right;
  } cases[] = {
      {"lower case", "qrq", 19, true},
      {"mixed case", "QrQ", 19, true},
      {"trailing mark", "QRQ!", 19, false},
      {"one letter more", "QRQQ", 19, false},
      {"a long tail", "qrq" + std::string(1 << 20, 'q'), 19, false},
      {"capital END", "END", 19, false},
      {"mixed-case end", "End", 19, false},
      {"end and more", "endq", 19, false},
      {"high bytes", "\xd1RQ", 19, false},
      {"a NUL", std::string("qr\0", 3), 19, false},
      {"empty", "", 19, false},
      {"shared code, Slovak wording", "qra", 57, true},
      {"first entry", "qaz", 0, true},
      {"last entry", "qzf", 83, true},
      {"third QSO", "qso", 75, true},
      {"a negative draw, kept in the table", "qrv", -84 * 1000 - 19, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool first = true;
    quiz_session session(
        table, [&] { return std::exchange(first, false) ? c.draw : 0; });
    EXPECT_EQ(
        session.answer(c.word),
        (c.right ? "Spravne !\n" : "ZLE !, zodpovedajuca znacka je: QRQ\n") +
            ("\n\n" + prompt) + table[0].second + '\n');
  }
}

TEST(Quiz, TellsCzechQuestions) {
  const struct {
    int index;
    bool czech;
  } cases[] = {{0, true}, {56, true}, {57, false}, {75, false}, {83, false}};
  for (const auto& c : cases) {
    const quiz_session session(table, [&] { return c.index; });
    EXPECT_EQ(session.czech(), c.czech) << c.index;
  }
}

}  // namespace
