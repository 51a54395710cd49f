#include "operations/DeviceActions.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <optional>

#include "link/CXmit.h"
#include "link/Commands.h"
#include "texts/TextTable.h"

namespace ostrivane {

namespace {

const QString kApplicationName = QStringLiteral("Ostrivane");

constexpr int kSnapshotWidth = 128;
constexpr int kSnapshotHeight = 64;
constexpr int kBandCount = kSnapshotHeight / 8;
constexpr int kRowBytes = kSnapshotWidth / 8;
constexpr std::uint32_t kPixelOffset = 62;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelBytes = kRowBytes * kSnapshotHeight;
constexpr int kCreateFailBeepHz = 440;
constexpr int kCreateFailBeepMs = 250;
constexpr int kEdidStatusMs = 5000;

void AppendLe16(QByteArray& out, std::uint16_t v) {
  out.append(static_cast<char>(v & 0xFF));
  out.append(static_cast<char>((v >> 8) & 0xFF));
}

void AppendLe32(QByteArray& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.append(static_cast<char>((v >> shift) & 0xFF));
}

QByteArray BitmapHeader() {
  QByteArray h;
  h.append("BM");
  AppendLe32(h, static_cast<std::uint32_t>(kSnapshotBitmapSize));
  AppendLe16(h, 0);
  AppendLe16(h, 0);
  AppendLe32(h, kPixelOffset);
  AppendLe32(h, kInfoHeaderSize);
  AppendLe32(h, kSnapshotWidth);
  AppendLe32(h, kSnapshotHeight);  // positive: bottom row first
  AppendLe16(h, 1);                // planes
  AppendLe16(h, 1);                // bits per pixel
  AppendLe32(h, 0);                // no compression
  AppendLe32(h, kPixelBytes);
  for (int i = 0; i < 4; ++i) AppendLe32(h, 0);  // resolutions and colour counts
  AppendLe32(h, 0x00000000);                     // colour 0: black
  AppendLe32(h, 0x00FFFFFF);                     // colour 1: white (blue, green, red, 0)
  return h;
}

bool WriteFileWhole(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(bytes) == bytes.size() && file.flush();
}

// The picture data of a successful request, at most one picture's worth.
std::optional<QByteArray> RequestSnapshot(CXmit& link) {
  const std::uint8_t payload[] = {sub::Snapshot};
  if (!link.Transact(cmd::System, payload, timeout::Normal)) return std::nullopt;
  const auto reply = link.Reply();
  const std::size_t n = std::min(reply.size(), kSnapshotDataSize);
  return QByteArray(reinterpret_cast<const char*>(reply.data()), static_cast<qsizetype>(n));
}

std::span<const std::uint8_t> AsBytes(const QByteArray& a) {
  return {reinterpret_cast<const std::uint8_t*>(a.constData()), static_cast<std::size_t>(a.size())};
}

bool SendEdidProgramming(CXmit& link) {
  return link.Transact(cmd::FileTransfer, {}, timeout::Long);
}

// What came of the programming, and what to do next.
void ShowEdidResult(OperationContext& ctx, bool programmed) {
  ctx.status.ShowStatusText(
      LocalText(programmed ? text::EdidRepaired : text::EdidFailed, ctx.settings.LanguageIndex()),
      kEdidStatusMs, false);
}

MessageBoxRequest EdidQuestion(int entry, int language) {
  MessageBoxRequest box;
  box.owner = PromptOwner::Panel;
  box.caption = kApplicationName;
  box.text = LocalText(entry, language);
  box.buttons = PromptButtons::OkCancel;
  box.icon = PromptIcon::Exclamation;
  box.cancelIsDefault = true;
  return box;
}

}  // namespace

bool SendDeviceClock(CXmit& link, std::uint16_t year, std::uint8_t month, std::uint8_t day,
                     std::uint8_t hour, std::uint8_t minute, std::uint8_t second) {
  const std::uint8_t payload[] = {sub::SetClock,
                                  static_cast<std::uint8_t>(year & 0xFF),
                                  static_cast<std::uint8_t>((year >> 8) & 0xFF),
                                  month,
                                  day,
                                  hour,
                                  minute,
                                  second};
  return link.Transact(cmd::System, payload, timeout::Normal);
}

namespace {

bool SendClockOf(CXmit& link, const QDateTime& local) {
  const int year = local.date().year();
  if (!local.isValid() || year < 0 || year > 0xFFFF) {
    return SendDeviceClock(link, 0, 0, 0, 255, 255, 255);
  }
  const QTime t = local.time();
  return SendDeviceClock(
      link, static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(local.date().month()),
      static_cast<std::uint8_t>(local.date().day()), static_cast<std::uint8_t>(t.hour()),
      static_cast<std::uint8_t>(t.minute()), static_cast<std::uint8_t>(t.second()));
}

}  // namespace

bool SetClockFromComputer(OperationContext& ctx, const QDateTime& now) {
  const QDateTime local = now.toLocalTime();
  const bool set = SendClockOf(ctx.link, local);
  const int language = ctx.settings.LanguageIndex();
  if (set) {
    ctx.status.NoteActivity(LocalText(text::ClockSet, language)
                                .arg(local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
  } else {
    const bool refused = ctx.link.ReplyStatus == LinkStatus::Refused && !ctx.link.LinkError;
    ctx.status.NoteActivity(
        LocalText(text::ClockNotSet, language)
            .arg(LocalText(refused ? text::ReasonRefused : text::ReasonNoAnswer, language)));
  }
  return set;
}

QByteArray SnapshotToBitmap(std::span<const std::uint8_t> data) {
  std::array<std::uint8_t, kPixelBytes> pixels{};
  const std::size_t available = std::min(data.size(), kSnapshotDataSize);
  for (std::size_t i = 0; i < available; ++i) {
    const int band = static_cast<int>(i) / kSnapshotWidth;
    const int x = static_cast<int>(i) % kSnapshotWidth;
    for (int k = 0; k < 8; ++k) {
      if ((data[i] & (1u << k)) == 0) continue;
      const int row = kSnapshotHeight - 1 - 8 * band - k;  // file rows run bottom to top
      pixels[static_cast<std::size_t>(row * kRowBytes + x / 8)] |=
          static_cast<std::uint8_t>(0x80u >> (x % 8));
    }
  }
  QByteArray bitmap = BitmapHeader();
  bitmap.append(reinterpret_cast<const char*>(pixels.data()),
                static_cast<qsizetype>(pixels.size()));
  return bitmap;
}

QString WithBitmapExtension(const QString& path) {
  if (path.right(4).toUpper() == QLatin1String(".BMP")) return path;
  return path + QStringLiteral(".bmp");
}

QByteArray RequestSnapshotData(CXmit& link) {
  return RequestSnapshot(link).value_or(QByteArray());
}

void SaveSnapshot(Prompts& prompts, const QByteArray& data) {
  FileDialogRequest dialog;
  dialog.title = QStringLiteral("SAVE");
  dialog.filterDescription = QStringLiteral("Bitmap.");
  dialog.filterPattern = QStringLiteral("*.bmp");
  dialog.overwritePrompt = true;
  prompts.AskSaveFileName(dialog, [&prompts, data](const QString& chosen) {
    if (chosen.isEmpty()) return;
    QFile file(WithBitmapExtension(chosen));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      prompts.Beep(kCreateFailBeepHz, kCreateFailBeepMs);
      return;
    }
    file.write(SnapshotToBitmap(AsBytes(data)));
  });
}

void CaptureSnapshot(OperationContext& ctx) {
  SaveSnapshot(ctx.prompts, RequestSnapshotData(ctx.link));
}

bool CaptureSnapshotTo(OperationContext& ctx, const QString& path) {
  const std::optional<QByteArray> data = RequestSnapshot(ctx.link);
  return data && WriteFileWhole(path, SnapshotToBitmap(AsBytes(*data)));
}

void AskEdidRepair(Prompts& prompts, int language, std::function<void()> confirmed) {
  prompts.AskMessage(EdidQuestion(text::EdidConfirm1, language),
                     [&prompts, language, confirmed = std::move(confirmed)](PromptAnswer first) {
                       if (first != PromptAnswer::Ok) return;
                       prompts.AskMessage(EdidQuestion(text::EdidConfirm2, language),
                                          [confirmed](PromptAnswer second) {
                                            if (second == PromptAnswer::Ok) confirmed();
                                          });
                     });
}

void RequestEdidRepair(OperationContext& ctx) {
  if (ctx.settings.ManufacturerMode()) {
    ShowEdidResult(ctx, SendEdidProgramming(ctx.link));
    return;
  }
  // The prompts of a job answer before they return.
  AskEdidRepair(ctx.prompts, ctx.settings.LanguageIndex(),
                [&ctx] { ctx.flags.EdidRequest = true; });
}

void ProgramEdid(OperationContext& ctx) {
  ctx.flags.EdidRequest = false;
  ctx.status.ShowWarningIcon(true);
  ctx.status.ShowStatusText(LocalText(text::EdidProgramming, ctx.settings.LanguageIndex()),
                            kEdidStatusMs, false);
  ShowEdidResult(ctx, SendEdidProgramming(ctx.link));
  ctx.link.CloseSerial();
}

void ResetDevice(OperationContext& ctx) {
  ctx.link.Transact(cmd::Restart, {}, timeout::Normal);
  ctx.link.CloseSerial();
}

}  // namespace ostrivane
