#include <gtest/gtest.h>

#include <QCoreApplication>

// The serial port machinery expects an application object on the thread that uses it, as in the
// tool itself; no event loop ever runs.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
