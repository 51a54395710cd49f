// Feeds arbitrary bytes, read as UTF-8, to the firmware image file name reader.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "operations/FirmwareImageStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString name =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const ostrivane::FirmwareFileName parsed = ostrivane::ParseFirmwareFileName(name);
  if (!parsed.digest.isEmpty() && parsed.digest.size() != ostrivane::kImageDigestLength) {
    std::abort();
  }
  if (parsed.namePart.size() >= name.size() && !name.isEmpty()) std::abort();
  // Two characters hold at most two digits.
  if (parsed.version > 99 || parsed.version < -99) std::abort();
  return 0;
}
