// How a device's status is shown: one JSON object, or lines of text.
#include <QJsonArray>

#include "cli/CliOutput.h"
#include "link/Commands.h"
#include "operations/Capabilities.h"

namespace ostrivane::cli {

namespace {
constexpr int kStatusTimeout = 500;
}  // namespace

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

void PrintStatusText(QTextStream& out, const QJsonObject& status) {
  const QJsonArray inputs = status.value(QStringLiteral("Inputs")).toArray();
  for (int i = 0; i < inputs.size(); ++i) {
    const QJsonObject in = inputs.at(i).toObject();
    out << QStringLiteral("Service %1: ").arg(i + 1);
    if (in.value(QStringLiteral("InputPresent")).toInt() == 0) {
      out << "no input";
    } else {
      out << QStringLiteral("%1%2%3 %4")
                 .arg(in.value(QStringLiteral("InputLines")).toInt())
                 .arg(in.value(QStringLiteral("InputProgressive")).toInt() ? QLatin1Char('P')
                                                                           : QLatin1Char('i'))
                 .arg(in.value(QStringLiteral("InputRate")).toInt())
                 .arg(in.value(QStringLiteral("AudioIsAc3")).toInt() ? QStringLiteral("AC3")
                                                                     : QStringLiteral("PCM"));
    }
    out << ", USB state " << in.value(QStringLiteral("UsbState")).toInt() << '\n';
  }
  out << "USB medium: " << (status.value(QStringLiteral("UsbPresent")).toInt() ? "present" : "none")
      << ", mode " << status.value(QStringLiteral("UsbMode")).toInt() << '\n';
  for (const QJsonValue& name : status.value(QStringLiteral("UsbFiles")).toArray())
    out << "  " << name.toString() << '\n';
  out << "Device clock: " << status.value(QStringLiteral("DeviceClock")).toString() << '\n';
  const QJsonArray overlays = status.value(QStringLiteral("OverlayFiles")).toArray();
  if (!overlays.isEmpty()) {
    out << "Overlay files:\n";
    for (const QJsonValue& name : overlays) out << "  " << name.toString() << '\n';
  }
  const QJsonArray bitrates = status.value(QStringLiteral("Bitrates")).toArray();
  for (int m = 0; m < bitrates.size(); ++m) {
    const QJsonObject b = bitrates.at(m).toObject();
    out << QStringLiteral("Output M%1: %2 of %3 kb/s\n")
               .arg(m + 1)
               .arg(b.value(QStringLiteral("BitrateCurrentKbps")).toInteger())
               .arg(b.value(QStringLiteral("BitrateCapacity")).toInteger() / 1000);
  }
}

bool ReadStatusJson(CliSession& session, QJsonObject& json) {
  if (!session.link.Transact(cmd::ReadStatus, {}, kStatusTimeout)) return false;
  DeviceStatus status;
  ReadDeviceStatus(session.link.Reply(), session.identity.DeviceTypeCode,
                   session.identity.Version.main, session.shape.ServiceCount,
                   session.shape.ModulatorCount, status);
  json = StatusJson(status, session.shape, HasBitrateMeter(session.identity.DeviceTypeCode));
  return true;
}

}  // namespace ostrivane::cli
