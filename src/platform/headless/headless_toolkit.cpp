#include "platform/headless/headless_toolkit.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "platform/paths.h"

namespace quilbert::headless {

using forms::Control;
using forms::Prop;

namespace {

class HeadlessView : public forms::FormView {
 public:
  HeadlessView(HeadlessToolkit& tk, Form& form) : tk_(tk), form_(form) {}
  ~HeadlessView() override { tk_.forget(form_); }
  HeadlessView(const HeadlessView&) = delete;
  HeadlessView& operator=(const HeadlessView&) = delete;

  void controlAdded(Control& c) override {
    if (auto* t = dynamic_cast<forms::Timer*>(&c)) tk_.timerChanged(*t);
  }
  void controlChanged(Control& c, Prop p) override {
    if (p != Prop::Timer) return;
    if (auto* t = dynamic_cast<forms::Timer*>(&c)) tk_.timerChanged(*t);
  }
  void formChanged(Prop /*p*/) override {}
  void menuChanged(forms::MenuItem& /*item*/) override {}

 private:
  HeadlessToolkit& tk_;
  Form& form_;
};

std::size_t codePoints(std::string_view s) {
  return static_cast<std::size_t>(std::count_if(
      s.begin(), s.end(), [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

// Width and height in pixels read from a BMP, PNG or ICO header; 0 when unknown.
forms::Picture pictureFromHeader(const std::string& file, const std::string& head) {
  forms::Picture p{file, 0, 0};
  auto u32le = [&](std::size_t at) {
    return static_cast<int>(static_cast<unsigned char>(head[at]) |
                            (static_cast<unsigned char>(head[at + 1]) << 8) |
                            (static_cast<unsigned char>(head[at + 2]) << 16) |
                            (static_cast<unsigned char>(head[at + 3]) << 24));
  };
  auto u32be = [&](std::size_t at) {
    return static_cast<int>((static_cast<unsigned char>(head[at]) << 24) |
                            (static_cast<unsigned char>(head[at + 1]) << 16) |
                            (static_cast<unsigned char>(head[at + 2]) << 8) |
                            static_cast<unsigned char>(head[at + 3]));
  };
  if (head.size() >= 26 && head.compare(0, 2, "BM") == 0) {
    p.width = u32le(18);
    p.height = std::abs(u32le(22));
  } else if (head.size() >= 24 && head.compare(1, 3, "PNG") == 0) {
    p.width = u32be(16);
    p.height = u32be(20);
  } else if (head.size() >= 8 && head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0) {
    const int w = static_cast<unsigned char>(head[6]);
    const int h = static_cast<unsigned char>(head[7]);
    p.width = w == 0 ? 256 : w;
    p.height = h == 0 ? 256 : h;
  }
  return p;
}

}  // namespace

HeadlessToolkit::HeadlessToolkit() = default;
HeadlessToolkit::~HeadlessToolkit() = default;

std::unique_ptr<forms::FormView> HeadlessToolkit::createView(Form& form) {
  return std::make_unique<HeadlessView>(*this, form);
}

void HeadlessToolkit::timerChanged(forms::Timer& t) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Scheduled& s) { return s.timer == &t; }),
                timers_.end());
  if (t.timerEnabled() && t.interval() > 0 && t.form().loaded()) {
    timers_.push_back({&t, now_ + t.interval()});
  }
}

void HeadlessToolkit::forget(Form& form) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Scheduled& s) { return &s.timer->form() == &form; }),
                timers_.end());
  topMost_.erase(&form);
  for (auto it = tray_.begin(); it != tray_.end();) {
    it = it->second.owner == &form ? tray_.erase(it) : std::next(it);
  }
}

void HeadlessToolkit::advance(std::int64_t ms) {
  const std::int64_t end = now_ + ms;
  for (;;) {
    auto next =
        std::min_element(timers_.begin(), timers_.end(),
                         [](const Scheduled& a, const Scheduled& b) { return a.due < b.due; });
    if (next == timers_.end() || next->due > end) break;
    now_ = next->due;
    forms::Timer* timer = next->timer;
    next->due += timer->interval();
    timer->tick();  // may stop, restart or unload anything, the clock included
  }
  now_ = end;
}

bool HeadlessToolkit::advanceUntil(const std::function<bool()>& done, std::int64_t limitMs) {
  const std::int64_t end = now_ + limitMs;
  while (!done()) {
    auto next =
        std::min_element(timers_.begin(), timers_.end(),
                         [](const Scheduled& a, const Scheduled& b) { return a.due < b.due; });
    if (next == timers_.end() || next->due > end) {
      now_ = std::max(now_, end);
      return done();
    }
    advance(next->due - now_);
  }
  return true;
}

void HeadlessToolkit::expectModal(std::string formName, std::function<void(Form&)> act) {
  expectations_.push_back({std::move(formName), std::move(act)});
}

void HeadlessToolkit::show(Form& form) {
  shown_.push_back(form.name());
  if (paintsOnShow) form.paint();
}

void HeadlessToolkit::hide(Form& /*form*/) {}

