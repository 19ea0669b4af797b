#include "net/wsd_messages.h"

#include <cstdint>
#include <cstdio>
#include <pugixml.hpp>
#include <random>
#include <sstream>
#include <string_view>

namespace quilbert::net::wsd {

namespace {

constexpr char kSoap[] = "http://www.w3.org/2003/05/soap-envelope";
constexpr char kAddressing[] = "http://schemas.xmlsoap.org/ws/2004/08/addressing";
constexpr char kDiscovery[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery";
constexpr char kDevices[] = "http://schemas.xmlsoap.org/ws/2006/02/devprof";
constexpr char kPublication[] = "http://schemas.microsoft.com/windows/pub/2005/07";
constexpr char kDiscoveryTarget[] = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
constexpr char kAnonymous[] = "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";
constexpr char kProbe[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe";
constexpr char kResolve[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery/Resolve";
constexpr char kProbeMatches[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches";
constexpr char kResolveMatches[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery/ResolveMatches";
constexpr char kGet[] = "http://schemas.xmlsoap.org/ws/2004/09/transfer/Get";

// --- writing --------------------------------------------------------------

struct Envelope {
  pugi::xml_document doc;
  pugi::xml_node body;
};

void text(pugi::xml_node parent, const char* name, const std::string& value) {
  parent.append_child(name).text().set(value.c_str());
}

// Header and an empty body, the prefixes bound on the root as peers expect
// them (some compare the Probe's type "wsdp:Device" as a string).
void start(Envelope& e, const char* to, const char* action, const std::string& messageId) {
  pugi::xml_node root = e.doc.append_child("soap:Envelope");
  root.append_attribute("xmlns:soap") = kSoap;
  root.append_attribute("xmlns:wsa") = kAddressing;
  root.append_attribute("xmlns:wsd") = kDiscovery;
  root.append_attribute("xmlns:wsdp") = kDevices;
  pugi::xml_node header = root.append_child("soap:Header");
  text(header, "wsa:To", to);
  text(header, "wsa:Action", action);
  text(header, "wsa:MessageID", messageId);
  if (std::string_view(action) == kGet) {
    text(header.append_child("wsa:ReplyTo"), "wsa:Address", kAnonymous);
  }
  e.body = root.append_child("soap:Body");
}

std::string finish(const Envelope& e) {
  std::ostringstream out;
  e.doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

// --- reading --------------------------------------------------------------

std::string_view localName(const pugi::xml_node& n) {
  const std::string_view name = n.name();
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The namespace a prefix stands for where `n` is.
std::string_view namespaceOf(pugi::xml_node n, std::string_view prefix) {
  const std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
  for (; n; n = n.parent()) {
    if (pugi::xml_attribute a = n.attribute(attribute.c_str())) return a.value();
  }
  return {};
}

bool is(const pugi::xml_node& n, const char* ns, const char* local) {
  const std::string_view name = n.name();
  const std::size_t colon = name.find(':');
  const std::string_view prefix = colon == std::string_view::npos ? "" : name.substr(0, colon);
  return n.type() == pugi::node_element && localName(n) == local && namespaceOf(n, prefix) == ns;
}

pugi::xml_node child(const pugi::xml_node& parent, const char* ns, const char* local) {
  for (pugi::xml_node c : parent.children()) {
    if (is(c, ns, local)) return c;
  }
  return {};
}

std::string trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1));
}

std::vector<std::string> words(std::string_view s) {
  std::vector<std::string> out;
  std::istringstream in{std::string(s)};
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// Whether the list of qualified names in `n` holds ns:local.
bool listsType(const pugi::xml_node& n, const char* ns, const char* local) {
  for (const std::string& q : words(n.text().get())) {
    const std::size_t colon = q.find(':');
    const std::string_view prefix =
        colon == std::string::npos ? "" : std::string_view(q).substr(0, colon);
    const std::string_view name =
        colon == std::string::npos ? std::string_view(q) : std::string_view(q).substr(colon + 1);
    if (name == local && namespaceOf(n, prefix) == ns) return true;
  }
  return false;
}

struct Parsed {
  pugi::xml_document doc;
  pugi::xml_node header;
  pugi::xml_node body;
};

bool parse(const std::string& xml, Parsed& p) {
  if (!p.doc.load_buffer(xml.data(), xml.size(), pugi::parse_default & ~pugi::parse_pi)) {
    return false;
  }
  const pugi::xml_node root = p.doc.document_element();
  if (!is(root, kSoap, "Envelope")) return false;
  p.header = child(root, kSoap, "Header");
  p.body = child(root, kSoap, "Body");
  return p.header && p.body;
}

// How far below the body the walk looks for the host: it stands four levels
// down (Metadata, MetadataSection, Relationship, Host).
constexpr int kHostDepth = 6;

// "NAME/Workgroup:GROUP" or "NAME/Domain:DOMAIN". A name that holds a
// backslash would make another path of "\\NAME": none is taken.
std::optional<platform::FoundComputer> computerOf(const std::string& value) {
  const std::size_t slash = value.find('/');
  platform::FoundComputer computer;
  computer.name = value.substr(0, slash);
  if (computer.name.empty() || computer.name.find('\\') != std::string::npos) return std::nullopt;
  if (slash != std::string::npos) {
    const std::string rest = value.substr(slash + 1);
    const std::size_t colon = rest.find(':');
    computer.domain = rest.substr(0, colon) == "Domain";
    if (colon != std::string::npos) computer.group = rest.substr(colon + 1);
  }
  return computer;
}

}  // namespace

std::string newMessageId() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  const std::uint64_t hi = random();
  const std::uint64_t lo = random();
  char id[64];
  // Version 4, variant 1.
  std::snprintf(id, sizeof id, "urn:uuid:%08x-%04x-4%03x-%04x-%012llx",
                static_cast<unsigned>(hi >> 32), static_cast<unsigned>((hi >> 16) & 0xffff),
                static_cast<unsigned>(hi & 0xfff),
                static_cast<unsigned>(0x8000 | ((lo >> 48) & 0x3fff)),
                static_cast<unsigned long long>(lo & 0xffffffffffffULL));
  return id;
}

std::string probe(const std::string& messageId) {
  Envelope e;
  start(e, kDiscoveryTarget, kProbe, messageId);
  text(e.body.append_child("wsd:Probe"), "wsd:Types", "wsdp:Device");
  return finish(e);
}

std::string resolve(const std::string& messageId, const std::string& endpoint) {
  Envelope e;
  start(e, kDiscoveryTarget, kResolve, messageId);
  pugi::xml_node reference =
      e.body.append_child("wsd:Resolve").append_child("wsa:EndpointReference");
  text(reference, "wsa:Address", endpoint);
  return finish(e);
}

std::string get(const std::string& messageId, const std::string& endpoint) {
  Envelope e;
  start(e, endpoint.c_str(), kGet, messageId);
  return finish(e);
}

std::optional<Matches> readMatches(const std::string& datagram) {
  Parsed p;
  if (!parse(datagram, p)) return std::nullopt;
  const std::string action = trimmed(child(p.header, kAddressing, "Action").text().get());
  const bool probeMatches = action == kProbeMatches;
  if (!probeMatches && action != kResolveMatches) return std::nullopt;
  Matches out;
  out.relatesTo = trimmed(child(p.header, kAddressing, "RelatesTo").text().get());
  const pugi::xml_node list =
      child(p.body, kDiscovery, probeMatches ? "ProbeMatches" : "ResolveMatches");
  for (pugi::xml_node m : list.children()) {
    if (!is(m, kDiscovery, probeMatches ? "ProbeMatch" : "ResolveMatch")) continue;
    Match match;
    match.endpoint = trimmed(
        child(child(m, kAddressing, "EndpointReference"), kAddressing, "Address").text().get());
    match.xaddrs = words(child(m, kDiscovery, "XAddrs").text().get());
    if (!match.endpoint.empty()) out.matches.push_back(std::move(match));
  }
  return out;
}

std::optional<platform::FoundComputer> readComputer(const std::string& response) {
  Parsed p;
  if (!parse(response, p)) return std::nullopt;
  // Metadata / MetadataSection / Relationship / Host, wherever the sections
  // stand: the host that is a computer names it. The walk keeps to a few
  // levels below the body, without recursion: a peer may nest thousands.
  std::vector<pugi::xml_node> level{p.body};
  for (int depth = 0; depth < kHostDepth && !level.empty(); ++depth) {
    std::vector<pugi::xml_node> next;
    for (const pugi::xml_node& n : level) {
      for (pugi::xml_node c : n.children()) {
        if (c.type() != pugi::node_element) continue;
        if (is(c, kDevices, "Host") &&
            listsType(child(c, kDevices, "Types"), kPublication, "Computer")) {
          return computerOf(trimmed(child(c, kPublication, "Computer").text().get()));
        }
        next.push_back(c);
      }
    }
    level = std::move(next);
  }
  return std::nullopt;
}

}  // namespace quilbert::net::wsd
