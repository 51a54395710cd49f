#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "cli/CliCommands.h"

namespace ostrivane::cli {

// One command of the tool: its words, what it accepts and its own usage text.
struct CommandSpec {
  QStringList words;
  int (*handler)(CommandIo&) = nullptr;
  const char* synopsis = "";  // arguments after the words
  const char* summary = "";   // one line for the overview
  const char* details = "";   // options and an example, for "help COMMAND"
  QStringList options;        // accepted besides the common and link options
  int minArgs = 0;
  int maxArgs = 0;
  bool link = true;       // reaches a device: link options apply
  bool json = true;       // --json is accepted
  bool diffExit = false;  // exits 5 when a difference was found
  // Runs the command on a fleet (--devices FILE, --all); nullptr: the handler once per device.
  int (*fleet)(CommandIo&) = nullptr;
  const char* exit5 = "the device differs from the file";  // what exit code 5 means
};

const QList<CommandSpec>& CommandTable();
// The command named at the start of words (longest match), or nullptr.
const CommandSpec* FindCommand(const QStringList& words);
// "help COMMAND" text: usage line, options, example, exit codes.
QString CommandUsage(const CommandSpec& entry);
// The overview that "help" prints.
QString OverviewUsage();
// Empty when every option given is one that the command accepts, else a sentence saying which.
QString CheckOptions(const CommandSpec& entry, const QStringList& given);

}  // namespace ostrivane::cli
