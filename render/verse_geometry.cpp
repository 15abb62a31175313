// Whether kept verse quads still fit the rings and parameters of a drawing.
#include "render/verse_geometry.h"

#include <cstring>

namespace marvolet {

bool VerseGeometry::matches(const VerseGeometryKey& key) const {
  // Bitwise equality of the rings: identical inputs give identical quads, and anything else,
  // even a sign of zero, simply rebuilds.
  return valid && std::memcmp(built.rings, key.rings, sizeof key.rings) == 0 &&
         std::memcmp(&built.projection, &key.projection, sizeof key.projection) == 0 &&
         std::memcmp(&built.modelview, &key.modelview, sizeof key.modelview) == 0 &&
         built.verse == key.verse && built.verseLength == key.verseLength &&
         built.font == key.font && built.scale == key.scale && built.color[0] == key.color[0] &&
         built.color[1] == key.color[1] && built.color[2] == key.color[2] &&
         built.lightEffects == key.lightEffects && built.atlasWidth == key.atlasWidth &&
         built.atlasHeight == key.atlasHeight;
}

}  // namespace marvolet
