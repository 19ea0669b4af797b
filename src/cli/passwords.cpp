// quilbert-cli passwords --to-keyring | --to-file
#include <ostream>

#include "app/catalogue.h"
#include "cli/commands.h"
#include "net/stored_passwords.h"

namespace quilbert::cli {

int movePasswords(Program& p, Output& o, bool toStore) {
  if (p.svc.passwords == nullptr) {
    o.err << p.texts.msg(app::kMsgNoKeyring) << "\n";
    return kExitCannotRun;
  }
  // Back to the file: the choice first, so that a Save meanwhile keeps them
  // there; into the store: once they are there.
  if (!toStore && !net::setKeepPasswordsInStore(p.svc, false)) {
    o.err << p.texts.msg(app::kMsgSettingRefused) << "\n";
    return kExitCannotRun;
  }
  const net::MovedPasswords m = toStore ? net::movePasswordsToStore(p.svc, p.config, p.texts)
                                        : net::movePasswordsToFile(p.svc, p.config, p.texts);
  if (toStore && !net::setKeepPasswordsInStore(p.svc, true)) {
    o.err << p.texts.msg(app::kMsgSettingRefused) << "\n";
  }
  nlohmann::json answer{{"moved", m.moved}, {"notMoved", m.notMoved}};
  if (toStore) {
    answer["passwords"] = m.passwords;
    answer["cleared"] = m.cleared;
  }
  std::string lines = net::movedPasswordsText(p.texts, m, toStore) + "\n";
  if (!m.why.empty()) {
    answer["reason"] = m.why;
    lines += m.why + "\n";
  }
  print(o, answer, lines);
  return m.notMoved;
}

}  // namespace quilbert::cli
