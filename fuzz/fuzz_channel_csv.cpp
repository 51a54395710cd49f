// Feeds arbitrary bytes to the data-file readers as the content of "channel.csv" (and, since
// they share the line splitting, of "pref.txt" and "setup_version.txt").
#include <QByteArrayView>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/DataFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto channels = ostrivane::datafiles::ParseChannelList(bytes);
  if (channels.size() > ostrivane::ApplicationData::kMaxChannels) std::abort();
  const int language = ostrivane::datafiles::ParseLanguagePreference(bytes);
  if (language < 0 || language > 5) std::abort();
  if (ostrivane::datafiles::ParseSetupVersion(bytes) < 0) std::abort();
  return 0;
}
