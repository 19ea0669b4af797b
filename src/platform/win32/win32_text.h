// Text at the Windows border: the program's strings are UTF-8, the W calls
// take UTF-16 and the A calls the ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quilbert::platform::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
// UTF-8 to the ANSI code page; nullopt when a character has no ANSI form
// (the A calls would silently turn it into "?").
std::optional<std::string> toAnsi(std::string_view utf8);
// The same for a text that is only shown (a tip, a title): a character
// without an ANSI form becomes "?".
std::string toAnsiShown(std::string_view utf8);
std::string fromAnsi(std::string_view ansi);
// The system's message for an error code, without its line break.
std::string errorText(unsigned long code);

}  // namespace quilbert::platform::win32
