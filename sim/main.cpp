// ostrivane-sim: a simulated modulator on TCP and/or a pseudo-terminal, optionally announced by
// multicast on loopback, with faults on demand. Runs until SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include "sim/Announcer.h"
#include "sim/FirmwareImage.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"

namespace {

using namespace ostrivane::sim;

constexpr int kExitUsage = 2;
constexpr int kExitStartFailed = 1;
constexpr unsigned kMaxByte = 0xFF;
constexpr unsigned kMaxPort = 0xFFFF;
constexpr unsigned kMaxCount = 0x7FFFFFFF;

struct Numbers {
  const QCommandLineParser& parser;
  QString error;

  // Decimal or 0x-prefixed hexadecimal; the first bad value is kept for the message.
  template <class T>
  void Read(const char* name, unsigned max, T& target) {
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option) || !error.isEmpty()) return;
    bool ok = false;
    const uint value = parser.value(option).toUInt(&ok, 0);
    if (ok && value <= max) {
      target = static_cast<T>(value);
    } else {
      error = QStringLiteral("--%1: expected a number from 0 to %2").arg(option).arg(max);
    }
  }
};

void AddOptions(QCommandLineParser& parser) {
  const auto value = [&](const char* name, const char* help, const char* valueName) {
    parser.addOption(
        {QString::fromLatin1(name), QString::fromLatin1(help), QString::fromLatin1(valueName)});
  };
  const auto flag = [&](const char* name, const char* help) {
    parser.addOption({QString::fromLatin1(name), QString::fromLatin1(help)});
  };
  value("type", "Device type code (default 131).", "N");
  value("main", "Main firmware version byte (default 20).", "N");
  value("spare", "Spare version byte (default 0).", "N");
  value("secondary", "Secondary firmware version byte (default 10).", "N");
  value("tcp-port", "TCP port on 127.0.0.1 (default 6666; 0 = any free port).", "N");
  value("tcp-address", "Loopback address to listen on (default 127.0.0.1).", "IP");
  flag("no-tcp", "Do not listen on TCP.");
  flag("pty", "Serve on a new pseudo-terminal and print its path.");
  value("baud", "Pace the pseudo-terminal to this line speed (10 bits per byte).", "N");
  flag("announce", "Announce the device by multicast on loopback.");
  value("announce-id", "Identifier in the announcement (default SIM<type>).", "ID");
  value("announce-address", "Address in the announcement (loopback, default 127.0.0.1).", "IP");
  value("discovery-port", "UDP port of the announcements (default 1900).", "N");
  value("announce-interval", "Milliseconds between announcements (default 2000).", "MS");
  flag("silent", "Fault: never answer.");
  flag("bad-checksum", "Fault: answer with a wrong checksum.");
  flag("refuse", "Fault: refuse every request.");
  value("delay", "Fault: answer MS milliseconds late.", "MS");
  flag("split", "Fault: write replies one byte at a time.");
  value("drop-after", "Fault: drop the link after N requests.", "N");
  value("drop-in-flash-after", "Fault: drop the link at the flash request after N (mid-flash).",
        "N");
  value("fault-command", "Apply the faults only to this command (e.g. 0x40).", "N");
  value("fault-count", "Apply the faults to this many requests only (default: all).", "N");
  value("log-size", "Size of /logFile in bytes (default 3000).", "N");
  value("log0-size", "Size of /logFile.0 in bytes (default 5000).", "N");
  value("restart-ms", "How long the device stays away after a restart (default 3000).", "N");
  flag("verbose", "Log every request (command, payload length) to stderr.");
  value("write-image", "Write a firmware image file into DIR for the tool to install, then exit.",
        "DIR");
  value("image-name", "Model or family name of the image (default UNIT<type>).", "NAME");
  value("image-version", "Version of the image, 0 to 99 (default: --main + 1).", "N");
  value("image-size", "Size of the image in bytes (default 65536).", "N");
}

