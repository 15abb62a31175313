// The user's logo pictures: JPEG and PNG decoded to RGBA, and every bad file refused with its
// reason before any pixel memory is set aside.
#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "assets/image_file.h"
#include "jpeg_samples.h"

namespace marvolet {
namespace {

using Bytes = std::vector<unsigned char>;

// A PNG stream of the given colour type and 8-bit samples (channels per pixel follow from the
// type), with an optional transparent colour chunk.
Bytes encodePng(int width, int height, int colourType, const Bytes& samples,
                const std::vector<png_color>& palette = {}, const Bytes& transparent = {}) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes out;
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t length) {
        auto* stream = static_cast<Bytes*>(png_get_io_ptr(p));
        stream->insert(stream->end(), data, data + length);
      },
      nullptr);
  png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) {
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  }
  if (!transparent.empty()) {
    png_set_tRNS(png, info, transparent.data(), static_cast<int>(transparent.size()), nullptr);
  }
  png_write_info(png, info);
  const size_t rowBytes = samples.size() / static_cast<size_t>(height);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, samples.data() + rowBytes * static_cast<size_t>(y));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

UserImage decode(const Bytes& bytes, const ImageLimits& limits = {}) {
  return decodeImage(bytes.data(), bytes.size(), limits);
}

Bytes pixel(const RgbaImage& image, uint32_t x, uint32_t y) {
  const unsigned char* at = image.pixels.get() + (size_t{y} * image.width + x) * 4;
  return Bytes(at, at + 4);
}

// A baseline JPEG of the given size, its frame header then forged to claim another.
Bytes jpegClaiming(unsigned width, unsigned height) {
  Bytes stream = testing::encodeJpeg(8, 8, 3, [](int, int, int) { return 128; });
  testing::forgeFrameSize(stream, width, height);
  return stream;
}

// A CMYK JPEG as Photoshop writes it: an Adobe segment, and each ink stored inverted (255 = none).
Bytes encodeAdobeCmyk(const unsigned char ink[4]) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&info, &out, &outSize);
  info.image_width = 8;
  info.image_height = 8;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  unsigned char row[8 * 4];
  for (int x = 0; x < 8; ++x) std::copy(ink, ink + 4, row + x * 4);
  while (info.next_scanline < info.image_height) {
    JSAMPROW rowPointer = row;
    jpeg_write_scanlines(&info, &rowPointer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes stream(out, out + outSize);
  std::free(out);
  return stream;
}

TEST(ImageDecoding, PngAndJpegComeOutAsRgbaTopRowFirst) {
  // RGB: the top row red, the bottom row blue.
  const UserImage rgb =
      decode(encodePng(2, 2, PNG_COLOR_TYPE_RGB, {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255}));
  ASSERT_TRUE(rgb.usable()) << rgb.reason;
  EXPECT_EQ(rgb.image.width, 2u);
  EXPECT_EQ(rgb.image.height, 2u);
  EXPECT_TRUE(rgb.image.opaque);
  EXPECT_EQ(pixel(rgb.image, 1, 0), (Bytes{255, 0, 0, 255}));
  EXPECT_EQ(pixel(rgb.image, 0, 1), (Bytes{0, 0, 255, 255}));

  // Grey with alpha, and a palette whose second entry is half transparent.
  const UserImage grey = decode(encodePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, {10, 255, 200, 0}));
  ASSERT_TRUE(grey.usable()) << grey.reason;
  EXPECT_FALSE(grey.image.opaque);
  EXPECT_EQ(pixel(grey.image, 1, 0), (Bytes{200, 200, 200, 0}));
  const UserImage indexed = decode(
      encodePng(2, 1, PNG_COLOR_TYPE_PALETTE, {0, 1}, {{1, 2, 3}, {40, 50, 60}}, {255, 128}));
  ASSERT_TRUE(indexed.usable()) << indexed.reason;
  EXPECT_EQ(pixel(indexed.image, 0, 0), (Bytes{1, 2, 3, 255}));
  EXPECT_EQ(pixel(indexed.image, 1, 0), (Bytes{40, 50, 60, 128}));

  // JPEG, colour and grey: lossy, so near the source colours.
  const UserImage colour = decode(testing::encodeJpeg(16, 8, 3, [](int, int y, int c) {
    return static_cast<unsigned char>(y < 4 ? (c == 0 ? 250 : 5) : (c == 2 ? 250 : 5));
  }));
  ASSERT_TRUE(colour.usable()) << colour.reason;
  EXPECT_EQ(colour.image.width, 16u);
  EXPECT_EQ(colour.image.height, 8u);
  EXPECT_TRUE(colour.image.opaque);
  const Bytes top = pixel(colour.image, 8, 1), bottom = pixel(colour.image, 8, 6);
  EXPECT_GT(top[0], 200);
  EXPECT_LT(top[2], 60);
  EXPECT_GT(bottom[2], 200);
  EXPECT_LT(bottom[0], 60);
  EXPECT_EQ(bottom[3], 255);
  const UserImage greyJpeg = decode(testing::encodeJpeg(8, 8, 1, [](int, int, int) { return 90; }));
  ASSERT_TRUE(greyJpeg.usable()) << greyJpeg.reason;
  const Bytes g = pixel(greyJpeg.image, 7, 7);
  EXPECT_NEAR(g[0], 90, 3);
  EXPECT_EQ(g[0], g[1]);
  EXPECT_EQ(g[0], g[2]);
  EXPECT_EQ(g[3], 255);

  // Full cyan ink and no other: the red goes, green and blue stay.
  const unsigned char cyan[4] = {0, 255, 255, 255};
  const UserImage cmyk = decode(encodeAdobeCmyk(cyan));
  ASSERT_TRUE(cmyk.usable()) << cmyk.reason;
  const Bytes c = pixel(cmyk.image, 4, 4);
  EXPECT_LT(c[0], 8);
  EXPECT_GT(c[1], 247);
  EXPECT_GT(c[2], 247);
  EXPECT_EQ(c[3], 255);
}

