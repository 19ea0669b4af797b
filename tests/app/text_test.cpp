#include "app/text.h"

#include <gtest/gtest.h>

#include "app/config.h"

namespace quilbert::app {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = cp1252ToUtf8(all);
  EXPECT_EQ(utf8ToCp1252(utf8), all);
  EXPECT_EQ(cp1252ToUtf8("\x80\xE9"), "€é");
}

TEST(Cp1252, CharactersWithoutAByteAreRefused) {
  EXPECT_FALSE(utf8ToCp1252("漢").has_value());
  EXPECT_FALSE(utf8ToCp1252("\xC3").has_value());  // cut UTF-8 sequence
}

TEST(Cp1252, MalformedUtf8IsRefusedNotDecodedLoosely) {
  // An overlong line feed would slip past every check for line breaks.
  for (const char* bad :
       {"a\xC0\x8A", "\xC1\x90", "\xE0\x80\x8A", "\xF0\x80\x80\x8A", "\xED\xA0\x80",
        "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\x80", "\xC2", "\xE2\x82"}) {
    EXPECT_FALSE(utf8ToCp1252(bad).has_value()) << bad;
  }
  // The boundaries that are well-formed still decode.
  EXPECT_EQ(utf8ToCp1252("\xC2\x81\xC3\xBF\xE2\x82\xAC"), std::string("\x81\xFF\x80"));
}

TEST(Text, TrimmingRemovesSpacesOnlyAndLowerCaseKnowsAccents) {
  EXPECT_EQ(trimSpaces("  \tab c\t "), "\tab c\t");
  EXPECT_TRUE(isBlank("   "));
  EXPECT_FALSE(isBlank(" \t"));
  EXPECT_EQ(lowerCase("CLAIRE-ÉLODIE"), "claire-élodie");
  EXPECT_EQ(mid("C: (Lecteur é", 5, 3), "Lec");
  EXPECT_EQ(mid("ab", 5, 13), "");
}

TEST(Scrambling, KnownFormAndRoundTripOfEveryCharacter) {
  EXPECT_EQ(utf8ToCp1252(*ScramblePassword("abc")), std::string("\x5E\x65\x60"));
  EXPECT_EQ(ScramblePassword(""), "");
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string plain = cp1252ToUtf8(all);
  // Codes that would leave 0..255 wrap around instead of being lost.
  const auto stored = ScramblePassword(plain);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(UnscramblePassword(*stored), plain);
  EXPECT_EQ(utf8ToCp1252(*ScramblePassword("\x01")), std::string("\xFE"));
  EXPECT_FALSE(ScramblePassword("漢").has_value());
}

}  // namespace
}  // namespace quilbert::app
