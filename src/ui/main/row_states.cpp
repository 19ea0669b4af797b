// What each drive row shows of its letter's connection: the letter label's
// colour, and its tool tip with the reason.
#include "app/catalogue.h"
#include "app/text.h"
#include "net/primitives.h"
#include "ui/main/drive_rows.h"

namespace quilbert::ui {

namespace {
constexpr forms::Color kConnectedGreen = forms::Color::fromBgr(0x00008000);
constexpr forms::Color kMissingRed = forms::Color::fromBgr(0x000000C0);
}  // namespace

void DriveRows::showConnectionStates() {
  auto& net = g_.svc.network;
  const platform::NetworkPass pass(net);
  for (int i = 1; i <= app::kDriveCount; ++i) {
    auto& label = w_.lettrereseau(i);
    const std::string path = app::trimSpaces(w_.Cheminreseau(i).text());
    // A local drive's row and an empty row have no connection to show.
    if (w_.lettreactive(i).value() == 2 || path.empty()) {
      label.setForeColor(forms::kWindowText);
      label.setToolTip("");
      continue;
    }
    std::string remote;
    const std::int32_t code = net.getConnection(app::firstChar(label.caption()) + ":", remote);
    if (code == platform::neterr::kOk && app::lowerCase(remote) == app::lowerCase(path)) {
      label.setForeColor(kConnectedGreen);
      label.setToolTip(g_.texts.msg(app::kMsgRowConnected, {remote}));
      continue;
    }
    // Why not: the letter held by another share, else what its last attempt
    // here met, else what the network says of the letter.
    const std::int32_t last = lastCodes_[static_cast<std::size_t>(i)];
    const std::int32_t why = code == platform::neterr::kOk ? platform::neterr::kAlreadyAssigned
                             : last != 0                   ? last
                                                           : code;
    const std::string tip = why == platform::neterr::kNotConnected
                                ? g_.texts.msg(app::kMsgRowNotConnected)
                                : g_.texts.msg(app::kMsgRowNotConnectedWhy,
                                               {g_.texts.msg(net::errorMessageNumber(why))});
    // An unticked letter is not expected to be connected: only its tip tells.
    label.setForeColor(w_.lettreactive(i).value() == 1 ? kMissingRed : forms::kWindowText);
    label.setToolTip(tip);
  }
}

void DriveRows::followNetwork() {
  if (g_.svc.networkEvents == nullptr) return;
  networkHeard_ =
      g_.svc.networkEvents->subscribe([this](platform::NetworkEvent) { showConnectionStates(); });
}

}  // namespace quilbert::ui
