// The Windows-1252 conversion, the password scrambling and the string rules:
// any bytes, and exact round trips.
#include <cstdint>
#include <string>

#include "app/config.h"
#include "app/text.h"
#include "fuzz/fuzz_support.h"
#include "platform/utf8.h"

using namespace quilbert;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Every byte string is Windows-1252 text and comes back unchanged.
  const std::string text = app::cp1252ToUtf8(bytes);
  fuzz::check(utf8::firstInvalid(text) == std::string::npos, "cp1252ToUtf8 gave malformed UTF-8");
  fuzz::check(app::utf8ToCp1252(text) == bytes, "Windows-1252 round trip");
  // UTF-8 is taken only in its one well-formed spelling, so it comes back as given.
  if (auto codes = app::utf8ToCp1252(bytes)) {
    fuzz::check(utf8::firstInvalid(bytes) == std::string::npos, "malformed UTF-8 accepted");
    fuzz::check(app::cp1252ToUtf8(*codes) == bytes, "UTF-8 round trip");
    fuzz::check(codes->find_first_of("\r\n") == std::string::npos ||
                    bytes.find_first_of("\r\n") != std::string::npos,
                "a line break appeared in the conversion");
  }
  // Scrambling is undone exactly, and what Save accepts fits one line.
  if (auto stored = app::ScramblePassword(text)) {
    fuzz::check(app::UnscramblePassword(*stored) == text, "scrambling round trip");
  }
  using app::DriveField;
  if (!app::storeProblem(text, DriveField::Login) &&
      !app::storeProblem(text, DriveField::Password) &&
      !app::storeProblem(text, DriveField::Path)) {
    const std::string stored = *app::ScramblePassword(text);
    fuzz::check(stored.find_first_of("\t\r\n") == std::string::npos &&
                    text.find_first_of("\r\n") == std::string::npos,
                "an accepted field breaks the line");
  }
  // The string helpers take any bytes.
  (void)app::lowerCase(bytes);
  (void)app::mid(bytes, size % 7, size % 5);
  (void)app::trimSpaces(bytes);
  (void)app::firstChar(bytes);
  (void)app::charCount(bytes);
  return 0;
}
