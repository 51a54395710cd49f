#include "sim/DeviceFlash.h"

#include "sim/FirmwareImage.h"

namespace ostrivane::sim {

namespace {

constexpr std::uint8_t kBegin = 0;
constexpr std::uint8_t kEnd = 2;
constexpr std::uint8_t kData = 5;
constexpr std::uint8_t kFirmwareBlock = 1;
constexpr qsizetype kFlashDataMax = 512;
constexpr qsizetype k121BlockMax = 2048;
constexpr qsizetype kAreaSizeMax = 32 * 1024 * 1024;
constexpr qsizetype kHeaderSize = 8;
constexpr qsizetype kTrailerSize = 4;
constexpr int kTransfersKept = 200;
const QByteArray kHeaderMagic("VEVE");

std::uint8_t ByteAt(const QByteArray& bytes, qsizetype i) {
  return static_cast<std::uint8_t>(bytes.at(i));
}

std::uint32_t Le32At(const QByteArray& bytes, qsizetype at) {
  return static_cast<std::uint32_t>(ByteAt(bytes, at)) |
         static_cast<std::uint32_t>(ByteAt(bytes, at + 1)) << 8 |
         static_cast<std::uint32_t>(ByteAt(bytes, at + 2)) << 16 |
         static_cast<std::uint32_t>(ByteAt(bytes, at + 3)) << 24;
}

std::uint32_t ByteSum(const QByteArray& bytes) {
  std::uint32_t sum = 0;
  for (const char c : bytes) sum += static_cast<std::uint8_t>(c);
  return sum;
}

}  // namespace

DeviceFlashLayout FlashLayoutFor(std::uint8_t t) {
  using Area = std::optional<std::uint16_t>;
  if (t == 121) return {};
  if (t == 128) return {Area(991), false, false, Area(0), 16, Area(990)};
  if (t == 131) return {Area(928), true, true, Area(0), 16, Area(927)};
  if (t == 142 || t == 154) return {Area(752), true, true, Area(620), 0, std::nullopt};
  if (t == 156) return {Area(752), true, true, Area(256), 0, Area(751)};
  if (t == 157) return {Area(752), true, true, Area(492), 0, std::nullopt};
  if (t >= 132 && t <= 155) return {Area(752), true, true, Area(0), 16, Area(751)};
  if (t == 158 || t == 159 || t == 176 || t == 178) {
    return {Area(128), false, true, Area(0), 0, std::nullopt};
  }
  if (t == 192) return {Area(752), false, true, Area(0), 0, std::nullopt};
  return {};
}

DeviceFlash::DeviceFlash(std::uint8_t typeCode)
    : m_typeCode(typeCode), m_layout(FlashLayoutFor(typeCode)) {}

DeviceOutcome DeviceFlash::HandleFlash(const QByteArray& payload) {
  if (payload.isEmpty()) return Refuse;
  switch (ByteAt(payload, 0)) {
    case kBegin:
      return Begin(payload);
    case kData:
      return Data(payload);
    case kEnd:
      return End();
    default:
      return Refuse;
  }
}

DeviceOutcome DeviceFlash::Begin(const QByteArray& payload) {
  if (payload.size() < 3) return Refuse;
  if (m_open) Keep(*std::exchange(m_open, std::nullopt));
  FlashTransfer transfer;
  transfer.area = static_cast<std::uint16_t>(ByteAt(payload, 1) | ByteAt(payload, 2) << 8);
  m_open = transfer;
  return Accept();
}

DeviceOutcome DeviceFlash::Data(const QByteArray& payload) {
  const qsizetype n = payload.size() - 1;
  if (!m_open || n > kFlashDataMax || m_open->data.size() + n > kAreaSizeMax) return Refuse;
  m_open->data.append(payload.constData() + 1, n);
  return Accept();
}

DeviceOutcome DeviceFlash::End() {
  if (!m_open) return Refuse;
  FlashTransfer transfer = *std::exchange(m_open, std::nullopt);
  transfer.ended = true;
  transfer.accepted = true;
  transfer.verdict = QStringLiteral("stored");
  if (m_layout.mainArea == transfer.area) {
    transfer.accepted = FinishMainImage(transfer);
  } else if (m_layout.secondaryVersionArea == transfer.area) {
    transfer.accepted = FinishVersionRecord(transfer);
  } else if (m_layout.secondaryArea == transfer.area) {
    transfer.accepted = FinishSecondaryImage(transfer);
  }
  const bool accepted = transfer.accepted;
  Keep(std::move(transfer));
  return accepted ? Accept() : Refuse;
}

bool DeviceFlash::FinishMainImage(FlashTransfer& transfer) {
  QByteArray image = transfer.data;
  std::optional<std::uint32_t> announced;
  if (m_layout.mainHeader) {
    if (image.size() < kHeaderSize || !image.startsWith(kHeaderMagic)) {
      transfer.verdict = QStringLiteral("main image without header");
      return false;
    }
    announced = Le32At(image, 4);
    image.remove(0, kHeaderSize);
  }
  if (m_layout.mainTrailer) {
    if (image.size() < kTrailerSize) {
      transfer.verdict = QStringLiteral("main image without checksum trailer");
      return false;
    }
    const std::uint32_t trailer = Le32At(image, image.size() - kTrailerSize);
    image.chop(kTrailerSize);
    if (trailer != ByteSum(image)) {
      transfer.verdict = QStringLiteral("main image checksum mismatch");
      return false;
    }
  }
  if (announced && *announced != static_cast<std::uint32_t>(image.size())) {
    transfer.verdict = QStringLiteral("main image length differs from its header");
    return false;
  }
  const auto version = FindImageVersion(image);
  if (version) m_pendingMain = version;
  transfer.verdict = version ? QStringLiteral("main image version %1").arg(*version)
                             : QStringLiteral("main image without version mark");
  return true;
}

bool DeviceFlash::FinishSecondaryImage(FlashTransfer& transfer) {
  const auto version = FindImageVersion(transfer.data);
  if (version) m_pendingSecondary = version;
  transfer.verdict = version ? QStringLiteral("secondary image version %1").arg(*version)
                             : QStringLiteral("secondary image without version mark");
  return true;
}

bool DeviceFlash::FinishVersionRecord(FlashTransfer& transfer) {
  if (transfer.data.size() != 1) {
    transfer.verdict = QStringLiteral("version record is not one byte");
    return false;
  }
  m_pendingSecondary = ByteAt(transfer.data, 0);
  transfer.verdict = QStringLiteral("secondary version record %1").arg(*m_pendingSecondary);
  return true;
}

DeviceOutcome DeviceFlash::HandleFirmware121(const QByteArray& payload) {
  if (m_typeCode != 121 || payload.isEmpty()) return Refuse;
  switch (ByteAt(payload, 0)) {
    case kBegin:
      m_121Image = QByteArray();
      return Accept();
    case kFirmwareBlock:
      return Firmware121Block(payload);
    case kEnd:
      return Firmware121End();
    default:
      return Refuse;
  }
}

DeviceOutcome DeviceFlash::Firmware121Block(const QByteArray& payload) {
  if (!m_121Image || payload.size() < 4) return Refuse;
  const qsizetype offset = ByteAt(payload, 1) << 16 | ByteAt(payload, 2) << 8 | ByteAt(payload, 3);
  const qsizetype n = payload.size() - 4;
  // Blocks must follow each other without gaps or repeats, or the image would be corrupt.
  if (offset != m_121Image->size() || n > k121BlockMax) return Refuse;
  m_121Image->append(payload.constData() + 4, n);
  return Accept();
}

DeviceOutcome DeviceFlash::Firmware121End() {
  if (!m_121Image) return Refuse;
  m_last121Image = *std::exchange(m_121Image, std::nullopt);
  const auto version = FindImageVersion(m_last121Image);
  if (version) m_pendingMain = version;
  return Accept();
}

void DeviceFlash::Restarted() {
  if (m_open) Keep(*std::exchange(m_open, std::nullopt));
  m_121Image.reset();
  m_pendingMain.reset();
  m_pendingSecondary.reset();
}

QVector<FlashTransfer> DeviceFlash::Transfers() const {
  QVector<FlashTransfer> all = m_done;
  if (m_open) all.append(*m_open);
  return all;
}

void DeviceFlash::Keep(FlashTransfer transfer) {
  m_done.append(std::move(transfer));
  if (m_done.size() > kTransfersKept) m_done.removeFirst();
}

}  // namespace ostrivane::sim
