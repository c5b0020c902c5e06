#ifndef QCODE_QUIZ_CONSOLE_H_
#define QCODE_QUIZ_CONSOLE_H_

// The program's standard input and output, and Ctrl-C. Each platform's side
// of it lives in a file of its own (console-posix.cc, console-win32.cc).

#include <array>
#include <cstddef>
#include <iosfwd>
#include <memory>
#include <streambuf>
#include <string>

// Standard input, read in blocks. Unlike the standard console streams it
// tells a failed read from the end of the input, keeps the system's reason
// for the failure, and ends the input once Ctrl-C has been caught; then
// interrupted() tells that end from the true one.
class console_input : public std::streambuf {
 public:
  console_input() = default;

  // The system's reason for the first failed read, or "" if none failed.
  [[nodiscard]] const std::string& error() const { return error_; }

 protected:
  int_type underflow() override;

 private:
  // Reads at most `size` bytes into `to` and returns how many; 0 at the end
  // of the input or at Ctrl-C, and 0 with error_ set when the read failed.
  std::size_t read_some(char* to, std::size_t size);

  std::string error_;
  std::array<char, 1 << 16> buffer_;
};

// Standard output, buffered, and written out at the latest when destroyed.
// Programs and files get the text as it is, in Windows-1250; a terminal or
// console shows the characters it stands for.
class console_output : public std::streambuf {
 public:
  console_output();
  ~console_output() override;
  console_output(const console_output&) = delete;
  console_output& operator=(const console_output&) = delete;

  // The system's reason for the first failed write, or "" if none failed.
  [[nodiscard]] const std::string& error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes out the whole put area; false once any write has failed.
  bool drain();
  // Writes `size` bytes of Windows-1250 text, converted for a terminal when
  // there is one; false, with error_ set, when the output failed.
  bool write_text(const char* from, std::size_t size);

  // How the text is shown at a terminal; null when the output is no
  // terminal, or its text cannot be converted there.
  struct terminal;
  std::unique_ptr<terminal> terminal_;
  std::string error_;
  std::array<char, 1 << 16> buffer_;
};

// Makes Ctrl-C set a flag instead of ending the program, once; a second
// Ctrl-C ends it at once.
void catch_interrupt();

// True once Ctrl-C has been caught.
bool interrupted();

// Where the program runs in a console window of its own, which closes as
// soon as it ends (started by a double-click), asks on `out` for Enter and
// waits for it, so the tally stays readable; elsewhere does nothing.
void keep_own_window_until_enter(std::ostream& out);

// Ends the program as Ctrl-C would have ended it without catch_interrupt.
[[noreturn]] void end_as_interrupted();

#endif  // QCODE_QUIZ_CONSOLE_H_
