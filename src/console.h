#ifndef QCODE_QUIZ_CONSOLE_H_
#define QCODE_QUIZ_CONSOLE_H_

#include <streambuf>

// A buffered stream buffer over one direction of a file descriptor. Unlike
// the standard console streams it tells a failed read from the end of the
// input, and it keeps the system's reason for the first failure.
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
  char buffer_[1 << 16];
};

#endif  // QCODE_QUIZ_CONSOLE_H_
