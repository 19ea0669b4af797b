// The peer of bench/start-figures: a Qt Widgets program that shows one
// window for one second and ends, as "quilbert /a" with no entries shows its
// status window for one second.
#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel window("Drives connected : 0/0");
  window.show();
  QTimer::singleShot(1000, &app, &QApplication::quit);
  return QApplication::exec();
}
