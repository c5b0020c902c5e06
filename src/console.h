#ifndef QCODE_QUIZ_CONSOLE_H_
#define QCODE_QUIZ_CONSOLE_H_

#include <array>
#include <streambuf>

// A buffered stream buffer over one direction of a file descriptor. Unlike
// the standard console streams it tells a failed read from the end of the
// input, keeps the system's reason for the first failure, and ends the input
// once Ctrl-C has been caught.
class fd_streambuf : public std::streambuf {
 public:
  enum class direction { in, out };
  fd_streambuf(int fd, direction dir);

  // The errno of the first failed read or write, or 0 if none failed.
  int error() const { return error_; }

 protected:
  int_type underflow() override;
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes out the whole put area; false once any write has failed.
  bool drain();

  int fd_;
  int error_ = 0;
  std::array<char, 1 << 16> buffer_;
};

// Makes SIGINT set a flag instead of ending the program, once; a second
// Ctrl-C ends it at once. Does nothing where there are no POSIX signals.
void catch_interrupt();

// True once SIGINT has been caught.
bool interrupted();

// Ends the program as SIGINT would have ended it without catch_interrupt.
[[noreturn]] void end_as_interrupted();

#endif  // QCODE_QUIZ_CONSOLE_H_
