// quilbert-cli passwords --to-keyring | --to-file
#include <ostream>

#include "app/catalogue.h"
#include "cli/commands.h"
#include "net/stored_passwords.h"

namespace quilbert::cli {

int movePasswords(app::Globals& g, Output& o, bool toStore) {
  if (g.svc.passwords == nullptr) {
    o.err << g.msg(app::kMsgNoKeyring) << "\n";
    return kExitCannotRun;
  }
  // Back to the file: the choice first, so that a Save meanwhile keeps them
  // there; into the store: once they are there.
  if (!toStore && !net::setKeepPasswordsInStore(g, false)) {
    o.err << g.msg(app::kMsgSettingRefused) << "\n";
    return kExitCannotRun;
  }
  const net::MovedPasswords m =
      toStore ? net::movePasswordsToStore(g) : net::movePasswordsToFile(g);
  if (toStore && !net::setKeepPasswordsInStore(g, true)) {
    o.err << g.msg(app::kMsgSettingRefused) << "\n";
  }
  nlohmann::json answer{{"moved", m.moved}, {"notMoved", m.notMoved}};
  std::string lines =
      g.msg(app::kMsgPasswordsMoved, {std::to_string(m.moved), std::to_string(m.notMoved)}) + "\n";
  if (!m.why.empty()) {
    answer["reason"] = m.why;
    lines += m.why + "\n";
  }
  print(o, answer, lines);
  return m.notMoved;
}

}  // namespace quilbert::cli
