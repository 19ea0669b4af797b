// Shared by the simulated network's tests: a small office network, a private
// temporary folder, and helpers to connect and read drives.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "network_walk.h"
#include "platform/sim/sim_network.h"

namespace quilbert::sim::testing {

namespace fs = std::filesystem;
using platform::NetResource;

inline constexpr char kOffice[] = R"(user = "Claire"

[drives]
C = "fixed"
D = 4

[[workgroup]]
name = "BUREAU"

[[server]]
name = "ATLAS"
comment = "File server"

[[server.share]]
name = "docs"
comment = "Documents"
folders = ["Projets/2024", "Courrier"]

[[server.share]]
name = "paie"
users = { compta = "bilan", claire = "tulipe" }

[[server.share]]
name = "projets"
open_files = 2

[[server.share]]
name = "C$"
users = { admin = "root" }

[[server]]
name = "HERMES"
reachable = false

[[server.share]]
name = "archives"
)";

// A fresh folder removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    // A name nobody else holds: create_directory fails on an existing one.
    std::random_device rd;
    do {
      path_ = fs::temp_directory_path() / ("quilbert-sim-" + std::to_string(rd()));
    } while (!fs::create_directory(path_));
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

  fs::path write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
    return path_ / name;
  }
  std::string read(const std::string& name) const { return readFile(path_ / name); }
  static std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  fs::path path_;
};

// The request the program makes to map a letter.
inline NetResource diskResource(const std::string& local, const std::string& remote) {
  NetResource r;
  r.type = platform::kTypeDisk;
  r.localName = local;
  r.remoteName = remote;
  r.provider = "";
  return r;
}

// What getDrive says of a letter, as "C: 2" or "Z: 3 \\S\sh"; "none" for nullopt.
inline std::string driveText(platform::Drives& drives, char letter) {
  auto d = drives.getDrive(letter);
  if (!d) return "none";
  std::string text = std::string(1, d->letter) + ": " + std::to_string(d->type);
  return d->shareName.empty() ? text : text + " " + d->shareName;
}

}  // namespace quilbert::sim::testing
