// The command line's own texts: its help and its usage errors, in the
// catalogue's language.
#pragma once

namespace quilbert::cli {

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
inline constexpr int kMsgPasswordsHelp = 267;
inline constexpr int kMsgToKeyringHelp = 268;
inline constexpr int kMsgToFileHelp = 269;

}  // namespace quilbert::cli
