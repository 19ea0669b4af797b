// The message catalogue: 200 texts, entry N being line N + 1 of the current
// language file with its four-character label cut off.
#pragma once

#include "app/globals.h"

namespace quilbert::app {

// Message numbers the program adds to the catalogue's own, for its error
// reports (the texts live in the language files like every other).
inline constexpr int kMsgConfigWriteFailed = 57;
inline constexpr int kMsgValueNotStorable = 58;
inline constexpr int kMsgStartupChangeRefused = 172;
inline constexpr int kMsgSaveErrorTitle = 173;
inline constexpr int kMsgConfigUnreadable = 174;
// Waiting for the network, the lockout guard and the letters kept connected.
inline constexpr int kMsgWaitingForNetwork = 151;
inline constexpr int kMsgNewPasswordNeeded = 152;
inline constexpr int kMsgLetterLost = 154;
// Start with Windows switched off, but a value this user may not remove stays.
inline constexpr int kMsgStartupNotRemoved = 15;
// The entry of the network listing the computers found by WS-Discovery.
inline constexpr int kMsgFoundComputers = 132;

// The command line's own words: a letter's state, and what it refuses.
inline constexpr int kMsgConnected = 134;
inline constexpr int kMsgDisconnected = 135;
inline constexpr int kMsgNoConfiguration = 136;
inline constexpr int kMsgNotALetter = 137;
inline constexpr int kMsgNoPath = 138;

// Save's refusal, one line per field; what the Windows network calls cannot
// carry; why no notification icon shows.
inline constexpr int kMsgFieldLogin = 73;
inline constexpr int kMsgFieldPassword = 74;
inline constexpr int kMsgFieldPath = 75;     // %1: the row's letter
inline constexpr int kMsgStoreProblem = 76;  // %1 field, %2 position, %3 reason
inline constexpr int kMsgReasonLineBreak = 77;
inline constexpr int kMsgReasonTab = 78;
inline constexpr int kMsgReasonNoCode = 79;
inline constexpr int kMsgReasonScrambled = 165;
inline constexpr int kMsgNotCarried = 166;    // %1: the characters
inline constexpr int kMsgFieldRefused = 167;  // %1 field, %2 why
inline constexpr int kMsgNoNotificationArea = 169;

// Reads LangDir + LanguageFile into Catalogue. A missing or short file leaves
// the entries it lacks empty; nothing is reported.
void LoadCatalogue(Globals& g);

}  // namespace quilbert::app
