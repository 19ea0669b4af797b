#include "platform/win32/view/win32_text.h"

#include <windows.h>

namespace quilbert::win32view {

namespace {

std::wstring toWide(unsigned codePage, std::string_view s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string fromWide(unsigned codePage, std::wstring_view s) {
  if (s.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

}  // namespace

std::wstring widen(std::string_view utf8) {
  return toWide(CP_UTF8, utf8);
}

std::string narrow(std::wstring_view utf16) {
  return fromWide(CP_UTF8, utf16);
}

std::string toAnsi(std::string_view utf8) {
  return fromWide(CP_ACP, widen(utf8));
}

std::string fromAnsi(std::string_view ansi) {
  return narrow(toWide(CP_ACP, ansi));
}

}  // namespace quilbert::win32view
