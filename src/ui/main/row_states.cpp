// What each drive row shows of its letter's connection: the letter label's
// colour, a sign beside it for whoever does not tell red from green, the tool
// tip with the reason, and the same words for a screen reader on the row's
// check box and path.
#include "app/catalogue.h"
#include "app/text.h"
#include "net/primitives.h"
#include "ui/main/drive_rows.h"

namespace quilbert::ui {

namespace {
// Both read at 4.5:1 or more against the form's grey.
constexpr forms::Color kConnectedGreen = forms::Color::fromBgr(0x00007000);
constexpr forms::Color kMissingRed = forms::Color::fromBgr(0x000000C0);
constexpr const char* kConnectedSign = "\u2713";  // check mark
constexpr const char* kMissingSign = "\u2717";    // ballot x
}  // namespace

void DriveRows::showRowState(int i, forms::Color colour, const std::string& words, int sign) {
  w_.lettrereseau(i).setForeColor(colour);
  w_.lettrereseau(i).setToolTip(words);
  auto& mark = w_.etatlettre(i);
  mark.setCaption(sign == 0 ? "" : sign > 0 ? kConnectedSign : kMissingSign);
  mark.setForeColor(colour);
  mark.setToolTip(words);
  mark.setAccessibleName(sign == 0  ? ""
                         : sign > 0 ? g_.texts.msg(app::kMsgConnectedMark)
                                    : g_.texts.msg(app::kMsgMissingMark));
  w_.lettreactive(i).setAccessibleDescription(words);
  w_.Cheminreseau(i).setAccessibleDescription(words);
}

void DriveRows::showConnectionStates() {
  auto& net = g_.svc.network;
  const platform::NetworkPass pass(net);
  for (int i = 1; i <= app::kDriveCount; ++i) {
    auto& label = w_.lettrereseau(i);
    const std::string path = app::trimSpaces(w_.Cheminreseau(i).text());
    // A local drive's row and an empty row have no connection to show.
    if (w_.lettreactive(i).value() == 2 || path.empty()) {
      showRowState(i, forms::kWindowText, "", 0);
      continue;
    }
    std::string remote;
    const std::int32_t code = net.getConnection(app::firstChar(label.caption()) + ":", remote);
    if (code == platform::neterr::kOk && app::lowerCase(remote) == app::lowerCase(path)) {
      showRowState(i, kConnectedGreen, g_.texts.msg(app::kMsgRowConnected, {remote}), 1);
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
    // An unticked letter is not expected to be connected: only its words tell.
    const bool expected = w_.lettreactive(i).value() == 1;
    showRowState(i, expected ? kMissingRed : forms::kWindowText, tip, expected ? -1 : 0);
  }
}

void DriveRows::followNetwork() {
  if (g_.svc.networkEvents == nullptr) return;
  networkHeard_ =
      g_.svc.networkEvents->subscribe([this](platform::NetworkEvent) { showConnectionStates(); });
}

}  // namespace quilbert::ui
