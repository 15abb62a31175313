// Where the system keeps fonts that may draw characters the program's own glyphs lack.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marvolet::platform {

struct FontFile {
  std::string path;    // UTF-8
  uint32_t faceIndex;  // the face within a collection file; 0 for a single-face file
};

// Font files to try for `characters`, best first; the caller checks each face's coverage
// itself. On Linux, fontconfig's choice of faces that together cover what they can of the
// characters; on Windows, the fonts folder, the faces Windows versions ship for many scripts
// first. Empty when the system has none or the lookup fails; never throws.
std::vector<FontFile> systemFontsFor(const std::u32string& characters);

}  // namespace marvolet::platform
