// libFuzzer target, built twice (a PNG and a JPEG corpus): decoding any bytes either gives a
// whole RGBA picture within the limits or a refusal with a reason, never reads outside the
// block, and leaks nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "assets/image_file.h"
#include "tests/support/guarded_buffer.h"

namespace {

// Smaller than the saver's, so that a forged header that passes them still fits the fuzzer's
// memory limit; the refusal of larger claims is searched all the same.
marvolet::ImageLimits fuzzLimits() {
  marvolet::ImageLimits limits;
  limits.maxSide = 4096;
  limits.maxPixels = uint64_t{1} << 20;
  return limits;
}

// Mutations almost never keep a PNG chunk's checksum right, and a wrong one stops libpng at the
// first chunk; so every whole chunk gets its checksum set, and the decoding behind them is
// searched. (The unit tests check that a wrong checksum is refused.)
void fixPngChecksums(std::vector<unsigned char>& bytes) {
  static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (bytes.size() < 8 || std::memcmp(bytes.data(), signature, 8) != 0) return;
  size_t at = 8;
  while (bytes.size() - at >= 12) {
    const uint32_t length = (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
                            (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
    if (length > bytes.size() - at - 12) return;
    const uLong crc = crc32(crc32(0, nullptr, 0), bytes.data() + at + 4, length + 4);
    unsigned char* out = bytes.data() + at + 8 + length;
    out[0] = static_cast<unsigned char>(crc >> 24);
    out[1] = static_cast<unsigned char>(crc >> 16);
    out[2] = static_cast<unsigned char>(crc >> 8);
    out[3] = static_cast<unsigned char>(crc);
    at += size_t{length} + 12;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<unsigned char> bytes(data, data + size);
  fixPngChecksums(bytes);
  // libjpeg and libpng are not instrumented, so their reads are caught by a guard page instead.
  marvolet::testing::GuardedBuffer block(bytes.data(), bytes.size());
  if (!block.ok()) return 0;

  const marvolet::ImageLimits limits = fuzzLimits();
  const marvolet::UserImage result =
      marvolet::decodeImage(block.data(), static_cast<size_t>(block.size()), limits);
  if (!result.usable()) {
    if (result.image.pixels != nullptr || result.reason.find('\n') != std::string::npos) {
      std::abort();
    }
    return 0;
  }
  const marvolet::RgbaImage& image = result.image;
  if (image.pixels == nullptr || image.width == 0 || image.height == 0 ||
      image.width > limits.maxSide || image.height > limits.maxSide ||
      uint64_t{image.width} * image.height > limits.maxPixels) {
    std::abort();
  }
  // Reading every byte makes AddressSanitizer check that the buffer has its full size.
  const size_t count = size_t{image.width} * image.height;
  bool opaque = true;
  unsigned sum = 0;
  for (size_t i = 0; i < count * 4; ++i) {
    sum += image.pixels[i];
    if (i % 4 == 3 && image.pixels[i] != 255) opaque = false;
  }
  if (image.opaque != opaque) std::abort();
  volatile unsigned sink = sum;
  (void)sink;
  return 0;
}
