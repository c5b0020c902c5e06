#ifndef QCODE_QUIZ_TESTS_SESSION_CHECK_H_
#define QCODE_QUIZ_TESTS_SESSION_CHECK_H_

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

#include "qcode_table.h"

// The entry whose expression is `text`, or table.end() if there is none.
inline qcode_array::const_iterator find_expression(const qcode_array& table,
                                                   const std::string& text) {
  return std::find_if(table.begin(), table.end(),
                      [&](const auto& e) { return e.second == text; });
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
    const auto entry = find_expression(table, text);
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
