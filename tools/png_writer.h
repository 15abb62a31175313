// Minimal PNG encoder for frame dumps and screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marvolet::tools {

// rgb holds height rows of width * 3 bytes, top row first. False when the file can't be written.
bool writePng(const std::string& path, int32_t width, int32_t height,
              const std::vector<uint8_t>& rgb);

}  // namespace marvolet::tools
