#ifndef QCODE_QUIZ_QUIZ_H_
#define QCODE_QUIZ_QUIZ_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "qcode_table.h"

// Upper-cases one byte in place as toupper does in the "C" locale: only a-z
// change, so bytes 0x80 to 0xFF stay as they are.
struct convert {
  void operator()(char& c) const;
};

// Every code, and the word "end", is three bytes long, so a word's first
// kept_bytes bytes decide its judgement: a reader may keep only those,
// whatever the length of the word, and a longer word still compares unequal.
constexpr std::size_t kept_bytes = 4;

// Answers judged so far; 64 bits, so no run can overflow them.
struct tally {
  std::int64_t ok_count = 0;
  std::int64_t wrong_count = 0;
};

// One session of the quiz, handed one answer word at a time: it asks for the
// codes of entries drawn as the draw, taken as unsigned, modulo the table's
// size (rand's values are never negative, so at the console that is
// rand() % 84), judges each word, counts, and says what to show. Its texts
// are Windows-1250 bytes, each line ended by "\n".
class quiz_session {
 public:
  // Draws the first question; `qcode_table` must outlive the session.
  quiz_session(const qcode_array& qcode_table, std::function<int()> draw);

  // The open question: the prompt, then the expression, each on a line.
  [[nodiscard]] std::string question() const;

  // Whether the open question's expression is one of the Czech entries.
  [[nodiscard]] bool czech() const;

  // Judges `word` against the open question and returns the verdict, two
  // empty lines and the next question; for the word "end" (in small
  // letters), ends the session and returns the results instead. Once the
  // session has ended, takes nothing and returns "".
  std::string answer(std::string_view word);

  // Ends the session and returns the results; the open question counts
  // neither way. Once the session has ended, returns "".
  std::string results();

  // Whether the session has ended, by "end" or by results().
  [[nodiscard]] bool ended() const { return ended_; }

 private:
  void draw_question();

  const qcode_array& qcode_table_;
  std::function<int()> draw_;
  std::size_t index_ = 0;
  tally counts_;
  bool ended_ = false;
};

#endif  // QCODE_QUIZ_QUIZ_H_
