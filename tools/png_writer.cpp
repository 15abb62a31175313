// PNG files from RGB rows, compressed with zlib.
#include "png_writer.h"

#include <algorithm>
#include <cstdio>

#include <zlib.h>

namespace marvolet::tools {

namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void appendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  putBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  putBigEndian(out,
               static_cast<uint32_t>(crc32(0, &out[typeAt], static_cast<uInt>(data.size() + 4))));
}

}  // namespace

bool writePng(const std::string& path, int32_t width, int32_t height,
              const std::vector<uint8_t>& rgb) {
  if (width <= 0 || height <= 0 || rgb.size() < static_cast<size_t>(width) * height * 3) {
    return false;
  }
  std::vector<uint8_t> raw;  // each row prefixed with filter type 0
  const size_t row = static_cast<size_t>(width) * 3;
  raw.reserve((row + 1) * height);
  for (int32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + y * row, rgb.begin() + (y + 1) * row);
  }

  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> zlib(packedSize);
  if (compress2(zlib.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
    return false;
  }
  zlib.resize(packedSize);

  std::vector<uint8_t> header;
  putBigEndian(header, static_cast<uint32_t>(width));
  putBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace

  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  appendChunk(file, "IHDR", header);
  appendChunk(file, "IDAT", zlib);
  appendChunk(file, "IEND", {});

  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace marvolet::tools
