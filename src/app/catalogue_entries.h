// Every catalogue entry the program names, in one place: the language files
// hold the texts (entries 0 to 199), their companions the program's own
// (200 to 499).
#pragma once

#include <array>
#include <utility>

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
// %1 different passwords, %2 letters, %3 not moved
inline constexpr int kMsgPasswordsKept = 482;
inline constexpr int kMsgPasswordsCleared = 483;  // %1 lines
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

// Where the passwords' store is Windows' Credential Manager, the entries that
// speak of the system's keyring read these instead (same meaning).
inline constexpr std::array<std::pair<int, int>, 5> kCredentialManagerWording = {
    {{262, 484}, {263, 485}, {267, 486}, {268, 487}, {482, 488}}};

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

// The main window's captions and tool tips (entry 0 is its title).
inline constexpr int kMsgWindowTitle = 0;
inline constexpr int kMsgMenuApplication = 1;
inline constexpr int kMsgMenuStartup = 2;
inline constexpr int kMsgMenuNetwork = 3;
inline constexpr int kMsgMenuReport = 4;
inline constexpr int kMsgMenuView = 5;
inline constexpr int kMsgMenuThemeFirst = 6;  // the three themes read 6 to 8
inline constexpr int kMsgMenuLanguage = 9;
inline constexpr int kMsgMenuEnglish = 10;
inline constexpr int kMsgMenuFrench = 11;
inline constexpr int kMsgMenuAbout = 12;
inline constexpr int kMsgMenuHelp = 13;
inline constexpr int kMsgMenuAboutBox = 14;
inline constexpr int kMsgDrivesFrame = 19;
inline constexpr int kMsgActivationHeading = 20;
inline constexpr int kMsgLetterHeading = 21;
inline constexpr int kMsgPathHeading = 22;
inline constexpr int kMsgUserFrame = 23;
inline constexpr int kMsgLoginLabel = 24;
inline constexpr int kMsgPasswordLabel = 25;
// The seven command buttons' captions, Save first, then six of their tips.
inline constexpr int kMsgButtonFirst = 30;
inline constexpr int kMsgBrowseTip = 39;
inline constexpr int kMsgActiveTip = 40;
inline constexpr int kMsgTestTip = 41;
inline constexpr int kMsgPathTip = 42;
inline constexpr int kMsgButtonTipFirst = 43;
inline constexpr int kMsgMenuConnectAll = 160;
inline constexpr int kMsgMenuDisconnectAll = 161;
inline constexpr int kMsgMenuResident = 162;
inline constexpr int kMsgMenuQuit = 164;

// The network's codes in words (the error table of net/primitives.cpp).
inline constexpr int kMsgNetPathNotFound = 80;
inline constexpr int kMsgAccessDenied = 81;
inline constexpr int kMsgNetDeviceInUse = 82;
inline constexpr int kMsgNetOpenFiles = 83;
inline constexpr int kMsgNetDeviceNotConnected = 84;
inline constexpr int kMsgNetErrorFirst = 85;  // codes 1200 to 1215 read 85 to 100
inline constexpr int kMsgNetAlreadyAssigned = 101;
inline constexpr int kMsgNetWrongPassword = 102;
inline constexpr int kMsgNetExtendedFirst = 103;  // codes 1216 to 1221 read 103 to 108
inline constexpr int kMsgNetUnreachable = 109;
inline constexpr int kMsgNetUnknownError = 110;

// A drive row's letter: connected or not, and why not.
inline constexpr int kMsgRowConnected = 353;  // %1: the share
inline constexpr int kMsgRowNotConnected = 354;
inline constexpr int kMsgRowNotConnectedWhy = 355;  // %1: the reason
// What a screen reader says of a row's controls (%1: the row's letter, "F:"),
// of the user box, and the sign beside a row's letter.
inline constexpr int kMsgActiveName = 474;
inline constexpr int kMsgPathName = 475;
inline constexpr int kMsgBrowseName = 476;
inline constexpr int kMsgTestName = 477;
inline constexpr int kMsgLoginName = 478;
inline constexpr int kMsgPasswordName = 479;
inline constexpr int kMsgConnectedMark = 480;
inline constexpr int kMsgMissingMark = 481;

