// The names the real network translates between: a letter's "X:", UNC
// remote names and the smb:// URIs of libsmbclient and GIO.
#pragma once

#include <string>

#include "platform/smb/drives_folder.h"

namespace quilbert::smb {

// "X:" -> 'X' (either case); 0 when it is no letter.
char driveLetter(const std::string& localName);
// ASCII lower case.
std::string lower(std::string s);
// "\\server\share\a\b" -> server, share, "a/b"; false when it is not one.
bool parseUnc(const std::string& unc, std::string& server, std::string& share, std::string& folder);
// Percent-escapes what an smb:// URI cannot hold as it is.
std::string uriPart(const std::string& s);
// A '/'-separated folder as the escaped path after a share's URI ("" or "/a/b").
std::string uriPath(const std::string& folder);
// "smb://host" for a name or an address (an IPv6 one in brackets).
std::string serverUrl(const std::string& host);
// The URI of the mount a letter's link leads into, as it was mounted.
std::string linkUri(const ShareLink& link);
// The link's "\\server\share[\folder]".
std::string remoteName(const ShareLink& link);
// The code of a server that did not answer with `error` (errno).
int codeOfReach(int error);

}  // namespace quilbert::smb
