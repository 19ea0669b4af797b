#include "platform/win32/win32_console.h"

#include <windows.h>

namespace quilbert::platform::win32 {

namespace {

// How many bytes at the end of `s` begin a UTF-8 character not complete yet.
std::size_t cutTail(const std::string& s) {
  const std::size_t n = s.size();
  for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto c = static_cast<unsigned char>(s[n - back]);
    if ((c & 0xC0U) == 0x80U) continue;  // a continuation byte: look further back
    const std::size_t length = c >= 0xF0U ? 4 : c >= 0xE0U ? 3 : c >= 0xC0U ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

}  // namespace

ConsoleBuffer::ConsoleBuffer(void* handle) : handle_(handle) {
  DWORD mode = 0;
  console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
             GetConsoleMode(static_cast<HANDLE>(handle_), &mode) != FALSE;
}

ConsoleBuffer::~ConsoleBuffer() {
  flushPending();
  // A character left cut short is written as it is.
  if (!pending_.empty()) {
    DWORD written = 0;
    WriteFile(static_cast<HANDLE>(handle_), pending_.data(), static_cast<DWORD>(pending_.size()),
              &written, nullptr);
  }
}

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  pending_ += traits_type::to_char_type(c);
  if (c == '\n') flushPending();
  return c;
}

std::streamsize ConsoleBuffer::xsputn(const char* s, std::streamsize n) {
  pending_.append(s, static_cast<std::size_t>(n));
  if (pending_.find('\n') != std::string::npos) flushPending();
  return n;
}

int ConsoleBuffer::sync() {
  flushPending();
  return 0;
}

void ConsoleBuffer::flushPending() {
  if (pending_.empty()) return;
  const auto h = static_cast<HANDLE>(handle_);
  const std::size_t ready = pending_.size() - (console_ ? cutTail(pending_) : 0);
  if (ready == 0) return;
  DWORD written = 0;
  if (!console_) {
    WriteFile(h, pending_.data(), static_cast<DWORD>(ready), &written, nullptr);
  } else {
    const int n = static_cast<int>(ready);
    const int wide = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), n, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, pending_.data(), n, text.data(), wide);
    WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  pending_.erase(0, ready);
}

}  // namespace quilbert::platform::win32
