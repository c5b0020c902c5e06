// The console in a web page: the page hands over each line the user sends
// and shows the bytes the program writes, decoding the Windows-1250 text
// itself. A read waits for the page without blocking it (asyncify).
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string_view>

#include "console.h"
#include "qcode_table.h"

namespace {

// Waits for the page's next input and copies at most `size` bytes of it to
// `to`; returns how many, 0 once the user has ended the input.
// clang-format off
EM_ASYNC_JS(int, page_read, (char* to, int size), {
  const bytes = await Module.takeInput(size);
  HEAPU8.set(bytes, to);
  return bytes.length;
});

// Hands `size` bytes of output to the page, which shows them.
EM_JS(void, page_write, (const char* from, int size), {
  Module.showOutput(HEAPU8.slice(from, from + size));
});
// clang-format on

}  // namespace

std::size_t console_input::read_some(char* to, std::size_t size) {
  return static_cast<std::size_t>(page_read(to, static_cast<int>(size)));
}

// The page does its own decoding, so there is nothing to convert here.
struct console_output::terminal {};

console_output::console_output() {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

console_output::~console_output() = default;

// The page takes all it is given.
bool console_output::write_text(const char* from, std::size_t size) {
  page_write(from, static_cast<int>(size));
  return true;
}

// A page has no Ctrl-C: its Ukončiť button ends the input instead.
void catch_interrupt() {}

bool interrupted() { return false; }

// The page stays open after the program ends.
void keep_own_window_until_enter(std::ostream& /*out*/) {}

// Never called, as nothing interrupts the program here.
void end_as_interrupted() { std::abort(); }

// Tells the page whether the `size` bytes at `text` are one of the table's
// Czech expressions, which it marks as Czech for screen readers; so the
// page needs no copy of the table.
extern "C" EMSCRIPTEN_KEEPALIVE int is_czech_expression(const char* text,
                                                        int size) {
  static const qcode_array table = make_qcode_table();
  const std::string_view line(text, static_cast<std::size_t>(size));
  return std::any_of(table.begin(), table.begin() + czech_entries,
                     [line](const auto& entry) { return entry.second == line; })
             ? 1
             : 0;
}
