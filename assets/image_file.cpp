// Decoding the user's JPEG and PNG pictures into RGBA, with every size checked first.
#include "assets/image_file.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "assets/texture.h"
#include "platform/user_file.h"

namespace marvolet {

namespace {

UserImage refused(std::string reason) {
  UserImage result;
  result.reason = std::move(reason);
  return result;
}

const char* const CutShort = "it is cut short";

// Whole mebibytes with a tenth, or bytes below one.
std::string describeSize(uint64_t bytes) {
  constexpr uint64_t Mebibyte = uint64_t{1} << 20;
  if (bytes < Mebibyte) return std::to_string(bytes) + " bytes";
  const uint64_t tenths = (bytes * 10 + Mebibyte / 2) / Mebibyte;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MiB";
}

uint32_t bigEndian16(const unsigned char* bytes) {
  return (uint32_t{bytes[0]} << 8) | bytes[1];
}
uint32_t bigEndian32(const unsigned char* bytes) {
  return (bigEndian16(bytes) << 16) | bigEndian16(bytes + 2);
}

// Why a claimed size is refused, or empty when it fits.
std::string sizeRefusal(uint64_t width, uint64_t height, const ImageLimits& limits) {
  const std::string claim =
      "it claims " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (width == 0 || height == 0) return claim;
  if (width > limits.maxSide || height > limits.maxSide) {
    return claim + "; a side may be at most " + std::to_string(limits.maxSide);
  }
  if (width * height > limits.maxPixels) {
    return claim + ", more than the " + std::to_string(limits.maxPixels) + " a picture may have";
  }
  return {};
}

bool startsWith(const unsigned char* data, size_t size, const char* prefix, size_t offset = 0) {
  const size_t length = std::strlen(prefix);
  return size >= offset + length && std::memcmp(data + offset, prefix, length) == 0;
}

// ---- JPEG ----

struct JpegLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  bool adobe = false;  // an Adobe APP14 segment: CMYK samples are stored inverted
};

bool isFrameMarker(unsigned char code) {
  return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// Follows the stream's segments from start to end-of-image without decoding any pixels: the
// frame's size is checked against the limits as soon as it is met, and a stream that stops
// before its end-of-image marker is cut short. Returns the refusal, or empty.
std::string walkJpeg(const unsigned char* data, size_t size, const ImageLimits& limits,
                     JpegLayout* layout) {
  const std::string damaged = "its JPEG data is damaged";
  bool sawFrame = false;
  bool sawScan = false;
  size_t at = 2;  // past start-of-image
  while (true) {
    // Stray bytes before a marker are stepped over, as the library does.
    while (at < size && data[at] != 0xFF) ++at;
    while (at < size && data[at] == 0xFF) ++at;  // fill bytes
    if (at >= size) return CutShort;
    const unsigned char code = data[at++];
    if (code == 0xD9) return sawScan ? std::string() : damaged;
    // Markers that stand alone, without a length.
    if (code == 0x00 || code == 0x01 || code == 0xD8 || (code >= 0xD0 && code <= 0xD7)) continue;
    if (size - at < 2) return CutShort;
    const size_t length = bigEndian16(data + at);
    if (length < 2) return damaged;
    if (size - at < length) return CutShort;
    const unsigned char* segment = data + at + 2;
    if (isFrameMarker(code) && !sawFrame) {
      if (length < 8) return damaged;
      sawFrame = true;
      layout->height = bigEndian16(segment + 1);
      layout->width = bigEndian16(segment + 3);
      std::string refusal = sizeRefusal(layout->width, layout->height, limits);
      if (!refusal.empty()) return refusal;
    }
    if (code == 0xEE && length >= 14 && startsWith(segment, length - 2, "Adobe")) {
      layout->adobe = true;
    }
    at += length;
    if (code != 0xDA) continue;
    // Compressed data follows a scan header, up to the next marker that is neither a stuffed
    // 0xFF nor a restart.
    if (!sawFrame) return damaged;
    sawScan = true;
    while (true) {
      const void* found = std::memchr(data + at, 0xFF, size - at);
      if (found == nullptr) return CutShort;
      at = static_cast<size_t>(static_cast<const unsigned char*>(found) - data);
      if (size - at < 2) return CutShort;
      const unsigned char next = data[at + 1];
      if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
        at += 2;
      } else if (next == 0xFF) {
        at += 1;
      } else {
        break;
      }
    }
  }
}

// Widens the decoder's 1, 3 or 4 samples a pixel to RGBA in the same buffer, working from the
// end so that no sample is overwritten before it is read.
unsigned char* widenToRgba(unsigned char* pixels, size_t count, int components, bool adobe) {
  auto* widened = static_cast<unsigned char*>(std::realloc(pixels, count * 4));
  if (widened == nullptr) {
    std::free(pixels);
    return nullptr;
  }
  for (size_t i = count; i-- > 0;) {
    const unsigned char* in = widened + i * static_cast<size_t>(components);
    unsigned char rgb[3];
    if (components == 1) {
      rgb[0] = rgb[1] = rgb[2] = in[0];
    } else if (components == 3) {
      rgb[0] = in[0];
      rgb[1] = in[1];
      rgb[2] = in[2];
    } else {
      // CMYK; Adobe's files store each ink inverted (255 = no ink).
      const unsigned black = adobe ? in[3] : 255u - in[3];
      for (int c = 0; c < 3; ++c) {
        const unsigned paper = adobe ? in[c] : 255u - in[c];
        rgb[c] = static_cast<unsigned char>((paper * black + 127) / 255);
      }
    }
    unsigned char* out = widened + i * 4;
    out[0] = rgb[0];
    out[1] = rgb[1];
    out[2] = rgb[2];
    out[3] = 255;
  }
  return widened;
}

UserImage decodeJpegImage(const unsigned char* data, size_t size, const ImageLimits& limits) {
  JpegLayout layout;
  std::string refusal = walkJpeg(data, size, limits, &layout);
  if (!refusal.empty()) return refused(std::move(refusal));
  if (size > static_cast<size_t>(INT32_MAX)) return refused("it is too large to decode");

  Texture texture{};
  if (!decodeJpeg(texture, data, static_cast<int32_t>(size))) {
    return refused("its JPEG data is damaged or of a kind that cannot be decoded");
  }
  const int components = texture.bitsPerPixel / 8;
  if (texture.width != layout.width || texture.height != layout.height ||
      (components != 1 && components != 3 && components != 4)) {
    std::free(texture.pixels);
    return refused("its JPEG data is damaged or of a kind that cannot be decoded");
  }
  const size_t count = size_t{texture.width} * texture.height;
  unsigned char* pixels = widenToRgba(texture.pixels, count, components, layout.adobe);
  if (pixels == nullptr) return refused("there is not enough memory to decode it");
  UserImage result;
  result.image.width = texture.width;
  result.image.height = texture.height;
  result.image.opaque = true;
  result.image.pixels.reset(pixels);
  return result;
}

// ---- PNG ----

const unsigned char PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

struct PngSource {
  const unsigned char* data;
  size_t size;
  size_t at;
  bool cutShort;
  char message[160];
};

void readPngData(png_structp png, png_bytep out, size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->size - source->at < length) {
    source->cutShort = true;
    png_error(png, "cut short");
  }
  std::memcpy(out, source->data + source->at, length);
  source->at += length;
}

