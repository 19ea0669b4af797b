// The computers found by discovery, as a network service lists them: one
// container beside its other resources, holding the workgroups and domains
// found, each holding its computers ("\\NAME", their address as comment).
// The service lists a computer's shares itself, at the address kept here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/discovery.h"
#include "platform/network.h"

namespace quilbert::platform {

// The container's name when no other is given.
inline constexpr char kFoundComputers[] = "Computers found on the network";
// The note each group carries when more devices answered than were kept.
inline constexpr char kMoreAnswered[] = "More computers answered than are listed";
// The provider of every record of this part, which tells them apart from
// the service's own workgroups and servers of the same names.
inline constexpr char kFoundProvider[] = "Web Services Discovery";

class FoundComputers {
 public:
  // `find` may be empty: then there is no container to list. `moreNote`
  // gives kMoreAnswered in the user's language.
  FoundComputers(ComputerFinder find, std::uint32_t containerDisplayType, ContainerName name = {},
                 ContainerName moreNote = {})
      : find_(std::move(find)),
        name_(std::move(name)),
        moreNote_(std::move(moreNote)),
        displayType_(containerDisplayType) {}

  // The container, or nullopt when nothing finds computers.
  [[nodiscard]] std::optional<NetResource> container() const;
  // Whether `r` is a record of this part.
  [[nodiscard]] static bool owns(const NetResource& r) {
    return r.provider.value_or("") == kFoundProvider;
  }
  // What the container (a fresh discovery) or a group (the last one) holds;
  // false for any other record.
  bool children(const NetResource& parent, std::vector<NetResource>& out);
  // The address of a computer of this part, or "" for any other record.
  std::string addressOf(const NetResource& computer);

 private:
  const Discovery& lastOrFind();
  [[nodiscard]] std::string containerName() const;

  ComputerFinder find_;
  ContainerName name_;
  ContainerName moreNote_;
  std::uint32_t displayType_;
  std::optional<Discovery> last_;
};

}  // namespace quilbert::platform
