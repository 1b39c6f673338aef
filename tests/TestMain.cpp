#include <gtest/gtest.h>

#include <QApplication>

// Drawing text and reading pictures and the map view need an application; the offscreen platform
// gives one without a display.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
