#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace ostrivane::sim {

// Firmware image files for tests and demos, and how the simulated device recognises the version
// of an image it was sent. The content carries a version mark at byte 16, so a secondary image
// whose first 16 bytes are not sent still shows its version, and so does a type-121 image that
// travels through the firmware programming command.
inline constexpr qsizetype kImageMarkOffset = 16;
inline constexpr char kImageMark[] = "OSTRIVANE-FW:";
inline constexpr qsizetype kImageMarkSize = sizeof(kImageMark) - 1;
// Smallest image that carries the mark (the mark, then the version byte).
inline constexpr qsizetype kMinimumMarkedImage = kImageMarkOffset + kImageMarkSize + 1;

struct FirmwareFileOptions {
  QString middle = QStringLiteral("_");  // free text between the version and the digest
  bool lowerCaseDigest = false;
  bool wrongDigest = false;  // a digest that does not match the content
};

// size bytes of image; below kMinimumMarkedImage the image carries no mark.
QByteArray FirmwareImageContent(std::uint8_t version, qsizetype size);
// "<NAME>_<VV><middle><MD5>.bin"; version is written as two digits (0 to 99).
QString FirmwareFileName(const QString& name, int version, const QByteArray& content,
                         const FirmwareFileOptions& options = {});
// Writes the image into folder; returns the full path, or an empty string when it failed.
QString WriteFirmwareImage(const QString& folder, const QString& name, int version, qsizetype size,
                           const FirmwareFileOptions& options = {});

// The version mark found near the start of received image bytes (at offset 16 of a whole image,
// or at 0 when the first 16 bytes were skipped).
std::optional<std::uint8_t> FindImageVersion(const QByteArray& received);

}  // namespace ostrivane::sim
