// The network service on mpr, the Windows networking interface (A calls:
// strings cross in the ANSI code page, converted from and to UTF-8 here).
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/discovery.h"
#include "platform/found_computers.h"
#include "platform/network.h"

namespace quilbert::platform {

// The computers found by `find` (WS-Discovery) are listed after mpr's own
// networks at the top level, their shares read with NetShareEnum at the
// address each answered from.
class Win32Network : public Network {
 public:
  explicit Win32Network(ComputerFinder find = {}, ContainerName name = {},
                        ContainerName moreNote = {})
      : found_(std::move(find), kDisplayNetwork, std::move(name), std::move(moreNote)) {}
  ~Win32Network() override;
  Win32Network(const Win32Network&) = delete;
  Win32Network& operator=(const Win32Network&) = delete;

  int addConnection(const NetResource& resource, const std::string& password,
                    const std::string& userName, std::uint32_t flags) override;
  int cancelConnection(const std::string& name, std::uint32_t flags, bool force) override;
  int getUser(const std::string& localName, std::string& buffer, std::uint32_t& length) override;
  int getConnection(const std::string& localName, std::string& remoteName) override;
  int openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
               const NetResource* container, EnumHandle& handle) override;
  int enumResource(EnumHandle handle, std::int32_t& count, std::vector<NetResource>& out,
                   std::uint32_t& bufferSize) override;
  int closeEnum(EnumHandle handle) override;
  // What the ANSI code page has no character for.
  [[nodiscard]] std::string uncarried(std::string_view text) const override;

  // Bytes one record takes in a WNetEnumResourceA buffer of this build: the
  // NETRESOURCEA record (48 bytes on x64) and each present string with its NUL.
  static std::uint32_t recordSize(const NetResource& r);

 private:
  struct Enumeration {
    void* handle = nullptr;           // the mpr enumeration (none: all is in `ready`)
    std::deque<NetResource> ready;    // read from mpr, not handed out yet
    std::optional<NetResource> last;  // handed out after mpr's records
    std::vector<std::string> seen;    // top level: providers already given
    bool topLevel = false;
    bool finished = false;
  };
  int fill(Enumeration& e);
  int openFound(const NetResource& container, EnumHandle& handle);

  FoundComputers found_;
  std::map<EnumHandle, Enumeration> enums_;
  EnumHandle next_ = 1;
};

}  // namespace quilbert::platform
