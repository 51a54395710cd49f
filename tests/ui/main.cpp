// The window's tests need a QApplication; they run on the offscreen platform unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/ui/QuietOffscreen.h"

int main(int argc, char** argv) {
  ostrivane::test::UseQuietOffscreenPlatform();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
