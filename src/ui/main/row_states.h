// What each drive row shows of its letter's connection: the letter label's
// colour, and its tool tip with the reason.
#pragma once

#include <array>
#include <cstdint>

#include "ui/common/pass_display.h"

namespace quilbert::ui {

inline constexpr int kMsgRowConnected = 353;  // %1: the share
inline constexpr int kMsgRowNotConnected = 354;
inline constexpr int kMsgRowNotConnectedWhy = 355;  // %1: the reason

// The windows' display of a pass, keeping each letter's last code (index 1
// to 26) for the rows' tips.
class CodeRecorder final : public PassDisplay {
 public:
  CodeRecorder(Program& g, net::PassKind kind, std::array<std::int32_t, 27>& codes)
      : PassDisplay(g, kind), codes_(codes) {}
  void attempted(const net::PassItem& item, std::int32_t code) override;
  void finished(const net::PassSummary& summary) override;

 private:
  void keep(const net::PassItem& item, std::int32_t code);
  std::array<std::int32_t, 27>& codes_;
};

}  // namespace quilbert::ui
