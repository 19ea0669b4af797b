#include "net/stored_passwords.h"

#include <array>
#include <set>
#include <tuple>
#include <utility>

#include "app/config.h"
#include "app/registry_routines.h"
#include "app/text.h"
#include "net/credential_source.h"
#include "platform/secret.h"

namespace quilbert::net {

using namespace app;

namespace {

bool hasLoginAndPath(const DriveEntry& e) {
  return !isBlank(e.Login) && !isBlank(e.Path);
}

void refused(MovedPasswords& m, const std::string& why) {
  ++m.notMoved;
  if (m.why.empty()) m.why = why;
}

}  // namespace

bool keepPasswordsInStore(const Services& svc) {
  if (svc.passwords == nullptr) return false;
  const RegValue v = QueryValue(svc.registry, platform::kHkeyCurrentUser, kQuilbertKey,
                                kKeepInKeyringValue, platform::kKeyQueryValue);
  const auto* n = std::get_if<std::uint32_t>(&v);
  return n != nullptr && *n != 0;
}

bool setKeepPasswordsInStore(const Services& svc, bool keep) {
  svc.registry.createKey(platform::kHkeyCurrentUser, kQuilbertKey);
  return SetKeyValue(svc.registry, platform::kHkeyCurrentUser, kQuilbertKey, kKeepInKeyringValue,
                     std::uint32_t{keep ? 1U : 0U}, platform::kRegDword) == platform::regerr::kOk;
}

std::string storePassword(const Services& svc, const std::string& path, const std::string& login,
                          const std::string& password) {
  if (svc.passwords == nullptr) return "no password store on this system";
  const std::string server = serverOfPath(path);
  if (server.empty()) return "no server in " + path;
  return svc.passwords->save(server, trimSpaces(login), password);
}

std::function<bool(const DriveEntry&)> importedPasswordKeeper(const Services& svc) {
  return [&svc](const DriveEntry& e) {
    return keepPasswordsInStore(svc) && storePassword(svc, e.Path, e.Login, e.Password).empty();
  };
}

MovedPasswords movePasswordsToStore(const Services& svc, Config& config, const Catalogue& texts) {
  MovedPasswords m;
  ConfigFileLines lines = config.ConfigLines;
  std::set<std::tuple<std::string, std::string, std::string>> saved;  // server, login, password
  std::set<std::string> passwords;
  for (int k = 1; k <= kDriveCount; ++k) {
    const DriveEntry& e = config.DriveTable[static_cast<std::size_t>(k)];
    if (e.Password.empty()) continue;
    const std::string server = hasLoginAndPath(e) ? serverOfPath(e.Path) : "";
    auto& line = lines[static_cast<std::size_t>(k)];
    if (server.empty()) {
      line = driveLine(e, "");
      ++m.cleared;
      continue;
    }
    // Each login's password once per server, however many letters share it.
    if (saved.emplace(server, trimSpaces(e.Login), e.Password).second) {
      if (const std::string why = storePassword(svc, e.Path, e.Login, e.Password); !why.empty()) {
        saved.erase({server, trimSpaces(e.Login), e.Password});
        refused(m, why);
        continue;
      }
    }
    passwords.insert(e.Password);
    line = driveLine(e, "");
    ++m.moved;
  }
  m.passwords = static_cast<int>(passwords.size());
  if (m.moved + m.cleared == 0) return m;
  // Kept in both places until the file is written: nothing is lost.
  if (const WriteOutcome w = config.writeDriveLines(lines); !w.ok()) {
    m.notMoved += std::exchange(m.moved, 0);
    m.why = texts.msg(w.message) + " (" + w.detail + ")";
  }
  return m;
}

std::string movedPasswordsText(const Catalogue& texts, const MovedPasswords& m, bool toStore) {
  std::string text =
      toStore
          ? texts.msg(kMsgPasswordsKept, {std::to_string(m.passwords), std::to_string(m.moved),
                                          std::to_string(m.notMoved)})
          : texts.msg(kMsgPasswordsMoved, {std::to_string(m.moved), std::to_string(m.notMoved)});
  if (m.cleared > 0) text += "\n" + texts.msg(kMsgPasswordsCleared, {std::to_string(m.cleared)});
  return text;
}

MovedPasswords movePasswordsToFile(const Services& svc, Config& config, const Catalogue& texts) {
  MovedPasswords m;
  platform::PasswordStore* store = svc.passwords;
  if (store == nullptr) return m;
  ConfigFileLines lines = config.ConfigLines;
  std::set<std::pair<std::string, std::string>> taken;  // server, login
  for (int k = 1; k <= kDriveCount; ++k) {
    const DriveEntry& e = config.DriveTable[static_cast<std::size_t>(k)];
    if (!e.Password.empty() || !hasLoginAndPath(e)) continue;
    const std::string server = serverOfPath(e.Path);
    platform::StoredPassword found = store->lookup(server, trimSpaces(e.Login));
    if (found.state == platform::StoredPassword::State::Found && !found.password.empty()) {
      if (const auto scrambled = ScramblePassword(found.password);
          scrambled && !storeProblem(found.password, DriveField::Password)) {
        lines[static_cast<std::size_t>(k)] = driveLine(e, *scrambled);
        taken.emplace(server, trimSpaces(e.Login));
        ++m.moved;
      } else {
        refused(m, "a password the file cannot hold");
      }
    } else if (found.state != platform::StoredPassword::State::Missing) {
      refused(m, found.state == platform::StoredPassword::State::Unavailable
                     ? found.reason
                     : "the store does not give this password back");
    }
    platform::wipe(found.password);
  }
  if (m.moved == 0) return m;
  if (const WriteOutcome w = config.writeDriveLines(lines); !w.ok()) {
    m.notMoved += std::exchange(m.moved, 0);
    m.why = texts.msg(w.message) + " (" + w.detail + ")";
    return m;
  }
  for (const auto& [server, login] : taken) {
    if (const std::string why = store->remove(server, login); !why.empty() && m.why.empty()) {
      m.why = why;
    }
  }
  return m;
}

}  // namespace quilbert::net
