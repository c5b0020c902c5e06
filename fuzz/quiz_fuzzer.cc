// Plays the quiz at the console's loop with arbitrary input bytes and arbitrary
// draws, and checks the session it shows. The first byte says how many draws
// follow (four bytes each, cycled); the rest is the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "play.h"
#include "session_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static const qcode_array table = make_qcode_table();
  std::vector<int> draws(size > 0 ? 1 + data[0] % 8 : 1, 0);
  std::size_t at = size > 0 ? 1 : 0;
  for (int& draw : draws) {
    if (size - at < sizeof draw) break;
    std::memcpy(&draw, data + at, sizeof draw);
    at += sizeof draw;
  }
  const std::string input(reinterpret_cast<const char*>(data) + at, size - at);

  std::istringstream in(input);
  capped_output written;
  std::ostream out(&written);
  std::size_t drawn = 0;
  quiz_session session(table, [&] { return draws[drawn++ % draws.size()]; });
  play(session, in, out);
  const std::string problem = check_session(table, input, written.str());
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
