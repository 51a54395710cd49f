// Window programs without a display (the ui tests, the window benchmark) run on the offscreen
// platform unless told otherwise, without its complaint about every fixed-size window.
#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <QTemporaryFile>
#include <QtGlobal>

namespace ostrivane::test {

namespace detail {
inline QtMessageHandler g_defaultHandler = nullptr;

inline void QuietHandler(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
  if (message.contains(QLatin1String("propagateSizeHints"))) return;
  if (g_defaultHandler != nullptr) g_defaultHandler(type, context, message);
}
}  // namespace detail

// The offscreen platform's own screen is 800 x 600, smaller than the window's described layout,
// which would then be fitted into it: a desktop-sized screen keeps the layout as described.
inline void UseDesktopSizedScreen() {
  static QTemporaryFile config;
  if (!config.open()) return;
  config.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,
                  "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  config.flush();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
}

// Call before the QApplication is made.
inline void UseQuietOffscreenPlatform() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform.isEmpty() || platform == "offscreen") UseDesktopSizedScreen();
  detail::g_defaultHandler = qInstallMessageHandler(detail::QuietHandler);
}

}  // namespace ostrivane::test
