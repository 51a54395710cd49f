// ostrivane: the window. Without options it behaves as the installer expects (data folder = the
// current directory, discovery on the first active interface, devices on TCP 6666 and the USB
// serial ports); the options exist so that tests and demos can run on loopback.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <memory>
#include <string_view>

#include "link/LinkTrace.h"
#include "ui/OstrivaneApp.h"
#include "ui/Pictures.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitLocal = 4;

bool ReadPort(const QCommandLineParser& parser, const QString& name, quint16& port) {
  if (!parser.isSet(name)) return true;
  bool ok = false;
  const uint value = parser.value(name).toUInt(&ok);
  if (!ok || value == 0 || value > 0xFFFF) {
    std::fprintf(stderr, "ostrivane: --%s expects a port from 1 to 65535\n", qPrintable(name));
    return false;
  }
  port = static_cast<quint16>(value);
  return true;
}

// --help and --version print and exit; they must work where no display is (a terminal over ssh,
// the build generating the manual page), so no window system is opened for them.
bool AsksForTextOnly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word(argv[i]);
    if (word == "--help" || word == "-h" || word == "--help-all" || word == "--version" ||
        word == "-v")
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<QCoreApplication> application;
  if (AsksForTextOnly(argc, argv)) {
    application = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    application = std::make_unique<QApplication>(argc, argv);
    QApplication::setWindowIcon(ostrivane::PictureIcon(ostrivane::Picture::Application));
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ostrivane.Ostrivane"));
  }
  QCoreApplication& app = *application;
  QCoreApplication::setApplicationName(QStringLiteral("Ostrivane"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(OSTRIVANE_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("HDMI encoder-modulator configuration tool."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption({QStringLiteral("discovery-interface"),
                    QStringLiteral("IPv4 address of the interface that hears announcements."),
                    QStringLiteral("ADDR")});
  parser.addOption({QStringLiteral("discovery-port"),
                    QStringLiteral("UDP port of the announcements (default 1900)."),
                    QStringLiteral("N")});
  parser.addOption({QStringLiteral("device-port"),
                    QStringLiteral("TCP port of announced devices (default 6666)."),
                    QStringLiteral("N")});
  parser.addOption({QStringLiteral("serial"),
                    QStringLiteral("Extra serial device to try after the USB ports (repeatable)."),
                    QStringLiteral("PATH")});
  parser.addOption({QStringLiteral("trace"),
                    QStringLiteral("Append every request and reply to FILE as JSON lines."),
                    QStringLiteral("FILE")});
  parser.process(app);
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "ostrivane: unexpected arguments\n");
    return kExitUsage;
  }

  ostrivane::AppOptions options;
  options.discovery.interfaceAddress = parser.value(QStringLiteral("discovery-interface"));
  if (!ReadPort(parser, QStringLiteral("discovery-port"), options.discovery.port) ||
      !ReadPort(parser, QStringLiteral("device-port"), options.connection.tcpPort)) {
    return kExitUsage;
  }
  options.connection.extraSerialPaths = parser.values(QStringLiteral("serial"));
  ostrivane::LinkTrace trace;
  if (parser.isSet(QStringLiteral("trace"))) {
    QString why;
    if (!trace.Open(parser.value(QStringLiteral("trace")), &why)) {
      std::fprintf(stderr, "ostrivane: cannot write the trace %s: %s\n",
                   qPrintable(parser.value(QStringLiteral("trace"))), qPrintable(why));
      return kExitLocal;
    }
    options.linkTrace = &trace;
  }
  ostrivane::COstrivaneApp ostrivaneApp(std::move(options));
  return ostrivaneApp.InitInstance();
}
