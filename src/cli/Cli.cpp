#include "cli/Cli.h"

#include "cli/CliCommands.h"

namespace ostrivane::cli {

namespace {

const char* const kUsage =
    "usage: ostrivane-cli COMMAND [options]\n"
    "\n"
    "Commands:\n"
    "  find [--json]                         list announced devices and USB serial ports\n"
    "  identify [--json]                     connect and identify the device\n"
    "  status [--json]                       read the device status\n"
    "  record decode --type T [--firmware MAIN] FILE\n"
    "                                        print a configuration record as JSON\n"
    "  record encode --type T [--firmware MAIN] JSON [-o FILE]\n"
    "                                        build a configuration record from JSON\n"
    "  config get FILE                       save the device's configuration record\n"
    "  config put FILE [--store-default] [--no-backup]\n"
    "                                        send a configuration record (and store it as "
    "default)\n"
    "  firmware check|upgrade [--folder DIR] [--force] [--no-backup]\n"
    "  logs [--out DIR]                      download the device logs into one text file\n"
    "  clock set [--at \"YYYY-MM-DD HH:MM:SS\"]  set the device clock (default: now)\n"
    "  snapshot FILE.bmp                     save the device's 128x64 picture\n"
    "  edid                                  reprogram the device's EDID table\n"
    "  reset                                 restart the device\n"
    "\n"
    "Link options: --tcp HOST[:PORT]  --serial PATH (repeatable)  --discovery-interface ADDR\n"
    "              --discovery-port N  --device-port N (TCP port of announced devices, default "
    "6666)\n"
    "              --listen SECONDS (default 3)\n"
    "Other: --data DIR (data folder, default: current directory)  --quiet\n"
    "       config put and firmware upgrade first save the device's configuration into\n"
    "       DIR/backups/; --no-backup skips that and accepts losing what the device holds\n"
    "\n"
    "Exit codes: 0 success, 1 no device found or not identified, 2 usage error,\n"
    "            3 the device failed the operation.\n";

using Handler = int (*)(CommandIo&);

struct CommandEntry {
  QStringList words;
  Handler handler;
};

const QList<CommandEntry>& Commands() {
  static const QList<CommandEntry> table = {
      {{QStringLiteral("find")}, RunFind},
      {{QStringLiteral("identify")}, RunIdentify},
      {{QStringLiteral("status")}, RunStatus},
      {{QStringLiteral("record"), QStringLiteral("decode")}, RunRecordDecode},
      {{QStringLiteral("record"), QStringLiteral("encode")}, RunRecordEncode},
      {{QStringLiteral("config"), QStringLiteral("get")}, RunConfigGet},
      {{QStringLiteral("config"), QStringLiteral("put")}, RunConfigPut},
      {{QStringLiteral("firmware")}, RunFirmware},
      {{QStringLiteral("logs")}, RunLogs},
      {{QStringLiteral("clock"), QStringLiteral("set")}, RunClockSet},
      {{QStringLiteral("snapshot")}, RunSnapshot},
      {{QStringLiteral("edid")}, RunEdid},
      {{QStringLiteral("reset")}, RunReset},
  };
  return table;
}

}  // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err) {
  CliArgs args = ParseCliArgs(arguments);
  CommandIo io{out, err, args};
  if (args.Has(QStringLiteral("--help")) || args.Has(QStringLiteral("-h"))) {
    out << kUsage << Qt::flush;
    return kExitOk;
  }
  if (!args.error.isEmpty()) return io.Fail(kExitUsage, args.error + QStringLiteral("."));
  for (const CommandEntry& entry : Commands()) {
    if (args.positional.mid(0, entry.words.size()) != entry.words) continue;
    args.positional = args.positional.mid(entry.words.size());
    const int code = entry.handler(io);
    out.flush();
    err.flush();
    return code;
  }
  err << kUsage << Qt::flush;
  if (args.positional.isEmpty()) return kExitUsage;
  return io.Fail(
      kExitUsage,
      QStringLiteral("unknown command \"%1\".").arg(args.positional.join(QLatin1Char(' '))));
}

}  // namespace ostrivane::cli
