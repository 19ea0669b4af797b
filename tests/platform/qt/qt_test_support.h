// Shared pieces of the Qt backend tests: one QApplication for the whole run,
// picture files drawn on the fly, a sample form with every control kind, and
// a small network with one provider, workgroup and server and two shares.
#pragma once

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "platform/network.h"
#include "platform/qt/qt_convert.h"

namespace quilbert::qtview::testing {

// A left click at the widget's centre, as the user's mouse gives it: through
// the window, so that it also moves the focus as a real click does.
inline void mouseClick(QWidget* w) {
  if (w->window()->windowHandle() != nullptr && w->isVisible()) {
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    return;
  }
  const QPointF at = QRectF(w->rect()).center();
  const QPointF global = w->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QApplication::sendEvent(w, &release);
}

// Makes `window` the active one, as clicking its title bar does, so that
// keys go to its focused control.
inline bool activate(QWidget* window) {
  window->activateWindow();
  return QTest::qWaitForWindowActive(window, 2000);
}

// Types into the focused control as a French keyboard does: a capital with
// Shift held, a backslash with AltGr held (AltGr+8), each modifier key going
// down and up around its key, as the window system sends them.
inline void typeText(const QString& text) {
  for (const QChar ch : text) {
    if (ch == QLatin1Char('\\')) {
      QWidget* focus = nullptr;  // whatever has the focus gets each event
      QTest::sendKeyEvent(QTest::Press, focus, Qt::Key_AltGr, QString(), Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Click, focus, Qt::Key_Backslash, QStringLiteral("\\"),
                          Qt::GroupSwitchModifier);
      QTest::sendKeyEvent(QTest::Release, focus, Qt::Key_AltGr, QString(), Qt::GroupSwitchModifier);
    } else if (ch.isUpper()) {
      QTest::keyClick(static_cast<QWidget*>(nullptr), ch.toLatin1(), Qt::ShiftModifier);
    } else {
      QTest::keyClick(static_cast<QWidget*>(nullptr), ch.toLatin1());
    }
  }
}

// One key, with its modifiers, to the focused control.
inline void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(static_cast<QWidget*>(nullptr), k, modifiers);
}

// The model name of the control that has the keyboard focus ("" for none).
inline std::string focusName() {
  const QWidget* w = QApplication::focusWidget();
  return w != nullptr ? w->objectName().toStdString() : std::string();
}

inline QApplication& app() {
  static int argc = 1;
  static char name[] = "quilbert_qt_tests";
  static char* argv[] = {name, nullptr};
  static auto* instance = new QApplication(argc, argv);  // lives until the process ends
  return *instance;
}

// A directory of small pictures: a 32x32 PNG icon, a 21x13 BMP on the mask
// colour, a 16x16 ICO and a 222x78 splash picture.
class Pictures {
 public:
  Pictures() {
    png = draw("icon.png", 32, 32, QColor(40, 120, 200));
    bmp = draw("browse.bmp", 21, 13, QColor(0, 150, 0), QColor(192, 192, 255));
    ico = draw("small.ico", 16, 16, QColor(230, 120, 0));
    splash = draw("splash.bmp", 222, 78, QColor(60, 60, 160), QColor(250, 240, 200));
    garbage = dir_.filePath("garbage.png").toStdString();
    QFile f(QString::fromStdString(garbage));
    f.open(QIODevice::WriteOnly);
    f.write("not a picture at all");
  }
  std::string png, bmp, ico, splash, garbage;
  [[nodiscard]] std::string path(const char* name) const {
    return dir_.filePath(name).toStdString();
  }

 private:
  std::string draw(const char* name, int w, int h, QColor fg, QColor bg = Qt::transparent) {
    QImage image(w, h, bg.alpha() == 255 ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    image.fill(bg);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(fg);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(1, 1, w - 2, h - 2));
    p.end();
    const QString file = dir_.filePath(name);
    image.save(file);
    return file.toStdString();
  }
  QTemporaryDir dir_;
};

// Every control kind, laid out as the program's windows use them.
struct SampleForm {
  forms::Frame* frame = nullptr;
  forms::Label* label = nullptr;
  forms::Label* heading = nullptr;
  forms::TextBox* path = nullptr;
  forms::TextBox* password = nullptr;
  forms::CheckBox* check = nullptr;
  forms::FlatButton* browse = nullptr;
  forms::FlatButton* command = nullptr;
  forms::PushButton* ok = nullptr;
  forms::PushButton* cancel = nullptr;
  forms::ListBox* list = nullptr;
  forms::PictureBox* picture = nullptr;
  forms::Label* inPicture = nullptr;
  forms::Image* image = nullptr;
  forms::Line* line = nullptr;
  forms::Timer* timer = nullptr;
  forms::ImageList* images = nullptr;
  forms::MenuItem* resident = nullptr;
  forms::MenuItem* english = nullptr;
  forms::MenuItem* french = nullptr;
};

