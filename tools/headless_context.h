// An offscreen OpenGL context on Mesa (EGL, surfaceless platform) for tests, tools and
// benchmarks on machines with no display and no GPU.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marvolet::tools {

// The colour channels of the surface, in bits: red, green, blue, alpha.
enum class FrameFormat { Rgba8888, Rgb888, Rgb565 };

class HeadlessContext {
 public:
  // A double-buffered-equivalent surface of width x height pixels in `format` (exactly, or not
  // ok()) with a depth buffer of 24 bits, made current.
  HeadlessContext(int32_t width, int32_t height, FrameFormat format = FrameFormat::Rgba8888);
  ~HeadlessContext();
  HeadlessContext(const HeadlessContext&) = delete;
  HeadlessContext& operator=(const HeadlessContext&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

  // The current draw buffer as RGB bytes, top row first (as an image file wants it).
  std::vector<uint8_t> readRgb() const;

 private:
  int32_t width_;
  int32_t height_;
  bool ok_ = false;
  std::string error_;
  void* display_ = nullptr;
  void* surface_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace marvolet::tools
