// Standard output and error of a console program: to a console window as
// UTF-16 through WriteConsoleW, which shows every character whatever the
// console's code page; to a file or a pipe as the UTF-8 bytes themselves.
#pragma once

#include <streambuf>
#include <string>

namespace quilbert::platform::win32 {

class ConsoleBuffer final : public std::streambuf {
 public:
  // `handle`: STD_OUTPUT_HANDLE's or STD_ERROR_HANDLE's value.
  explicit ConsoleBuffer(void* handle);
  ~ConsoleBuffer() override;
  ConsoleBuffer(const ConsoleBuffer&) = delete;
  ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

  [[nodiscard]] bool console() const { return console_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  // Writes what is pending; a character cut at the end waits for the rest.
  void flushPending();

  void* handle_;
  bool console_ = false;
  std::string pending_;
};

}  // namespace quilbert::platform::win32