TEST(ImageDecoding, RefusesBadPicturesAndSaysWhy) {
  const Bytes png = encodePng(4, 4, PNG_COLOR_TYPE_RGB, Bytes(48, 77));
  const Bytes jpeg = testing::encodeJpeg(16, 16, 3, [](int x, int y, int c) {
    return static_cast<unsigned char>(x * 13 + y * 7 + c * 50);
  });
  Bytes pngBadChecksum = png;
  pngBadChecksum[pngBadChecksum.size() - 14] ^= 0x40;  // the pixel data chunk's checksum
  // A Huffman table that claims more codes than it holds.
  Bytes jpegBadTable = jpeg;
  const size_t table = testing::findMarker(jpegBadTable, 0xC4);
  for (size_t i = table + 5; i < table + 21; ++i) jpegBadTable[i] = 0xFF;
  Bytes pngTooWide = png;
  pngTooWide[16] = 0;
  pngTooWide[17] = 0;
  pngTooWide[18] = 0x40;  // 16385 pixels wide
  pngTooWide[19] = 0x01;

  struct Case {
    const char* what;
    Bytes bytes;
    std::string because;
  };
  const Case cases[] = {
      {"empty", {}, "the file is empty"},
      {"text", {'w', 'o', 'r', 'd', 's'}, "it is not a JPEG or PNG picture"},
      {"GIF",
       {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0},
       "it is a GIF picture; only JPEG and PNG pictures can be used"},
      {"PNG cut in its pixels", Bytes(png.begin(), png.end() - 30), "it is cut short"},
      {"PNG cut before its end chunk", Bytes(png.begin(), png.end() - 12), "it is cut short"},
      {"JPEG cut in its pixels",
       Bytes(jpeg.begin(), jpeg.begin() + testing::scanDataOffset(jpeg) + 20), "it is cut short"},
      {"JPEG cut in a header", Bytes(jpeg.begin(), jpeg.begin() + 30), "it is cut short"},
      {"PNG checksum", pngBadChecksum, "its PNG data is damaged (IDAT: CRC error)"},
      {"JPEG table", jpegBadTable, "its JPEG data is damaged or of a kind that cannot be decoded"},
      {"PNG side", pngTooWide, "it claims 16385 x 4 pixels; a side may be at most 16384"},
      {"JPEG side", jpegClaiming(8, 60000),
       "it claims 8 x 60000 pixels; a side may be at most 16384"},
      {"JPEG pixels", jpegClaiming(9000, 9000),
       "it claims 9000 x 9000 pixels, more than the 67108864 a picture may have"},
      {"JPEG no size", jpegClaiming(0, 8), "it claims 0 x 8 pixels"},
  };
  for (const Case& c : cases) {
    const UserImage result = decode(c.bytes);
    EXPECT_FALSE(result.usable()) << c.what;
    EXPECT_EQ(result.reason, c.because) << c.what;
    EXPECT_EQ(result.image.pixels, nullptr) << c.what;
  }
  // The limits are the caller's: the same picture passes or not by them alone.
  ImageLimits small;
  small.maxPixels = 15;
  EXPECT_EQ(decode(png, small).reason,
            "it claims 4 x 4 pixels, more than the 15 a picture may have");
  small.maxPixels = 16;
  EXPECT_TRUE(decode(png, small).usable());
}

TEST(ImageFile, RefusesFilesThatCannotBePicturesAndReadsOneThatIs) {
  char pattern[] = "/tmp/marvolet-image-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  const Bytes png = encodePng(3, 1, PNG_COLOR_TYPE_RGB, Bytes(9, 1));
  const std::string picture = folder + "/\xE6\xA0\x87\xE5\xBF\x97.png";  // a Chinese name
  std::ofstream(picture, std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));

  EXPECT_TRUE(readImageFile(picture).usable());
  EXPECT_EQ(readImageFile(folder + "/absent.png").reason, "there is no such file");
  EXPECT_EQ(readImageFile(folder).reason, "it is a folder, not a file");
  EXPECT_EQ(readImageFile("/dev/zero").reason, "it is not a regular file");
  ImageLimits limits;
  limits.maxFileBytes = png.size() - 1;
  EXPECT_EQ(readImageFile(picture, limits).reason, "it is " + std::to_string(png.size()) +
                                                       " bytes; a picture file may be at most " +
                                                       std::to_string(png.size() - 1) + " bytes");
  std::system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace
}  // namespace marvolet
