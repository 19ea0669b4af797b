#include "ui/main/row_states.h"

#include "app/text.h"
#include "net/primitives.h"
#include "ui/main/connect_window.h"
#include "ui/main/keeper.h"

namespace quilbert::ui {

namespace {
constexpr forms::Color kConnectedGreen = forms::Color::fromBgr(0x00008000);
constexpr forms::Color kMissingRed = forms::Color::fromBgr(0x000000C0);
}  // namespace

void CodeRecorder::keep(const net::PassItem& item, std::int32_t code) {
  const char letter = item.localName.empty() ? 0 : item.localName[0];
  if (letter >= 'A' && letter <= 'Z') codes_[static_cast<std::size_t>(letter - 'A' + 1)] = code;
}

void CodeRecorder::attempted(const net::PassItem& item, std::int32_t code) {
  keep(item, code);
  PassDisplay::attempted(item, code);
}

void CodeRecorder::finished(const net::PassSummary& summary) {
  // A letter the pass did not try (a login just refused) keeps the code that stopped it.
  for (const auto& f : summary.notConnected) keep(*f.item, f.code);
  PassDisplay::finished(summary);
}

void ConnectWindow::showConnectionStates() {
  auto& net = g_.svc.network;
  const platform::NetworkPass pass(net);
  for (int i = 1; i <= app::kDriveCount; ++i) {
    auto& label = lettrereseau(i);
    const std::string path = app::trimSpaces(Cheminreseau(i).text());
    // A local drive's row and an empty row have no connection to show.
    if (lettreactive(i).value() == 2 || path.empty()) {
      label.setForeColor(forms::kWindowText);
      label.setToolTip("");
      continue;
    }
    std::string remote;
    const std::int32_t code = net.getConnection(app::firstChar(label.caption()) + ":", remote);
    if (code == platform::neterr::kOk && app::lowerCase(remote) == app::lowerCase(path)) {
      label.setForeColor(kConnectedGreen);
      label.setToolTip(g_.texts.msg(kMsgRowConnected, {remote}));
      continue;
    }
    // Why not: the letter held by another share, else what its last attempt
    // here met, else what the network says of the letter.
    const std::int32_t last = lastCodes_[static_cast<std::size_t>(i)];
    const std::int32_t why = code == platform::neterr::kOk ? platform::neterr::kAlreadyAssigned
                             : last != 0                   ? last
                                                           : code;
    const std::string tip =
        why == platform::neterr::kNotConnected
            ? g_.texts.msg(kMsgRowNotConnected)
            : g_.texts.msg(kMsgRowNotConnectedWhy, {g_.texts.msg(net::errorMessageNumber(why))});
    // An unticked letter is not expected to be connected: only its tip tells.
    label.setForeColor(lettreactive(i).value() == 1 ? kMissingRed : forms::kWindowText);
    label.setToolTip(tip);
  }
}

void ConnectWindow::connectionsChanged() {
  if (keeper_) keeper_->check();
  showConnectionStates();
}

}  // namespace quilbert::ui
