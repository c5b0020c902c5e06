#ifndef QCODE_QUIZ_QCODE_TABLE_H_
#define QCODE_QUIZ_QCODE_TABLE_H_

#include <array>
#include <string>
#include <utility>

// Number of entries in the table; every draw is taken modulo this.
constexpr int table_size = 84;

// Entries pair a code (`first`) with its expression (`second`), which is
// Windows-1250 text and is written out byte for byte.
using qcode_array = std::array<std::pair<std::string, std::string>, table_size>;

// How many of the table's entries, from the first on, are Czech; the rest
// are Slovak.
constexpr int czech_entries = 57;

// Builds the table in its fixed order: the Czech entries, then the Slovak.
qcode_array make_qcode_table();

#endif  // QCODE_QUIZ_QCODE_TABLE_H_
