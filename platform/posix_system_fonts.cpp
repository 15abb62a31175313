// The system's fonts for given characters, as fontconfig chooses them.
#include <fontconfig/fontconfig.h>

#include "platform/system_fonts.h"

namespace marvolet::platform {

namespace {
// More faces than any passage needs; fontconfig trims the list to faces that add coverage.
constexpr int MaxFaces = 48;
}  // namespace

std::vector<FontFile> systemFontsFor(const std::u32string& characters) {
  std::vector<FontFile> files;
  if (characters.empty()) return files;
  // A configuration of our own, released before returning: nothing of it outlives the call.
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return files;
  FcPattern* pattern = FcPatternCreate();
  FcCharSet* wanted = FcCharSetCreate();
  if (pattern != nullptr && wanted != nullptr) {
    for (char32_t c : characters) FcCharSetAddChar(wanted, static_cast<FcChar32>(c));
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* set = FcFontSort(config, pattern, FcTrue, nullptr, &result);
    if (set != nullptr) {
      for (int i = 0; i < set->nfont && static_cast<int>(files.size()) < MaxFaces; ++i) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
        FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
        // Above 16 bits are named instances of a variable face; the default one will do.
        files.push_back(
            FontFile{reinterpret_cast<const char*>(file), static_cast<uint32_t>(index) & 0xFFFFu});
      }
      FcFontSetDestroy(set);
    }
  }
  if (wanted != nullptr) FcCharSetDestroy(wanted);
  if (pattern != nullptr) FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return files;
}

}  // namespace marvolet::platform
