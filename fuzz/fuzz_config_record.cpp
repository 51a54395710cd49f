// Configuration records come from devices and from files: any bytes must decode without reading
// outside the record, and whatever is accepted must encode into a record that is accepted again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "config/ConfigCodec.h"

namespace {

constexpr std::array<std::uint8_t, 34> kTypeCodes = {
    121, 128, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142, 143, 144, 145,
    146, 147, 148, 149, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 176, 178, 192};
constexpr std::uint8_t kLowestVersion = 12;

}  // namespace

// The first byte picks the connected device (type code and main firmware version 12 to 19).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrivane;
  if (size == 0) return 0;
  const std::uint8_t type = kTypeCodes[data[0] % kTypeCodes.size()];
  const auto version = static_cast<std::uint8_t>(kLowestVersion + data[0] / kTypeCodes.size());
  const LayoutContext context{type, version, RecordShape::ForType(type)};

  DeviceConfig config;
  PanelState panel;
  if (!DecodeConfigImage(data + 1, size - 1, context, config, panel)) return 0;
  QByteArray record;
  // A record near the limit may grow past it (a tail or a file name added); that is refused.
  if (!EncodeConfigImage(config, panel, context, record)) return 0;
  if (record.size() > static_cast<qsizetype>(kConfigImageMax)) std::abort();
  DeviceConfig again;
  PanelState againPanel;
  if (!DecodeConfigImage(record, context, again, againPanel)) std::abort();
  return 0;
}
