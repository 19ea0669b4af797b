// Moving the file's passwords into the system's store, as a Save leaves them:
// the same password on every line, local drives' and empty rows' included.
#include "net/stored_passwords.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/credentials.h"
#include "support/test_program.h"

namespace quilbert::net {
namespace {

using testing::TestProgram;

// A store that keeps what it is given, and refuses one server.
class MemoryStore : public platform::PasswordStore {
 public:
  [[nodiscard]] Kind kind() const override { return Kind::Keyring; }
  platform::StoredPassword lookup(const std::string& server, const std::string& login) override {
    platform::StoredPassword p;
    const auto it = kept.find({server, login});
    p.state = it == kept.end() ? platform::StoredPassword::State::Missing
                               : platform::StoredPassword::State::Found;
    if (it != kept.end()) p.password = it->second;
    return p;
  }
  std::string save(const std::string& server, const std::string& login,
                   const std::string& password) override {
    ++saves;
    if (server == "LOCKED") return "the collection is locked";
    kept[{server, login}] = password;
    return "";
  }
  std::string remove(const std::string& server, const std::string& login) override {
    kept.erase({server, login});
    return "";
  }
  std::map<std::pair<std::string, std::string>, std::string> kept;
  int saves = 0;
};

TEST(MovePasswordsToStore, EveryLineLeavesTheFileAndOnePasswordIsKeptOncePerServer) {
  TestProgram p;
  const std::string secret = *app::ScramblePassword("s3cret");
  std::vector<std::string> lines;
  for (char c = 'A'; c <= 'Z'; ++c) {
    std::string path;
    if (c == 'C') path = "C: (Lecteur local de ce poste : Disque fixe)";
    if (c == 'F' || c == 'G') path = "\\\\SRV\\docs";
    if (c == 'H') path = "\\\\SRV\\photos";
    if (c == 'L') path = "\\\\LOCKED\\x";
    lines.push_back(TestProgram::driveLine("0", c, "alice", secret, path));
  }
  for (const char* s : {"ide", "windows", "langage_gb.txt", "nres"}) lines.emplace_back(s);
  p.writeConfig(lines);
  ASSERT_FALSE(p.start());
  MemoryStore store;
  p.g->program.svc.passwords = &store;

  const MovedPasswords m = movePasswordsToStore(p.g->program.svc, p.g->config, p.g->texts);
  EXPECT_EQ(m.moved, 3);      // F, G and H
  EXPECT_EQ(m.passwords, 1);  // one typed password
  EXPECT_EQ(m.cleared, 22);   // the rows without a server, C: included
  EXPECT_EQ(m.notMoved, 1);   // L: its store refused, so its line keeps it
  EXPECT_EQ(store.saves, 2);  // SRV once for alice, whatever the share, and LOCKED
  EXPECT_EQ(store.kept.size(), 1U);
  const std::vector<std::string> after = p.configLines();
  for (int k = 0; k < 26; ++k) {
    const std::string& line = after[static_cast<std::size_t>(k)];
    const std::size_t field = line.find('\t', line.find('\t', line.find('\t') + 1) + 1) + 1;
    const bool kept = k == 'L' - 'A';  // the password field is empty on every other line
    EXPECT_EQ(line[field] != '\t', kept) << line;
  }
  EXPECT_EQ(movedPasswordsText(p.g->texts, m, true),
            "Passwords kept in the system's keyring: 1 (letters using them: 3); not moved: 1\n"
            "Passwords removed from lines without a server: 22");
}

}  // namespace
}  // namespace quilbert::net
