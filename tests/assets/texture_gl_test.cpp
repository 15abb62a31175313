// Uploading decoded pictures as texture objects, checked in the call log and in the texture GL
// made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/embedded_images.h"
#include "assets/texture.h"
#include "headless_context.h"
#include "render/gl.h"  // with the GL recorder, in the GL test build
#include "render/texture_upload.h"

namespace marvolet {
namespace {

using testing::GlCall;

Texture handMade(uint32_t width, uint32_t height, int32_t bitsPerPixel) {
  Texture texture{};
  texture.width = width;
  texture.height = height;
  texture.bitsPerPixel = bitsPerPixel;
  const size_t size = static_cast<size_t>(width) * height * static_cast<size_t>(bitsPerPixel / 8);
  texture.pixels = static_cast<unsigned char*>(std::malloc(size));
  for (size_t i = 0; i < size; ++i) texture.pixels[i] = static_cast<unsigned char>(i * 37 + 11);
  return texture;
}

// A mipmap level as GL holds it, rows packed.
std::vector<unsigned char> level(const Texture& texture, GLint index) {
  const GLenum format = texture.bitsPerPixel == 24 ? GL_RGB : GL_ALPHA;
  glBindTexture(GL_TEXTURE_2D, texture.textureName);
  GLint width = 0, height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, index, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, index, GL_TEXTURE_HEIGHT, &height);
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) *
                                    static_cast<size_t>(texture.bitsPerPixel / 8));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, index, format, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

std::vector<std::string> names(const std::vector<GlCall>& calls) {
  std::vector<std::string> result;
  for (const GlCall& call : calls) result.push_back(call.name);
  return result;
}

class TextureUpload : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(context.ok()) << context.error(); }
  void TearDown() override { testing::stopGlRecording(); }
  tools::HeadlessContext context{64, 64};
};

TEST_F(TextureUpload, GrayscaleBecomesAClampedTrilinearAlphaTexture) {
  Texture texture = handMade(8, 4, 8);
  testing::startGlRecording();
  uploadTexture(texture, false);
  const auto calls = testing::stopGlRecording();

  const std::vector<std::string> expected = {
      "glGenTextures",   "glBindTexture", "glTexParameteri", "glTexParameteri",   "glTexParameterf",
      "glTexParameterf", "glGetIntegerv", "glPixelStorei",   "gluBuild2DMipmaps", "glPixelStorei"};
  ASSERT_EQ(names(calls), expected);
  const double name = texture.textureName;
  EXPECT_NE(texture.textureName, 0u);
  EXPECT_EQ(calls[1].args, (std::vector<double>{GL_TEXTURE_2D, name}));
  EXPECT_EQ(calls[2].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, 0x2900}));
  EXPECT_EQ(calls[3].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, 0x2900}));
  EXPECT_EQ(calls[4].args,
            (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR}));
  EXPECT_EQ(calls[5].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}));
  EXPECT_EQ(calls[8].args,
            (std::vector<double>{GL_TEXTURE_2D, GL_ALPHA, 8, 4, GL_ALPHA, GL_UNSIGNED_BYTE, 0}));

  EXPECT_EQ(texture.pixels, nullptr);
  // The whole chain exists, down to 1 x 1 at level 3.
  GLint smallest = 0;
  glBindTexture(GL_TEXTURE_2D, texture.textureName);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &smallest);
  EXPECT_EQ(smallest, 1);
  GLint alphaBits = 0, redBits = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &redBits);
  EXPECT_GT(alphaBits, 0);
  EXPECT_EQ(redBits, 0);
}

TEST_F(TextureUpload, ColourBecomesAnRgbTexture) {
  Texture texture = handMade(4, 4, 24);
  testing::startGlRecording();
  uploadTexture(texture, true);
  const auto calls = testing::stopGlRecording();
  ASSERT_EQ(calls.size(), 10u);
  EXPECT_EQ(calls[8].args,
            (std::vector<double>{GL_TEXTURE_2D, GL_RGB, 4, 4, GL_RGB, GL_UNSIGNED_BYTE, 0}));
  EXPECT_EQ(level(texture, 0), std::vector<unsigned char>(texture.pixels, texture.pixels + 48));
  std::free(texture.pixels);
}

TEST_F(TextureUpload, KeepPixelsLeavesTheBufferToTheCaller) {
  Texture texture = handMade(4, 4, 8);
  unsigned char* const before = texture.pixels;
  uploadTexture(texture, true);
  ASSERT_EQ(texture.pixels, before);
  EXPECT_EQ(texture.pixels[5], static_cast<unsigned char>(5 * 37 + 11));
  std::free(texture.pixels);
}

// GL reads rows 4-byte aligned by default. Rows of 2 bytes, ours or those of the 2 x 2 level GLU
// makes from a 4 x 4 picture, must still be read packed, and the setting must be put back.
TEST_F(TextureUpload, EveryLevelIsReadPacked) {
  Texture narrow = handMade(2, 4, 8);
  const std::vector<unsigned char> original(narrow.pixels, narrow.pixels + 8);
  uploadTexture(narrow, false);
  EXPECT_EQ(level(narrow, 0), original);

  Texture square = handMade(4, 4, 8);
  const unsigned char* p = square.pixels;
  uploadTexture(square, true);
  const std::vector<unsigned char> halved = level(square, 1);
  ASSERT_EQ(halved.size(), 4u);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      const int corner = y * 8 + x * 2;
      const int mean = (p[corner] + p[corner + 1] + p[corner + 4] + p[corner + 5]) / 4;
      EXPECT_NEAR(halved[static_cast<size_t>(y * 2 + x)], mean, 1) << x << "," << y;
    }
  }
  std::free(square.pixels);

  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);
}

TEST_F(TextureUpload, EmbeddedAtlasLoadsTopRowFirstWith1024BytesPerRow) {
  Texture atlas{};
  ASSERT_TRUE(
      loadJpegTexture(atlas, FontAtlasJpeg, static_cast<int32_t>(FontAtlasJpegLength), true));
  ASSERT_NE(atlas.pixels, nullptr);
  // Texture row 0 (t = 0, where the glyph rule puts atlasY 0) is the buffer's first row.
  const std::vector<unsigned char> kept(atlas.pixels, atlas.pixels + 524288);
  EXPECT_TRUE(level(atlas, 0) == kept);
  std::free(atlas.pixels);
}

TEST_F(TextureUpload, FailedDecodingMakesNoTextureObject) {
  const unsigned char cut[] = {0xFF, 0xD8, 0xFF, 0xDB, 0x00};
  Texture texture{};
  ::testing::internal::CaptureStderr();
  testing::startGlRecording();
  EXPECT_FALSE(loadJpegTexture(texture, cut, sizeof cut, false));
  const auto calls = testing::stopGlRecording();
  EXPECT_FALSE(::testing::internal::GetCapturedStderr().empty());
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(texture.textureName, 0u);
  EXPECT_EQ(texture.pixels, nullptr);
}

}  // namespace
}  // namespace marvolet