[[noreturn]] void onPngError(png_structp png, png_const_charp message) {
  auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
  std::snprintf(source->message, sizeof source->message, "%s", message);
  png_longjmp(png, 1);
}

// Warnings (an odd colour profile, a bad checksum in an ancillary chunk, which is then skipped)
// do not stop the picture from being drawn, and the saver has no one to tell them to.
void onPngWarning(png_structp, png_const_charp) {}

UserImage decodePngImage(const unsigned char* data, size_t size, const ImageLimits& limits) {
  // The header chunk comes first, at a fixed place; its size is checked before libpng sees it.
  if (size < 33) return refused(CutShort);
  if (bigEndian32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0) {
    return refused("its PNG data is damaged (no header chunk)");
  }
  std::string refusal = sizeRefusal(bigEndian32(data + 16), bigEndian32(data + 20), limits);
  if (!refusal.empty()) return refused(std::move(refusal));

  PngSource source{data, size, 0, false, {}};
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, onPngError, onPngWarning);
  if (png == nullptr) return refused("there is not enough memory to decode it");
  png_infop info = png_create_info_struct(png);
  // Everything the recovery path reads lives in memory reached through a pointer or in volatile
  // locals, so a longjmp cannot leave it stale in a register.
  unsigned char* volatile pixels = nullptr;
  png_bytep* volatile rows = nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    std::free(rows);
    std::free(pixels);
    if (source.cutShort) return refused(CutShort);
    if (source.message[0] == '\0') return refused("there is not enough memory to decode it");
    return refused(std::string("its PNG data is damaged (") + source.message + ")");
  }
  png_set_read_fn(png, &source, readPngData);
  png_set_user_limits(png, limits.maxSide, limits.maxSide);
  png_read_info(png, info);

  const uint32_t width = png_get_image_width(png, info);
  const uint32_t height = png_get_image_height(png, info);
  const int colourType = png_get_color_type(png, info);
  const bool transparent =
      (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_expand(png);  // palette to RGB, small greys to 8 bits, tRNS to an alpha channel
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  if (!transparent) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t rowBytes = size_t{width} * 4;
  if (png_get_rowbytes(png, info) != rowBytes || png_get_channels(png, info) != 4) {
    png_error(png, "unexpected pixel layout");
  }

  pixels = static_cast<unsigned char*>(std::malloc(rowBytes * height));
  rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
  if (pixels == nullptr || rows == nullptr) png_error(png, "");
  for (uint32_t y = 0; y < height; ++y) rows[y] = pixels + rowBytes * y;
  png_read_image(png, rows);
  // Reads on to the end chunk, so that a file cut after its pixels is refused as well.
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::free(rows);

  UserImage result;
  result.image.width = width;
  result.image.height = height;
  result.image.pixels.reset(pixels);
  bool opaque = true;
  if (transparent) {
    const size_t count = size_t{width} * height;
    for (size_t i = 0; i < count && opaque; ++i) opaque = pixels[i * 4 + 3] == 255;
  }
  result.image.opaque = opaque;
  return result;
}

