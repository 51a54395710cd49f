// The JSON form of a configuration is typed or edited by people: any text must either be turned
// down with a reason or give a configuration that survives the round trip through JSON unchanged.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "config/ConfigJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrivane;
  const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  DeviceConfig config;
  QString error;
  if (!ConfigFromJson(json, config, error)) {
    if (error.isEmpty()) std::abort();
    return 0;
  }
  DeviceConfig again;
  if (!ConfigFromJson(ConfigToJson(config), again, error) || !(again == config)) std::abort();
  return 0;
}
