// Decoding JPEG streams from memory: geometry, row order, and damaged data of every kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "assets/embedded_images.h"
#include "assets/texture.h"
#include "guarded_buffer.h"
#include "jpeg_samples.h"

namespace marvolet {
namespace {

using testing::GuardedBuffer;

// Decodes a copy of `stream` that ends at a guard page; returns what went to stderr.
struct Decoded {
  bool ok;
  Texture texture;
  std::string messages;
};

Decoded decode(const std::vector<unsigned char>& stream) {
  GuardedBuffer buffer(stream.data(), stream.size());
  EXPECT_TRUE(buffer.ok());
  Decoded result{false, Texture{}, {}};
  ::testing::internal::CaptureStderr();
  result.ok = decodeJpeg(result.texture, buffer.data(), buffer.size());
  result.messages = ::testing::internal::GetCapturedStderr();
  return result;
}

void release(Decoded& decoded) {
  std::free(decoded.texture.pixels);
  decoded.texture.pixels = nullptr;
}

std::vector<unsigned char> graySample(int width, int height) {
  return testing::encodeJpeg(width, height, 1, [](int x, int y, int) {
    return static_cast<unsigned char>((x * 8 + y * 4) & 0xFF);
  });
}

std::vector<unsigned char> colourSample() {
  // Left half red, right half blue: far apart in every channel but green.
  return testing::encodeJpeg(16, 16, 3, [](int x, int, int c) {
    const bool red = x < 8;
    return static_cast<unsigned char>(c == 0 ? (red ? 255 : 0) : c == 2 ? (red ? 0 : 255) : 0);
  });
}

// The failure contract shared by every fatal case: nothing kept, nothing made, and a message.
void expectCleanFailure(const Decoded& decoded) {
  EXPECT_FALSE(decoded.ok);
  EXPECT_EQ(decoded.texture.pixels, nullptr);
  EXPECT_EQ(decoded.texture.textureName, 0u);
  EXPECT_FALSE(decoded.messages.empty());
}

TEST(DecodeJpeg, GrayscaleStreamGivesOneBytePerPixel) {
  Decoded decoded = decode(graySample(32, 16));
  ASSERT_TRUE(decoded.ok) << decoded.messages;
  EXPECT_EQ(decoded.texture.bitsPerPixel, 8);
  EXPECT_EQ(decoded.texture.width, 32u);
  EXPECT_EQ(decoded.texture.height, 16u);
  ASSERT_NE(decoded.texture.pixels, nullptr);
  // Lossy, but a smooth ramp comes back close to what was encoded.
  EXPECT_NEAR(decoded.texture.pixels[15 * 32 + 20], (20 * 8 + 15 * 4) & 0xFF, 6);
  EXPECT_TRUE(decoded.messages.empty()) << decoded.messages;
  release(decoded);
}

TEST(DecodeJpeg, ColourStreamGivesThreeBytesPerPixelInRgbOrder) {
  Decoded decoded = decode(colourSample());
  ASSERT_TRUE(decoded.ok) << decoded.messages;
  EXPECT_EQ(decoded.texture.bitsPerPixel, 24);
  const unsigned char* left = decoded.texture.pixels + (8 * 16 + 2) * 3;
  const unsigned char* right = decoded.texture.pixels + (8 * 16 + 13) * 3;
  EXPECT_GT(left[0], 200);
  EXPECT_LT(left[2], 60);
  EXPECT_LT(right[0], 60);
  EXPECT_GT(right[2], 200);
  release(decoded);
}

TEST(DecodeJpeg, FirstRowOfTheBufferIsTheTopOfThePicture) {
  const auto stream = testing::encodeJpeg(
      16, 16, 1, [](int, int y, int) { return static_cast<unsigned char>(y < 8 ? 255 : 0); });
  Decoded decoded = decode(stream);
  ASSERT_TRUE(decoded.ok);
  EXPECT_GT(decoded.texture.pixels[0], 200);
  EXPECT_LT(decoded.texture.pixels[15 * 16 + 15], 50);
  release(decoded);
}

TEST(DecodeJpeg, ProgressiveStreamDecodesLikeBaseline) {
  const auto sample = [](int x, int y, int) { return static_cast<unsigned char>(x * 16 + y); };
  Decoded decoded = decode(testing::encodeJpeg(16, 16, 1, sample, true));
  ASSERT_TRUE(decoded.ok) << decoded.messages;
  EXPECT_NEAR(decoded.texture.pixels[5 * 16 + 9], 9 * 16 + 5, 6);
  release(decoded);
}

TEST(DecodeJpeg, EmbeddedAtlasIsA1024By512GrayscalePicture) {
  Texture atlas{};
  ASSERT_TRUE(decodeJpeg(atlas, FontAtlasJpeg, static_cast<int32_t>(FontAtlasJpegLength)));
  EXPECT_EQ(atlas.width, 1024u);
  EXPECT_EQ(atlas.height, 512u);
  EXPECT_EQ(atlas.bitsPerPixel, 8);
  // The whole 524288-byte buffer is there (ASan would catch a shorter one); row 0 lies above
  // every glyph rectangle, so it is dark.
  int brightest = 0;
  for (int x = 0; x < 1024; ++x) brightest = std::max<int>(brightest, atlas.pixels[x]);
  EXPECT_LT(brightest, 64);
  EXPECT_LE(atlas.pixels[524287], 255);
  std::free(atlas.pixels);
}

TEST(DecodeJpeg, EmbeddedLogosAre256By256Grayscale) {
  const unsigned char* streams[] = {FirstLogoJpeg, SecondLogoJpeg};
  const uint32_t lengths[] = {FirstLogoJpegLength, SecondLogoJpegLength};
  for (int i = 0; i < 2; ++i) {
    Texture logo{};
    ASSERT_TRUE(decodeJpeg(logo, streams[i], static_cast<int32_t>(lengths[i])));
    EXPECT_EQ(logo.width, 256u);
    EXPECT_EQ(logo.height, 256u);
    EXPECT_EQ(logo.bitsPerPixel, 8);
    std::free(logo.pixels);
  }
}

// Every cut up to the scan header's component list leaves the header incomplete: a fatal error
// each time. (The three bytes after that list mean nothing to a baseline decoder.)
TEST(DecodeDamagedJpeg, StreamCutInsideItsHeaderFails) {
  const auto stream = graySample(16, 16);
  const size_t componentsEnd = testing::findMarker(stream, testing::StartOfScan) + 2 + 2 + 1 + 2;
  for (size_t cut = 0; cut < componentsEnd; ++cut) {
    SCOPED_TRACE(cut);
    Decoded decoded = decode({stream.begin(), stream.begin() + static_cast<long>(cut)});
    expectCleanFailure(decoded);
  }
}

TEST(DecodeDamagedJpeg, StreamCutInItsScanDataDecodesWhatItHasWithAWarning) {
  const auto stream = graySample(64, 64);
  Decoded whole = decode(stream);
  ASSERT_TRUE(whole.ok);
  const size_t scan = testing::scanDataOffset(stream);
  const size_t cut = scan + (stream.size() - scan) / 2;
  Decoded damaged = decode({stream.begin(), stream.begin() + static_cast<long>(cut)});
  ASSERT_TRUE(damaged.ok) << damaged.messages;
  EXPECT_NE(damaged.messages.find("Premature end of JPEG file"), std::string::npos)
      << damaged.messages;
  EXPECT_EQ(damaged.texture.width, 64u);
  EXPECT_EQ(damaged.texture.height, 64u);
  // The rows before the cut are the same data, so they decode the same.
  EXPECT_EQ(0, std::memcmp(whole.texture.pixels, damaged.texture.pixels, 64 * 8));
  release(whole);
  release(damaged);
}

// A damaged segment length asks the library to skip far past the end of the block.
TEST(DecodeDamagedJpeg, SkipPastTheEndStopsAtTheEnd) {
  const std::vector<unsigned char> stream = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF,
                                             0xFF, 'E',  'x',  'i',  'f'};
  expectCleanFailure(decode(stream));
}

TEST(DecodeDamagedJpeg, SkipPastTheEndInsideAValidStreamStopsAtTheEnd) {
  auto stream = graySample(16, 16);
  // Turn the JFIF segment's length into a huge one: everything after it is skipped.
  const size_t app0 = testing::findMarker(stream, 0xE0);
  ASSERT_LT(app0, stream.size());
  stream[app0 + 2] = 0xFF;
  stream[app0 + 3] = 0xF0;
  expectCleanFailure(decode(stream));
}

TEST(DecodeDamagedJpeg, RandomBytesFail) {
  std::mt19937 generator(1234);
  for (int round = 0; round < 20; ++round) {
    std::vector<unsigned char> stream(1 + generator() % 2000);
    for (auto& byte : stream) byte = static_cast<unsigned char>(generator());
    SCOPED_TRACE(round);
    expectCleanFailure(decode(stream));
  }
}

TEST(DecodeDamagedJpeg, RandomScanDataAfterAValidHeaderNeverEscapesTheBlock) {
  const auto stream = graySample(32, 32);
  const size_t scan = testing::scanDataOffset(stream);
  std::mt19937 generator(99);
  for (int round = 0; round < 20; ++round) {
    auto damaged = stream;
    damaged.resize(scan + generator() % 600);
    for (size_t i = scan; i < damaged.size(); ++i) {
      damaged[i] = static_cast<unsigned char>(generator());
    }
    Decoded decoded = decode(damaged);
    // Either outcome is allowed; what matters is the contract on each.
    if (decoded.ok) {
      EXPECT_NE(decoded.texture.pixels, nullptr);
    } else {
      expectCleanFailure(decoded);
    }
    release(decoded);
  }
}

TEST(DecodeDamagedJpeg, EmptyBlocksFail) {
  expectCleanFailure(decode({}));

  Decoded missing{false, Texture{}, {}};
  ::testing::internal::CaptureStderr();
  missing.ok = decodeJpeg(missing.texture, nullptr, 100);
  missing.messages = ::testing::internal::GetCapturedStderr();
  expectCleanFailure(missing);

  const auto stream = graySample(16, 16);
  Decoded negative{false, Texture{}, {}};
  ::testing::internal::CaptureStderr();
  negative.ok = decodeJpeg(negative.texture, stream.data(), -1);
  negative.messages = ::testing::internal::GetCapturedStderr();
  expectCleanFailure(negative);
}

TEST(DecodeDamagedJpeg, AbsurdFrameSizeIsRefusedBeforeAllocating) {
  auto stream = colourSample();
  testing::forgeFrameSize(stream, 65500, 65500);  // 12.9 GB of RGB
  Decoded decoded = decode(stream);
  expectCleanFailure(decoded);
  EXPECT_NE(decoded.messages.find("Insufficient memory"), std::string::npos) << decoded.messages;
}

TEST(DecodeDamagedJpeg, FailureForgetsAPointerTheRecordHeldBefore) {
  // A stale pointer from an earlier load is the caller's; the failure path must not free it.
  unsigned char stale = 7;
  Texture texture{};
  texture.pixels = &stale;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(decodeJpeg(texture, nullptr, 0));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(texture.pixels, nullptr);
  EXPECT_EQ(stale, 7);
}

}  // namespace
}  // namespace marvolet
