// Text at the border of the Win32 view: the program's UTF-8 strings become
// the UTF-16 the wide functions take, or the ANSI code page the few "A"
// functions of the design take (the tray tip, the folder browser).
#pragma once

#include <string>
#include <string_view>

namespace quilbert::win32view {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
std::string toAnsi(std::string_view utf8);
std::string fromAnsi(std::string_view ansi);

}  // namespace quilbert::win32view
