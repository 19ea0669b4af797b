// quilbert-cli disconnect [LETTER...]
#include "app/catalogue.h"
#include "cli/commands.h"
#include "net/primitives.h"

namespace quilbert::cli {

int disconnect(app::Globals& g, Output& o, const std::vector<char>& letters) {
  std::vector<char> chosen = letters;
  if (chosen.empty()) {
    for (char c = 'A'; c <= 'Z'; ++c) chosen.push_back(c);
  }
  nlohmann::json list = nlohmann::json::array();
  std::string lines;
  int left = 0;
  const platform::NetworkPass pass(g.svc.network);
  for (const char letter : chosen) {
    const std::string local = std::string(1, letter) + ":";
    std::string remote;
    if (g.svc.network.getConnection(local, remote) != platform::neterr::kOk) remote.clear();
    // As the program's pass: never forced, a remembered mapping forgotten too.
    const int code = net::CancelDriveConnection(g, local);
    if (code == platform::neterr::kNotConnected) continue;
    nlohmann::json item{{"letter", std::string(1, letter)}, {"to", remote}};
    std::string line = local + " " + remote + "  ";
    if (code == platform::neterr::kOk) {
      item["disconnected"] = true;
      line += g.msg(app::kMsgDisconnected);
    } else {
      ++left;
      net::SetNetErrorText(g, code);
      item["disconnected"] = false;
      item["code"] = code;
      item["reason"] = g.NetErrorText;
      line += g.NetErrorText;
    }
    list.push_back(std::move(item));
    lines += line + "\n";
  }
  print(o, nlohmann::json{{"letters", std::move(list)}, {"notDisconnected", left}}, lines);
  return left;
}

}  // namespace quilbert::cli
