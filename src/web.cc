// The quiz in a web page: the page starts a session, hands it each answer
// word and each way of ending, and shows the Windows-1250 text it gets
// back, which the page decodes itself.
#include <emscripten.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "qcode_table.h"
#include "quiz.h"

namespace {

// Hands the page `size` bytes of text to show; `czech` when the text ends
// in a Czech expression, which the page marks as Czech for screen readers.
// clang-format off
EM_JS(void, page_show, (const char* text, int size, int czech), {
  Module.show(HEAPU8.slice(text, text + size), czech);
});
// clang-format on

const qcode_array qcode_table = make_qcode_table();
std::optional<quiz_session> session;
bool seeded = false;

void show(const std::string& text) {
  page_show(text.data(), static_cast<int>(text.size()),
            !session->ended() && session->czech() ? 1 : 0);
}

}  // namespace

// Starts a new session and shows its first question. The draws come from
// rand, seeded with the clock once, as the page loads, as the console seeds
// it once a run: a new session goes on with them, and never repeats one
// started in the same second.
extern "C" EMSCRIPTEN_KEEPALIVE void quiz_start() {
  if (!seeded) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    seeded = true;
  }
  session.emplace(qcode_table, [] { return std::rand(); });
  show(session->question());
}

// Hands the session the `size` bytes of one answer word and shows what it
// says; 0 once the session has ended.
extern "C" EMSCRIPTEN_KEEPALIVE int quiz_answer(const char* word, int size) {
  if (!session) return 0;
  show(session->answer(std::string_view(word, static_cast<std::size_t>(size))));
  return session->ended() ? 0 : 1;
}

// Ends the session, as the end of the input does at a console, and shows
// the results.
extern "C" EMSCRIPTEN_KEEPALIVE void quiz_end() {
  if (session) show(session->results());
}
