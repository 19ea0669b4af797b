// quilbert-cli connect [LETTER...]
#include <map>
#include <optional>
#include <set>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/text.h"
#include "cli/commands.h"
#include "net/connect_pass.h"
#include "net/primitives.h"

namespace quilbert::cli {

namespace {

// The pass's outcome as a script reads it: nothing is shown, the codes are
// kept, and the refused logins are said on standard error. The pass here is
// given no time to wait for the network.
class ScriptObserver final : public net::PassObserver {
 public:
  explicit ScriptObserver(std::ostream& err) : err_(err) {}
  void attempted(const net::PassItem& item, std::int32_t code) override {
    codes[item.localName] = code;
  }
  void passwordsNeeded(const std::string& text) override { err_ << text << "\n"; }
  void finished(const net::PassSummary& summary) override {
    result = summary.result;
    // A letter the pass did not try (its login was just refused on that
    // server) is told with the code that stopped it.
    for (const auto& f : summary.notConnected) codes.emplace(f.item->localName, f.code);
  }

  std::map<std::string, std::int32_t> codes;  // by local name, the last attempt's
  net::PassResult result;

 private:
  std::ostream& err_;
};

// What a local drive holding the letter is ("Local storage device : Fixed
// disk"), or nothing for a free letter or a network drive: the window greys
// such a row and never connects it.
std::optional<std::string> localDrive(Program& p, char letter) {
  constexpr int kNetworkDrive = 3;
  const auto drive = p.svc.drives.getDrive(letter);
  if (!drive || drive->type == kNetworkDrive) return std::nullopt;
  const bool known = drive->type >= 0 && drive->type <= 5;
  return p.texts.msg(app::kMsgLocalDevice) + " : " +
         (known ? p.texts.msg(app::kMsgDriveTypeFirst + drive->type) : std::string());
}

}  // namespace

int connect(Program& p, Output& o, const std::vector<char>& letters) {
  std::array<net::PassItem, 27> items = net::automaticItems(p.config);
  int unusable = 0;
  if (letters.empty()) {
    net::cancelAllLetters(p.svc, p.texts);  // as the automatic run does
  } else {
    // Only the letters named, ticked or not; each dropped first, as the
    // automatic run drops every letter.
    for (auto& item : items) item.active = false;
    std::set<char> named;
    for (const char letter : letters) {
      // A letter named twice is one letter: told and counted once.
      if (!named.insert(letter).second) continue;
      net::PassItem& item = items[static_cast<std::size_t>(letter - 'A' + 1)];
      if (const auto local = localDrive(p, letter)) {
        o.err << *local << " (" << item.localName << ")\n";
        ++unusable;
        continue;
      }
      if (app::isBlank(item.path)) {
        o.err << p.texts.msg(app::kMsgNoPath) << " (" << item.localName << ")\n";
        ++unusable;
        continue;
      }
      item.active = true;
      net::CancelDriveConnection(p.svc, p.texts, item.localName);
    }
  }
  ScriptObserver observer(o.err);
  net::connectItems(p.svc, p.texts, items, net::PassKind::Automatic, observer);

  nlohmann::json list = nlohmann::json::array();
  std::string lines;
  for (std::size_t i = 1; i < items.size(); ++i) {
    const net::PassItem& item = items[i];
    const auto code = observer.codes.find(item.localName);
    if (!item.active || code == observer.codes.end()) continue;
    nlohmann::json entry{{"letter", item.localName.substr(0, 1)},
                         {"path", item.path},
                         {"connected", code->second == 0}};
    std::string line = item.localName + " " + item.path + "  ";
    if (code->second == 0) {
      line += p.texts.msg(app::kMsgConnected);
    } else {
      const std::string why = net::netErrorWords(p.texts, code->second);
      entry["code"] = code->second;
      entry["reason"] = why;
      line += why;
    }
    list.push_back(std::move(entry));
    lines += line + "\n";
  }
  const net::PassResult& r = observer.result;
  lines += net::connectedText(p.texts, r.succeeded, r.tried) + "\n";
  print(
      o,
      nlohmann::json{{"letters", std::move(list)}, {"tried", r.tried}, {"connected", r.succeeded}},
      lines);
  return r.tried - r.succeeded + unusable;
}

}  // namespace quilbert::cli
