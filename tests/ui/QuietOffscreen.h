// Window programs without a display (the ui tests, the window benchmark) run on the offscreen
// platform unless told otherwise, without its complaint about every fixed-size window.
#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>
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

// Call before the QApplication is made.
inline void UseQuietOffscreenPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  detail::g_defaultHandler = qInstallMessageHandler(detail::QuietHandler);
}

}  // namespace ostrivane::test
