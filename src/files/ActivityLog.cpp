#include "files/ActivityLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ostrivane {

namespace {

const QString kFileName = QStringLiteral("activity.log");

// Texts from a device (identifiers, versions) are untrusted: one line, no control characters.
QString OneLine(const QString& text) {
  QString line = text;
  for (QChar& c : line) {
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
        c == QChar::ParagraphSeparator) {
      c = QLatin1Char(' ');
    }
  }
  return line.trimmed();
}

}  // namespace

ActivityLog::ActivityLog(QString folder) : m_folder(std::move(folder)) {}

QString ActivityLog::Path() const {
  return QDir(m_folder).filePath(kFileName);
}

QString ActivityLog::Line(const QDateTime& at, const QString& device, const QString& event) {
  // With its offset from UTC, so that lines from two computers can be put side by side.
  const QDateTime withOffset = at.toOffsetFromUtc(at.offsetFromUtc());
  QString name = OneLine(device);
  name.replace(QLatin1Char(' '), QLatin1Char('_'));
  if (name.isEmpty()) name = QStringLiteral("-");
  return withOffset.toString(Qt::ISODate) + QLatin1Char(' ') + name + QLatin1Char(' ') +
         OneLine(event) + QLatin1Char('\n');
}

bool ActivityLog::Append(const QDateTime& at, const QString& device, const QString& event) {
  const QByteArray line = Line(at, device, event).toUtf8();
  if (QFileInfo(Path()).size() + line.size() > kRotateBytes) Rotate();
  QFile file(Path());
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  return file.write(line) == line.size();
}

void ActivityLog::Rotate() const {
  QDir folder(m_folder);
  const auto name = [](int n) {
    return n == 0 ? kFileName : kFileName + QLatin1Char('.') + QString::number(n);
  };
  folder.remove(name(kKeptFiles - 1));
  for (int n = kKeptFiles - 2; n >= 0; --n) folder.rename(name(n), name(n + 1));
}

}  // namespace ostrivane
