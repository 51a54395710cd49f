#include "operations/DeviceFiles.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>

#include "link/CXmit.h"
#include "link/Commands.h"
#include "texts/TextTable.h"

namespace ostrivane {

namespace {

constexpr int kBlockTimeout = timeout::Normal;
constexpr int kCloseTimeout = timeout::Long;
constexpr int kProgressNoteMs = 1000;
const QString kApplicationName = QStringLiteral("Ostrivane");

// Downloaded in this order into the same local file.
constexpr std::array<const char*, 2> kLogFiles{"/logFile.0", "/logFile"};

bool CloseDeviceFile(CXmit& link) {
  const std::uint8_t payload[] = {sub::FileClose};
  return link.Transact(cmd::FileTransfer, payload, kCloseTimeout);
}

// One 0xA0/3 request for n bytes. The buffer is refilled first, so bytes that did not arrive are
// written as the fill and never as leftovers of an earlier block.
bool ReadBlock(CXmit& link, std::size_t n,
               std::array<std::uint8_t, kLogTransferBufferSize>& buffer) {
  // What the buffer held stays where a reply is short or missing: the previous block's bytes, or
  // the fill of a new file.
  const std::uint8_t payload[] = {sub::FileReadBlock, static_cast<std::uint8_t>(n & 0xFF),
                                  static_cast<std::uint8_t>((n >> 8) & 0xFF)};
  if (!link.Transact(cmd::FileTransfer, payload, kBlockTimeout)) return false;
  const auto reply = link.Reply();
  const std::size_t copied = std::min(reply.size(), buffer.size());
  std::copy_n(reply.begin(), copied, buffer.begin());
  return link.ReplyLength != 0;
}

}  // namespace

bool UploadDeviceFile(CXmit& link, const QString& remotePath, const QByteArray& data) {
  const TransferScope transfer(link, TransferKind::DeviceFile);
  if (!OpenDeviceFileForWrite(link, remotePath)) return false;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
  const auto size = static_cast<std::size_t>(data.size());
  bool ok = true;
  std::array<std::uint8_t, kFileBlockSize + 1> block{};
  for (std::size_t pos = 0; pos < size && ok; pos += kFileBlockSize) {
    const std::size_t n = std::min(kFileBlockSize, size - pos);
    block[0] = sub::FileWriteBlock;
    std::copy_n(bytes + pos, n, block.begin() + 1);
    link.WriteIndicator = true;
    ok = link.Transact(cmd::FileTransfer, std::span(block.data(), n + 1), kBlockTimeout);
  }
  if (size == 0) return ok;
  return CloseDeviceFile(link) && ok;
}

bool WriteFlashArea(CXmit& link, std::uint16_t area, std::span<const std::uint8_t> data) {
  const TransferScope transfer(link, TransferKind::DeviceFile);
  if (!FlashBegin(link, area)) return false;
  for (std::size_t pos = 0; pos < data.size(); pos += kFlashBlockSize) {
    const std::size_t n = std::min(kFlashBlockSize, data.size() - pos);
    if (!FlashWrite(link, data.subspan(pos, n))) return false;
  }
  return FlashEnd(link);
}

bool DownloadDeviceFile(OperationContext& ctx, const QString& remotePath, const QString& localPath,
                        int index, int count) {
  std::array<std::uint8_t, kLogTransferBufferSize> buffer;
  buffer.fill(kLogFillByte);
  QFile file(localPath);
  // Append: created when missing, never truncated, written at its end.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  const std::int64_t size = OpenDeviceFileForRead(ctx.link, remotePath);
  if (size <= 0) return false;

  ctx.status.ShowStatusText(QString::asprintf("Downloading file %d/%d...", index, count),
                            kProgressNoteMs, false);
  const auto total = static_cast<std::uint64_t>(size);
  std::uint64_t offset = 0;
  bool ok = true;
  while (ok) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(kLogTransferBufferSize, total - offset));
    ok = ReadBlock(ctx.link, n, buffer);
    ctx.status.SetProgress(static_cast<std::uint32_t>(total),
                           static_cast<std::uint32_t>(offset + n));
    file.write(reinterpret_cast<const char*>(buffer.data()), static_cast<qint64>(n));
    offset += kLogTransferBufferSize;
    if (offset >= total) break;
  }
  CloseDeviceFile(ctx.link);
  return ok;
}

QString LogFileName(const QDateTime& now) {
  const QDateTime local = now.toLocalTime();
  return QStringLiteral("LOG_%1_%2.txt")
      .arg(local.toString(QStringLiteral("yyyyMMdd")), local.toString(QStringLiteral("HHmmss")));
}

QString DownloadLogs(OperationContext& ctx, const QDateTime& now, const QString& folder) {
  const QString dir = folder.isEmpty() ? ctx.settings.DefaultSaveFolder() : folder;
  const QString path = QDir(dir).filePath(LogFileName(now));
  const int count = static_cast<int>(kLogFiles.size());
  int received = 0;
  {
    const TransferScope transfer(ctx.link, TransferKind::Logs);
    for (int i = 0; i < count; ++i) {
      if (DownloadDeviceFile(ctx, QString::fromLatin1(kLogFiles[static_cast<std::size_t>(i)]), path,
                             i + 1, count)) {
        ++received;
      }
    }
  }
  ctx.status.NoteActivity(
      LocalText(text::LogsSaved, ctx.settings.LanguageIndex())
          .arg(QDir::toNativeSeparators(path), QString::number(received), QString::number(count)));
  MessageBoxRequest box;
  box.owner = PromptOwner::MainWindow;
  box.caption = kApplicationName;
  box.text = QStringLiteral("Logs saved into ") + path;
  box.buttons = PromptButtons::Ok;
  ctx.prompts.ShowMessage(box);
  return path;
}

}  // namespace ostrivane
