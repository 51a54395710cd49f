// The window's tests need a QApplication; they run on the offscreen platform unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform complains about every fixed-size window; nothing a test needs to see.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("propagateSizeHints"))) return;
  g_defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  g_defaultHandler = qInstallMessageHandler(QuietHandler);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
