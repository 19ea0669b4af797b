// Server names looked up asynchronously within a bound (GLib's resolver with
// a cancellable), so that a name server that does not answer costs one
// bounded wait rather than the system resolver's own time-outs.
#pragma once

#include <string>
#include <vector>

namespace quilbert::smb {

struct NameLookup {
  enum class Outcome {
    Found,     // `addresses` holds the numeric addresses, in the system's order
    NotFound,  // the name servers say there is no such name
    NoAnswer   // no answer within the bound, or a temporary failure
  };
  Outcome outcome = Outcome::NoAnswer;
  std::vector<std::string> addresses;
};

// A numeric address is its own answer, at once.
NameLookup lookUpName(const std::string& name, int timeoutMs);

}  // namespace quilbert::smb
