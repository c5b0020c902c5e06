#include "quiz.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <istream>
#include <locale>
#include <ostream>
#include <string>

void convert::operator()(char& c) const {
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

namespace {

// Every code, and the word "end", is three bytes long, so a word's first four
// bytes decide its judgement: keeping only those keeps memory flat whatever
// the length of the word, and a longer word still compares unequal.
constexpr std::size_t kept_bytes = 4;

// Reads the next word as `in >> answer` would, but keeps at most kept_bytes
// of it; false when no word could be read.
bool read_answer(std::istream& in, std::string& answer) {
  const std::istream::sentry word_ahead(in);  // skips leading white space
  if (!word_ahead) return false;
  answer.clear();
  const auto& ctype = std::use_facet<std::ctype<char>>(in.getloc());
  std::streambuf& buf = *in.rdbuf();
  for (auto c = buf.sgetc();; c = buf.snextc()) {
    if (std::istream::traits_type::eq_int_type(
            c, std::istream::traits_type::eof())) {
      in.setstate(std::ios_base::eofbit);
      break;
    }
    const char byte = std::istream::traits_type::to_char_type(c);
    if (ctype.is(std::ctype_base::space, byte)) break;
    if (answer.size() < kept_bytes) answer.push_back(byte);
  }
  return true;
}

}  // namespace

tally run_quiz(const qcode_array& qcode_table, std::istream& in,
               std::ostream& out, const std::function<int()>& draw,
               const std::function<bool()>& interrupted) {
  tally counts;
  std::string answer;
  while (!interrupted()) {
    // rand never returns a negative value; the cast keeps any other source
    // of draws inside the table too.
    const auto index = static_cast<unsigned>(draw()) % qcode_table.size();
    const auto& entry = qcode_table[index];
    out << "Napiste Q znacku patriacu nasledujucemu vyrazu:\n"
        << entry.second << std::endl;
    // Once output is lost nobody sees the questions, so stop asking. An
    // interruption ends the input where it stands, so the word read last
    // may be a part of one that was never sent, or never finished.
    if (!out || !read_answer(in, answer) || interrupted() || answer == "end") {
      break;
    }
    std::for_each(answer.begin(), answer.end(), convert());
    if (answer == entry.first) {
      ++counts.ok_count;
      out << "Spravne !\n";
    } else {
      ++counts.wrong_count;
      out << "ZLE !, zodpovedajuca znacka je: " << entry.first << '\n';
    }
    out << std::endl << std::endl;
  }
  return counts;
}

void write_results(std::ostream& out, const tally& counts) {
  out << "Vysledy:\nOK  " << counts.ok_count << "\nZLE " << counts.wrong_count
      << '\n';
}
