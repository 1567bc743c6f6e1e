// Test entry: a Qt application object (widgets where the test program needs them) around
// GoogleTest. Tests always run offscreen.
#include <gtest/gtest.h>

#ifdef ZELVO_TEST_WIDGETS
#include <QApplication>
using TestApp = QApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  TestApp app(argc, argv);
  return RUN_ALL_TESTS();
}