// The drive maps' import and export.
inline constexpr int kMsgMapsImportMenu = 405;
inline constexpr int kMsgMapsExportMenu = 406;
inline constexpr int kMsgMapsTitle = 407;
inline constexpr int kMsgMapsAtLine = 408;  // %1 line, %2 why
inline constexpr int kMsgMapsNotXml = 409;  // %1: the parser's reason
inline constexpr int kMsgMapsNoDrives = 410;
inline constexpr int kMsgMapsBadAction = 411;  // %1: the action
inline constexpr int kMsgMapsBadLetter = 412;  // %1: the letter
inline constexpr int kMsgMapsBadPassword = 413;
inline constexpr int kMsgMapsNoPath = 414;  // %1: the action
inline constexpr int kMsgMapsNoProperties = 415;
inline constexpr int kMsgMapsTooBig = 416;      // %1: the bound
inline constexpr int kMsgMapsTooMany = 417;     // %1: the bound
inline constexpr int kMsgMapsNotUtf8 = 418;     // %1: the byte's offset
inline constexpr int kMsgMapsUnreadable = 419;  // %1 file, %2 why
inline constexpr int kMsgMapsRefused = 420;     // %1: the file
inline constexpr int kMsgMapsLetterLine = 421;  // %1 letter, %2 what, %3 line
inline constexpr int kMsgMapsCreated = 422;     // %1: path
inline constexpr int kMsgMapsReplaced = 423;    // %1 path, %2 before
inline constexpr int kMsgMapsUpdated = 424;     // %1 path, %2 before
inline constexpr int kMsgMapsEmptied = 425;     // %1: path before
inline constexpr int kMsgMapsLogin = 426;       // %1: login
inline constexpr int kMsgMapsPassword = 427;
inline constexpr int kMsgMapsInactive = 428;
inline constexpr int kMsgMapsKept = 429;             // %1 line, %2 path, %3 letter, %4 its path
inline constexpr int kMsgMapsDisabled = 430;         // %1 line, %2 path, %3 letter
inline constexpr int kMsgMapsFiltered = 431;         // %1 line, %2 path, %3 filters
inline constexpr int kMsgMapsFilteredTaken = 432;    // %1 line, %2 path, %3 filters
inline constexpr int kMsgMapsNoFreeLetter = 433;     // %1 line, %2 path, %3 first letter
inline constexpr int kMsgMapsUnknownVariable = 434;  // %1 line, %2 variable
inline constexpr int kMsgMapsCpassword = 435;        // %1: line
inline constexpr int kMsgMapsNoChange = 436;
inline constexpr int kMsgMapsDone = 437;  // %1 count, %2 file
inline constexpr int kMsgMapsDryRun = 438;
inline constexpr int kMsgMapsConfirm = 439;
inline constexpr int kMsgMapsNoPasswordExported = 440;  // %1 letter, %2 login
inline constexpr int kMsgMapsExported = 441;            // %1 count, %2 file
inline constexpr int kMsgMapsWriteFailed = 442;         // %1 file, %2 why
inline constexpr int kMsgMapsUnsaved = 443;
inline constexpr int kMsgMapsChooseImport = 444;
inline constexpr int kMsgMapsChooseExport = 445;
inline constexpr int kMsgMapsEmpty = 446;

// The command line's help and usage errors.
inline constexpr int kMsgAbout = 360;
inline constexpr int kMsgJsonOption = 361;
inline constexpr int kMsgStatusHelp = 362;
inline constexpr int kMsgConnectHelp = 363;
inline constexpr int kMsgDisconnectHelp = 364;
inline constexpr int kMsgBrowseHelp = 365;
inline constexpr int kMsgLettersHelp = 366;
inline constexpr int kMsgServerHelp = 367;
inline constexpr int kMsgHelpOption = 368;
inline constexpr int kMsgUsage = 369;
inline constexpr int kMsgOptions = 370;
inline constexpr int kMsgCommands = 371;
inline constexpr int kMsgUnknownCommand = 372;  // %1: the word given
inline constexpr int kMsgCommandNeeded = 373;
inline constexpr int kMsgUnexpected = 374;  // %1: the arguments
inline constexpr int kMsgSeeHelp = 375;
inline constexpr int kMsgBadOption = 376;  // %1: the option
inline constexpr int kMsgArguments = 377;
inline constexpr int kMsgCommandNeeds = 489;  // %1: the command, %2: what it lacks
inline constexpr int kMsgOr = 490;
inline constexpr int kMsgPasswordsHelp = 267;
inline constexpr int kMsgToKeyringHelp = 268;
inline constexpr int kMsgToFileHelp = 269;
inline constexpr int kMsgImportHelp = 447;
inline constexpr int kMsgImportFileHelp = 448;
inline constexpr int kMsgDryRunHelp = 449;
inline constexpr int kMsgIncludeFilteredHelp = 450;
inline constexpr int kMsgExportHelp = 451;
inline constexpr int kMsgExportFileHelp = 452;

// The manual pages' own words: their headings, the modes of the program,
// the exit codes and the files, beside the help's texts above.
inline constexpr int kMsgManAdminMode = 453;
inline constexpr int kMsgManAutomaticMode = 454;
inline constexpr int kMsgManName = 455;
inline constexpr int kMsgManSynopsis = 456;
inline constexpr int kMsgManDescription = 457;
inline constexpr int kMsgManExitStatus = 458;
inline constexpr int kMsgManFiles = 459;
inline constexpr int kMsgManSeeAlso = 460;
inline constexpr int kMsgManExitDone = 461;
inline constexpr int kMsgManExitCounts = 462;
inline constexpr int kMsgManExitServerSilent = 463;
inline constexpr int kMsgManExitCannotRun = 464;
inline constexpr int kMsgManExitUsage = 465;
inline constexpr int kMsgManProgramEnded = 466;
inline constexpr int kMsgManNetworkNotOpened = 467;
inline constexpr int kMsgManConfigFile = 468;
inline constexpr int kMsgManRegistryFile = 469;
inline constexpr int kMsgManAutostartFile = 470;
inline constexpr int kMsgManCatalogues = 471;
inline constexpr int kMsgManProgram = 472;
inline constexpr int kMsgManCommandLine = 473;

}  // namespace quilbert::app
