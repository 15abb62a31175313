// Small JPEG streams made in memory for the decoder tests, and the marker positions inside them.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace marvolet::testing {

using SampleFunction = std::function<unsigned char(int x, int y, int channel)>;

// components 1 makes a grayscale stream, 3 a YCbCr one from RGB samples.
inline std::vector<unsigned char> encodeJpeg(int width, int height, int components,
                                             const SampleFunction& sample,
                                             bool progressive = false) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&info, &out, &outSize);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * components);
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < components; ++c)
        row[static_cast<size_t>(x * components + c)] = sample(x, y, c);
    }
    JSAMPROW rowPointer = row.data();
    jpeg_write_scanlines(&info, &rowPointer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<unsigned char> stream(out, out + outSize);
  std::free(out);
  return stream;
}

// Offset of the first marker 0xFF `code`, or the stream's size when there is none.
inline size_t findMarker(const std::vector<unsigned char>& stream, unsigned char code) {
  for (size_t i = 0; i + 1 < stream.size(); ++i) {
    if (stream[i] == 0xFF && stream[i + 1] == code) return i;
  }
  return stream.size();
}

constexpr unsigned char StartOfFrame0 = 0xC0;
constexpr unsigned char StartOfFrame2 = 0xC2;
constexpr unsigned char StartOfScan = 0xDA;

// Where the entropy-coded data of the first scan begins: after the SOS segment.
inline size_t scanDataOffset(const std::vector<unsigned char>& stream) {
  const size_t sos = findMarker(stream, StartOfScan);
  const size_t segmentLength = (static_cast<size_t>(stream[sos + 2]) << 8) | stream[sos + 3];
  return sos + 2 + segmentLength;
}

// Rewrites the frame size in a baseline stream's SOF0 segment.
inline void forgeFrameSize(std::vector<unsigned char>& stream, unsigned width, unsigned height) {
  const size_t sof = findMarker(stream, StartOfFrame0);
  stream[sof + 5] = static_cast<unsigned char>(height >> 8);
  stream[sof + 6] = static_cast<unsigned char>(height);
  stream[sof + 7] = static_cast<unsigned char>(width >> 8);
  stream[sof + 8] = static_cast<unsigned char>(width);
}

}  // namespace marvolet::testing
