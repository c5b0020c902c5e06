#include "quiz.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>

void convert::operator()(char& c) const {
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

namespace {

// `n` in decimal. to_chars, unlike to_string, needs no printf, which the
// page would otherwise carry.
std::string decimal(std::int64_t n) {
  std::array<char, 24> digits;
  return {digits.data(),
          std::to_chars(digits.data(), digits.data() + digits.size(), n).ptr};
}

}  // namespace

quiz_session::quiz_session(const qcode_array& qcode_table,
                           std::function<int()> draw)
    : qcode_table_(qcode_table), draw_(std::move(draw)) {
  draw_question();
}

void quiz_session::draw_question() {
  // rand never returns a negative value; the cast keeps any other source of
  // draws inside the table too.
  index_ = static_cast<unsigned>(draw_()) % qcode_table_.size();
}

std::string quiz_session::question() const {
  return "Napiste Q znacku patriacu nasledujucemu vyrazu:\n" +
         qcode_table_[index_].second + '\n';
}

bool quiz_session::czech() const { return index_ < czech_entries; }

std::string quiz_session::answer(std::string_view word) {
  if (ended_) return "";
  if (word == "end") return results();
  // Only as many bytes as can decide the judgement are upper-cased.
  std::string answer(word.substr(0, kept_bytes));
  std::for_each(answer.begin(), answer.end(), convert());
  const std::string& code = qcode_table_[index_].first;
  std::string shown;
  if (answer == code) {
    ++counts_.ok_count;
    shown = "Spravne !\n";
  } else {
    ++counts_.wrong_count;
    shown = "ZLE !, zodpovedajuca znacka je: " + code + '\n';
  }
  draw_question();
  return shown + "\n\n" + question();
}

std::string quiz_session::results() {
  if (ended_) return "";
  ended_ = true;
  return "Vysledy:\nOK  " + decimal(counts_.ok_count) + "\nZLE " +
         decimal(counts_.wrong_count) + '\n';
}
