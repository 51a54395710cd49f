// Status replies come from the device: any payload up to the reply buffer must be read without
// touching memory outside it, and the name lists must stay within their bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "link/FrameCodec.h"
#include "operations/DeviceStatus.h"

// The first byte picks the connected type (121, 128 or a later one), the second its main version
// and the service and output counts; the rest is the reply payload.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrivane;
  if (size < 2) return 0;
  constexpr std::uint8_t kTypes[] = {121, 128, 158, 178, 192};
  const std::uint8_t type = kTypes[data[0] % std::size(kTypes)];
  const auto main = static_cast<std::uint8_t>(data[1] & 0x1F);
  const int services = 1 + ((data[1] >> 5) & 0x3);
  const int modulators = 1 + (data[1] >> 7);
  const std::size_t length = std::min<std::size_t>(size - 2, kFrameBufferSize);
  DeviceStatus status;
  ReadDeviceStatus(std::span(data + 2, length), type, main, services, modulators, status);
  if (status.UsbFiles.size() > kMaxStatusNames || status.OverlayFiles.size() > kMaxStatusNames)
    std::abort();
  return 0;
}
