#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>

namespace ostrivane {

struct OperationContext;

// An image of this version is installed once without a digest check and its file is then deleted.
inline constexpr int kOneShotImageVersion = 99;
inline constexpr qsizetype kImageDigestLength = 32;
inline constexpr qsizetype kImageExtensionLength = 4;  // ".bin"
inline constexpr qsizetype kImageVersionLength = 2;

// A firmware image read from the firmware folder; the bytes belong to the caller.
struct FirmwareImage {
  QByteArray bytes;
  int version = 0;
  QString path;
  bool found = false;
};

// What an image file name "<name>_<VV><anything><MD5 hex>.bin" says about itself.
struct FirmwareFileName {
  QString namePart;  // before the first underscore; empty when there is none
  int version = 0;
  QString digest;  // upper case; empty when the name is too short to hold one after the version
};

// The two version characters read like the C library's strtol in base 10: leading blanks and a
// sign allowed, reading stops at the first non-digit, no digit gives 0.
int ReadImageVersion(QStringView text);
FirmwareFileName ParseFirmwareFileName(QStringView fileName);
// MD5 of the whole file as 32 upper-case hex digits; empty when the file cannot be read.
QString FileMd5Hex(const QString& path);

// The newest image file called `name` in folder (version 0 when there is none), chosen without
// loading, verifying or deleting anything.
struct FirmwareImageChoice {
  QString path;
  int version = 0;
  QString digest;
};
FirmwareImageChoice ChooseFirmwareImageFile(const QString& folder, const QString& name);

// Finds the newest image called `name` in the firmware folder, verifies it against the digest in
// its file name (a mismatch is reported in a message box) and loads it. Not found, mismatching or
// unreadable: found == false and version 0. A one-shot image is deleted once it has been loaded.
FirmwareImage FindFirmwareImage(OperationContext& ctx, const QString& name);

}  // namespace ostrivane
