#include "cli/fleet/ConfigTemplate.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace ostrivane::cli {

namespace {

// CSV text as records of fields, each with the line it starts on.
struct CsvRecords {
  QList<QStringList> records;
  QList<int> lines;
  int badLine = 0;  // a quote left open or text after a closing quote
};

class CsvSplitter {
 public:
  CsvRecords Split(const QString& text) {
    for (qsizetype i = 0; i < text.size() && !m_result.badLine; ++i) {
      const QChar c = text.at(i);
      if (m_quoted && c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
        m_field += u'"';
        ++i;
      } else if (m_quoted) {
        m_quoted = c != u'"';
        if (c == u'\n') ++m_line;
        if (m_quoted) m_field += c;
      } else {
        Plain(c);
      }
    }
    if (m_quoted) m_result.badLine = m_recordLine;
    if (!m_result.badLine) EndRecord();
    return m_result;
  }

 private:
  void Plain(QChar c) {
    if (c == u'"' && m_field.isEmpty() && !m_wasQuoted) {
      m_quoted = m_wasQuoted = true;
    } else if (c == u',' || c == u'\n') {
      EndField();
      if (c == u'\n') EndRecord();
    } else if (c != u'\r') {
      if (m_wasQuoted) m_result.badLine = m_line;
      m_field += c;
    }
  }
  void EndField() {
    m_record << (m_wasQuoted ? m_field : m_field.trimmed());
    m_field.clear();
    m_wasQuoted = false;
  }
  void EndRecord() {
    if (!m_field.isEmpty() || m_wasQuoted) EndField();
    if (m_record.size() > 1 || (m_record.size() == 1 && !m_record.first().isEmpty())) {
      m_result.records << m_record;
      m_result.lines << m_recordLine;
    }
    m_record.clear();
    m_recordLine = ++m_line;
  }

  CsvRecords m_result;
  QStringList m_record;
  QString m_field;
  bool m_quoted = false;
  bool m_wasQuoted = false;
  int m_line = 1;
  int m_recordLine = 1;
};

QString ApplyAt(QJsonObject& base, const QJsonObject& overlay, const QString& prefix);

QString Merge(QJsonValue& base, const QJsonValue& overlay, const QString& path) {
  if (base.isObject() && overlay.isObject()) {
    QJsonObject object = base.toObject();
    if (QString why = ApplyAt(object, overlay.toObject(), path); !why.isEmpty()) return why;
    base = object;
    return {};
  }
  if (base.isArray() && overlay.isArray()) {
    QJsonArray array = base.toArray();
    const QJsonArray slots = overlay.toArray();
    if (slots.size() > array.size())
      return QStringLiteral("%1[%2]: no such field").arg(path).arg(array.size());
    for (qsizetype i = 0; i < slots.size(); ++i) {
      QJsonValue slot = array.at(i);
      if (QString why = Merge(slot, slots.at(i), QStringLiteral("%1[%2]").arg(path).arg(i));
          !why.isEmpty())
        return why;
      array.replace(i, slot);
    }
    base = array;
    return {};
  }
  if (base.isObject() || base.isArray() || overlay.isObject() || overlay.isArray())
    return QStringLiteral("%1: expected %2")
        .arg(path, base.isArray()    ? QStringLiteral("an array")
                   : base.isObject() ? QStringLiteral("an object")
                                     : QStringLiteral("a single value"));
  base = overlay;  // the strict reader judges the value's type and range afterwards
  return {};
}

QString ApplyAt(QJsonObject& base, const QJsonObject& overlay, const QString& prefix) {
  for (auto it = overlay.constBegin(); it != overlay.constEnd(); ++it) {
    const QString path = prefix.isEmpty() ? it.key() : prefix + u'.' + it.key();
    if (!base.contains(it.key())) return QStringLiteral("%1: no such field").arg(path);
    QJsonValue value = base.value(it.key());
    if (QString why = Merge(value, it.value(), path); !why.isEmpty()) return why;
    base.insert(it.key(), value);
  }
  return {};
}

struct PathStep {
  QString key;
  int index = -1;  // -1: no [N]
};

bool ParsePath(const QString& path, QList<PathStep>& steps) {
  static const QRegularExpression step(
      QStringLiteral("^([A-Za-z][A-Za-z0-9]*)(?:\\[(\\d{1,3})\\])?$"));
  for (const QString& part : path.split(u'.')) {
    const QRegularExpressionMatch match = step.match(part);
    if (!match.hasMatch()) return false;
    steps.append({match.captured(1), match.hasCaptured(2) ? match.captured(2).toInt() : -1});
  }
  return !steps.isEmpty();
}

// The value at steps in config, undefined when there is none.
QJsonValue Lookup(const QJsonObject& config, const QList<PathStep>& steps) {
  QJsonValue node = config;
  for (const PathStep& step : steps) {
    node = node.toObject().value(step.key);
    if (step.index >= 0) node = node.isArray() ? node.toArray().at(step.index) : QJsonValue();
    if (node.isUndefined()) return node;
  }
  return node;
}

}  // namespace

