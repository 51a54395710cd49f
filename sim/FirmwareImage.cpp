#include "sim/FirmwareImage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace ostrivane::sim {

namespace {

constexpr char kPreamble[] = "OSTRIVANE IMAGE\n";
constexpr qsizetype kMarkSearchEnd = kImageMarkOffset + kImageMarkSize + 1;
constexpr int kMaxFileVersion = 99;

}  // namespace

QByteArray FirmwareImageContent(std::uint8_t version, qsizetype size) {
  QByteArray content(std::max<qsizetype>(size, 0), '\0');
  // Filler that exercises byte stuffing (it holds 0x02 bytes) and makes byte sums non-trivial.
  for (qsizetype i = 0; i < content.size(); ++i) {
    content[i] = static_cast<char>((i * 31 + version * 7 + (i >> 8)) & 0xFF);
  }
  if (content.size() < kMinimumMarkedImage) return content;
  content.replace(0, kImageMarkOffset, QByteArray(kPreamble, kImageMarkOffset));
  content.replace(kImageMarkOffset, kImageMarkSize, QByteArray(kImageMark, kImageMarkSize));
  content[kImageMarkOffset + kImageMarkSize] = static_cast<char>(version);
  return content;
}

QString FirmwareFileName(const QString& name, int version, const QByteArray& content,
                         const FirmwareFileOptions& options) {
  QByteArray digest = QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex();
  if (options.wrongDigest)
    digest = QCryptographicHash::hash(content + "x", QCryptographicHash::Md5).toHex();
  const QString hex = options.lowerCaseDigest ? QString::fromLatin1(digest).toLower()
                                              : QString::fromLatin1(digest).toUpper();
  return QStringLiteral("%1_%2%3%4.bin")
      .arg(name)
      .arg(std::clamp(version, 0, kMaxFileVersion), 2, 10, QLatin1Char('0'))
      .arg(options.middle, hex);
}

QString WriteFirmwareImage(const QString& folder, const QString& name, int version, qsizetype size,
                           const FirmwareFileOptions& options) {
  const QByteArray content =
      FirmwareImageContent(static_cast<std::uint8_t>(std::clamp(version, 0, 255)), size);
  if (!QDir().mkpath(folder)) return {};
  const QString path = QDir(folder).filePath(FirmwareFileName(name, version, content, options));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
  if (file.write(content) != content.size()) return {};
  return file.flush() ? path : QString();
}

std::optional<std::uint8_t> FindImageVersion(const QByteArray& received) {
  const QByteArray head = received.left(kMarkSearchEnd);
  const qsizetype at = head.indexOf(QByteArray(kImageMark, kImageMarkSize));
  if (at < 0 || at + kImageMarkSize >= head.size()) return std::nullopt;
  return static_cast<std::uint8_t>(head.at(at + kImageMarkSize));
}

}  // namespace ostrivane::sim
