#ifndef QCODE_QUIZ_QUIZ_H_
#define QCODE_QUIZ_QUIZ_H_

#include <cstdint>
#include <functional>
#include <iosfwd>

#include "qcode_table.h"

// Upper-cases one byte in place as toupper does in the "C" locale: only a-z
// change, so bytes 0x80 to 0xFF stay as they are.
struct convert {
  void operator()(char& c) const;
};

// Answers judged so far; 64 bits, so no run can overflow them.
struct tally {
  std::int64_t ok_count = 0;
  std::int64_t wrong_count = 0;
};

// Asks for the codes of entries drawn as `draw() % table_size` (draw returns
// values in rand's range) until the word "end" is read, the input ends or
// fails, `out` fails, or `interrupted` returns true, and returns the tally;
// it writes no results. A word read once `interrupted` holds is not judged.
tally run_quiz(
    const qcode_array& qcode_table, std::istream& in, std::ostream& out,
    const std::function<int()>& draw,
    const std::function<bool()>& interrupted = [] { return false; });

// Writes the results block that closes a session.
void write_results(std::ostream& out, const tally& counts);

#endif  // QCODE_QUIZ_QUIZ_H_
