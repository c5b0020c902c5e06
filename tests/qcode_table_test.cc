#include "qcode_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const qcode_array table = make_qcode_table();

// What the quiz relies on; the fingerprint below pins every byte. Codes are
// three bytes, so a word's first four decide its judgement. Expressions are
// single lines of the bytes that terminals and the page decode. The Czech
// entries come first: Czech texts mark a blank with an ellipsis byte,
// Slovak ones with "...".
TEST(QcodeTable, HoldsWhatTheQuizReliesOn) {
  for (int i = 0; i < table_size; ++i) {
    const auto& [code, text] = table[static_cast<std::size_t>(i)];
    SCOPED_TRACE("entry " + std::to_string(i) + " " + code);
    ASSERT_EQ(code.size(), 3u);
    EXPECT_TRUE(code[0] == 'Q' && isupper(code[1]) && isupper(code[2]));
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      EXPECT_TRUE((byte >= 0x20 && byte < 0x7f) || byte == '\t' ||
                  byte == 0x84 || byte == 0x85 || byte == 0x93 || byte == 0x96)
          << static_cast<int>(byte);
    }
    const bool czech = i < czech_entries;
    EXPECT_EQ(text.find(czech ? "..." : "\x85"), std::string::npos);
  }
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