QString ReadFaults(Numbers& numbers, SimFaults& faults) {
  const QCommandLineParser& parser = numbers.parser;
  faults.silence = parser.isSet(QStringLiteral("silent"));
  faults.badChecksum = parser.isSet(QStringLiteral("bad-checksum"));
  faults.refuse = parser.isSet(QStringLiteral("refuse"));
  faults.splitReplies = parser.isSet(QStringLiteral("split"));
  unsigned delayMs = 0;
  numbers.Read("delay", kMaxCount, delayMs);
  faults.delay = std::chrono::milliseconds{delayMs};
  numbers.Read("drop-after", kMaxCount, faults.dropLinkAfterRequests);
  numbers.Read("drop-in-flash-after", kMaxCount, faults.dropLinkAfterFlashRequests);
  numbers.Read("fault-command", kMaxByte, faults.onlyCommand);
  numbers.Read("fault-count", kMaxCount, faults.remaining);
  return numbers.error;
}

QString ReadDeviceOptions(Numbers& numbers, SimOptions& options) {
  numbers.Read("type", kMaxByte, options.typeCode);
  numbers.Read("main", kMaxByte, options.mainVersion);
  numbers.Read("spare", kMaxByte, options.spareVersion);
  numbers.Read("secondary", kMaxByte, options.secondaryVersion);
  numbers.Read("baud", kMaxCount, options.baudRate);
  numbers.Read("log-size", kMaxCount, options.logFileSize);
  numbers.Read("log0-size", kMaxCount, options.logFile0Size);
  unsigned restartMs = static_cast<unsigned>(options.restartDuration.count());
  numbers.Read("restart-ms", kMaxCount, restartMs);
  options.restartDuration = std::chrono::milliseconds{restartMs};
  return ReadFaults(numbers, options.faults);
}

QString ReadAnnouncerOptions(Numbers& numbers, const SimOptions& device, AnnouncerOptions& out) {
  const QCommandLineParser& parser = numbers.parser;
  out.identifier = parser.isSet(QStringLiteral("announce-id"))
                       ? parser.value(QStringLiteral("announce-id"))
                       : QStringLiteral("SIM%1").arg(device.typeCode);
  if (parser.isSet(QStringLiteral("announce-address"))) {
    out.address = parser.value(QStringLiteral("announce-address"));
  }
  numbers.Read("discovery-port", kMaxPort, out.port);
  unsigned intervalMs = static_cast<unsigned>(out.interval.count());
  numbers.Read("announce-interval", kMaxCount, intervalMs);
  out.interval = std::chrono::milliseconds{intervalMs};
  return numbers.error;
}

void PrintLine(const QString& line) {
  std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
  std::fflush(stdout);
}

int Fail(int code, const QString& message) {
  std::fprintf(stderr, "ostrivane-sim: %s\n", message.toLocal8Bit().constData());
  return code;
}

// --write-image: an image that the tool's firmware check recognises and the simulated device
// accepts, so that an upgrade can be tried without a real image.
int WriteImage(const QCommandLineParser& parser, const SimOptions& device) {
  constexpr unsigned kMaxImageVersion = 99;
  constexpr unsigned kMaxImageSize = 16 * 1024 * 1024;
  Numbers numbers{parser, {}};
  unsigned version = std::min<unsigned>(device.mainVersion + 1U, kMaxImageVersion);
  unsigned size = 65536;
  numbers.Read("image-version", kMaxImageVersion, version);
  numbers.Read("image-size", kMaxImageSize, size);
  if (!numbers.error.isEmpty()) return Fail(kExitUsage, numbers.error);
  const QString name = parser.isSet(QStringLiteral("image-name"))
                           ? parser.value(QStringLiteral("image-name"))
                           : QStringLiteral("UNIT%1").arg(device.typeCode);
  const QString path = WriteFirmwareImage(parser.value(QStringLiteral("write-image")), name,
                                          static_cast<int>(version), static_cast<qsizetype>(size));
  if (path.isEmpty()) return Fail(kExitStartFailed, QStringLiteral("cannot write the image"));
  PrintLine(path);
  return 0;
}

