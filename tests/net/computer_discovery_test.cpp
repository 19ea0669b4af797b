// The discovery against scripted devices on a virtual clock: what it keeps,
// what it ignores, and that it never holds its caller past the bound.
#include "net/computer_discovery.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <regex>

namespace quilbert::platform {
void PrintTo(const FoundComputer& c, std::ostream* out) {
  *out << c.name << "/" << c.group << (c.domain ? " (domain) " : " ") << c.address;
}
}  // namespace quilbert::platform

namespace quilbert::net {
namespace {

using platform::FoundComputer;

struct Device {
  std::string address;
  std::string computer;  // pub:Computer text; empty: a printer
  std::string relatesTo = "%ID%";
  bool describes = true;  // answers its Get (chunked, keeping the connection open)
  std::string endpoint = "urn:uuid:" + address;
};

std::string replace(std::string s, const std::string& what, const std::string& with) {
  for (auto at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size())) {
    s.replace(at, what.size(), with);
  }
  return s;
}

// Prefixes of their own, and the discovery namespace as the default one.
const std::string kMatch =
    R"(<e:Envelope xmlns:e="http://www.w3.org/2003/05/soap-envelope" )"
    R"(xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing"><e:Header>)"
    R"(<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</a:Action>)"
    R"(<a:RelatesTo>%ID%</a:RelatesTo></e:Header><e:Body>)"
    R"(<ProbeMatches xmlns="http://schemas.xmlsoap.org/ws/2005/04/discovery"><ProbeMatch>)"
    R"(<a:EndpointReference><a:Address>%EP%</a:Address></a:EndpointReference>)"
    R"(<XAddrs>http://%ADDR%:5357/d</XAddrs></ProbeMatch></ProbeMatches></e:Body></e:Envelope>)";
const std::string kMetadata =
    R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"><s:Header/><s:Body>)"
    R"(<m:Metadata xmlns:m="http://schemas.xmlsoap.org/ws/2004/09/mex" )"
    R"(xmlns:d="http://schemas.xmlsoap.org/ws/2006/02/devprof" )"
    R"(xmlns:p="http://schemas.microsoft.com/windows/pub/2005/07"><m:MetadataSection>)"
    R"(<d:Relationship><d:Host><d:Types>%TYPES%</d:Types>%COMPUTER%</d:Host></d:Relationship>)"
    R"(</m:MetadataSection></m:Metadata></s:Body></s:Envelope>)";

class ScriptedSockets : public platform::DiscoverySockets {
 public:
  explicit ScriptedSockets(std::vector<Device> devices) : devices_(std::move(devices)) {}
  std::int64_t now = 1000;
  std::vector<std::string> asked;  // hosts asked for a description

  std::int64_t nowMs() override { return now; }
  bool multicast(const std::string& datagram) override {
    std::smatch id;
    std::regex_search(datagram, id, std::regex("MessageID>([^<]+)<"));
    if (probes_++ > 0) return true;  // each device answers the first probe
    std::int64_t at = now;
    for (const Device& d : devices_) {
      std::string match = replace(replace(kMatch, "%EP%", d.endpoint), "%ADDR%", d.address);
      inbox_.push_back({at += 20, replace(match, "%ID%", replace(d.relatesTo, "%ID%", id[1]))});
    }
    return true;
  }
  bool receive(int timeoutMs, std::string& datagram, std::string& from) override {
    if (inbox_.empty() || inbox_.front().first > now + timeoutMs) {
      now += timeoutMs;
      return false;
    }
    now = std::max(now, inbox_.front().first);
    datagram = inbox_.front().second;
    std::smatch sender;  // each device answers from the address it names
    std::regex_search(datagram, sender, std::regex("XAddrs>http://([^:]+):"));
    from = sender[1];
    inbox_.pop_front();
    return true;
  }
  bool exchange(const std::string& host, int /*port*/, const std::string& /*request*/,
                int timeoutMs, const std::function<bool(const std::string&)>& complete,
                std::string& response) override {
    asked.push_back(host);
    for (const Device& d : devices_) {
      if (d.address != host || !d.describes) continue;
      const std::string body = replace(
          replace(kMetadata, "%TYPES%", d.computer.empty() ? "d:Device" : "d:Device p:Computer"),
          "%COMPUTER%", d.computer.empty() ? "" : "<p:Computer>" + d.computer + "</p:Computer>");
      char size[16];
      std::snprintf(size, sizeof size, "%zx", body.size());
      response = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(size) +
                 "\r\n" + body + "\r\n0\r\n\r\n";
      if (complete(response)) {
        now += 5;
        return true;
      }
    }
    now += timeoutMs;  // the connection stays open: nothing more comes
    return false;
  }

 private:
  std::vector<Device> devices_;
  std::deque<std::pair<std::int64_t, std::string>> inbox_;
  int probes_ = 0;
};

TEST(ComputerDiscovery, KeepsTheComputersThatAnswerOursWithinTheBound) {
  struct Case {
    const char* fault;
    std::vector<Device> devices;
    std::vector<FoundComputer> found;
    std::vector<std::string> asked;
  };
  std::vector<Device> silent;
  for (int i = 1; i <= 8; ++i) silent.push_back({"10.0.0." + std::to_string(i), "", "%ID%", false});
  silent.push_back({"10.0.0.9", "LATE/Workgroup:WG"});
  const Case cases[] = {
      {"prefixes of the peer's own, a chunked answer, a domain",
       {{"10.0.0.5", "pc1/Domain:corp.example"}},
       {{"pc1", "corp.example", true, "10.0.0.5"}},
       {"10.0.0.5"}},
      {"a printer is no computer",
       {{"10.0.0.6", ""}, {"10.0.0.7", "PC2/Workgroup:WORKGROUP"}},
       {{"PC2", "WORKGROUP", false, "10.0.0.7"}},
       {"10.0.0.6", "10.0.0.7"}},
      {"answers to another's probe are not ours",
       {{"10.0.0.8", "PC3/Workgroup:W", "urn:x"}},
       {},
       {}},
      {"one computer with two endpoints is listed once",
       {{"10.0.0.2", "PC4/Workgroup:W"}, {"10.0.0.3", "PC4/Workgroup:W", "%ID%", true, "urn:b"}},
       {{"PC4", "W", false, "10.0.0.2"}},
       {"10.0.0.2", "10.0.0.3"}},
      {"devices that never describe themselves cost no more than the bound",
       silent,
       {},
       {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}},
  };
  for (const Case& c : cases) {
    ScriptedSockets sockets(c.devices);
    EXPECT_EQ(discoverComputers(sockets).computers, c.found) << c.fault;
    EXPECT_EQ(sockets.asked, c.asked) << c.fault;
    EXPECT_LE(sockets.now, 1000 + kDiscoveryBoundMs) << c.fault;
  }
}

}  // namespace
}  // namespace quilbert::net
