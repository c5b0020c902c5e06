#include "play.h"

#include <istream>
#include <locale>
#include <ostream>
#include <string>

namespace {

// Reads the next word as `in >> word` would, but keeps at most kept_bytes
// of it, so memory stays flat whatever the length of the word; false when
// no word could be read.
bool read_word(std::istream& in, std::string& word) {
  const std::istream::sentry word_ahead(in);  // skips leading white space
  if (!word_ahead) return false;
  word.clear();
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
    if (word.size() < kept_bytes) word.push_back(byte);
  }
  return true;
}

}  // namespace

void play(quiz_session& session, std::istream& in, std::ostream& out,
          const std::function<bool()>& interrupted) {
  if (!interrupted()) {
    out << session.question() << std::flush;
    // Once output is lost nobody sees the questions, so stop asking. An
    // interruption ends the input where it stands, so the word read last
    // may be a part of one that was never sent, or never finished.
    std::string word;
    while (out && read_word(in, word) && !interrupted()) {
      out << session.answer(word) << std::flush;
      if (session.ended()) return;
    }
  }
  if (interrupted()) out << '\n';  // ends the line where ^C was echoed
  out << session.results() << std::flush;
}
