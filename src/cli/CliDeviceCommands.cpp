// Commands that talk to a connected device.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "discovery/DiscoveryListener.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "operations/Capabilities.h"
#include "operations/DeviceActions.h"
#include "operations/DeviceFiles.h"
#include "operations/DeviceStatus.h"
#include "operations/ModelTable.h"

namespace ostrivane::cli {

namespace {

constexpr int kStatusTimeout = 500;

void PrintJson(CommandIo& io, const QJsonObject& object) {
  io.out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

QJsonObject IdentityJson(CliSession& session) {
  const DeviceIdentity& id = session.identity;
  const Channel* channel = session.link.CurrentChannel();
  return QJsonObject{{QStringLiteral("DeviceTypeCode"), id.DeviceTypeCode},
                     {QStringLiteral("ModelName"), ModelName(id.DeviceTypeCode, session.prompts)},
                     {QStringLiteral("Main"), id.Version.main},
                     {QStringLiteral("Spare"), id.Version.spare},
                     {QStringLiteral("Secondary"), id.Version.secondary},
                     {QStringLiteral("Version"), FormatTitleVersion(id)},
                     {QStringLiteral("Link"), channel ? channel->Describe() : QString()}};
}

QJsonObject StatusJson(const DeviceStatus& status, const RecordShape& shape, bool hasMeter) {
  QJsonArray inputs;
  for (int i = 0; i < shape.ServiceCount; ++i) {
    const ServiceInputStatus& in = status.Inputs[static_cast<std::size_t>(i)];
    inputs.append(QJsonObject{{QStringLiteral("InputPresent"), in.InputPresent},
                              {QStringLiteral("InputLines"), in.InputLines},
                              {QStringLiteral("InputProgressive"), in.InputProgressive},
                              {QStringLiteral("InputRate"), in.InputRate},
                              {QStringLiteral("AudioIsAc3"), in.AudioIsAc3},
                              {QStringLiteral("UsbState"), in.UsbState}});
  }
  QJsonArray bitrates;
  // Only the models with a bitrate meter report their outputs' bitrates.
  for (int m = 0; hasMeter && m < shape.ModulatorCount; ++m) {
    const OutputBitrate& b = status.Bitrates[static_cast<std::size_t>(m)];
    bitrates.append(QJsonObject{
        {QStringLiteral("BitrateCapacity"), static_cast<qint64>(b.BitrateCapacity)},
        {QStringLiteral("BitrateCurrentKbps"), static_cast<qint64>(b.BitrateCurrentKbps)}});
  }
  const DeviceClockTime& c = status.DeviceClock;
  return QJsonObject{
      {QStringLiteral("Inputs"), inputs},
      {QStringLiteral("UsbMode"), status.UsbMode},
      {QStringLiteral("UsbPresent"), status.UsbPresent},
      {QStringLiteral("UsbFiles"), QJsonArray::fromStringList(status.UsbFiles)},
      {QStringLiteral("DeviceClock"),
       QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                         c.second)},
      {QStringLiteral("OverlayFiles"), QJsonArray::fromStringList(status.OverlayFiles)},
      {QStringLiteral("Bitrates"), bitrates}};
}

void PrintStatusText(CommandIo& io, const QJsonObject& status) {
  const QJsonArray inputs = status.value(QStringLiteral("Inputs")).toArray();
  for (int i = 0; i < inputs.size(); ++i) {
    const QJsonObject in = inputs.at(i).toObject();
    io.out << QStringLiteral("Service %1: ").arg(i + 1);
    if (in.value(QStringLiteral("InputPresent")).toInt() == 0) {
      io.out << "no input";
    } else {
      io.out << QStringLiteral("%1%2%3 %4")
                    .arg(in.value(QStringLiteral("InputLines")).toInt())
                    .arg(in.value(QStringLiteral("InputProgressive")).toInt() ? QLatin1Char('P')
                                                                              : QLatin1Char('i'))
                    .arg(in.value(QStringLiteral("InputRate")).toInt())
                    .arg(in.value(QStringLiteral("AudioIsAc3")).toInt() ? QStringLiteral("AC3")
                                                                        : QStringLiteral("PCM"));
    }
    io.out << ", USB state " << in.value(QStringLiteral("UsbState")).toInt() << '\n';
  }
  io.out << "USB medium: "
         << (status.value(QStringLiteral("UsbPresent")).toInt() ? "present" : "none") << ", mode "
         << status.value(QStringLiteral("UsbMode")).toInt() << '\n';
  for (const QJsonValue& name : status.value(QStringLiteral("UsbFiles")).toArray())
    io.out << "  " << name.toString() << '\n';
  io.out << "Device clock: " << status.value(QStringLiteral("DeviceClock")).toString() << '\n';
  const QJsonArray overlays = status.value(QStringLiteral("OverlayFiles")).toArray();
  if (!overlays.isEmpty()) {
    io.out << "Overlay files:\n";
    for (const QJsonValue& name : overlays) io.out << "  " << name.toString() << '\n';
  }
  const QJsonArray bitrates = status.value(QStringLiteral("Bitrates")).toArray();
  for (int m = 0; m < bitrates.size(); ++m) {
    const QJsonObject b = bitrates.at(m).toObject();
    io.out << QStringLiteral("Output M%1: %2 of %3 kb/s\n")
                  .arg(m + 1)
                  .arg(b.value(QStringLiteral("BitrateCurrentKbps")).toInteger())
                  .arg(b.value(QStringLiteral("BitrateCapacity")).toInteger() / 1000);
  }
}

}  // namespace

int ConnectForCommand(CommandIo& io, CliSession& session) {
  LinkRequest request;
  if (!io.args.ToLinkRequest(request))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  const QString data = io.args.Has(QStringLiteral("--data"))
                           ? io.args.Value(QStringLiteral("--data"))
                           : QDir::currentPath();
  session.settings.LoadApplicationData(data);
  if (!session.Connect(request))
    return io.Fail(kExitNoDevice, QStringLiteral("no device found or identified."));
  return kExitOk;
}

int RunFind(CommandIo& io) {
  LinkRequest request;
  if (!io.args.ToLinkRequest(request))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  CliSession session(io.err, true);
  session.Listen(request);
  const QVector<DiscoveredDevice> devices = session.discovery.Copy();
  ConnectionOptions options;
  options.extraSerialPaths = request.serialPaths;
  const QStringList ports = ListSerialPorts(options);
  if (io.args.Has(QStringLiteral("--json"))) {
    QJsonArray network;
    for (const DiscoveredDevice& d : devices)
      network.append(QJsonObject{{QStringLiteral("identifier"), d.identifier},
                                 {QStringLiteral("address"), d.address}});
    PrintJson(io, QJsonObject{{QStringLiteral("network"), network},
                              {QStringLiteral("serial"), QJsonArray::fromStringList(ports)}});
  } else {
    io.out << "Network devices:" << (devices.isEmpty() ? " none\n" : "\n");
    for (const DiscoveredDevice& d : devices)
      io.out << "  " << d.identifier << "  " << d.address << '\n';
    io.out << "USB serial ports:" << (ports.isEmpty() ? " none\n" : "\n");
    for (const QString& port : ports) io.out << "  " << port << '\n';
  }
  return devices.isEmpty() && ports.isEmpty() ? kExitNoDevice : kExitOk;
}

int RunIdentify(CommandIo& io) {
  CliSession session(io.err, true);
  if (const int code = ConnectForCommand(io, session)) return code;
  const QJsonObject id = IdentityJson(session);
  if (io.args.Has(QStringLiteral("--json"))) {
    PrintJson(io, id);
  } else {
    io.out << "Model:    " << id.value(QStringLiteral("ModelName")).toString() << " (type code "
           << session.identity.DeviceTypeCode << ")\n"
           << "Firmware: " << id.value(QStringLiteral("Version")).toString() << " (main "
           << session.identity.Version.main << ", spare " << session.identity.Version.spare
           << ", secondary " << session.identity.Version.secondary << ")\n"
           << "Link:     " << id.value(QStringLiteral("Link")).toString() << '\n';
  }
  return kExitOk;
}

int RunStatus(CommandIo& io) {
  CliSession session(io.err, true);
  if (const int code = ConnectForCommand(io, session)) return code;
  if (!session.link.Transact(cmd::ReadStatus, {}, kStatusTimeout))
    return io.Fail(kExitFailed, QStringLiteral("the device did not return its status."));
  DeviceStatus status;
  ReadDeviceStatus(session.link.Reply(), session.identity.DeviceTypeCode,
                   session.identity.Version.main, session.shape.ServiceCount,
                   session.shape.ModulatorCount, status);
  const QJsonObject json =
      StatusJson(status, session.shape, HasBitrateMeter(session.identity.DeviceTypeCode));
  if (io.args.Has(QStringLiteral("--json")))
    PrintJson(io, json);
  else
    PrintStatusText(io, json);
  return kExitOk;
}

int RunLogs(CommandIo& io) {
  CliSession session(io.err, io.args.Has(QStringLiteral("--quiet")));
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  QString folder = io.args.Value(QStringLiteral("--out"));
  if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  const QString path = DownloadLogs(ctx, QDateTime::currentDateTime(), folder);
  session.status.Finish();
  if (session.link.LinkError)
    return io.Fail(kExitFailed,
                   QStringLiteral("the device stopped answering during the download."));
  // The window reports "Logs saved into" whatever arrived; a script needs to know nothing did.
  if (QFileInfo(path).size() <= 0)
    return io.Fail(kExitFailed, QStringLiteral("the device sent no log data (%1).").arg(path));
  io.out << path << '\n';
  return kExitOk;
}

int RunClockSet(CommandIo& io) {
  QDateTime at = QDateTime::currentDateTime();
  if (io.args.Has(QStringLiteral("--at"))) {
    at = QDateTime::fromString(io.args.Value(QStringLiteral("--at")),
                               QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!at.isValid())
      return io.Fail(kExitUsage, QStringLiteral("--at expects \"YYYY-MM-DD HH:MM:SS\"."));
  }
  CliSession session(io.err, true);
  if (const int code = ConnectForCommand(io, session)) return code;
  const QDate d = at.date();
  const QTime t = at.time();
  if (!SendDeviceClock(session.link, static_cast<std::uint16_t>(d.year()),
                       static_cast<std::uint8_t>(d.month()), static_cast<std::uint8_t>(d.day()),
                       static_cast<std::uint8_t>(t.hour()), static_cast<std::uint8_t>(t.minute()),
                       static_cast<std::uint8_t>(t.second())))
    return io.Fail(kExitFailed, QStringLiteral("the device did not accept the clock."));
  return kExitOk;
}

int RunSnapshot(CommandIo& io) {
  if (io.args.positional.size() != 1)
    return io.Fail(kExitUsage, QStringLiteral("snapshot needs exactly one FILE.bmp."));
  CliSession session(io.err, true);
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  const QString path = WithBitmapExtension(io.args.positional.first());
  if (!CaptureSnapshotTo(ctx, path))
    return io.Fail(kExitFailed,
                   QStringLiteral("the snapshot could not be taken or saved to %1.").arg(path));
  io.out << path << '\n';
  return kExitOk;
}

int RunEdid(CommandIo& io) {
  CliSession session(io.err, true);
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  // The questions of the window are answered by running the command; the programming step follows.
  RequestEdidRepair(ctx);
  if (session.flags.EdidRequest) ProgramEdid(ctx);
  if (session.link.LinkError)
    return io.Fail(kExitFailed, QStringLiteral("the device did not answer the EDID request."));
  return kExitOk;
}

int RunReset(CommandIo& io) {
  CliSession session(io.err, true);
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  ResetDevice(ctx);
  if (session.link.LinkError)
    return io.Fail(kExitFailed, QStringLiteral("the device did not answer the restart request."));
  return kExitOk;
}

}  // namespace ostrivane::cli
