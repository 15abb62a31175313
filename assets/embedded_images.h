// The three pictures carried inside the program as complete JPEG streams.
#pragma once

#include <cstdint>

namespace marvolet {

extern const unsigned char FontAtlasJpeg[];
extern const uint32_t FontAtlasJpegLength;
extern const unsigned char FirstLogoJpeg[];
extern const uint32_t FirstLogoJpegLength;
extern const unsigned char SecondLogoJpeg[];
extern const uint32_t SecondLogoJpegLength;

}  // namespace marvolet
