#include "net/connect_pass.h"

#include "app/config.h"
#include "app/text.h"
#include "net/primitives.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"
#include "ui/common/splash.h"

namespace quilbert::net {

namespace {
constexpr const char* kCrLf = "\r\n";
}

void cancelAllLetters(app::Globals& g) {
  const platform::NetworkPass pass(g.svc.network);
  for (char c = 'A'; c <= 'Z'; ++c) CancelDriveConnection(g, std::string(1, c) + ":");
}

std::string summaryText(const app::Globals& g, const PassResult& r) {
  return g.msg(60) + " : " + kCrLf + std::to_string(r.succeeded) + "/" + std::to_string(r.tried);
}

PassResult connectItems(app::Globals& g, const std::array<PassItem, 27>& items, PassKind kind) {
  PassResult r;
  auto& tk = g.svc.toolkit;
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const PassItem& item = items[static_cast<std::size_t>(i)];
    if (!item.active) continue;
    ++r.tried;
    g.LastNetError = 0;
    AddDriveConnection(g, item.localName, item.path, item.login, item.password);
    const std::int32_t code = g.LastNetError;
    if (code == 0) {
      ++r.succeeded;
    } else if (code == platform::neterr::kAlreadyAssigned) {
      ui::ShowDialog(g, g.msg(53) + kCrLf + "(" + item.label + " " + item.path + ")", ui::kDialogOk,
                     ui::kIconWarning, g.msg(54));
    } else {
      SetNetErrorText(g, code, item.path);
      if (code == platform::neterr::kBadNetName || code == platform::neterr::kNetworkUnreachable) {
        ui::ShowStatus(g, g.msg(59) + " : " + g.NetErrorText + " (" + item.label + ")", 2000, 1);
        tk.setMousePointer(forms::MousePointer::Arrow);
      } else if (kind == PassKind::Interactive) {
        ui::ShowDialog(g, g.NetErrorText + kCrLf + "(" + item.label + " " + item.path + ")",
                       ui::kDialogOk, ui::kIconWarning, g.msg(54));
      }
    }
  }
  if (kind == PassKind::Interactive) {
    tk.setMousePointer(forms::MousePointer::Arrow);
    ui::ShowStatus(g, summaryText(g, r), 1000, 1);
  } else {
    g.AutoRunState = "o";
    ui::ShowStatus(g, summaryText(g, r), 1000, 0);
  }
  return r;
}

PassResult AutomaticRun(app::Globals& g) {
  cancelAllLetters(g);
  app::TakeApartDriveLines(g);
  std::array<PassItem, 27> items{};
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const auto& e = g.DriveTable[static_cast<std::size_t>(i)];
    auto& item = items[static_cast<std::size_t>(i)];
    const std::string letter(1, static_cast<char>('A' + i - 1));
    // An entry without a path has nothing to connect; the rows make it
    // inactive too.
    item.active = app::isActiveEntry(e);
    item.localName = letter + ":";
    item.label = letter + ":";
    item.path = app::trimSpaces(e.Path);
    item.login = app::trimSpaces(e.Login);
    item.password = app::trimSpaces(e.Password);
  }
  return connectItems(g, items, PassKind::Automatic);
}

}  // namespace quilbert::net