const QStringList* ValuesTable::Row(const QString& name) const {
  for (const auto& row : rows)
    if (row.first == name) return &row.second;
  return nullptr;
}

ValuesTable ParseValuesCsv(const QByteArray& text) {
  ValuesTable table;
  QByteArray bytes = text;
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  const CsvRecords csv = CsvSplitter().Split(QString::fromUtf8(bytes));
  if (csv.badLine) {
    table.error = QStringLiteral("line %1: a quoted field is not closed properly").arg(csv.badLine);
    return table;
  }
  if (csv.records.isEmpty() || csv.records.first().value(0) != QStringLiteral("NAME")) {
    table.error = QStringLiteral("line 1: the header must start with NAME");
    return table;
  }
  table.paths = csv.records.first().mid(1);
  for (qsizetype r = 1; r < csv.records.size(); ++r) {
    const QStringList& record = csv.records.at(r);
    QString why;
    if (record.size() != table.paths.size() + 1)
      why = QStringLiteral("%1 fields where the header has %2")
                .arg(record.size())
                .arg(table.paths.size() + 1);
    else if (table.Row(record.first()))
      why = QStringLiteral("the name \"%1\" has a second row").arg(record.first());
    if (!why.isEmpty()) {
      table.error = QStringLiteral("line %1: %2").arg(csv.lines.at(r)).arg(why);
      table.rows.clear();
      return table;
    }
    table.rows.append({record.first(), record.mid(1)});
  }
  return table;
}

QString ApplyTemplate(QJsonObject& base, const QJsonObject& overlay) {
  return ApplyAt(base, overlay, {});
}

QString SetFieldPath(QJsonObject& config, const QString& path, const QString& text) {
  QList<PathStep> steps;
  if (!ParsePath(path, steps)) return QStringLiteral("%1: not a field path").arg(path);
  const QJsonValue current = Lookup(config, steps);
  if (current.isUndefined() || current.isObject() || current.isArray())
    return QStringLiteral("%1: no such field").arg(path);
  QJsonValue value = text;
  if (current.isDouble()) {
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    if (!ok) return QStringLiteral("%1: \"%2\" is not a whole number").arg(path, text);
    value = number;
  }
  // The value as a one-field template, laid over the configuration like one.
  for (qsizetype i = steps.size() - 1; i >= 0; --i) {
    QJsonValue inner = value;
    if (steps.at(i).index >= 0) {
      // The slots before it are laid over with what they hold.
      QList<PathStep> array = steps.mid(0, i + 1);
      array.last().index = -1;
      QJsonArray slots = Lookup(config, array).toArray();
      while (slots.size() > steps.at(i).index) slots.removeLast();
      slots.append(inner);
      inner = slots;
    }
    value = QJsonObject{{steps.at(i).key, inner}};
  }
  return ApplyTemplate(config, value.toObject());
}

}  // namespace ostrivane::cli
