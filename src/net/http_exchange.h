// The one HTTP exchange of the discovery: a SOAP POST to a device's
// metadata address, framed here so that the sockets below only carry bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace quilbert::net::http {

// The most an answer may hold, headers included: a device's description is a
// few kilobytes, and every byte of it comes from a host nobody vouched for.
inline constexpr std::size_t kMostAnswer = std::size_t{64} * 1024;

struct Url {
  std::string host;  // numeric address, IPv6 without brackets
  int port = 80;
  std::string path;  // starts with "/"
};
// An "http://host[:port]/path" address; nullopt for any other scheme or a
// malformed one (a path with spaces or control characters included, as it
// goes into the request line as it stands).
std::optional<Url> parseUrl(const std::string& url);

// The request that POSTs a SOAP envelope to `url`, asking the server to close
// the connection after its answer.
std::string soapPost(const Url& url, const std::string& body);
// Whether `response` holds a whole answer (its headers and all the body they
// announce), or more than kMostAnswer; an answer without a length is whole
// when the server closes.
bool complete(const std::string& response);
// The body of an "HTTP/1.x 200" answer, de-chunked; nullopt for any other
// status, a malformed answer or one over kMostAnswer.
std::optional<std::string> okBody(const std::string& response);

}  // namespace quilbert::net::http
