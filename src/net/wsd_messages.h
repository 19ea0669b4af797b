// The SOAP messages of WS-Discovery and of the devices' metadata exchange,
// written and read with pugixml. Prefixes are resolved to their namespaces,
// so a peer may bind them as it likes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/discovery.h"

namespace quilbert::net::wsd {

// A fresh "urn:uuid:..." for a message or an endpoint.
std::string newMessageId();

// A Probe for devices (wsdp:Device), sent to the discovery groups.
std::string probe(const std::string& messageId);
// A Resolve of one endpoint whose match came without an address.
std::string resolve(const std::string& messageId, const std::string& endpoint);
// The metadata Get sent to a device's address.
std::string get(const std::string& messageId, const std::string& endpoint);

struct Match {
  std::string endpoint;             // wsa:Address of the device
  std::vector<std::string> xaddrs;  // where its metadata is asked for
};
struct Matches {
  std::string relatesTo;  // the message they answer
  std::vector<Match> matches;
};
// The ProbeMatches or ResolveMatches a datagram holds; nullopt for any other
// datagram, malformed ones included.
std::optional<Matches> readMatches(const std::string& datagram);

// The computer a metadata GetResponse describes (its pub:Computer host,
// "NAME/Workgroup:GROUP" or "NAME/Domain:DOMAIN"); nullopt when the device
// is no computer or the answer is malformed. The address is left empty.
std::optional<platform::FoundComputer> readComputer(const std::string& response);

}  // namespace quilbert::net::wsd
