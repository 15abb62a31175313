// The pictures and the font face carried inside the program: three complete JPEG streams and an
// OpenType file.
#pragma once

#include <cstdint>

namespace marvolet {

extern const unsigned char FontAtlasJpeg[];
// The atlas picture's size, pixels.
constexpr int32_t MainFontAtlasWidth = 1024;
constexpr int32_t MainFontAtlasHeight = 512;
extern const uint32_t FontAtlasJpegLength;
extern const unsigned char FirstLogoJpeg[];
extern const uint32_t FirstLogoJpegLength;
extern const unsigned char SecondLogoJpeg[];
extern const uint32_t SecondLogoJpegLength;
// TeX Gyre Termes, the face the font atlas was drawn from (GUST Font License), for the
// characters of the user's words the atlas lacks.
extern const unsigned char TermesOtf[];
extern const uint32_t TermesOtfLength;

}  // namespace marvolet
