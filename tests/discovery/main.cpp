#include <gtest/gtest.h>

#include <QCoreApplication>

// The listener's thread runs a Qt event loop, which needs an application object, as in the tool.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