// Everything the process serves; members stop (and join their threads) in reverse order.
struct Listeners {
  std::unique_ptr<TcpServer> tcp;
  std::unique_ptr<PtyServer> pty;
  std::unique_ptr<Announcer> announcer;
};

QString StartListeners(const QCommandLineParser& parser, SimulatedModulator& device,
                       const SimOptions& options, Listeners& out) {
  const bool verbose = parser.isSet(QStringLiteral("verbose"));
  QString error;
  if (!parser.isSet(QStringLiteral("no-tcp"))) {
    Numbers numbers{parser, {}};
    std::uint16_t port = 6666;
    numbers.Read("tcp-port", kMaxPort, port);
    if (!numbers.error.isEmpty()) return numbers.error;
    const QString host = parser.isSet(QStringLiteral("tcp-address"))
                             ? parser.value(QStringLiteral("tcp-address"))
                             : QStringLiteral("127.0.0.1");
    out.tcp = std::make_unique<TcpServer>(device, port, host);
    out.tcp->SetVerbose(verbose);
    if (!out.tcp->Start(&error)) return error;
    PrintLine(QStringLiteral("tcp: %1:%2").arg(out.tcp->Address()).arg(out.tcp->Port()));
  }
  if (parser.isSet(QStringLiteral("pty"))) {
    out.pty = std::make_unique<PtyServer>(device);
    out.pty->SetVerbose(verbose);
    out.pty->SetBaudRate(options.baudRate);
    if (!out.pty->Start(&error)) return error;
    PrintLine(QStringLiteral("pty: %1").arg(out.pty->SlavePath()));
  }
  return {};
}

QString StartAnnouncer(const QCommandLineParser& parser, const SimOptions& options,
                       Listeners& out) {
  if (!parser.isSet(QStringLiteral("announce"))) return {};
  Numbers numbers{parser, {}};
  AnnouncerOptions announce;
  if (const QString error = ReadAnnouncerOptions(numbers, options, announce); !error.isEmpty()) {
    return error;
  }
  out.announcer = std::make_unique<Announcer>(announce);
  QString error;
  if (!out.announcer->Start(&error)) return error;
  PrintLine(QStringLiteral("announce: %1").arg(QString::fromLatin1(out.announcer->Datagram())));
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  // Blocked before any thread starts, so that every thread inherits the mask and the signals
  // reach only the sigwait below.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A shell starts background jobs with SIGINT ignored, and whether sigwait sees an ignored
  // signal is left open; with the default action it always does.
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);

  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("ostrivane-sim"));
  QCoreApplication::setApplicationVersion(QStringLiteral(OSTRIVANE_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Simulated modulator for tests and demos."));
  QCoreApplication::setApplicationVersion(QStringLiteral(OSTRIVANE_VERSION));
  parser.addHelpOption();
  parser.addVersionOption();
  AddOptions(parser);
  parser.process(app);
  if (!parser.positionalArguments().isEmpty()) return Fail(kExitUsage, "unexpected arguments");
  if (parser.isSet(QStringLiteral("no-tcp")) && !parser.isSet(QStringLiteral("pty")) &&
      !parser.isSet(QStringLiteral("announce"))) {
    return Fail(kExitUsage, QStringLiteral("nothing to serve: --no-tcp without --pty"));
  }

  SimOptions options;
  Numbers numbers{parser, {}};
  if (const QString error = ReadDeviceOptions(numbers, options); !error.isEmpty()) {
    return Fail(kExitUsage, error);
  }
  if (parser.isSet(QStringLiteral("write-image"))) return WriteImage(parser, options);
  SimulatedModulator device(options);
  Listeners listeners;
  if (const QString error = StartListeners(parser, device, options, listeners); !error.isEmpty()) {
    return Fail(kExitStartFailed, error);
  }
  if (const QString error = StartAnnouncer(parser, options, listeners); !error.isEmpty()) {
    return Fail(kExitUsage, error);
  }
  int signal = 0;
  sigwait(&stopSignals, &signal);
  return 0;
}
