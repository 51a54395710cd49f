#pragma once

#include <QTextStream>

#include "cli/CliArgs.h"
#include "cli/CliSession.h"

namespace ostrivane::cli {

struct CommandIo {
  QTextStream& out;
  QTextStream& err;
  CliArgs& args;

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

}  // namespace ostrivane::cli
