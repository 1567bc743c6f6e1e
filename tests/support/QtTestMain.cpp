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

// The sanitizers' options of every test program, read before main in the sanitizer build (the
// normal build never calls these): a leak fails the test program, except what
// support/lsan.supp lists as kept by the libraries until exit. ASAN_OPTIONS and LSAN_OPTIONS
// of the environment come after these and win.
extern "C" const char *__asan_default_options() { return "detect_leaks=1"; }
extern "C" const char *__lsan_default_options() {
  return "suppressions=" ZELVO_SOURCE_DIR "/tests/support/lsan.supp:print_suppressions=0";
}

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  TestApp app(argc, argv);
  return RUN_ALL_TESTS();
}
