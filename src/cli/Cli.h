#pragma once

#include <QStringList>
#include <QTextStream>

namespace ostrivane::cli {

// Exit codes of every command.
enum ExitCode : int {
  kExitOk = 0,
  kExitNoDevice = 1,  // no device found or not identified
  kExitUsage = 2,     // bad command line
  kExitFailed = 3,    // the device failed the operation
  kExitLocal = 4,     // a file or folder that cannot be read or written, or is not valid
  kExitDiffers = 5,   // config diff: the device holds another configuration
};

// Runs one ostrivane-cli command line (arguments without the program name).
int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace ostrivane::cli
