// quilbert-cli disconnect [LETTER...]
#include "app/catalogue.h"
#include "cli/commands.h"
#include "net/primitives.h"

namespace quilbert::cli {

int disconnect(Program& p, Output& o, const std::vector<char>& letters) {
  std::vector<char> chosen = letters;
  if (chosen.empty()) {
    for (char c = 'A'; c <= 'Z'; ++c) chosen.push_back(c);
  }
  nlohmann::json list = nlohmann::json::array();
  std::string lines;
  int left = 0;
  const platform::NetworkPass pass(p.svc.network);
  for (const char letter : chosen) {
    const std::string local = std::string(1, letter) + ":";
    std::string remote;
    if (p.svc.network.getConnection(local, remote) != platform::neterr::kOk) remote.clear();
    // As the program's pass: never forced, a remembered mapping forgotten too.
    const net::NetOutcome done = net::CancelDriveConnection(p.svc, p.texts, local);
    const int code = done.code;
    if (code == platform::neterr::kNotConnected) continue;
    nlohmann::json item{{"letter", std::string(1, letter)}, {"to", remote}};
    std::string line = local + " " + remote + "  ";
    if (code == platform::neterr::kOk) {
      item["disconnected"] = true;
      line += p.texts.msg(app::kMsgDisconnected);
    } else {
      ++left;
      item["disconnected"] = false;
      item["code"] = code;
      item["reason"] = done.words;
      line += done.words;
    }
    list.push_back(std::move(item));
    lines += line + "\n";
  }
  print(o, nlohmann::json{{"letters", std::move(list)}, {"notDisconnected", left}}, lines);
  return left;
}

}  // namespace quilbert::cli
