// Commands on configuration records: decode/encode offline, get/put over a link.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "config/ConfigCodec.h"
#include "config/ConfigJson.h"
#include "files/ConfigurationFiles.h"
#include "link/Commands.h"
#include "operations/Backups.h"
#include "operations/ConfigJsonCheck.h"
#include "operations/Transfer.h"

namespace ostrivane::cli {

namespace {

constexpr int kRecordTimeout = 500;

bool ReadTypeAndFirmware(CommandIo& io, LayoutContext& context) {
  if (!io.args.Has(QStringLiteral("--type"))) {
    io.args.error = QStringLiteral("--type T is required");
    return false;
  }
  int type = 0;
  int main = 0;
  if (!io.args.IntValue(QStringLiteral("--type"), 0, 255, type) ||
      !io.args.IntValue(QStringLiteral("--firmware"), 0, 255, main))
    return false;
  if (!IsAcceptedTypeCode(static_cast<unsigned>(type))) {
    io.args.error = QStringLiteral("type code %1 is not a supported device").arg(type);
    return false;
  }
  context.typeCode = static_cast<std::uint8_t>(type);
  context.mainVersion = static_cast<std::uint8_t>(main);
  context.shape = RecordShape::ForType(context.typeCode);
  return true;
}

bool ReadInput(CommandIo& io, const QString& path, QByteArray& bytes) {
  QFile file;
  const bool opened = path == QStringLiteral("-")
                          ? file.open(stdin, QIODevice::ReadOnly)
                          : (file.setFileName(path), file.open(QIODevice::ReadOnly));
  if (!opened) {
    io.Fail(kExitLocal, QStringLiteral("cannot read %1: %2.").arg(path, file.errorString()));
    return false;
  }
  bytes = file.readAll();
  return true;
}

bool WriteOutput(CommandIo& io, const QString& path, const QByteArray& bytes) {
  if (path.isEmpty() || path == QStringLiteral("-")) {
    io.out.flush();
    QIODevice* device = io.out.device();
    if (device) return device->write(bytes) == bytes.size();
    io.out << QString::fromLatin1(bytes);
    return true;
  }
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    io.Fail(kExitLocal, QStringLiteral("cannot write %1: %2.").arg(path, file.errorString()));
    return false;
  }
  return true;
}

// Why DecodeConfigImage turned a record down, in words.
QString RejectionReason(const QByteArray& record, const LayoutContext& context) {
  const bool multi = LayoutFor(context.typeCode) == RecordLayout::MultiLayout;
  const bool veve = record.startsWith("VEVE");
  if (record.size() > static_cast<qsizetype>(kConfigImageMax))
    return QStringLiteral("it is longer than %1 bytes").arg(kConfigImageMax);
  if (multi &&
      (!veve || record.size() < 5 || static_cast<std::uint8_t>(record.at(4)) != context.typeCode))
    return QStringLiteral("it does not start with \"VEVE\" and type code %1").arg(context.typeCode);
  if (!multi && veve) return QStringLiteral("it is a record of a multi-output device (\"VEVE\")");
  return QStringLiteral("it ends before its mandatory items");
}

// The JSON form of a record as the device holds it, with the type and firmware it was read with.
QByteArray RecordToJson(const QByteArray& record, const LayoutContext& context) {
  DeviceConfig config;
  PanelState panel;
  if (!DecodeConfigImage(record, context, config, panel, EmptyApplication::KeepEmpty)) return {};
  return ConfigToJson(config, context);
}

}  // namespace

// A file ending in .json is JSON and one ending in .itc or .tmc a record; anything else (standard
// input) is judged by its first character.
bool IsJsonInput(const QString& path, const QByteArray& bytes) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QStringLiteral("json")) return true;
  if (suffix == QStringLiteral("itc") || suffix == QStringLiteral("tmc")) return false;
  return WithoutByteOrderMark(bytes).trimmed().startsWith('{');
}

