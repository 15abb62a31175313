// The user's own logo pictures: JPEG and PNG files decoded into RGBA pixels, or refused with a
// reason the user can act on. Sizes are checked from the file's header before anything is
// decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace marvolet {

// What a picture may claim. The defaults are the saver's; tests and fuzzers pass smaller ones.
struct ImageLimits {
  size_t maxFileBytes = size_t{64} << 20;   // refused from the file's size, before reading
  uint32_t maxSide = 16384;                 // pixels, either side
  uint64_t maxPixels = uint64_t{64} << 20;  // width x height (8192 x 8192 just fits)
};

struct FreeBytes {
  void operator()(unsigned char* bytes) const { std::free(bytes); }
};

// Decoded pixels: height rows of width RGBA quadruplets (8 bits each, straight, not
// premultiplied, alpha), top row first, no padding between rows. Grey pictures come out with
// R = G = B; pictures without transparency with A = 255 everywhere, and opaque set. Colours are
// as stored: no gamma or colour-profile correction.
struct RgbaImage {
  uint32_t width = 0;
  uint32_t height = 0;
  bool opaque = true;
  std::unique_ptr<unsigned char[], FreeBytes> pixels;
};

// A picture, or why there is none. When reason is empty, image has width and height of at least
// 1 and its pixels; otherwise image is empty and reason is one lower-case line in plain words
// (no path, no final full stop), meant to follow the item's name: "first logo /x/a.png: it is
// cut short".
struct UserImage {
  RgbaImage image;
  std::string reason;
  bool usable() const { return reason.empty(); }
};

// Reads and decodes the picture file at `path` (UTF-8). Refused: no such file, a folder or a
// device, a file that cannot be read, one larger than limits.maxFileBytes, and everything
// decodeImage refuses.
UserImage readImageFile(const std::string& path, const ImageLimits& limits = {});

// Decodes the JPEG or PNG picture in `size` bytes at `data`, told apart by their signatures.
// Refused, each with its own reason: empty data; another kind of picture (GIF, BMP, WebP, TIFF
// are named) or no picture at all; a header claiming more than limits.maxSide pixels a side or
// limits.maxPixels in all (checked before any pixel is decoded or memory is set aside for
// them); data that ends before the picture does; data the decoder cannot make sense of, or that
// fails PNG's checksums. Never reads outside [data, data + size).
// Damage inside JPEG's compressed data that the JPEG library steps over is decoded as that
// library decodes it (a smeared band), and its messages go to stderr.
UserImage decodeImage(const unsigned char* data, size_t size, const ImageLimits& limits = {});

}  // namespace marvolet