inline SampleForm buildSample(forms::Form& f, const Pictures& pics) {
  using namespace forms;
  SampleForm s;
  f.setCaption("Sample window");
  f.setClientSize({8670, 5400});
  f.setBackColor(Color::fromBgr(0x00D8E9EC));
  f.setBorderStyle(BorderStyle::FixedSingle);
  f.setIcon({pics.png, 32, 32});
  const Font verdana{"Verdana", 8.25, false, false};
  const Font verdanaBold{"Verdana", 8.25, true, false};

  s.frame = &f.add<Frame>("Frame1");
  s.frame->move({120, 120, 6615, 2400});
  s.frame->setCaption("Identification des connections");
  s.frame->setFont(verdanaBold);
  s.heading = &f.add<Label>("Label2", 0, s.frame);
  s.heading->move({1890, 240, 1395, 195});
  s.heading->setCaption("Chemin réseau");
  s.heading->setFont(verdana);
  s.browse = &f.add<FlatButton>("Parcourir", 1, s.frame);
  s.browse->move({270, 480, 405, 255});
  s.browse->setPicture({pics.bmp, 21, 13});
  s.check = &f.add<CheckBox>("lettreactive", 1, s.frame);
  s.check->move({840, 510, 225, 225});
  s.label = &f.add<Label>("lettrereseau", 1, s.frame);
  s.label->move({1290, 480, 315, 285});
  s.label->setFont(verdanaBold);
  s.label->setAlignment(Alignment::Center);
  s.label->setCaption("A:");
  s.path = &f.add<TextBox>("Cheminreseau", 1, s.frame);
  s.path->move({1890, 480, 3915, 255});
  s.path->setBorderColor(Color::fromBgr(0x00C0C0C0));
  s.path->setText("\\\\server\\share");
  s.password = &f.add<TextBox>("password", 0, s.frame);
  s.password->move({1890, 900, 1365, 270});
  s.password->setFont({"Wingdings", 8.25, false, true});
  s.password->setPasswordChar(U'l');
  s.password->setText("secret");

  s.command = &f.add<FlatButton>("connection");
  s.command->move({6870, 240, 1635, 825});
  s.command->setFont({"Verdana", 6.75, false, false});
  s.command->setCaption("&Connecter");
  s.command->setPicture({pics.png, 32, 32});
  s.command->setToolTip("Connect the active letters");

  s.line = &f.add<Line>("Line1", 1);
  s.line->setBorderWidth(3);
  s.line->setForeColor(Color::fromBgr(0x000080FF));
  s.line->setEnds(6900, 1200, 8490, 1200);
  s.image = &f.add<Image>("Image1");
  s.image->move({7530, 1320, 240, 240});
  s.image->setPicture({pics.ico, 16, 16});

  s.list = &f.add<ListBox>("List1");
  s.list->move({120, 2640, 3300, 1500});
  s.list->addItem("\\\\server\\share  (disk)");
  s.list->addItem("\\\\server\\music  (disk)");

  s.picture = &f.add<PictureBox>("Picture1");
  s.picture->move({3600, 2640, 3330, 1170});
  s.picture->setPicture({pics.splash, 222, 78});
  s.inPicture = &f.add<Label>("Etat", 0, s.picture);
  s.inPicture->move({60, 660, 3195, 435});
  s.inPicture->setFont(verdanaBold);
  s.inPicture->setForeColor({128, 64, 0});
  s.inPicture->setBackColor({250, 240, 200});
  s.inPicture->setCaption("Connections établies");

  s.ok = &f.add<PushButton>("OKButton");
  s.ok->move({5280, 4500, 1215, 375});
  s.ok->setCaption("Ok");
  s.ok->setDefault(true);
  s.cancel = &f.add<PushButton>("CancelButton");
  s.cancel->move({6600, 4500, 1215, 375});
  s.cancel->setCaption("Annuler");
  s.cancel->setCancel(true);

  s.timer = &f.add<Timer>("Timer1");
  s.images = &f.add<ImageList>("ImageList3");
  s.images->add({pics.bmp, 21, 13});

  auto& app = f.addMenu("menu", "Application");
  app.add("menu_connectall", "Connecter tous les lecteurs");
  app.addSeparator("barre0");
  s.resident = &app.add("menu_resident", "Exécution en arrière plan");
  auto& lang = f.addMenu("menu_langue", "&Langue");
  s.english = &lang.add("langue", "Anglais", 0);
  s.french = &lang.add("langue", "Français", 1);
  s.french->setChecked(true);
  return s;
}