void HeadlessToolkit::runModal(Form& form) {
  show(form);
  auto open = [&] { return form.loaded() && form.visible(); };
  if (!open()) return;
  if (!expectations_.empty() && expectations_.front().formName == form.name()) {
    auto act = std::move(expectations_.front().act);
    expectations_.pop_front();
    if (act) act(form);
  }
  if (open() && !advanceUntil([&] { return !open(); })) {
    throw UnexpectedModal("modal form " + form.name() + " (\"" + form.caption() +
                          "\") was not expected and nothing closed it");
  }
}

void HeadlessToolkit::repaint(Form& form) {
  ++repaints_[&form];
}

void HeadlessToolkit::processEvents() {}

int HeadlessToolkit::runMainLoop() {
  quit_ = false;
  advanceUntil([&] { return quit_; });
  return exitCode_;
}

void HeadlessToolkit::quit(int exitCode) {
  quit_ = true;
  exitCode_ = exitCode;
}

forms::Size HeadlessToolkit::frameExtra(const Form& form) const {
  if (form.borderStyle() == forms::BorderStyle::None) return {0, 0};
  int h = 120;
  if (form.titleBar()) h += 300;
  if (form.hasVisibleMenu()) h += 300;
  return {120, h};
}

forms::Size HeadlessToolkit::screenSize() const {
  return {1024 * 15, 768 * 15};
}

forms::Size HeadlessToolkit::workArea() const {
  return {1024 * 15, 728 * 15};
}

forms::Size HeadlessToolkit::measureText(const forms::Font& font, std::string_view text) const {
  std::size_t longest = 0;
  int lines = 0;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::string_view line =
        text.substr(start, end == std::string_view::npos ? text.npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    longest = std::max(longest, codePoints(line));
    ++lines;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  const int charW = static_cast<int>(std::lround(font.size * 120.0 / 11.0));
  const int lineH = static_cast<int>(std::lround(font.size * 260.0 / 11.0));
  return {static_cast<int>(longest) * charW, lines * lineH};
}

int HeadlessToolkit::titleBarWidth(std::string_view caption) const {
  return measureText({"", 8.25, true, false}, caption).width + 4 * 300 + 120;
}

std::optional<forms::Picture> HeadlessToolkit::loadPicture(const std::string& file) const {
  std::ifstream in(platform::pathFromUtf8(file), std::ios::binary);
  if (!in) return std::nullopt;
  std::string head(32, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  if (head.empty()) return std::nullopt;
  return pictureFromHeader(file, head);
}

void HeadlessToolkit::setFocus(forms::Control& /*c*/) {}

void HeadlessToolkit::setMousePointer(forms::MousePointer p) {
  pointer_ = p;
  pointers_.push_back(p);
}

void HeadlessToolkit::popupMenu(Form& /*owner*/, forms::MenuItem& menu,
                                forms::MenuItem* defaultItem) {
  popups_.push_back(menu.name() + (defaultItem ? " default " + defaultItem->name() : ""));
  if (onPopupMenu) onPopupMenu(menu);
}

bool HeadlessToolkit::addTrayIcon(Form& owner, int id, const std::string& tip,
                                  const forms::Picture& icon) {
  tray_[id] = {id, tip, icon, &owner, 0};
  return true;
}

bool HeadlessToolkit::removeTrayIcon(Form& /*owner*/, int id) {
  return tray_.erase(id) > 0;
}

bool HeadlessToolkit::setTrayTip(Form& /*owner*/, int id, const std::string& tip) {
  auto it = tray_.find(id);
  if (it == tray_.end()) return false;
  it->second.tip = tip;
  ++it->second.tipsSet;
  return true;
}

bool HeadlessToolkit::notify(const std::string& title, const std::string& text) {
  notifications_.push_back(title + ": " + text);
  return true;
}

bool HeadlessToolkit::setTopMost(Form& form, bool onTop) {
  topMost_[&form] = onTop;
  return true;
}

bool HeadlessToolkit::isTopMost(const Form& f) const {
  auto it = topMost_.find(&f);
  return it != topMost_.end() && it->second;
}

int HeadlessToolkit::repaints(const Form& f) const {
  auto it = repaints_.find(&f);
  return it == repaints_.end() ? 0 : it->second;
}

std::optional<std::string> HeadlessToolkit::browseForFolder(
    Form& /*owner*/, const forms::FolderBrowseRequest& request) {
  HeadlessFolderBrowser handle;
  if (request.onSelectionChanged) request.onSelectionChanged(handle, std::nullopt);
  if (!browser_) throw UnexpectedModal("folder browser opened without a script");
  return browser_(request, handle);
}

std::optional<std::string> HeadlessToolkit::chooseFile(Form& /*owner*/, const std::string& title,
                                                       bool save,
                                                       const std::string& /*suggested*/) {
  if (!fileChooser_) throw UnexpectedModal("file dialog opened without a script");
  return fileChooser_(title, save);
}

void HeadlessToolkit::endProcess(int exitCode) {
  throw forms::ProcessEnded{exitCode};
}

}  // namespace quilbert::headless