// A record file whose extension or length is not that of the device's layout belongs to another
// model (or carries bytes the device would store but never read): refused unless --force-model.
int CheckRecordFits(CommandIo& io, const QString& path, const QByteArray& record,
                    const LayoutContext& context) {
  if (io.args.Has(QStringLiteral("--force-model"))) return kExitOk;
  const QString suffix = QFileInfo(path).suffix().toLower();
  const QString expected = ConfigurationFiles::ExtensionFor(context.typeCode).mid(1);
  if ((suffix == QStringLiteral("itc") || suffix == QStringLiteral("tmc")) && suffix != expected)
    return io.Fail(kExitLocal, QStringLiteral("%1 is a .%2 file, a record of type %3 is a .%4 "
                                              "file (--force-model uses it all the same).")
                                   .arg(path, suffix)
                                   .arg(context.typeCode)
                                   .arg(expected));
  const std::size_t length = DecodedLength(record, context);
  if (length == 0 || length == static_cast<std::size_t>(record.size())) return kExitOk;
  return io.Fail(kExitLocal,
                 QStringLiteral("the record is %1 bytes long where a record of type %2 (firmware "
                                "%3) takes %4 bytes: it is not a record of this model "
                                "(--force-model uses it all the same).")
                     .arg(record.size())
                     .arg(context.typeCode)
                     .arg(context.mainVersion)
                     .arg(length));
}

bool EncodeFileConfig(DeviceConfig& config, const LayoutContext& context, QByteArray& record,
                      QString* refusal) {
  // A file's configuration carries its own USB file and logo names; no panel has edited them.
  PanelState panel;
  panel.UsbFileNameText = config.UsbFileName;
  panel.LogoFieldText = config.LogoName;
  return EncodeConfigImage(config, panel, context, record, refusal);
}

bool ReadJsonConfig(CommandIo& io, const QByteArray& json, const LayoutContext& context,
                    DeviceConfig& config) {
  ConfigJsonCheck check;
  const bool strict = !io.args.Has(QStringLiteral("--lenient"));
  JsonOrigin origin;
  QString why;
  if (!ReadJsonOrigin(json, origin, why) || (!io.args.Has(QStringLiteral("--force-model")) &&
                                             !(why = CheckJsonOrigin(origin, context)).isEmpty())) {
    io.err << "error: " << why << '\n';
    io.Fail(kExitLocal, QStringLiteral("the JSON is not a configuration for %1 firmware %2 "
                                       "(--force-model uses it all the same).")
                            .arg(QStringLiteral("type %1").arg(context.typeCode))
                            .arg(context.mainVersion));
    return false;
  }
  const bool read = ReadConfigJson(json, context, strict, config, check);
  for (const QString& warning : check.warnings) io.err << "warning: " << warning << '\n';
  for (const QString& error : check.errors) io.err << "error: " << error << '\n';
  if (!read)
    io.Fail(kExitLocal,
            QStringLiteral("the JSON is not a configuration for type %1%2.")
                .arg(context.typeCode)
                .arg(strict ? QStringLiteral(" (--lenient reads old files)") : QString()));
  return read;
}

int RunRecordDecode(CommandIo& io) {
  LayoutContext context;
  if (!ReadTypeAndFirmware(io, context))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  const QString path = io.args.positional.first();
  QByteArray record;
  if (!ReadInput(io, path, record)) return kExitLocal;
  const QByteArray json = RecordToJson(record, context);
  if (json.isEmpty())
    return io.Fail(
        kExitLocal,
        QStringLiteral("the record was rejected: %1.").arg(RejectionReason(record, context)));
  if (const int code = CheckRecordFits(io, path, record, context)) return code;
  io.out << QString::fromUtf8(json);
  return kExitOk;
}

int RunRecordEncode(CommandIo& io) {
  LayoutContext context;
  if (!ReadTypeAndFirmware(io, context))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  const QString output = io.args.Value(QStringLiteral("-o"));
  if (!output.isEmpty()) {
    if (const int code = CheckWritableFile(io, output)) return code;
  }
  QByteArray json;
  if (!ReadInput(io, io.args.positional.first(), json)) return kExitLocal;
  // Without --firmware the record is built for the firmware the file was read from.
  JsonOrigin origin;
  QString unused;
  if (!io.args.Has(QStringLiteral("--firmware")) && ReadJsonOrigin(json, origin, unused) &&
      origin.mainVersion >= 0)
    context.mainVersion = static_cast<std::uint8_t>(origin.mainVersion);
  DeviceConfig config;
  if (!ReadJsonConfig(io, json, context, config)) return kExitLocal;
  QByteArray record;
  if (!EncodeFileConfig(config, context, record))
    return io.Fail(
        kExitLocal,
        QStringLiteral("the configuration does not fit in a %1-byte record.").arg(kConfigImageMax));
  return WriteOutput(io, output, record) ? kExitOk : kExitLocal;
}

