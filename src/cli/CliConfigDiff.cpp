// config diff: a configuration file against what the device holds, field by field.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "config/ConfigCodec.h"
#include "config/ConfigDiff.h"

namespace ostrivane::cli {

namespace {

// What the device would hold after receiving the file: the record it encodes to, read back.
bool AsDeviceWouldHold(DeviceConfig& config, const LayoutContext& context) {
  PanelState panel;
  panel.UsbFileNameText = config.UsbFileName;
  panel.LogoFieldText = config.LogoName;
  QByteArray record;
  if (!EncodeConfigImage(config, panel, context, record)) return false;
  DeviceConfig held;
  if (!DecodeConfigImage(record, context, held, panel, EmptyApplication::KeepEmpty)) return false;
  config = held;
  return true;
}

bool ReadFileConfig(CommandIo& io, const QString& path, const QByteArray& bytes,
                    const LayoutContext& context, DeviceConfig& config) {
  if (IsJsonInput(path, bytes)) {
    if (!ReadJsonConfig(io, bytes, context, config)) return false;
  } else {
    PanelState panel;
    if (CheckRecordFits(io, path, bytes, context) != kExitOk) return false;
    if (!DecodeConfigImage(bytes, context, config, panel, EmptyApplication::KeepEmpty)) {
      io.Fail(kExitLocal, QStringLiteral("the file is not a configuration record for type %1.")
                              .arg(context.typeCode));
      return false;
    }
  }
  if (AsDeviceWouldHold(config, context)) return true;
  io.Fail(kExitLocal, QStringLiteral("the file's configuration does not fit in a record."));
  return false;
}

}  // namespace

int RunConfigDiff(CommandIo& io) {
  const QString path = io.args.positional.first();
  if (const int code = CheckReadableFile(io, path)) return code;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return io.Fail(kExitLocal, QStringLiteral("cannot read %1: %2.").arg(path, file.errorString()));
  const QByteArray bytes = file.readAll();
  CliSession session(io.err, true, io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  DeviceConfig fromFile;
  if (!ReadFileConfig(io, path, bytes, ctx.Layout(), fromFile)) return kExitLocal;
  QByteArray record;
  if (const QString why = session.FetchRecord(record); !why.isEmpty())
    return io.Fail(kExitFailed, why + QLatin1Char('.'));
  DeviceConfig held;
  PanelState panel;
  DecodeConfigImage(record, ctx.Layout(), held, panel, EmptyApplication::KeepEmpty);  // fetched
  const auto device = FlattenConfig(held);
  const auto wanted = FlattenConfig(fromFile);
  QJsonArray changes;
  for (qsizetype i = 0; i < device.size(); ++i) {
    if (device[i].second == wanted[i].second) continue;
    changes.append(QJsonObject{{QStringLiteral("Field"), device[i].first},
                               {QStringLiteral("Device"), device[i].second},
                               {QStringLiteral("File"), wanted[i].second}});
    if (!io.args.Has(QStringLiteral("--json")))
      io.out << device[i].first << ": " << ShownValue(device[i].second) << " -> "
             << ShownValue(wanted[i].second) << '\n';
  }
  if (io.args.Has(QStringLiteral("--json")))
    io.out << QString::fromUtf8(QJsonDocument(changes).toJson(QJsonDocument::Indented));
  return changes.isEmpty() ? kExitOk : kExitDiffers;
}

}  // namespace ostrivane::cli
