// Draws sample windows for a person to look at. With QUILBERT_SCREENSHOT_DIR
// set, each window is saved there as a PNG; QUILBERT_SCREENSHOT_HOLD_MS keeps
// them on screen that long (for a capture of the whole X display).
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

#include "platform/qt/qt_test_support.h"
#include "platform/qt/qt_toolkit.h"

namespace quilbert::qtview {
namespace {

void keep(const char* name, QWidget* window) {
  const char* dir = std::getenv("QUILBERT_SCREENSHOT_DIR");
  if (dir != nullptr) window->grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

void hold() {
  const char* ms = std::getenv("QUILBERT_SCREENSHOT_HOLD_MS");
  QEventLoop loop;
  QTimer::singleShot(ms != nullptr ? std::atoi(ms) : 50, &loop, &QEventLoop::quit);
  loop.exec();
}

// The number of pixels of `image` inside `r` that are not `background`.
int inked(const QImage& image, QRect r, QColor background) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) n += image.pixelColor(x, y) != background ? 1 : 0;
  }
  return n;
}

TEST(QtScreenshot, SampleWindowsDrawEveryControl) {
  testing::app();
  QtToolkit tk;
  testing::Pictures pics;
  forms::Form f(tk, "sample");
  testing::SampleForm s = testing::buildSample(f, pics);
  s.check->setValue(1);

  forms::Form dialog(tk, "Dialog");
  dialog.setCaption("Quilbert  ");
  dialog.setClientSize({3600, 1395});
  auto& icon = dialog.add<forms::PictureBox>("iconeaff");
  icon.move({120, 120, 720, 720});
  icon.setPicture({pics.png, 32, 32});
  auto& text = dialog.add<forms::Label>("txtmessage");
  text.move({930, 360, 1695, 225});
  text.setFont({"Verdana", 8.25, false, false});
  text.setAutoSize(true);
  text.setCaption("Le chemin réseau est introuvable.\r\nVérifiez le nom du serveur.");
  auto& yes = dialog.add<forms::PushButton>("OuiButton");
  yes.move({600, 930, 1215, 375});
  yes.setCaption("Oui");
  yes.setDefault(true);
  auto& no = dialog.add<forms::PushButton>("NonButton");
  no.move({1950, 930, 1215, 375});
  no.setCaption("Non");

  forms::Form splash(tk, "frmSplash");
  splash.setClientSize({3330, 1170});
  splash.setTitleBar(false);
  auto& picture = splash.add<forms::PictureBox>("Picture1");
  picture.move({0, 0, 3330, 1170});
  picture.setPicture({pics.splash, 222, 78});
  auto& state = splash.add<forms::Label>("Etat", 0, &picture);
  state.move({60, 660, 3195, 435});
  state.setFont({"Verdana", 8.25, true, false});
  state.setForeColor({128, 64, 0});
  state.setBackColor({250, 240, 200});
  state.setCaption("Connections établies");

  f.show();
  dialog.show();
  splash.show();
  hold();

  const QImage shot = QtToolkit::windowOf(f)->grab().toImage();
  const QColor grey(236, 233, 216);
  // The orange line, the frame's border and the text box are all drawn.
  const QWidget* line = QtToolkit::widgetOf(*s.line);
  EXPECT_GT(inked(shot, line->geometry().translated(line->parentWidget()->pos()), grey), 50);
  const QImage client = QtToolkit::widgetOf(*s.frame)->parentWidget()->grab().toImage();
  EXPECT_EQ(client.pixelColor(line->geometry().center()), QColor(255, 128, 0));
  EXPECT_GT(inked(client, QtToolkit::widgetOf(*s.frame)->geometry(), grey), 500);
  keep("sample", QtToolkit::windowOf(f));
  keep("dialog", QtToolkit::windowOf(dialog));
  keep("splash", QtToolkit::windowOf(splash));
}

}  // namespace
}  // namespace quilbert::qtview
