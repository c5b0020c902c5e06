#include "quiz.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const qcode_array table = make_qcode_table();
const std::string prompt = "Napiste Q znacku patriacu nasledujucemu vyrazu:\n";

// A session whose draws are `draws`, cycled; `drawn` counts them.
struct scripted {
  explicit scripted(std::vector<int> values)
      : draws(std::move(values)),
        session(table, [this] { return draws[drawn++ % draws.size()]; }) {}
  std::vector<int> draws;
  std::size_t drawn = 0;
  quiz_session session;
};

TEST(Quiz, SaysWhatToShowForEachWord) {
  scripted s({19, 51, 33 + 84 * 1000});
  EXPECT_EQ(s.session.question(),
            prompt + "Mam vysilat rychleji? Vysilejte rychleji!\n");
  EXPECT_EQ(s.session.answer("qrq"),
            "Spravne !\n\n\n" + prompt +
                "Kolik je presne hodin? Presny cas je \x85\n");
  EXPECT_EQ(s.session.answer("QTH"),
            "ZLE !, zodpovedajuca znacka je: QTR\n\n\n" + prompt +
                "Neslysim Vas na \x85 kHz\n");
  EXPECT_EQ(s.session.answer("end"), "Vysledy:\nOK  1\nZLE 1\n");
  EXPECT_TRUE(s.session.ended());
  // Once ended, it takes nothing more and draws no more.
  EXPECT_EQ(s.session.answer("qsh"), "");
  EXPECT_EQ(s.session.results(), "");
  EXPECT_EQ(s.session.counts().ok_count + s.session.counts().wrong_count, 2);
  EXPECT_EQ(s.drawn, 3u);
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
    scripted s({c.draw, 0});
    const auto& entry = table[static_cast<unsigned>(c.draw) % table.size()];
    const std::string verdict =
        c.right ? "Spravne !\n"
                : "ZLE !, zodpovedajuca znacka je: " + entry.first + '\n';
    EXPECT_EQ(s.session.answer(c.word),
              verdict + "\n\n" + prompt + table[0].second + '\n');
    EXPECT_EQ(s.session.counts().ok_count, c.right ? 1 : 0);
    EXPECT_EQ(s.session.counts().wrong_count, c.right ? 0 : 1);
    EXPECT_FALSE(s.session.ended());
  }
}

TEST(Quiz, EndsWithResultsAndTellsCzechQuestions) {
  const struct {
    int index;
    bool czech;
  } cases[] = {{0, true}, {56, true}, {57, false}, {75, false}, {83, false}};
  for (const auto& c : cases) {
    scripted s({c.index});
    EXPECT_EQ(s.session.czech(), c.czech) << c.index;
    EXPECT_EQ(s.session.question(), prompt + table[c.index].second + '\n');
  }
  scripted s({19});
  EXPECT_EQ(s.session.results(), "Vysledy:\nOK  0\nZLE 0\n");
  EXPECT_TRUE(s.session.ended());
}

}  // namespace
