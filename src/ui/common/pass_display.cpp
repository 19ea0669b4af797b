#include "ui/common/pass_display.h"

#include <algorithm>

#include "app/catalogue.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"
#include "ui/common/pass_driver.h"
#include "ui/common/splash.h"

namespace quilbert::ui {

namespace {
constexpr const char* kCrLf = "\r\n";
// The end status stays longer when it lists letters to read.
constexpr int kSummaryMs = 1000;
constexpr int kSummaryWithFailuresMs = 5000;
}  // namespace

void PassDisplay::letterInUse(const net::PassItem& item) {
  // Nobody may be at the machine at log-on: the automatic run holds no
  // letter up with a box; the end status tells this one with the others.
  if (kind_ != net::PassKind::Interactive) return;
  ShowDialog(g_,
             g_.texts.msg(app::kMsgLetterInUse) + kCrLf + "(" + item.label + " " + item.path + ")",
             kDialogOk, kIconWarning, g_.texts.msg(app::kMsgNetworkConnection));
}

void PassDisplay::letterUnreachable(const net::PassItem& item, const std::string& sentence) {
  showStatus(g_, g_.texts.msg(app::kMsgFailed) + " : " + sentence + " (" + item.label + ")", 2000,
             1);
  g_.toolkit.setMousePointer(forms::MousePointer::Arrow);
}

void PassDisplay::letterFailed(const net::PassItem& item, const std::string& sentence) {
  ShowDialog(g_, sentence + kCrLf + "(" + item.label + " " + item.path + ")", kDialogOk,
             kIconWarning, g_.texts.msg(app::kMsgNetworkConnection));
}

void PassDisplay::passwordsNeeded(const std::string& text) {
  if (kind_ == net::PassKind::Interactive) {
    ShowDialog(g_, text, kDialogOk, kIconWarning, g_.texts.msg(app::kMsgNetworkConnection));
  } else {
    // Said with the summary, which stays up long enough to be read.
    passwordsText_ = text;
  }
}

std::vector<std::string> PassDisplay::waitingDetails(const net::ConnectPass& pass,
                                                     int leftMs) const {
  const auto& r = pass.result();
  return {net::connectedText(g_.texts, r.succeeded, r.tried) + "    " +
              g_.texts.msg(app::kMsgTimeLeft) + " " + std::to_string((leftMs + 999) / 1000) + " s",
          g_.texts.msg(app::kMsgClickStopsWaiting)};
}

void PassDisplay::waitForNetwork(net::ConnectPass& pass) {
  SplashForm window(g_);
  window.load();
  leftMs_ = g_.state.NetworkWaitMs;
  waitingPass_ = &pass;
  window.setText(pass.waitingText(), waitingDetails(pass, leftMs_));
  g_.svc.logStatus(pass.waitingText());
  // The window stays until the pass is over or it steps back: its own time
  // is not what ends it.
  window.onTimeUp = [&] { window.Timer1.setTimerEnabled(false); };
  PassDriver driver(g_.scheduler, g_.svc.networkEvents);
  driver.drive(pass, [&] { window.unload(); });
  window.onDismiss = [&] {
    driver.stop();
    pass.stopWaiting();
    window.unload();
  };
  // The count-down, and the window's step back after a few seconds.
  int shownMs = 0;
  window.Timer3.setInterval(1000);
  window.Timer3.onTick = [&] {
    shownMs += 1000;
    leftMs_ = std::max(0, leftMs_ - 1000);
    if (shownMs >= kWaitShownMs) {
      steppedBack_ = true;
      window.unload();
      return;
    }
    window.setText(pass.waitingText(), waitingDetails(pass, leftMs_));
  };
  window.Timer3.setTimerEnabled(true);
  waitingWindow_ = &window;
  struct Reset {
    PassDisplay& d;
    ~Reset() {
      d.waitingWindow_ = nullptr;
      d.waitingPass_ = nullptr;
    }
  } reset{*this};
  window.showTimed();
}

void PassDisplay::waitingChanged(const std::string& text) {
  if (waitingWindow_ != nullptr && waitingPass_ != nullptr) {
    waitingWindow_->setText(text, waitingDetails(*waitingPass_, leftMs_));
  }
  g_.svc.logStatus(text);
}

std::vector<std::string> PassDisplay::failureLines(const net::PassSummary& summary) {
  std::vector<std::string> lines;
  for (const auto& f : summary.notConnected) lines.push_back(f.item->label + " " + f.sentence);
  return lines;
}

void PassDisplay::finished(const net::PassSummary& summary) {
  for (const auto& f : summary.notConnected) {
    if (net::loginRefused(f.code)) refused_.push_back(f.item->localName);
  }
  if (kind_ == net::PassKind::Interactive) {
    g_.toolkit.setMousePointer(forms::MousePointer::Arrow);
    showStatus(g_, summary.text, kSummaryMs, 1);
    return;
  }
  auto lines = failureLines(summary);
  if (!passwordsText_.empty()) lines.push_back(passwordsText_);
  showStatus(g_, summary.text, lines.empty() ? kSummaryMs : kSummaryWithFailuresMs,
             keepProgram_ ? 1 : 0, lines);
}

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

}  // namespace quilbert::ui
