// Device replies are untrusted: any byte stream must decode without touching memory outside the
// reply buffer, and a good frame must never claim more payload than the buffer holds.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/FrameCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, ostrivane::kFrameBufferSize> reply{};
  ostrivane::ReplyDecoder decoder(reply);
  decoder.Reset();
  for (std::size_t i = 0; i < size; ++i) {
    const auto result = decoder.Feed(data[i]);
    if (result == ostrivane::ReplyDecoder::Result::GoodFrame &&
        decoder.Length() > ostrivane::kFrameBufferSize) {
      std::abort();
    }
    if (result != ostrivane::ReplyDecoder::Result::InProgress) decoder.Reset();
  }
  return 0;
}
