// The discovery's readers on any bytes another host may send: a datagram's
// matches, a description, an HTTP answer with its chunks, an address.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "net/host_address.h"
#include "net/http_exchange.h"
#include "net/wsd_messages.h"

using namespace quilbert::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  wsd::readMatches(bytes);
  if (const auto computer = wsd::readComputer(bytes)) {
    quilbert::fuzz::check(computer->name.find('\\') == std::string::npos, "a name with a path");
  }
  http::complete(bytes);
  if (const auto body = http::okBody(bytes)) {
    quilbert::fuzz::check(body->size() < size && size <= http::kMostAnswer, "body over the cap");
    wsd::readComputer(*body);
  }
  if (const auto url = http::parseUrl(bytes)) {
    const std::string request = http::soapPost(*url, "");
    quilbert::fuzz::check(request.find("\r\n") == request.find(" HTTP/1.1\r\n") + 9,
                          "a path that breaks the request line: " + url->path);
    parseAddress(url->host);
  }
  return 0;
}
