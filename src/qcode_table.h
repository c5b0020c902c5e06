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

// Builds the table in its fixed order: 57 Czech entries, then 27 Slovak ones.
qcode_array make_qcode_table();

#endif  // QCODE_QUIZ_QCODE_TABLE_H_
