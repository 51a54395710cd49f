#include "operations/FirmwareImageStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <limits>
#include <new>

#include "operations/OperationContext.h"

namespace ostrivane {

namespace {

constexpr qint64 kDigestPieceSize = 16384;
// The loaded length travels as a 32-bit number (image header, progress range).
constexpr qint64 kMaxImageLength = std::numeric_limits<std::uint32_t>::max();
// Version 7 of this model's main image must never be installed.
constexpr int kBarredUnit142Version = 7;
const QString kBarredUnit142Name = QStringLiteral("UNIT142");
const QString kApplicationName = QStringLiteral("Ostrivane");
const QString kDigestErrorText = QStringLiteral("MD5 Error");

bool IsCBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// A mismatch is reported and refused; an unreadable file is refused silently.
bool VerifyDigest(OperationContext& ctx, const FirmwareImageChoice& choice) {
  const QString computed = FileMd5Hex(choice.path);
  if (computed.isEmpty()) return false;
  if (!choice.digest.isEmpty() && computed == choice.digest) return true;
  MessageBoxRequest box;
  box.owner = PromptOwner::MainWindow;
  box.caption = kApplicationName;
  box.text = kDigestErrorText + computed + choice.digest;
  box.buttons = PromptButtons::Ok;
  ctx.prompts.ShowMessage(box);
  return false;
}

bool LoadImageFile(OperationContext& ctx, const QString& path, QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 length = file.size();
  if (length < 0 || length > kMaxImageLength) return false;
  try {
    bytes.resize(static_cast<qsizetype>(length));
  } catch (const std::bad_alloc&) {
    return false;
  }
  ctx.status.SetProgress(static_cast<std::uint32_t>(length), 0);
  qint64 done = 0;
  while (done < length) {
    const qint64 n = file.read(bytes.data() + done, length - done);
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

int ReadImageVersion(QStringView text) {
  qsizetype i = 0;
  while (i < text.size() && IsCBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  int value = 0;
  constexpr int kSaturated = std::numeric_limits<int>::max() / 10 - 9;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    if (value < kSaturated) value = value * 10 + (text[i].unicode() - u'0');
  }
  return negative ? -value : value;
}

FirmwareFileName ParseFirmwareFileName(QStringView fileName) {
  FirmwareFileName parsed;
  const qsizetype underscore = fileName.indexOf(u'_');
  if (underscore < 0) return parsed;
  parsed.namePart = fileName.left(underscore).toString();
  const qsizetype versionStart = underscore + 1;
  parsed.version = ReadImageVersion(fileName.mid(versionStart, kImageVersionLength));
  // Taking the digest from the name part, the version or the folder would compare rubbish.
  const qsizetype digestStart = fileName.size() - kImageExtensionLength - kImageDigestLength;
  if (digestStart >= versionStart + kImageVersionLength) {
    // ASCII only: a Unicode upper case may grow ("ΰ" has three), and a digest is hex anyway.
    parsed.digest = fileName.mid(digestStart, kImageDigestLength).toString();
    for (QChar& c : parsed.digest) {
      if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - ('a' - 'A'));
    }
  }
  return parsed;
}

QString FileMd5Hex(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Md5);
  QByteArray piece(kDigestPieceSize, Qt::Uninitialized);
  for (;;) {
    const qint64 n = file.read(piece.data(), kDigestPieceSize);
    if (n < 0) return {};
    if (n == 0) break;
    hash.addData(QByteArrayView(piece.constData(), static_cast<qsizetype>(n)));
  }
  return QString::fromLatin1(hash.result().toHex().toUpper());
}

FirmwareImageChoice ChooseFirmwareImageFile(const QString& folder, const QString& name) {
  FirmwareImageChoice best;
  // Ties keep the first name found, so the directory's own order matters: no sorting.
  const QDir dir(folder);
  const QStringList files = dir.entryList(
      {QStringLiteral("*.bin")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
  for (const QString& file : files) {
    const FirmwareFileName parsed = ParseFirmwareFileName(file);
    if (parsed.namePart.isEmpty() || parsed.namePart != name) continue;
    if (parsed.version <= best.version) continue;
    if (parsed.version == kBarredUnit142Version && name == kBarredUnit142Name) continue;
    best = FirmwareImageChoice{dir.filePath(file), parsed.version, parsed.digest};
  }
  return best;
}

FirmwareImage FindFirmwareImage(OperationContext& ctx, const QString& name) {
  FirmwareImage image;
  const FirmwareImageChoice choice = ChooseFirmwareImageFile(ctx.settings.FirmwareFolder(), name);
  if (choice.version <= 0) return image;
  const bool oneShot = choice.version == kOneShotImageVersion;
  if (!oneShot && !VerifyDigest(ctx, choice)) return image;
  const bool loaded = LoadImageFile(ctx, choice.path, image.bytes);
  if (oneShot) QFile::remove(choice.path);
  if (!loaded) {
    image.bytes.clear();
    return image;
  }
  image.version = choice.version;
  image.path = choice.path;
  image.found = true;
  return image;
}

}  // namespace ostrivane
