#include "qcode_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

namespace {

const qcode_array table = make_qcode_table();
constexpr int first_slovak = czech_entries;

bool allowed_byte(unsigned char c) {
  return (c >= 0x20 && c < 0x7f) || c == '\t' || c == 0x84 || c == 0x85 ||
         c == 0x93 || c == 0x96;
}

TEST(QcodeTable, EveryEntryIsWellFormed) {
  std::map<std::string, int> seen;
  for (int i = 0; i < table_size; ++i) {
    const auto& [code, text] = table[static_cast<std::size_t>(i)];
    SCOPED_TRACE("entry " + std::to_string(i) + " " + code);
    ASSERT_EQ(code.size(), 3u);
    EXPECT_EQ(code[0], 'Q');
    EXPECT_TRUE(isupper(code[1]) && isupper(code[2]));
    EXPECT_GE(text.size(), 21u);
    EXPECT_LE(text.size(), 99u);
    for (const char c : text)
      EXPECT_TRUE(allowed_byte(static_cast<unsigned char>(c)));
    const bool slovak = i >= first_slovak;
    EXPECT_EQ(text.find('\t') != std::string::npos, slovak && i != 75);
    EXPECT_EQ(text.find('\x85') != std::string::npos && slovak, false);
    EXPECT_EQ(text.find("...") != std::string::npos && !slovak, false);
    if (i != 0 && i != first_slovak) {
      const auto& before = table[static_cast<std::size_t>(i - 1)].first;
      EXPECT_TRUE(slovak ? before <= code : before < code) << "out of order";
    }
    if (slovak) {
      EXPECT_EQ(seen.count(code), 1u) << "not a Czech code";
    }
    ++seen[code];
  }
  EXPECT_EQ(seen.size(), 57u);
  int twice = 0;
  for (const auto& [code, count] : seen) twice += count == 2;
  EXPECT_EQ(twice, 25);
  EXPECT_EQ(seen["QSO"], 3);
}

// A fingerprint of every byte of the table, taken from the reference text:
// any changed, lost or swapped byte anywhere changes it, the dashes, quotes
// and ellipses of Windows-1250 among them.
TEST(QcodeTable, MatchesTheReferenceFingerprint) {
  std::uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
  auto mix = [&hash](const std::string& bytes, char end) {
    for (const char c : bytes + end) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    }
  };
  for (const auto& [code, text] : table) {
    mix(code, '\0');
    mix(text, '\n');
  }
  EXPECT_EQ(hash, 0xfb88d287201f5bd7u);
}

}  // namespace
