// The catalogue entries of the drive maps' import and export.
#pragma once

namespace quilbert::app {

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

}  // namespace quilbert::app
