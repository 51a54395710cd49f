#pragma once

#include <QJsonObject>
#include <QTextStream>

#include "cli/CliArgs.h"
#include "cli/CliSession.h"
#include "config/ConfigDiff.h"
#include "config/DeviceConfig.h"
#include "config/RecordShape.h"

namespace ostrivane {
struct FirmwareCheckResult;
}

namespace ostrivane::cli {

struct CommandIo {
  QTextStream& out;
  QTextStream& err;
  CliArgs& args;
  LinkTrace* trace = nullptr;  // --trace

  int Fail(int code, const QString& sentence) {
    err << "ostrivane-cli: " << sentence << Qt::endl;
    return code;
  }
};

// Records and files (no device needed except for config get/put).
int RunRecordDecode(CommandIo& io);
int RunRecordEncode(CommandIo& io);
int RunConfigGet(CommandIo& io);
int RunConfigPut(CommandIo& io);
int RunConfigDiff(CommandIo& io);
int RunBackup(CommandIo& io);

// Device commands.
int RunFind(CommandIo& io);
int RunIdentify(CommandIo& io);
int RunStatus(CommandIo& io);
int RunFirmware(CommandIo& io);
int RunLogs(CommandIo& io);
int RunClockSet(CommandIo& io);
int RunSnapshot(CommandIo& io);
int RunEdid(CommandIo& io);
int RunReset(CommandIo& io);

// Connects as the link options say; 0 when connected, else the exit code (reason printed).
int ConnectForCommand(CommandIo& io, CliSession& session);
// 0 when folder exists and files can be created in it, else kExitLocal (reason printed).
int CheckWritableFolder(CommandIo& io, const QString& folder);
// 0 when a file can be created at path (its folder exists and is writable), else kExitLocal.
int CheckWritableFile(CommandIo& io, const QString& path);
// 0 when the backup a write makes first can be written (or --no-backup was given), else
// kExitLocal: checked before any device is contacted.
int CheckBackupFolder(CommandIo& io);
// 0 when path is a readable file, else kExitLocal.
int CheckReadableFile(CommandIo& io, const QString& path);
// The JSON form of a configuration for one model, strict unless --lenient; every problem is
// printed. False when the file cannot be used.
// Encodes a configuration read from a file, with the USB file and logo names it carries.
bool EncodeFileConfig(DeviceConfig& config, const LayoutContext& context, QByteArray& record,
                      QString* refusal = nullptr);
bool ReadJsonConfig(CommandIo& io, const QByteArray& json, const LayoutContext& context,
                    DeviceConfig& config);
// Whether a configuration file (or standard input, "-") holds the JSON form rather than a record.
bool IsJsonInput(const QString& path, const QByteArray& bytes);
// 0 when a record file fits the device's layout by extension and length (or --force-model was
// given), else kExitLocal with the expected and found lengths printed.
int CheckRecordFits(CommandIo& io, const QString& path, const QByteArray& record,
                    const LayoutContext& context);
// Installs the newer images on the connected device as --force and --no-backup say and says
// where the backup went; empty when that went through (written or up to date), else why not.
QString RunUpgrade(CommandIo& io, CliSession& session, FirmwareCheckResult& result);
// Prints a finished command's result: the sentence (not with --quiet), or with --json the object.
void PrintResult(CommandIo& io, const QString& sentence, const QJsonObject& json);

}  // namespace ostrivane::cli