// One provider, one workgroup, one server with two shares. The second share's
// long comment does not fit a 4096-byte batch, so reading it takes a retry.
class TinyNetwork : public platform::Network {
 public:
  TinyNetwork() {
    using platform::NetResource;
    auto res = [](std::uint32_t display, std::uint32_t usage, std::string remote,
                  std::optional<std::string> comment = std::nullopt) {
      NetResource r;
      r.scope = platform::kScopeGlobalNet;
      r.type = display == platform::kDisplayShare ? platform::kTypeDisk : platform::kTypeAny;
      r.displayType = display;
      r.usage = usage;
      r.remoteName = std::move(remote);
      r.comment = std::move(comment);
      r.provider = "Microsoft Windows Network";
      return r;
    };
    children_[""] = {
        res(platform::kDisplayNetwork, platform::kUsageContainer, "Microsoft Windows Network")};
    children_["Microsoft Windows Network"] = {
        res(platform::kDisplayDomain, platform::kUsageContainer, "WORKGROUP")};
    children_["WORKGROUP"] = {
        res(platform::kDisplayServer, platform::kUsageContainer, "\\\\SERVER")};
    children_["\\\\SERVER"] = {
        res(platform::kDisplayShare, platform::kUsageConnectable, "\\\\SERVER\\docs", "Documents"),
        res(platform::kDisplayShare, platform::kUsageConnectable, "\\\\SERVER\\music",
            std::string(5000, 'm'))};
  }

  int addConnection(const platform::NetResource&, const std::string&, const std::string&,
                    std::uint32_t) override {
    return platform::neterr::kNoNetwork;
  }
  int cancelConnection(const std::string&, std::uint32_t, bool) override {
    return platform::neterr::kNotConnected;
  }
  int getUser(const std::string&, std::string&, std::uint32_t&) override {
    return platform::neterr::kNoNetwork;
  }
  int getConnection(const std::string&, std::string&) override {
    return platform::neterr::kNotConnected;
  }
  int openEnum(std::uint32_t, std::uint32_t, std::uint32_t, const platform::NetResource* container,
               platform::EnumHandle& handle) override {
    const std::string key = container != nullptr ? container->remoteName.value_or("") : "";
    auto it = children_.find(key);
    if (it == children_.end()) return platform::neterr::kNotContainer;
    handle = nextHandle_++;
    open_[handle] = {&it->second, 0};
    return platform::neterr::kOk;
  }
  int enumResource(platform::EnumHandle handle, std::int32_t& count,
                   std::vector<platform::NetResource>& out, std::uint32_t& bufferSize) override {
    auto it = open_.find(handle);
    if (it == open_.end()) return platform::neterr::kInvalidHandle;
    auto& [list, pos] = it->second;
    if (pos >= list->size()) return platform::neterr::kNoMoreItems;
    const std::uint32_t first = platform::netResourceSize((*list)[pos]);
    if (first > bufferSize) {
      ++moreData;
      bufferSize = first;
      return platform::neterr::kMoreData;
    }
    std::uint32_t used = 0;
    count = 0;
    while (pos < list->size() && used + platform::netResourceSize((*list)[pos]) <= bufferSize) {
      used += platform::netResourceSize((*list)[pos]);
      out.push_back((*list)[pos++]);
      ++count;
    }
    return platform::neterr::kOk;
  }
  int closeEnum(platform::EnumHandle handle) override {
    return open_.erase(handle) > 0 ? platform::neterr::kOk : platform::neterr::kInvalidHandle;
  }

  int moreData = 0;
  [[nodiscard]] std::size_t openHandles() const { return open_.size(); }

 private:
  std::map<std::string, std::vector<platform::NetResource>> children_;
  std::map<platform::EnumHandle, std::pair<const std::vector<platform::NetResource>*, std::size_t>>
      open_;
  platform::EnumHandle nextHandle_ = 1;
};

}  // namespace quilbert::qtview::testing
