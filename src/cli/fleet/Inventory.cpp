#include "cli/fleet/Inventory.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace ostrivane::cli {

namespace {

bool IsValidName(const QString& name) {
  static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_.-]+$"));
  return pattern.match(name).hasMatch();
}

// "HOST[:PORT]" into entry; false with why set when the port is not 1..65535.
bool ParseTcpTarget(const QString& rest, InventoryEntry& entry, QString& why) {
  const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
  entry.host = colon > 0 ? rest.left(colon) : rest;
  if (entry.host.isEmpty() || rest.startsWith(QLatin1Char(':'))) {
    why = QStringLiteral("tcp: needs a host");
    return false;
  }
  if (colon < 0) return true;
  bool ok = false;
  const uint port = rest.mid(colon + 1).toUInt(&ok);
  if (!ok || port == 0 || port > 65535) {
    why = QStringLiteral("the port of \"%1\" must be a number from 1 to 65535").arg(rest);
    return false;
  }
  entry.port = static_cast<std::uint16_t>(port);
  return true;
}

bool ParseTarget(const QString& target, InventoryEntry& entry, QString& why) {
  const qsizetype colon = target.indexOf(QLatin1Char(':'));
  const QString scheme = colon > 0 ? target.left(colon) : QString();
  const QString rest = colon > 0 ? target.mid(colon + 1) : QString();
  if (scheme == QStringLiteral("tcp")) {
    entry.scheme = InventoryEntry::Scheme::Tcp;
    return ParseTcpTarget(rest, entry, why);
  }
  if (scheme == QStringLiteral("serial") || scheme == QStringLiteral("id")) {
    const bool serial = scheme == QStringLiteral("serial");
    entry.scheme = serial ? InventoryEntry::Scheme::Serial : InventoryEntry::Scheme::Id;
    (serial ? entry.path : entry.identifier) = rest;
    if (rest.isEmpty()) why = QStringLiteral("%1: needs a value").arg(scheme);
    return !rest.isEmpty();
  }
  why = QStringLiteral(
            "unknown target \"%1\" (expected tcp:HOST[:PORT], serial:PATH or "
            "id:IDENTIFIER)")
            .arg(target);
  return false;
}

// One non-empty line without its comment; false with why set when it is not "NAME TARGET".
bool ParseLine(const QString& line, InventoryEntry& entry, QString& why) {
  const QStringList words =
      line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  if (words.size() != 2) {
    why = QStringLiteral("expected \"NAME TARGET [# comment]\"");
    return false;
  }
  entry.name = words.at(0);
  if (!IsValidName(entry.name)) {
    why =
        QStringLiteral("the name \"%1\" may hold only letters, digits and \"-_.\"").arg(entry.name);
    return false;
  }
  return ParseTarget(words.at(1), entry, why);
}

}  // namespace

QString InventoryEntry::Target() const {
  switch (scheme) {
    case Scheme::Serial:
      return QStringLiteral("serial:") + path;
    case Scheme::Id:
      return QStringLiteral("id:") + identifier;
    case Scheme::Tcp:
      break;
  }
  return port ? QStringLiteral("tcp:%1:%2").arg(host).arg(port) : QStringLiteral("tcp:") + host;
}

int Inventory::IndexOf(const QString& name) const {
  for (int i = 0; i < entries.size(); ++i)
    if (entries.at(i).name == name) return i;
  return -1;
}

Inventory ParseInventory(const QByteArray& text) {
  Inventory inventory;
  QByteArray bytes = text;
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
  QSet<QString> names;
  for (int i = 0; i < lines.size(); ++i) {
    QString line = lines.at(i);
    if (const qsizetype hash = line.indexOf(QLatin1Char('#')); hash >= 0) line.truncate(hash);
    if (line.trimmed().isEmpty()) continue;
    InventoryEntry entry;
    entry.line = i + 1;
    QString why;
    if (ParseLine(line, entry, why) && names.contains(entry.name))
      why = QStringLiteral("the name \"%1\" is listed twice").arg(entry.name);
    if (!why.isEmpty()) {
      inventory.entries.clear();
      inventory.error = QStringLiteral("line %1: %2").arg(entry.line).arg(why);
      return inventory;
    }
    names.insert(entry.name);
    inventory.entries.append(entry);
  }
  return inventory;
}

}  // namespace ostrivane::cli
