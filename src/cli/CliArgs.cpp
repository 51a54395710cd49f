#include "cli/CliArgs.h"

#include <QSet>

namespace ostrivane::cli {

namespace {

const QSet<QString>& ValueOptions() {
  static const QSet<QString> names = {QStringLiteral("--tcp"),
                                      QStringLiteral("--serial"),
                                      QStringLiteral("--discovery-interface"),
                                      QStringLiteral("--discovery-port"),
                                      QStringLiteral("--listen"),
                                      QStringLiteral("--type"),
                                      QStringLiteral("--firmware"),
                                      QStringLiteral("-o"),
                                      QStringLiteral("--folder"),
                                      QStringLiteral("--out"),
                                      QStringLiteral("--at"),
                                      QStringLiteral("--data"),
                                      QStringLiteral("--device-port"),
                                      QStringLiteral("--device"),
                                      QStringLiteral("--trace"),
                                      QStringLiteral("--into"),
                                      QStringLiteral("--interval"),
                                      QStringLiteral("--count"),
                                      QStringLiteral("--devices"),
                                      QStringLiteral("--jobs"),
                                      QStringLiteral("--values"),
                                      QStringLiteral("--format")};
  return names;
}

const QSet<QString>& FlagOptions() {
  static const QSet<QString> names = {QStringLiteral("--json"),
                                      QStringLiteral("--force"),
                                      QStringLiteral("--store-default"),
                                      QStringLiteral("--quiet"),
                                      QStringLiteral("--no-backup"),
                                      QStringLiteral("--help"),
                                      QStringLiteral("-h"),
                                      QStringLiteral("--version"),
                                      QStringLiteral("--lenient"),
                                      QStringLiteral("--all"),
                                      QStringLiteral("--watch"),
                                      QStringLiteral("--yes"),
                                      QStringLiteral("--dry-run"),
                                      QStringLiteral("--keep-going"),
                                      QStringLiteral("--force-model")};
  return names;
}

}  // namespace

CliArgs ParseCliArgs(const QStringList& arguments) {
  CliArgs args;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& word = arguments.at(i);
    if (!word.startsWith(QLatin1Char('-')) || word == QStringLiteral("-")) {
      args.positional << word;
      continue;
    }
    QString name = word;
    QString inlineValue;
    const qsizetype eq = word.indexOf(QLatin1Char('='));
    if (eq > 0) {
      name = word.left(eq);
      inlineValue = word.mid(eq + 1);
    }
    if (FlagOptions().contains(name) && eq > 0) {
      args.error = QStringLiteral("option %1 takes no value").arg(name);
      return args;
    }
    if (FlagOptions().contains(name)) {
      args.options[name] << QString();
    } else if (ValueOptions().contains(name)) {
      if (eq < 0 && i + 1 >= arguments.size()) {
        args.error = QStringLiteral("option %1 needs a value").arg(name);
        return args;
      }
      args.options[name] << (eq > 0 ? inlineValue : arguments.at(++i));
    } else {
      args.error = QStringLiteral("unknown option %1").arg(word);
      return args;
    }
  }
  return args;
}

bool CliArgs::IntValue(const QString& name, int low, int high, int& value) {
  if (!Has(name)) return true;
  bool ok = false;
  const int parsed = Value(name).toInt(&ok);
  if (!ok || parsed < low || parsed > high) {
    error = QStringLiteral("%1 must be a number from %2 to %3").arg(name).arg(low).arg(high);
    return false;
  }
  value = parsed;
  return true;
}

bool CliArgs::SelectTarget(LinkRequest& request) {
  const QStringList once = {QStringLiteral("--tcp"), QStringLiteral("--device"),
                            QStringLiteral("--all")};
  for (const QString& name : once) {
    if (options.value(name).size() > 1) {
      error = QStringLiteral("%1 may be given once").arg(name);
      return false;
    }
  }
  const bool all = Has(QStringLiteral("--all"));
  // With --all the serial paths are extra ports to include; otherwise each names one device.
  if (!all && options.value(QStringLiteral("--serial")).size() > 1) {
    error = QStringLiteral("--serial may be given once (backup --all takes several)");
    return false;
  }
  QStringList named;
  for (const QString& name : {QStringLiteral("--tcp"), QStringLiteral("--serial"),
                              QStringLiteral("--device"), QStringLiteral("--all")}) {
    if (Has(name) && !(all && name == QStringLiteral("--serial"))) named << name;
  }
  if (named.size() > 1) {
    error = QStringLiteral("%1 exclude each other: name the device one way")
                .arg(named.join(QStringLiteral(" and ")));
    return false;
  }
  request.selector = all                               ? TargetSelector::All
                     : Has(QStringLiteral("--tcp"))    ? TargetSelector::Tcp
                     : Has(QStringLiteral("--serial")) ? TargetSelector::Serial
                     : Has(QStringLiteral("--device")) ? TargetSelector::Device
                                                       : TargetSelector::Unnamed;
  return true;
}

bool CliArgs::ToLinkRequest(LinkRequest& request) {
  if (!SelectTarget(request)) return false;
  if (Has(QStringLiteral("--tcp"))) {
    const QString target = Value(QStringLiteral("--tcp"));
    const qsizetype colon = target.lastIndexOf(QLatin1Char(':'));
    request.tcpHost = colon > 0 ? target.left(colon) : target;
    if (colon > 0) {
      bool ok = false;
      const uint port = target.mid(colon + 1).toUInt(&ok);
      if (!ok || port == 0 || port > 65535) {
        error = QStringLiteral("--tcp expects HOST[:PORT] with a port from 1 to 65535");
        return false;
      }
      request.tcpPort = static_cast<quint16>(port);
    }
    if (request.tcpHost.isEmpty()) {
      error = QStringLiteral("--tcp expects HOST[:PORT]");
      return false;
    }
  }
  int devicePort = request.tcpPort;
  if (!IntValue(QStringLiteral("--device-port"), 1, 65535, devicePort)) return false;
  if (!Has(QStringLiteral("--tcp"))) request.tcpPort = static_cast<quint16>(devicePort);
  request.serialPaths = options.value(QStringLiteral("--serial"));
  request.discoveryInterface = Value(QStringLiteral("--discovery-interface"));
  request.device = Value(QStringLiteral("--device"));
  if (Has(QStringLiteral("--device")) && request.device.isEmpty()) {
    error = QStringLiteral("--device expects an announced identifier or address");
    return false;
  }
  int port = request.discoveryPort;
  if (!IntValue(QStringLiteral("--discovery-port"), 1, 65535, port)) return false;
  request.discoveryPort = static_cast<quint16>(port);
  if (Has(QStringLiteral("--listen"))) {
    bool ok = false;
    request.listenSeconds = Value(QStringLiteral("--listen")).toDouble(&ok);
    if (!ok || request.listenSeconds < 0 || request.listenSeconds > 600) {
      error = QStringLiteral("--listen expects a number of seconds from 0 to 600");
      return false;
    }
  }
  return true;
}

}  // namespace ostrivane::cli
