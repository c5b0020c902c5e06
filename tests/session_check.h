#ifndef QCODE_QUIZ_TESTS_SESSION_CHECK_H_
#define QCODE_QUIZ_TESTS_SESSION_CHECK_H_

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <streambuf>
#include <string>

#include "qcode_table.h"

// What a session run in the test's own process writes, kept in memory up to
// `cap` bytes. Past that the stream fails, as on a full disk, which ends
// the quiz loop, so a loop that never ends cannot take all the memory.
class capped_output : public std::streambuf {
 public:
  explicit capped_output(std::size_t cap = std::size_t{1} << 20) : cap_(cap) {}
  [[nodiscard]] const std::string& str() const { return text_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return 0;
    if (text_.size() >= cap_) return traits_type::eof();
    text_.push_back(traits_type::to_char_type(c));
    return c;
  }

 private:
  std::string text_;
  std::size_t cap_;
};

// "" when `shown` is `expected`, else where they first differ and a little
// of each from there. Unlike a test framework's diff, its cost and length
// stay small however much a runaway program wrote.
inline std::string first_difference(const std::string& shown,
                                    const std::string& expected) {
  if (shown == expected) return "";
  const auto at =
      static_cast<std::size_t>(std::mismatch(shown.begin(), shown.end(),
                                             expected.begin(), expected.end())
                                   .first -
                               shown.begin());
  return "at byte " + std::to_string(at) + " of " +
         std::to_string(shown.size()) + ", shown \"" + shown.substr(at, 40) +
         "\" where \"" + expected.substr(at, 40) + "\" was expected";
}

// Checks a session's output (with "\n" line ends) against the input it read,
// without knowing the draws: every question shows a table entry, every
// verdict judges the next input word against that entry's code, and the
// results count the verdicts. Returns what is wrong, or "" if all holds.
inline std::string check_session(const qcode_array& table,
                                 const std::string& input,
                                 const std::string& shown) {
  std::istringstream words(input);
  std::size_t at = 0;
  auto take = [&](const std::string& text) {
    if (shown.compare(at, text.size(), text) != 0) return false;
    at += text.size();
    return true;
  };
  std::int64_t ok = 0, wrong = 0;
  for (int question = 1;; ++question) {
    const std::string where = "question " + std::to_string(question) + ": ";
    if (!take("Napiste Q znacku patriacu nasledujucemu vyrazu:\n")) {
      return where + "no prompt";
    }
    const std::size_t line_end = shown.find('\n', at);
    if (line_end == std::string::npos) return where + "no expression";
    const std::string text = shown.substr(at, line_end - at);
    at = line_end + 1;
    const auto entry =
        std::find_if(table.begin(), table.end(),
                     [&](const auto& e) { return e.second == text; });
    if (entry == table.end()) return where + "no such expression: " + text;

    std::string word;
    if (!(words >> word) || word == "end") break;
    for (char& c : word) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    const bool right = word == entry->first;
    ++(right ? ok : wrong);
    if (!take(right ? "Spravne !\n\n\n"
                    : "ZLE !, zodpovedajuca znacka je: " + entry->first +
                          "\n\n\n")) {
      return where + "wrong verdict for " + word;
    }
  }
  if (shown.substr(at) != "Vysledy:\nOK  " + std::to_string(ok) + "\nZLE " +
                              std::to_string(wrong) + "\n") {
    return "wrong results: " + shown.substr(at);
  }
  return "";
}

#endif  // QCODE_QUIZ_TESTS_SESSION_CHECK_H_
