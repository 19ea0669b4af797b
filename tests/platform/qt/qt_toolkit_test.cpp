#include <gtest/gtest.h>
#include <QApplication>
#include "platform/qt/qt_toolkit.h"
namespace {
TEST(QtToolkit, Builds) {
  static int argc = 1;
  static char name[] = "t";
  static char* argv[] = {name, nullptr};
  quilbert::qtview::QtToolkit tk(argc, argv);
  EXPECT_EQ(tk.twipsPerPixel(), 15.0);
}
}
