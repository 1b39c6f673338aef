#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>

// Drawing text and reading pictures and the map view need an application; the offscreen platform
// gives one without a display.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QByteArray runtime = "/tmp/hl-tests-runtime-" + QByteArray::number(::getuid());
    ::mkdir(runtime.constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", runtime);
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
