#include "cli/Cli.h"

#include "cli/CliCommands.h"
#include "cli/CliFleet.h"
#include "cli/CliHelp.h"
#include "link/LinkTrace.h"

namespace ostrivane::cli {

namespace {

int UnknownCommand(CommandIo& io, const QStringList& words) {
  io.Fail(kExitUsage, QStringLiteral("unknown command \"%1\".").arg(words.join(QLatin1Char(' '))));
  io.err << OverviewUsage() << Qt::flush;
  return kExitUsage;
}

int RunHelp(CommandIo& io) {
  const QStringList topic = io.args.positional.mid(1);
  if (topic.isEmpty() || topic == QStringList{QStringLiteral("help")}) {
    io.out << OverviewUsage() << Qt::flush;
    return kExitOk;
  }
  const CommandSpec* entry = FindCommand(topic);
  if (!entry || entry->words.size() != topic.size()) return UnknownCommand(io, topic);
  io.out << CommandUsage(*entry) << Qt::flush;
  return kExitOk;
}

// Usage errors the table can see: options the command does not take, argument counts.
QString CheckLine(const CommandSpec& entry, const CliArgs& args) {
  if (const QString problem = CheckOptions(entry, args.options.keys()); !problem.isEmpty())
    return problem;
  const QStringList rest = args.positional.mid(entry.words.size());
  const QString name = entry.words.join(QLatin1Char(' '));
  if (rest.size() > entry.maxArgs)
    return QStringLiteral("%1: unexpected argument \"%2\"").arg(name, rest.at(entry.maxArgs));
  if (rest.size() < entry.minArgs)
    return QStringLiteral("%1 needs %2").arg(name, QString::fromUtf8(entry.synopsis));
  return {};
}

int RunCommand(CommandIo& io, const CommandSpec& entry, const QStringList& arguments) {
  if (const QString problem = CheckLine(entry, io.args); !problem.isEmpty()) {
    io.Fail(kExitUsage, problem + QStringLiteral("."));
    io.err << QStringLiteral("See \"ostrivane-cli help %1\".\n")
                  .arg(entry.words.join(QLatin1Char(' ')))
           << Qt::flush;
    return kExitUsage;
  }
  const bool fleet = entry.link && (io.args.Has(QStringLiteral("--devices")) ||
                                    (entry.fleet && io.args.Has(QStringLiteral("--all"))));
  if (io.args.Has(QStringLiteral("--jobs")) && !fleet && !io.args.Has(QStringLiteral("--all")))
    return io.Fail(kExitUsage, QStringLiteral("--jobs goes with --devices FILE or --all."));
  LinkTrace trace;
  if (io.args.Has(QStringLiteral("--trace"))) {
    const QString path = io.args.Value(QStringLiteral("--trace"));
    QString why;
    if (!trace.Open(path, QStringList{QStringLiteral("ostrivane-cli")} + arguments, &why))
      return io.Fail(kExitLocal, QStringLiteral("cannot write the trace %1: %2.").arg(path, why));
    io.trace = &trace;
  }
  io.args.positional = io.args.positional.mid(entry.words.size());
  const int code = !fleet        ? entry.handler(io)
                   : entry.fleet ? entry.fleet(io)
                                 : RunOnFleet(io, entry);
  io.trace = nullptr;
  return code;
}

}  // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err) {
  CliArgs args = ParseCliArgs(arguments);
  CommandIo io{out, err, args};
  if (args.error.isEmpty() && args.Has(QStringLiteral("--version"))) {
    if (!args.positional.isEmpty())
      return io.Fail(kExitUsage, QStringLiteral("--version takes nothing else."));
    out << "ostrivane-cli " << OSTRIVANE_VERSION << Qt::endl;
    return kExitOk;
  }
  if (!args.error.isEmpty()) {
    io.Fail(kExitUsage, args.error + QStringLiteral("."));
    err << "See \"ostrivane-cli help\".\n" << Qt::flush;
    return kExitUsage;
  }
  int code = kExitUsage;
  const bool help = args.Has(QStringLiteral("--help")) || args.Has(QStringLiteral("-h"));
  if (args.positional.isEmpty()) {
    (help ? out : err) << OverviewUsage() << Qt::flush;
    code = help ? kExitOk : kExitUsage;
  } else if (args.positional.first() == QStringLiteral("help")) {
    code = RunHelp(io);
  } else if (const CommandSpec* entry = FindCommand(args.positional); !entry) {
    code = UnknownCommand(io, args.positional);
  } else if (help) {
    out << CommandUsage(*entry) << Qt::flush;
    code = kExitOk;
  } else {
    code = RunCommand(io, *entry, arguments);
  }
  out.flush();
  err.flush();
  return code;
}

}  // namespace ostrivane::cli
