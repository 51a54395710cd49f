#include "files/LastDevice.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace ostrivane {

namespace {

// An announcement is at most 255 bytes, so no identifier is longer.
constexpr qsizetype kMaxIdentifier = 255;
constexpr char16_t kFirstPrintable = u'!';
constexpr char16_t kLastPrintable = u'~';

QString PathIn(const QString& dataFolder) {
  return QDir(dataFolder).filePath(QString::fromLatin1(kLastDeviceFile));
}

}  // namespace

bool IsAnnouncedIdentifier(const QString& identifier) {
  if (identifier.isEmpty() || identifier.size() > kMaxIdentifier) return false;
  return std::all_of(identifier.begin(), identifier.end(), [](QChar c) {
    return c.unicode() >= kFirstPrintable && c.unicode() <= kLastPrintable && c != u'_';
  });
}

QString LoadLastDevice(const QString& dataFolder) {
  QFile file(PathIn(dataFolder));
  if (!file.open(QIODevice::ReadOnly)) return {};
  // Read one byte past the longest identifier so that an overlong file is refused, not cut.
  const QString text = QString::fromLatin1(file.read(kMaxIdentifier + 2)).trimmed();
  return IsAnnouncedIdentifier(text) ? text : QString();
}

bool SaveLastDevice(const QString& dataFolder, const QString& identifier) {
  if (!IsAnnouncedIdentifier(identifier)) return false;
  QSaveFile file(PathIn(dataFolder));
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray line = identifier.toLatin1() + '\n';
  if (file.write(line) != line.size()) return false;
  return file.commit();
}

}  // namespace ostrivane
