// quilbert-cli status
#include <ostream>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/text.h"
#include "cli/commands.h"
#include "net/connect_pass.h"
#include "net/credential_source.h"
#include "net/primitives.h"
#include "net/server_probe.h"
#include "platform/secret.h"

namespace quilbert::cli {

namespace {
namespace neterr = platform::neterr;
}  // namespace

int status(Program& p, Output& o) {
  nlohmann::json letters = nlohmann::json::array();
  std::string lines;
  int down = 0;
  int silent = 0;
  net::ServerProbe probe(p.svc.network);
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const app::DriveEntry& e = p.config.DriveTable[static_cast<std::size_t>(i)];
    if (!app::isActiveEntry(e)) continue;
    const char letter = static_cast<char>('A' + i - 1);
    const std::string path = app::trimSpaces(e.Path);
    std::string remote;
    int code = p.svc.network.getConnection(std::string(1, letter) + ":", remote);
    const bool connected = code == neterr::kOk && net::sameSharePath(remote, path);
    if (code == neterr::kOk && !connected) {
      code = neterr::kAlreadyAssigned;  // held by another share
    } else if (code == neterr::kNotConnected) {
      // A local drive, or an entry of its own, holds the letter.
      if (const auto drive = p.svc.drives.getDrive(letter); drive && drive->type != 3) {
        code = neterr::kAlreadyAssigned;
      } else {
        code = probe.why(path);
      }
    }
    nlohmann::json item{
        {"letter", std::string(1, letter)}, {"path", path}, {"connected", connected}};
    std::string line = std::string(1, letter) + ": " + path + "  ";
    // A connection outlives its server: one gone answers nothing under the letter.
    if (connected && probe.silent(path)) {
      ++silent;
      item["serverAnswers"] = false;
      line += p.texts.msg(app::kMsgConnectedServerSilent);
    } else if (connected) {
      line += p.texts.msg(app::kMsgConnected);
    } else {
      ++down;
      const std::string why = net::netErrorWords(p.texts, code);
      item["code"] = code;
      item["reason"] = why;
      line += why;
      if (!remote.empty()) line += " (" + remote + ")";
    }
    if (!remote.empty()) item["to"] = remote;
    // Where its credentials come from; never the password itself.
    net::LetterCredentials from = net::letterCredentials(p.svc, path, e.Login, e.Password);
    platform::wipe(from.password);
    item["credentials"] = net::credentialSourceText(p.texts, from.source);
    line += "  [" + p.texts.msg(app::kMsgCredentials) + ": " +
            item["credentials"].get<std::string>() + "]";
    letters.push_back(std::move(item));
    lines += line + "\n";
  }
  print(
      o,
      nlohmann::json{
          {"letters", std::move(letters)}, {"notConnected", down}, {"serverNotAnswering", silent}},
      lines);
  return silent > 0 ? kExitServerSilent + down : down;
}

}  // namespace quilbert::cli
