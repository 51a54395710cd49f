#include "cli/CliHelp.h"

#include "cli/CliFleet.h"

namespace ostrivane::cli {

namespace {

const QStringList kCommonOptions = {QStringLiteral("--data"), QStringLiteral("--quiet"),
                                    QStringLiteral("--trace"), QStringLiteral("--help"),
                                    QStringLiteral("-h")};
const QStringList kLinkOptions = {QStringLiteral("--tcp"),
                                  QStringLiteral("--serial"),
                                  QStringLiteral("--discovery-interface"),
                                  QStringLiteral("--discovery-port"),
                                  QStringLiteral("--device-port"),
                                  QStringLiteral("--listen"),
                                  QStringLiteral("--device"),
                                  QStringLiteral("--devices"),
                                  QStringLiteral("--jobs")};

const char* const kLinkHelp =
    "Reaching the device (default: the only one announced or answering on a USB serial port;\n"
    "  with several, the command lists them and stops). Name it one way only:\n"
    "  --tcp HOST[:PORT]          a device at this address (port 6666 unless given)\n"
    "  --serial PATH              the serial device at PATH (backup --all: an extra port)\n"
    "  --device ID|ADDRESS        the announced device with this identifier or address\n"
    "  --discovery-interface ADDR --discovery-port N (default 1900)\n"
    "  --device-port N            TCP port of announced devices (default 6666)\n"
    "  --listen SECONDS           how long to listen for announcements (default 3)\n"
    "  --devices FILE             every device of an inventory file (lines \"NAME TARGET\",\n"
    "                             TARGET tcp:HOST[:PORT], serial:PATH or id:IDENTIFIER)\n"
    "  --jobs N                   with --devices or --all: devices at once (default 4)\n";

const char* const kCommonHelp =
    "Common options: --data DIR (data folder, default: current directory), --quiet (errors only),\n"
    "  --trace FILE (appends every connection, request and reply as JSON lines, each\n"
    "  tagged with its device, for a support case), --help\n";

const char* const kFilesHelp =
    "Configuration files: FILE.json is the JSON form, FILE.itc (.tmc for type 121) a record;\n"
    "  record decode|encode and config get|put take - for standard input or output.\n"
    "  --lenient      read an old JSON file without the strict checks\n"
    "  --force-model  use a file of another model or firmware all the same (a record whose\n"
    "                 extension or length is not the device's layout, JSON of another type)\n";

const char* const kExitHelp =
    "Exit codes: 0 success, 1 no device found or not identified, 2 usage error,\n"
    "  3 the device failed the operation, 4 a local file or folder problem";

}  // namespace

const QList<CommandSpec>& CommandTable() {
  static const QList<CommandSpec> table = {
      {{QStringLiteral("find")},
       RunFind,
       "",
       "list announced devices and USB serial ports",
       "  --json          per device: identifier, address or port, model, type code, firmware\n"
       "                  versions and MAC address (each device is asked to identify)\n"
       "  --devices FILE  which listed devices answer, and announced devices not listed\n"
       "Example: ostrivane-cli find --discovery-interface 127.0.0.1 --listen 3\n",
       {},
       0,
       0,
       true,
       true,
       false,
       RunFindInventory},
      {{QStringLiteral("identify")},
       RunIdentify,
       "",
       "connect and identify the device",
       "Example: ostrivane-cli identify --tcp 127.0.0.1:6666\n",
       {},
       0,
       0},
      {{QStringLiteral("status")},
       RunStatus,
       "[--watch [--interval MS] [--count N]] [--devices FILE|--all [--format json|prometheus]]",
       "read the device status (or watch it change)",
       "  --watch        poll at the window's pace and print one line per change\n"
       "  --interval MS  time between polls (default 200)\n"
       "  --count N      stop after N lines (default: until Ctrl-C)\n"
       "  --format F     with --devices or --all: one scrape of every device, as json or in the\n"
       "                 Prometheus text format (prometheus: series labelled device=\"NAME\",\n"
       "                 ostrivane_up 0 for a device that did not answer)\n"
       "Example: ostrivane-cli status --devices rack.txt --format prometheus > rack.prom\n",
       {QStringLiteral("--watch"), QStringLiteral("--interval"), QStringLiteral("--count"),
        QStringLiteral("--all"), QStringLiteral("--format")},
       0,
       0,
       true,
       true,
       false,
       RunStatusScrape},
      {{QStringLiteral("record"), QStringLiteral("decode")},
       RunRecordDecode,
       "--type T [--firmware MAIN] [--force-model] FILE",
       "print a configuration record as JSON",
       "  --type T         type code of the device the record belongs to\n"
       "  --firmware MAIN  main firmware version byte (some layouts depend on it)\n"
       "  --force-model    read a record whose extension or length is not this model's\n"
       "  Only the fields the model's record carries are printed, after the DeviceTypeCode\n"
       "  and FirmwareVersion they were read with. FILE - reads standard input.\n"
       "Example: ostrivane-cli record decode --type 131 device.itc\n",
       {QStringLiteral("--type"), QStringLiteral("--firmware"), QStringLiteral("--force-model")},
       1,
       1,
       false},
      {{QStringLiteral("record"), QStringLiteral("encode")},
       RunRecordEncode,
       "--type T [--firmware MAIN] [--lenient] [--force-model] JSON [-o FILE]",
       "build a configuration record from JSON",
       "  Unknown keys, fields the model's record does not carry, values the window would not\n"
       "  accept for the model and characters the device cannot show are errors; a missing key\n"
       "  keeps the model's default (warning). A file read from another type code, or from a\n"
       "  firmware whose record is laid out differently, is refused.\n"
       "  --firmware N   the firmware to build for (default: the file's FirmwareVersion)\n"
       "  --lenient      read old files as before: no checks, missing keys are zero\n"
       "  --force-model  use a file read from another model or firmware all the same\n"
       "  -o FILE        where to write the record (default: standard output)\n"
       "Example: ostrivane-cli record encode --type 131 device.json -o device.itc\n",
       {QStringLiteral("--type"), QStringLiteral("--firmware"), QStringLiteral("--lenient"),
        QStringLiteral("--force-model"), QStringLiteral("-o")},
       1,
       1,
       false,
       false},
      {{QStringLiteral("config"), QStringLiteral("get")},
       RunConfigGet,
       "FILE [--format record|json]",
       "save the device's configuration record (or its JSON form)",
       "  FILE.json gets the JSON form (as record decode prints it), any other name the record;\n"
       "  FILE - writes to standard output.\n"
       "  --format F  record or json whatever the name (default: by the extension)\n"
       "Example: ostrivane-cli config get device.json --tcp 127.0.0.1:6666\n",
       {QStringLiteral("--format")},
       1,
       1},
      {{QStringLiteral("config"), QStringLiteral("put")},
       RunConfigPut,
       "FILE [--store-default] [--no-backup] [--lenient] [--force-model]",
       "send a configuration record or JSON file (and store it as default)",
       "  FILE is a record (.itc, .tmc) or the JSON form (.json, checked as record encode\n"
       "  does); FILE - reads standard input. A record whose extension or length is not the\n"
       "  device's layout, or JSON read from another model, is refused before anything is sent.\n"
       "  --store-default  also store it as the device's factory default\n"
       "  --no-backup      do not save the device's configuration into backups/ first\n"
       "                   (accepts losing what the device holds)\n"
       "  --lenient        read an old JSON file without the strict checks\n"
       "  --force-model    send a file made for another model or firmware all the same\n"
       "Example: ostrivane-cli config put device.itc --tcp 127.0.0.1:6666\n",
       {QStringLiteral("--store-default"), QStringLiteral("--no-backup"),
        QStringLiteral("--lenient"), QStringLiteral("--force-model")},
       1,
       1},
      {{QStringLiteral("config"), QStringLiteral("apply")},
       RunConfigApply,
       "TEMPLATE.json [--values FILE.csv] --devices FILE|--all [--dry-run]",
       "change the keys of a partial configuration on every device",
       "  TEMPLATE.json  the fields to set on every device (only the keys present change)\n"
       "  --values CSV   per-device values: a header row NAME,<field path>... and one row per\n"
       "                 device, e.g. NAME,Services[0].Lcn,Reference\n"
       "  --dry-run      print each device's plan (\"NAME: path: old -> new\"), send nothing\n"
       "  Each device is read, backed up, sent its configuration, read back and verified.\n"
       "Example: ostrivane-cli config apply lcn.json --values lcn.csv --devices rack.txt\n",
       {QStringLiteral("--values"), QStringLiteral("--dry-run"), QStringLiteral("--all"),
        QStringLiteral("--lenient"), QStringLiteral("--no-backup")},
       1,
       1,
       true,
       true,
       false,
       RunConfigApply},
      {{QStringLiteral("rack"), QStringLiteral("check")},
       RunRackCheck,
       "--devices FILE|--all",
       "read every device's configuration and report clashes between them",
       "  One line per clash, naming both devices, the fields and their values: overlapping\n"
       "  channels, the same (original network id, transport stream id), service id or LCN in\n"
       "  one network, destination address and port, or IP address.\n"
       "Example: ostrivane-cli rack check --devices rack.txt\n",
       {QStringLiteral("--all")},
       0,
       0,
       true,
       true,
       true,
       RunRackCheck,
       "clashes were found"},
      {{QStringLiteral("config"), QStringLiteral("diff")},
       RunConfigDiff,
       "FILE [--lenient] [--force-model]",
       "compare a record or JSON file with the device, field by field",
       "  Prints one line per difference: \"Services[0].Lcn: 7 -> 12\" (device -> file).\n"
       "  --lenient      read an old JSON file without the strict checks\n"
       "  --force-model  compare a file made for another model or firmware all the same\n"
       "Example: ostrivane-cli config diff device.itc --tcp 127.0.0.1:6666\n",
       {QStringLiteral("--lenient"), QStringLiteral("--force-model")},
       1,
       1,
       true,
       true,
       true},
      {{QStringLiteral("backup")},
       RunBackup,
       "--all [--into DIR]",
       "save the configuration of every announced and USB serial device",
       "  --all       every announced device and every USB serial device, several at a time\n"
       "  --into DIR  folder for the files (default: backups/ in the data folder)\n"
       "  Each device gives <ID or port>_<Model>_<yyyyMMdd_HHmmss>.itc (or .tmc) and .json.\n"
       "Example: ostrivane-cli backup --all --into saved --discovery-interface 127.0.0.1\n",
       {QStringLiteral("--all"), QStringLiteral("--into")},
       0,
       0},
      {{QStringLiteral("firmware")},
       RunFirmware,
       "check|upgrade [--folder DIR] [--force] [--no-backup] [--devices FILE|--all "
       "[--keep-going]]",
       "compare the firmware images with the device, or install the newer ones",
       "  check           say what an upgrade would install (--json: the images, the versions\n"
       "                  on the device and in the folder, and what would be installed)\n"
       "  upgrade         install the newer images\n"
       "  --folder DIR    folder of the firmware images (default: the data folder)\n"
       "  --force         install even when the image is not newer\n"
       "  --no-backup     do not save the device's configuration into backups/ first\n"
       "  --devices FILE, --all: a rollout: each device is backed up, upgraded, waited for and\n"
       "                  identified again; a device that fails stops the rollout (those under\n"
       "                  way finish) and a table NAME, model, before, after, result ends it\n"
       "  --keep-going    go on with the other devices after a failure\n"
       "Example: ostrivane-cli firmware check --folder firmware --tcp 127.0.0.1:6666\n",
       {QStringLiteral("--folder"), QStringLiteral("--force"), QStringLiteral("--no-backup"),
        QStringLiteral("--all"), QStringLiteral("--keep-going")},
       1,
       1,
       true,
       true,
       false,
       RunFirmwareRollout},
      {{QStringLiteral("logs")},
       RunLogs,
       "[--out DIR]",
       "download the device logs into one file",
       "  --out DIR  folder for the log file (default: the desktop)\n"
       "Example: ostrivane-cli logs --out . --tcp 127.0.0.1:6666\n",
       {QStringLiteral("--out")},
       0,
       0},
      {{QStringLiteral("clock"), QStringLiteral("set")},
       RunClockSet,
       "[--at \"YYYY-MM-DD HH:MM:SS\"]",
       "set the device clock (default: now)",
       "Example: ostrivane-cli clock set --at \"2024-03-05 14:07:09\" --tcp 127.0.0.1:6666\n",
       {QStringLiteral("--at")},
       0,
       0},
      {{QStringLiteral("snapshot")},
       RunSnapshot,
       "FILE.bmp",
       "save the device's 128x64 picture",
       "Example: ostrivane-cli snapshot picture.bmp --tcp 127.0.0.1:6666\n",
       {},
       1,
       1},
      {{QStringLiteral("edid")},
       RunEdid,
       "[--yes]",
       "reprogram the device's EDID table",
       "  Asks for confirmation on a terminal; --yes confirms (required when standard input\n"
       "  is not a terminal).\n"
       "Example: ostrivane-cli edid --yes --tcp 127.0.0.1:6666\n",
       {QStringLiteral("--yes")},
       0,
       0},
      {{QStringLiteral("reset")},
       RunReset,
       "",
       "restart the device",
       "Example: ostrivane-cli reset --tcp 127.0.0.1:6666\n",
       {},
       0,
       0},
  };
  return table;
}

const CommandSpec* FindCommand(const QStringList& words) {
  const CommandSpec* best = nullptr;
  for (const CommandSpec& entry : CommandTable()) {
    if (words.mid(0, entry.words.size()) != entry.words) continue;
    if (!best || entry.words.size() > best->words.size()) best = &entry;
  }
  return best;
}

QString CommandUsage(const CommandSpec& entry) {
  QString text = QStringLiteral("usage: ostrivane-cli %1").arg(entry.words.join(QLatin1Char(' ')));
  if (*entry.synopsis) text += QLatin1Char(' ') + QString::fromUtf8(entry.synopsis);
  if (entry.json) text += QStringLiteral(" [--json]");
  text += QStringLiteral("\n\n%1.\n\n").arg(QString::fromUtf8(entry.summary));
  QString details = QString::fromUtf8(entry.details);
  // The options first, the example last.
  if (entry.json)
    details.insert(details.indexOf(QStringLiteral("Example:")),
                   QStringLiteral("  --json  print the result as JSON\n"));
  text += details;
  text += QLatin1Char('\n');
  if (entry.link) text += QString::fromUtf8(kLinkHelp);
  text += QString::fromUtf8(kCommonHelp);
  text += QString::fromUtf8(kExitHelp);
  text += entry.diffExit ? QStringLiteral(",\n  5 %1.\n").arg(QString::fromUtf8(entry.exit5))
                         : QStringLiteral(".\n");
  return text;
}

QString OverviewUsage() {
  QString text = QStringLiteral("usage: ostrivane-cli COMMAND [options]\n\nCommands:\n");
  for (const CommandSpec& entry : CommandTable()) {
    const QString name = entry.words.join(QLatin1Char(' '));
    text += QStringLiteral("  %1  %2\n").arg(name, -16).arg(QString::fromUtf8(entry.summary));
  }
  text += QStringLiteral(
      "  help [COMMAND]    this overview, or one command's options, example and exit codes\n\n");
  text += QString::fromUtf8(kLinkHelp);
  text += QString::fromUtf8(kCommonHelp);
  text += QStringLiteral("  --version\n");
  text += QString::fromUtf8(kFilesHelp);
  text += QString::fromUtf8(kExitHelp) + QStringLiteral(
                                             ", 5 config diff found differences\n"
                                             "  or rack check found clashes.\n");
  return text;
}

QString CheckOptions(const CommandSpec& entry, const QStringList& given) {
  for (const QString& option : given) {
    if (kCommonOptions.contains(option) || entry.options.contains(option)) continue;
    if (entry.link && kLinkOptions.contains(option)) continue;
    if (entry.json && option == QStringLiteral("--json")) continue;
    return QStringLiteral("%1 does not take %2").arg(entry.words.join(QLatin1Char(' ')), option);
  }
  return {};
}

}  // namespace ostrivane::cli
