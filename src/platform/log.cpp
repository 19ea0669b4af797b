#include "platform/log.h"

#include <cstdio>
#include <mutex>

namespace quilbert::platform {

namespace {

// Diagnostics may come from the threads that wait on the OS for a bound.
std::mutex logMutex;
LogCapture* capture = nullptr;

}  // namespace

void logLine(std::string_view line) {
  const std::lock_guard lock(logMutex);
  if (capture != nullptr) {
    capture->text_.append(line).append("\n");
    return;
  }
  std::fputs("quilbert: ", stderr);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
}

LogCapture::LogCapture() {
  const std::lock_guard lock(logMutex);
  previous_ = capture;
  capture = this;
}

LogCapture::~LogCapture() {
  const std::lock_guard lock(logMutex);
  capture = previous_;
}

std::string LogCapture::text() const {
  const std::lock_guard lock(logMutex);
  return text_;
}

}  // namespace quilbert::platform
