// The one HTTP exchange of the discovery: a SOAP POST to a device's
// metadata address, framed here so that the sockets below only carry bytes.
#pragma once

#include <optional>
#include <string>

namespace quilbert::net::http {

struct Url {
  std::string host;  // numeric address, IPv6 without brackets
  int port = 80;
  std::string path;  // starts with "/"
};
// An "http://host[:port]/path" address; nullopt for any other scheme or a
// malformed one.
std::optional<Url> parseUrl(const std::string& url);

// The request that POSTs a SOAP envelope to `url`, asking the server to close
// the connection after its answer.
std::string soapPost(const Url& url, const std::string& body);
// Whether `response` holds a whole answer (its headers and all the body they
// announce); an answer without a length is whole when the server closes.
bool complete(const std::string& response);
// The body of a 200 answer, de-chunked; nullopt for any other status or a
// malformed answer.
std::optional<std::string> okBody(const std::string& response);

}  // namespace quilbert::net::http
