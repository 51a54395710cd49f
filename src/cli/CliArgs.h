#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include "cli/CliSession.h"

namespace ostrivane::cli {

// A parsed command line: the command words and files in order, and the options by name.
struct CliArgs {
  QStringList positional;
  QMap<QString, QStringList> options;  // "--serial" may repeat
  QString error;                       // set when the line cannot be parsed

  bool Has(const QString& name) const { return options.contains(name); }
  QString Value(const QString& name) const {
    return options.contains(name) ? options.value(name).last() : QString();
  }
  // Integer option within [low, high]; false with error set when malformed.
  bool IntValue(const QString& name, int low, int high, int& value);
  // The link options shared by every device command.
  bool ToLinkRequest(LinkRequest& request);

 private:
  // --tcp, --serial, --device and --all: at most one of them, each at most once.
  bool SelectTarget(LinkRequest& request);
};

CliArgs ParseCliArgs(const QStringList& arguments);

}  // namespace ostrivane::cli
