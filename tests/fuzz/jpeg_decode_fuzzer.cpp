// libFuzzer target: decoding any bytes either fills a whole picture or fails cleanly, and never
// reads outside the block or leaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/texture.h"
#include "tests/support/guarded_buffer.h"

namespace {

// A forged frame header makes a huge picture out of a few bytes. The decoder handles it (it
// refuses only what exceeds 32 bits), but decoding it is slow and its buffer would exceed the
// fuzzer's memory limit, so such inputs are passed over.
constexpr uint64_t MaxFuzzedSamples = uint64_t{1} << 22;

bool claimsLargeFrame(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 9 < size; ++i) {
    const uint8_t code = data[i + 1];
    const bool startOfFrame =
        code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
    if (data[i] != 0xFF || !startOfFrame) continue;
    const uint64_t height = (uint64_t{data[i + 5]} << 8) | data[i + 6];
    const uint64_t width = (uint64_t{data[i + 7]} << 8) | data[i + 8];
    const uint64_t components = data[i + 9] > 0 ? data[i + 9] : 1;
    if (width * height * components > MaxFuzzedSamples) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT32_MAX || claimsLargeFrame(data, size)) return 0;
  // libjpeg is not instrumented, so its reads are caught by a guard page instead.
  marvolet::testing::GuardedBuffer block(data, size);
  if (!block.ok()) return 0;

  marvolet::Texture texture{};
  const bool decoded = marvolet::decodeJpeg(texture, block.data(), block.size());
  if (!decoded) {
    if (texture.pixels != nullptr || texture.textureName != 0) std::abort();
    return 0;
  }
  if (texture.pixels == nullptr || texture.width == 0 || texture.height == 0 ||
      texture.bitsPerPixel <= 0 || texture.bitsPerPixel % 8 != 0) {
    std::abort();
  }
  // Reading every byte makes AddressSanitizer check that the buffer has its full size.
  const size_t bytes = size_t{texture.width} * texture.height * size_t(texture.bitsPerPixel / 8);
  unsigned sum = 0;
  for (size_t i = 0; i < bytes; ++i) sum += texture.pixels[i];
  volatile unsigned sink = sum;
  (void)sink;
  std::free(texture.pixels);
  return 0;
}
