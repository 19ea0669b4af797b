// Text helpers: the Windows-1252 file encoding (lossless: the five undefined
// bytes map to the C1 code points of the same value) and the string rules the
// program follows everywhere (trimming removes spaces only).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quilbert::app {

// Windows-1252 bytes to UTF-8; every byte has a code point.
std::string cp1252ToUtf8(std::string_view bytes);
// UTF-8 to Windows-1252 bytes; nullopt when a character has no byte (or the
// UTF-8 is malformed).
std::optional<std::string> utf8ToCp1252(std::string_view utf8);

// UTF-16 little-endian bytes to UTF-8; nullopt for an odd length or a
// lone surrogate.
std::optional<std::string> utf16leToUtf8(std::string_view bytes);

// Leading and trailing spaces (code 32) removed; tabs stay.
std::string trimSpaces(std::string_view s);
// Empty or only spaces.
bool isBlank(std::string_view s);
// Lower case of A-Z and of the accented capitals Windows-1252 has.
std::string lowerCase(std::string_view utf8);
// The first UTF-8 character of s, or "" when s is empty.
std::string firstChar(std::string_view s);
// Up to count characters from the start1-th character (1-based) on.
std::string mid(std::string_view s, std::size_t start1, std::size_t count);
// Number of characters (code points) in a UTF-8 string.
std::size_t charCount(std::string_view s);

}  // namespace quilbert::app
