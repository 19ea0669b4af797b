// What a simulated network holds, as plain data: the logged-on user, the
// providers with their workgroups, servers, shares and folders, and the local
// drive letters. A description is read from a TOML file (readDescription, format
// in docs/sim-network.md) or built in code, then handed to SimNetwork.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quilbert::sim {

// A description that cannot be used. Its message is one line that names the
// file and the line when the description came from a file:
// "network.toml:12: share has no name".
class DescriptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `line` fields hold the line of the element in its file (0 when built in code);
// they only serve error messages.

struct ShareSpec {
  std::string name;     // "docs"; a name ending in "$" is hidden from enumeration
  std::string comment;  // empty: the record carries no comment
  // Accounts that may connect: user name (any case) -> password (exact).
  std::map<std::string, std::string> users;
  bool guest = true;  // users it does not know connect as guests
  int openFiles = 0;  // > 0: cancelling without force answers 2401
  // Folders inside, as paths below the share ("Projets/2024"; "/" or "\").
  std::vector<std::string> folders;
  int enumError = 0;  // non-zero: opening an enumeration of the share answers it
  int line = 0;
};

struct ServerSpec {
  std::string name;  // "ATLAS", shown as \\ATLAS
  std::string comment;
  bool reachable = true;  // false: connections answer 1231, so does enumerating it
  int enumError = 0;
  std::vector<ShareSpec> shares;
  int line = 0;
};

// A workgroup or a domain: Windows lists both with display type 1.
struct WorkgroupSpec {
  std::string name;
  std::string comment;
  int enumError = 0;
  std::vector<ServerSpec> servers;
  int line = 0;
};

struct ProviderSpec {
  std::string name;  // "Microsoft Windows Network"
  std::string comment;
  int enumError = 0;
  std::vector<WorkgroupSpec> workgroups;
  int line = 0;
};

inline constexpr char kDefaultProvider[] = "Microsoft Windows Network";
inline constexpr int kNoDrive = -1;

struct NetworkSpec {
  // false: no network at all (user name and enumeration answer 1222, adding a
  // connection too; no letter is connected).
  bool present = true;
  std::string user;  // the logged-on user
  std::vector<ProviderSpec> providers;
  // Local drive type per letter A..Z (0 unknown, 1 removable, 2 fixed,
  // 3 network, 4 CD-ROM, 5 RAM disk), kNoDrive for a free letter.
  std::array<int, 26> drives = filledDrives();
  // Where the description came from, for error messages ("" when built in code).
  std::string fileName;

  static constexpr std::array<int, 26> filledDrives() {
    std::array<int, 26> a{};
    a.fill(kNoDrive);
    return a;
  }
};

// Adds `workgroups` workgroups GEN01.., each with `serversPerWorkgroup` servers
// GEN01-SRV001.., each with `sharesPerServer` open shares share001.. with a
// comment, to `provider`. For large networks in tests and benchmarks.
void addGenerated(ProviderSpec& provider, int workgroups, int serversPerWorkgroup,
                  int sharesPerServer);

// A network of one provider holding only generated workgroups, for the user
// "User": generatedNetwork(10, 100, 100) has 100,000 shares.
NetworkSpec generatedNetwork(int workgroups, int serversPerWorkgroup, int sharesPerServer);

// Parses a description; `fileName` names it in error messages. Throws
// DescriptionError on a syntax error, a value of the wrong type, an unknown key,
// a missing or unknown reference, a bad letter or a bad drive type. Names
// (duplicates, forbidden characters) are checked when the network is built.
NetworkSpec parseDescription(std::string_view text, const std::string& fileName);

// Reads and parses a description file; error messages name the path as given.
NetworkSpec readDescription(const std::filesystem::path& file);

}  // namespace quilbert::sim
