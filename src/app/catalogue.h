// The message catalogue: 200 texts, entry N being line N + 1 of the current
// language file with its four-character label cut off.
#pragma once

#include <array>
#include <utility>

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
// The waiting window's time left and how to stop it; a connected letter
// whose server no longer answers.
inline constexpr int kMsgTimeLeft = 295;
inline constexpr int kMsgClickStopsWaiting = 296;
inline constexpr int kMsgConnectedServerSilent = 297;
inline constexpr int kMsgServerSilent = 298;
// Start with Windows switched off, but a value this user may not remove stays.
inline constexpr int kMsgStartupNotRemoved = 15;
// The entry of the network listing the computers found by WS-Discovery.
inline constexpr int kMsgFoundComputers = 132;

// Passwords kept where the desktop keeps them: why a letter cannot have its
// password now, where each letter's credentials come from, and the setting.
inline constexpr int kMsgKeyringLocked = 255;
inline constexpr int kMsgNoKeyring = 256;
inline constexpr int kMsgSourceFile = 257;
inline constexpr int kMsgSourceKeyring = 258;
inline constexpr int kMsgSourceCredentialManager = 259;
inline constexpr int kMsgSourceTicket = 260;
inline constexpr int kMsgSourceGuest = 261;
inline constexpr int kMsgKeepInKeyring = 262;
inline constexpr int kMsgMoveBackAsk = 263;
inline constexpr int kMsgPasswordsMoved = 264;  // %1 moved, %2 not moved
inline constexpr int kMsgCredentials = 265;
inline constexpr int kMsgSettingRefused = 266;

// The command line's own words: a letter's state, and what it refuses.
inline constexpr int kMsgConnected = 134;
inline constexpr int kMsgDisconnected = 135;
inline constexpr int kMsgNoConfiguration = 136;
inline constexpr int kMsgNotALetter = 137;
inline constexpr int kMsgNoPath = 138;
// "Local storage device", before the drive's type (entries 64 to 69).
inline constexpr int kMsgLocalDevice = 62;

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
inline constexpr int kMsgMoreComputersAnswered = 200;

// The real network's two entries of its own: the network itself, and the
// group of the servers announced by mDNS or named in the configuration.
inline constexpr int kMsgSmbNetwork = 345;
inline constexpr int kMsgOtherServers = 346;

// Where the program starts with the user's desktop session rather than with
// Windows, the entries that name Windows read these instead (same meaning).
inline constexpr std::array<std::pair<int, int>, 6> kSessionWording = {
    {{2, 347}, {15, 348}, {49, 349}, {148, 350}, {170, 351}, {172, 352}}};
void useSessionWording(Globals& g);

// Refused logins that a new password alone does not mend, each in its words.
inline constexpr int kMsgAccountLockedOut = 220;
inline constexpr int kMsgPasswordExpired = 221;
inline constexpr int kMsgAccountDisabled = 222;
inline constexpr int kMsgPasswordMustChange = 223;
inline constexpr int kMsgAccountRestriction = 224;
inline constexpr int kMsgInvalidLogonHours = 225;
inline constexpr int kMsgAccountExpired = 226;
// The configuration beside the program is ignored; %1: why.
inline constexpr int kMsgBesideProgramRefused = 227;

// Entries the windows and the command line use by name.
inline constexpr int kMsgTest = 29;
inline constexpr int kMsgStartupOff = 49;
inline constexpr int kMsgStartupOn = 50;
inline constexpr int kMsgEraseAllAsk = 51;
inline constexpr int kMsgEraseAll = 52;
inline constexpr int kMsgLetterInUse = 53;
inline constexpr int kMsgNetworkConnection = 54;  // the title of the network's dialogs
inline constexpr int kMsgTestPassed = 55;
inline constexpr int kMsgPasswordRefused = 56;
inline constexpr int kMsgFailed = 59;
inline constexpr int kMsgDrivesConnected = 60;
inline constexpr int kMsgDrivesDisconnected = 61;
inline constexpr int kMsgLocalStorage = 63;
// The drive types 0 to 5 read entries 64 to 69.
inline constexpr int kMsgDriveTypeFirst = 64;
inline constexpr int kMsgPickShareNotFolder = 70;
inline constexpr int kMsgBrowseInstruction = 71;
inline constexpr int kMsgBrowseHint = 72;
inline constexpr int kMsgClose = 112;
inline constexpr int kMsgConnectedDrives = 113;
inline constexpr int kMsgUnknownUser = 114;
inline constexpr int kMsgDrive = 115;
inline constexpr int kMsgReportTitle = 116;
inline constexpr int kMsgUser = 117;
inline constexpr int kMsgNetworkResources = 118;
// The help window, its lines in order.
inline constexpr int kMsgHelpTitle = 139;
inline constexpr int kMsgHelpNetwork = 140;
inline constexpr int kMsgHelpBefore = 141;
inline constexpr int kMsgHelpSameGroup = 142;
inline constexpr int kMsgHelpAddress = 143;
inline constexpr int kMsgHelpRunning = 144;
inline constexpr int kMsgHelpTwoWays = 145;
inline constexpr int kMsgHelpManual = 146;
inline constexpr int kMsgHelpAutomatic = 147;
inline constexpr int kMsgHelpStartup = 148;
inline constexpr int kMsgShowWindow = 163;
inline constexpr int kMsgHideInTray = 168;
inline constexpr int kMsgStartWithWindows = 170;
inline constexpr int kMsgQuit = 171;
inline constexpr int kMsgOk = 179;
inline constexpr int kMsgYes = 180;
inline constexpr int kMsgNo = 181;
inline constexpr int kMsgCancel = 182;
inline constexpr int kMsgSaveBeforeQuit = 189;

// Reads LangDir + LanguageFile into Catalogue, and its companion (the same name
// with ".txt" replaced by ".more.txt", or ".more" appended) into CatalogueMore:
// the program's own texts, numbered from 200, kept apart so that the 200-line
// file stays as every copy of the program reads it. A missing or short file
// leaves the entries it lacks empty; nothing is reported.
void LoadCatalogue(Globals& g);

}  // namespace quilbert::app
