#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace ostrivane::cli {

// A values file: a header row ("NAME" then one field path per column) and one row per device.
struct ValuesTable {
  QStringList paths;                        // the header after NAME
  QList<QPair<QString, QStringList>> rows;  // NAME and its values, in file order
  QString error;                            // "line N: why" when the file is not such a table

  const QStringList* Row(const QString& name) const;
};

// RFC 4180 CSV (quoted fields, doubled quotes, CRLF or LF) read as a values table.
ValuesTable ParseValuesCsv(const QByteArray& text);

// Lays template over base: objects key by key, arrays slot by slot, any other value replaced.
// A key that base does not have is an error ("Services[4]: no such field"); empty when applied.
QString ApplyTemplate(QJsonObject& base, const QJsonObject& overlay);

// Sets the field at path ("Services[0].Lcn", "Reference") to text, read as a whole number when
// the field holds one. Empty when set, else why not.
QString SetFieldPath(QJsonObject& config, const QString& path, const QString& text);

}  // namespace ostrivane::cli