std::string otherKind(const unsigned char* data, size_t size) {
  const char* name = nullptr;
  if (startsWith(data, size, "GIF87a") || startsWith(data, size, "GIF89a")) {
    name = "a GIF";
  } else if (startsWith(data, size, "BM")) {
    name = "a BMP";
  } else if (startsWith(data, size, "RIFF") && startsWith(data, size, "WEBP", 8)) {
    name = "a WebP";
  } else if (size >= 4 &&
             (std::memcmp(data, "II*\0", 4) == 0 || std::memcmp(data, "MM\0*", 4) == 0)) {
    name = "a TIFF";
  }
  if (name == nullptr) return "it is not a JPEG or PNG picture";
  return std::string("it is ") + name + " picture; only JPEG and PNG pictures can be used";
}

}  // namespace

UserImage decodeImage(const unsigned char* data, size_t size, const ImageLimits& limits) {
  if (data == nullptr || size == 0) return refused("the file is empty");
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    return decodeJpegImage(data, size, limits);
  }
  if (size >= sizeof PngSignature && std::memcmp(data, PngSignature, sizeof PngSignature) == 0) {
    return decodePngImage(data, size, limits);
  }
  return refused(otherKind(data, size));
}

UserImage readImageFile(const std::string& path, const ImageLimits& limits) {
  using platform::UserFileStatus;
  const platform::UserFile file = platform::readUserFile(path, limits.maxFileBytes);
  switch (file.status) {
    case UserFileStatus::Read:
      break;
    case UserFileStatus::Missing:
      return refused("there is no such file");
    case UserFileStatus::Folder:
      return refused("it is a folder, not a file");
    case UserFileStatus::NotAFile:
      return refused("it is not a regular file");
    case UserFileStatus::TooLarge:
      return refused("it is " + describeSize(file.size) + "; a picture file may be at most " +
                     describeSize(limits.maxFileBytes));
    case UserFileStatus::Unreadable:
      return refused("it cannot be read" +
                     (file.systemMessage.empty() ? "" : " (" + file.systemMessage + ")"));
  }
  return decodeImage(file.bytes.data(), file.bytes.size(), limits);
}

}  // namespace marvolet