int RunConfigGet(CommandIo& io) {
  const QString path = io.args.positional.first();
  const QString format = io.args.Value(QStringLiteral("--format"));
  if (!format.isEmpty() && format != QStringLiteral("json") && format != QStringLiteral("record"))
    return io.Fail(kExitUsage, QStringLiteral("--format expects json or record."));
  const bool json = format.isEmpty() ? QFileInfo(path).suffix().compare(QStringLiteral("json"),
                                                                        Qt::CaseInsensitive) == 0
                                     : format == QStringLiteral("json");
  if (path != QStringLiteral("-")) {
    if (const int code = CheckWritableFile(io, path)) return code;
  }
  CliSession session(io.err, io.args.Has(QStringLiteral("--quiet")), io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  // The same read and check as every backup: a record that does not decode is no backup.
  QByteArray record;
  if (const QString why = session.FetchRecord(record); !why.isEmpty())
    return io.Fail(kExitFailed, QStringLiteral("%1; nothing written.").arg(why));
  if (!WriteOutput(io, path, json ? RecordToJson(record, session.Context().Layout()) : record))
    return kExitLocal;
  if (path != QStringLiteral("-"))
    PrintResult(io, path, QJsonObject{{QStringLiteral("File"), path}});
  return kExitOk;
}

namespace {

// The device's record is read first: it is the backup, and the loaded file goes on top of it
// the way LOAD works on the model read from the device.
int ReadAndBackUp(CommandIo& io, CliSession& session, OperationContext& ctx, QString& saved) {
  if (io.args.Has(QStringLiteral("--no-backup"))) {
    // The user accepts losing what the device holds (also the way out when it no longer decodes).
    session.panel.DeviceRecordRead = true;
    return kExitOk;
  }
  const BackupResult backup = BackupDeviceConfig(ctx, session.clock.LocalTime());
  if (!backup.ok)
    return io.Fail(kExitFailed, QStringLiteral("no backup, nothing written: %1 (--no-backup "
                                               "writes without one).")
                                    .arg(backup.error));
  // A script reading --json output gets only the result object there.
  saved = QDir::toNativeSeparators(backup.path);
  (io.args.Has(QStringLiteral("--json")) ? io.err : io.out)
      << "backup saved: " << saved << Qt::endl;
  AdoptDeviceRecord(ctx, backup.record);
  return kExitOk;
}

// The file is judged before the device is touched: a file that will not be written costs no
// backup either. The same checks run again on the model read from the device.
int CheckFileBeforeBackup(CommandIo& io, const CliSession& session, const OperationContext& ctx,
                          const QByteArray& record) {
  DeviceConfig trial = session.config;
  PanelState trialPanel = session.panel;
  if (!ConfigurationFiles::DecodeFileRecord(record, ctx.Layout(), trial, trialPanel))
    return io.Fail(kExitLocal, QStringLiteral("Config. file not compatible !"));
  if (!io.args.Has(QStringLiteral("--store-default"))) return kExitOk;
  trialPanel.LogoFieldText = trial.LogoName;
  QByteArray encoded;
  QString refusal;
  if (!EncodeConfigImage(trial, trialPanel, ctx.Layout(), encoded, &refusal))
    return io.Fail(kExitFailed, QStringLiteral("nothing was sent: %1.").arg(refusal));
  return kExitOk;
}

int StoreAsDefault(CommandIo& io, CliSession& session, OperationContext& ctx) {
  // As after LOAD in the window: send, read back and store the default, unless the record
  // cannot be built (then nothing at all goes out).
  session.panel.LogoFieldText = session.config.LogoName;
  DeviceConfig trial = session.config;
  PanelState trialPanel = session.panel;
  QByteArray record;
  QString refusal;
  if (!EncodeConfigImage(trial, trialPanel, ctx.Layout(), record, &refusal))
    return io.Fail(kExitFailed, QStringLiteral("nothing was sent: %1.").arg(refusal));
  if (!SendDeviceConfig(ctx))
    return io.Fail(kExitFailed,
                   QStringLiteral("the device did not take the configuration as its default."));
  return kExitOk;
}

int SendRecordAsIs(CommandIo& io, CliSession& session, OperationContext& ctx,
                   const QByteArray& record) {
  session.link.WriteIndicator = true;
  const auto* data = reinterpret_cast<const std::uint8_t*>(record.constData());
  if (!session.link.Transact(cmd::WriteConfig, {data, static_cast<std::size_t>(record.size())},
                             kRecordTimeout))
    return io.Fail(kExitFailed, QStringLiteral("the device did not accept the configuration."));
  if (!ReadDeviceConfig(ctx))
    return io.Fail(kExitFailed, QStringLiteral("the device did not return its configuration."));
  return kExitOk;
}

}  // namespace

namespace {

// The record the file asks for: a record file as it is, a JSON file built into the device's
// record. kExitOk with record set, else the exit code (reason printed); nothing is sent either way.
int RecordOfFile(CommandIo& io, const QString& path, const QByteArray& bytes,
                 const LayoutContext& context, QByteArray& record) {
  if (!IsJsonInput(path, bytes)) {
    record = bytes;
    return CheckRecordFits(io, path, record, context);
  }
  DeviceConfig config;
  if (!ReadJsonConfig(io, bytes, context, config)) return kExitLocal;
  QString refusal;
  if (!EncodeFileConfig(config, context, record, &refusal))
    return io.Fail(kExitLocal, QStringLiteral("nothing was sent: %1.").arg(refusal));
  return kExitOk;
}

}  // namespace

int RunConfigPut(CommandIo& io) {
  const QString path = io.args.positional.first();
  const bool fromStdin = path == QStringLiteral("-");
  if (!fromStdin) {
    if (const int code = CheckReadableFile(io, path)) return code;
  }
  QByteArray bytes;
  if (!ReadInput(io, path, bytes)) return kExitLocal;
  if (const int code = CheckBackupFolder(io)) return code;
  CliSession session(io.err, io.args.Has(QStringLiteral("--quiet")), io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  QByteArray record;
  if (const int code = RecordOfFile(io, path, bytes, ctx.Layout(), record)) return code;
  if (const int code = CheckFileBeforeBackup(io, session, ctx, record)) return code;
  // The backup is taken here, once, before the file replaces the model.
  session.flags.BackupsDisabled = true;
  QString backup;
  if (const int code = ReadAndBackUp(io, session, ctx, backup)) return code;
  ConfigurationFiles files(session.settings, session.prompts, session.status);
  // Stored as default, the record goes back as it came: no test application is made up.
  if (files
          .LoadRecord(record, session.config, session.panel, ctx.Layout(),
                      EmptyApplication::KeepEmpty)
          .outcome != LoadOutcome::Loaded)
    return io.Fail(kExitLocal, QStringLiteral("Config. file not compatible !"));
  const int code = io.args.Has(QStringLiteral("--store-default"))
                       ? StoreAsDefault(io, session, ctx)
                       : SendRecordAsIs(io, session, ctx, record);
  if (code != kExitOk) return code;
  if (session.link.LinkError)
    return io.Fail(kExitFailed,
                   QStringLiteral("the device stopped answering during the transfer."));
  const QString shown = fromStdin ? QStringLiteral("standard input") : path;
  QJsonObject result{
      {QStringLiteral("File"), path},
      {QStringLiteral("StoredAsDefault"), io.args.Has(QStringLiteral("--store-default"))}};
  if (!backup.isEmpty()) result.insert(QStringLiteral("Backup"), backup);
  PrintResult(io, QStringLiteral("configuration sent from %1").arg(shown), result);
  return kExitOk;
}

}  // namespace ostrivane::cli
