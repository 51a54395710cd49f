// status --watch: the status polled at the window's pace, one line per change.
#include <QJsonArray>
#include <QJsonDocument>

#include "cli/Cli.h"
#include "cli/CliOutput.h"

namespace ostrivane::cli {

namespace {

// The panel's status poll runs every 200 ms.
constexpr int kPanelTickMs = 200;
constexpr int kMinIntervalMs = 50;
constexpr int kMaxIntervalMs = 3600000;

// The whole status on one line.
QString OneLine(const QJsonObject& status) {
  QStringList parts;
  const QJsonArray inputs = status.value(QStringLiteral("Inputs")).toArray();
  for (int i = 0; i < inputs.size(); ++i) {
    const QJsonObject in = inputs.at(i).toObject();
    parts << (in.value(QStringLiteral("InputPresent")).toInt() == 0
                  ? QStringLiteral("S%1 no input").arg(i + 1)
                  : QStringLiteral("S%1 %2%3%4")
                        .arg(i + 1)
                        .arg(in.value(QStringLiteral("InputLines")).toInt())
                        .arg(in.value(QStringLiteral("InputProgressive")).toInt() ? 'P' : 'i')
                        .arg(in.value(QStringLiteral("InputRate")).toInt()));
  }
  parts << QStringLiteral("USB %1").arg(status.value(QStringLiteral("UsbPresent")).toInt()
                                            ? QStringLiteral("present")
                                            : QStringLiteral("none"));
  const QJsonArray bitrates = status.value(QStringLiteral("Bitrates")).toArray();
  for (int m = 0; m < bitrates.size(); ++m) {
    parts << QStringLiteral("M%1 %2 kb/s")
                 .arg(m + 1)
                 .arg(bitrates.at(m)
                          .toObject()
                          .value(QStringLiteral("BitrateCurrentKbps"))
                          .toInteger());
  }
  parts << QStringLiteral("clock %1").arg(status.value(QStringLiteral("DeviceClock")).toString());
  return parts.join(QStringLiteral(", "));
}

}  // namespace

int WatchStatus(CommandIo& io, CliSession& session) {
  int interval = kPanelTickMs;
  int count = 0;  // 0: until interrupted
  if (!io.args.IntValue(QStringLiteral("--interval"), kMinIntervalMs, kMaxIntervalMs, interval) ||
      !io.args.IntValue(QStringLiteral("--count"), 1, 0x7FFFFFFF, count))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  if (const int code = ConnectForCommand(io, session)) return code;
  const bool json = io.args.Has(QStringLiteral("--json"));
  QJsonObject last;
  for (int lines = 0; count == 0 || lines < count;) {
    QJsonObject status;
    if (!ReadStatusJson(session, status))
      return io.Fail(kExitFailed, QStringLiteral("the device stopped answering."));
    if (status != last) {
      if (json)
        io.out << QString::fromUtf8(QJsonDocument(status).toJson(QJsonDocument::Compact)) << '\n';
      else
        io.out << OneLine(status) << '\n';
      io.out.flush();
      last = status;
      ++lines;
      if (count != 0 && lines >= count) break;
    }
    session.clock.SleepFor(Millis{interval});
  }
  return kExitOk;
}

}  // namespace ostrivane::cli
