#include "platform/win32/win32_text.h"

#include <windows.h>

namespace quilbert::platform::win32 {

namespace {

std::wstring toWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string fromWide(UINT codePage, std::wstring_view text, BOOL* lossy) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, lossy);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, lossy);
  return out;
}

}  // namespace

std::wstring widen(std::string_view utf8) {
  return toWide(CP_UTF8, utf8);
}

std::string narrow(std::wstring_view wide) {
  return fromWide(CP_UTF8, wide, nullptr);
}

std::optional<std::string> toAnsi(std::string_view utf8) {
  BOOL lossy = FALSE;
  std::string out = fromWide(CP_ACP, widen(utf8), &lossy);
  if (lossy != FALSE) return std::nullopt;
  return out;
}

std::string toAnsiShown(std::string_view utf8) {
  return fromWide(CP_ACP, widen(utf8), nullptr);
}

std::string fromAnsi(std::string_view ansi) {
  return narrow(toWide(CP_ACP, ansi));
}

std::string errorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = n > 0 ? narrow(std::wstring_view(buffer, n)) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(code) : text;
}

}  // namespace quilbert::platform::win32
