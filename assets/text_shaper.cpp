// Font choice per character, runs by font and script, HarfBuzz shaping, FreeType rasterising,
// and the simple bidirectional reordering of the runs.
#include "assets/text_shaper.h"

#include <hb.h>

#include <algorithm>
#include <cmath>
#include <map>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "assets/embedded_images.h"
#include "assets/utf8.h"

namespace marvolet {

namespace {

// How much narrower than tall the built-in glyphs draw TeX Gyre Termes; the embedded face is
// drawn the same way so that its letters sit well among them.
constexpr float TermesCondensing = 0.967f;
// Faces opened at most per shaper, so that a Windows fonts folder of hundreds of files is not
// read whole for a character none of them has.
constexpr size_t MaxOpenFaces = 64;

bool ignorable(char32_t c) {
  return c == 0x200C || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) ||
         (c >= 0xE0100 && c <= 0xE01EF);
}

int32_t rounded(hb_position_t v) {
  return static_cast<int32_t>(std::lround(static_cast<double>(v) / 64.0));
}

struct Picture {
  int32_t picture = -1;  // the atlas's, -1 for an empty one
  int32_t left = 0, top = 0;
  bool drawable = false;  // false: the face cannot draw it (a colour bitmap, a broken outline)
};

struct Face {
  std::string name;
  hb_blob_t* blob = nullptr;
  hb_face_t* hbFace = nullptr;
  hb_font_t* hbFont = nullptr;
  FT_Face ft = nullptr;
  std::map<uint32_t, Picture> pictures;

  ~Face() {
    if (ft != nullptr) FT_Done_Face(ft);
    hb_font_destroy(hbFont);
    hb_face_destroy(hbFace);
    hb_blob_destroy(blob);
  }
  bool covers(char32_t c) const { return ignorable(c) || FT_Get_Char_Index(ft, c) != 0; }
};

}  // namespace

struct TextShaper::Faces {
  FT_Library library = nullptr;
  std::vector<std::unique_ptr<Face>> open;  // [0] the embedded face, then system faces
  std::vector<platform::FontFile> candidates;
  size_t nextCandidate = 0;

  ~Faces() {
    open.clear();
    if (library != nullptr) FT_Done_FreeType(library);
  }

  // Takes `blob` (its reference passes to the face). Null when FreeType or HarfBuzz cannot use
  // it, or its glyphs are not outlines (colour bitmaps are not drawn).
  std::unique_ptr<Face> openFace(hb_blob_t* blob, uint32_t index, std::string name,
                                 float condensing) {
    auto face = std::make_unique<Face>();
    face->name = std::move(name);
    face->blob = blob;
    unsigned int length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    if (library == nullptr || data == nullptr || length == 0) return nullptr;
    if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(data),
                           static_cast<FT_Long>(length), static_cast<FT_Long>(index),
                           &face->ft) != 0) {
      face->ft = nullptr;
      return nullptr;
    }
    if (!FT_IS_SCALABLE(face->ft) || face->ft->charmap == nullptr) return nullptr;
    // Pictures at half the drawn size (GlyphAtlas keeps them so).
    const FT_F26Dot6 half = EmPixels * 32;
    if (FT_Set_Char_Size(face->ft, static_cast<FT_F26Dot6>(std::lround(half * condensing)), half,
                         72, 72) != 0) {
      return nullptr;
    }
    face->hbFace = hb_face_create(blob, index);
    face->hbFont = hb_font_create(face->hbFace);
    hb_font_set_scale(face->hbFont, static_cast<int>(std::lround(EmPixels * 64 * condensing)),
                      EmPixels * 64);
    return face;
  }

  // Opens system faces in the lookup's order until one covers every character of [begin, end).
  // Returns its number, or -1.
  int32_t openCovering(const char32_t* begin, const char32_t* end) {
    while (nextCandidate < candidates.size() && open.size() < MaxOpenFaces) {
      const platform::FontFile& file = candidates[nextCandidate++];
      hb_blob_t* blob = hb_blob_create_from_file_or_fail(file.path.c_str());
      if (blob == nullptr) continue;
      std::unique_ptr<Face> face = openFace(blob, file.faceIndex, file.path, 1.0f);
      if (face == nullptr) continue;
      open.push_back(std::move(face));
      if (std::all_of(begin, end, [&](char32_t c) { return open.back()->covers(c); })) {
        return static_cast<int32_t>(open.size()) - 1;
      }
    }
    return -1;
  }
};

TextShaper::TextShaper(GlyphAtlas& atlas, FontLookup lookup)
    : atlas_(atlas), lookup_(std::move(lookup)), faces_(std::make_unique<Faces>()) {
  if (FT_Init_FreeType(&faces_->library) != 0) {
    faces_->library = nullptr;
    return;
  }
  hb_blob_t* termes = hb_blob_create(reinterpret_cast<const char*>(TermesOtf), TermesOtfLength,
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
  std::unique_ptr<Face> face = faces_->openFace(termes, 0, "embedded", TermesCondensing);
  if (face != nullptr) faces_->open.push_back(std::move(face));
}

TextShaper::~TextShaper() = default;

std::string TextShaper::faceName(int32_t face) const {
  if (face < 0 || static_cast<size_t>(face) >= faces_->open.size()) return std::string();
  return faces_->open[static_cast<size_t>(face)]->name;
}

ShapedText TextShaper::shape(const std::string& utf8) {
  return shape(decodeUtf8(utf8));
}

namespace {

// A run of characters drawn from one source in one direction, and its glyphs in visual order.
struct Run {
  size_t begin, end;
  int32_t source;  // ShapedText::BuiltIn, ShapedText::Box or a face
  hb_script_t script;
  int strong;  // 1 right to left, 0 left to right, -1 neutral
  int level = 0;
  size_t first = 0, last = 0;  // its glyphs in the shaper's list of every run's glyphs
};

void append(ShapedText& out, uint32_t entry, uint32_t cluster, uint32_t faceGlyph, int32_t face) {
  out.glyphs.push_back(entry);
  out.clusters.push_back(cluster);
  out.faceGlyphs.push_back(faceGlyph);
  out.faces.push_back(face);
}

bool realScript(hb_script_t s) {
  return s != HB_SCRIPT_COMMON && s != HB_SCRIPT_INHERITED && s != HB_SCRIPT_UNKNOWN &&
         s != HB_SCRIPT_INVALID;
}

}  // namespace

ShapedText TextShaper::shape(const std::u32string& input) {
  ShapedText result;
  std::u32string text = input;
  for (char32_t& c : text) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  }
  const size_t n = text.size();
  if (n == 0) return result;
  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  const BitmapFont& builtIn = atlas_.font();
  auto builtInCovers = [&](char32_t c) {
    return c >= 32 && c < 127 && builtIn.glyphFor(static_cast<char>(c)) != nullptr;
  };

  // Clusters: a character and the marks, joiners and selectors that go with it.
  std::vector<size_t> starts;
  for (size_t i = 0; i < n; ++i) {
    bool extends = false;
    if (i > 0) {
      const hb_unicode_general_category_t g = hb_unicode_general_category(unicode, text[i]);
      extends = g == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
                g == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK ||
                g == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK || ignorable(text[i]) ||
                text[i - 1] == 0x200D || (text[i] >= 0x1F3FB && text[i] <= 0x1F3FF);
    }
    if (!extends) starts.push_back(i);
  }
  starts.push_back(n);

  // What neither the built-in glyphs nor the embedded face has goes to the system, once.
  Faces& faces = *faces_;
  std::u32string uncovered;
  for (char32_t c : text) {
    if (builtInCovers(c) || ignorable(c)) continue;
    if (!faces.open.empty() && faces.open[0]->covers(c)) continue;
    uncovered.push_back(c);
  }
  if (!uncovered.empty() && faces.candidates.empty() && faces.nextCandidate == 0 && lookup_) {
    std::sort(uncovered.begin(), uncovered.end());
    uncovered.erase(std::unique(uncovered.begin(), uncovered.end()), uncovered.end());
    faces.candidates = lookup_(uncovered);
  }

  // The source of each cluster, then runs of one source and one script.
  std::vector<Run> runs;
  for (size_t k = 0; k + 1 < starts.size(); ++k) {
    const size_t b = starts[k], e = starts[k + 1];
    int32_t source = ShapedText::Box;
    if (e - b == 1 && builtInCovers(text[b])) {
      source = ShapedText::BuiltIn;
    } else {
      for (size_t f = 0; f < faces.open.size() && source == ShapedText::Box; ++f) {
        if (std::all_of(&text[b], &text[b] + (e - b),
                        [&](char32_t c) { return faces.open[f]->covers(c); })) {
          source = static_cast<int32_t>(f);
        }
      }
      if (source == ShapedText::Box) {
        const int32_t opened = faces.openCovering(&text[b], &text[b] + (e - b));
        if (opened >= 0) source = opened;
      }
    }
    hb_script_t script = HB_SCRIPT_COMMON;
    for (size_t i = b; i < e && !realScript(script); ++i)
      script = hb_unicode_script(unicode, text[i]);
    Run* last = runs.empty() ? nullptr : &runs.back();
    // A face's run keeps its neutral characters, so that they are shaped in context; the
    // built-in glyphs need no shaping, and their spaces and punctuation stand apart to take the
    // direction of what surrounds them.
    const bool sameScript =
        last != nullptr &&
        (source == ShapedText::BuiltIn
             ? realScript(script) == realScript(last->script)
             : (!realScript(script) || !realScript(last->script) || script == last->script));
    if (last != nullptr && last->source == source && sameScript) {
      last->end = e;
      if (!realScript(last->script)) last->script = script;
    } else {
      runs.push_back(Run{b, e, source, script, -1, 0, 0, 0});
    }
  }

  // Each run's glyphs, in visual order within the run, one run after the other.
  ShapedText shaped;
  hb_buffer_t* buffer = hb_buffer_create();
  for (Run& run : runs) {
    run.first = shaped.glyphs.size();
    // However the run's case ends, its glyphs end where the list does.
    struct Close {
      Run& run;
      const ShapedText& shaped;
      ~Close() { run.last = shaped.glyphs.size(); }
    } close{run, shaped};
    const hb_direction_t direction =
        realScript(run.script) ? hb_script_get_horizontal_direction(run.script) : HB_DIRECTION_LTR;
    const bool rtl = direction == HB_DIRECTION_RTL;
    run.strong = realScript(run.script) ? (rtl ? 1 : 0) : -1;
    if (run.source == ShapedText::BuiltIn) {
      for (size_t i = run.begin; i < run.end; ++i) {
        append(shaped, static_cast<uint32_t>(text[i] - static_cast<char32_t>(builtIn.firstChar)),
               static_cast<uint32_t>(i), static_cast<uint32_t>(text[i]), ShapedText::BuiltIn);
      }
      continue;
    }
    if (run.source == ShapedText::Box) {
      const uint32_t box = atlas_.box();
      for (auto k = std::lower_bound(starts.begin(), starts.end(), run.begin);
           k != starts.end() && *k < run.end; ++k) {
        append(shaped, box, static_cast<uint32_t>(*k), 0, ShapedText::Box);
        ++result.boxes;
      }
      if (rtl) {
        const auto from = static_cast<ptrdiff_t>(run.first);
        std::reverse(shaped.glyphs.begin() + from, shaped.glyphs.end());
        std::reverse(shaped.clusters.begin() + from, shaped.clusters.end());
      }
      continue;
    }
    Face& face = *faces.open[static_cast<size_t>(run.source)];
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_utf32(buffer, reinterpret_cast<const uint32_t*>(text.data()), static_cast<int>(n),
                        static_cast<unsigned int>(run.begin),
                        static_cast<int>(run.end - run.begin));
    hb_buffer_set_direction(buffer, direction);
    hb_buffer_set_script(buffer, realScript(run.script) ? run.script : HB_SCRIPT_LATIN);
    hb_buffer_set_language(buffer, hb_language_get_default());
    hb_shape(face.hbFont, buffer, nullptr, 0);
    unsigned int count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
    for (unsigned int g = 0; g < count; ++g) {
      const uint32_t gid = info[g].codepoint;
      auto found = face.pictures.find(gid);
      if (found == face.pictures.end()) {
        Picture made;
        if (gid != 0 && FT_Load_Glyph(face.ft, gid, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0 &&
            face.ft->glyph->format == FT_GLYPH_FORMAT_OUTLINE &&
            FT_Render_Glyph(face.ft->glyph, FT_RENDER_MODE_NORMAL) == 0) {
          const FT_Bitmap& bitmap = face.ft->glyph->bitmap;
          made.drawable = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.pitch >= 0;
          if (made.drawable && bitmap.width > 0 && bitmap.rows > 0) {
            made.picture = atlas_.addPicture(bitmap.buffer, static_cast<int32_t>(bitmap.width),
                                             static_cast<int32_t>(bitmap.rows), bitmap.pitch);
            made.drawable = made.picture >= 0;
          }
          made.left = face.ft->glyph->bitmap_left;
          made.top = face.ft->glyph->bitmap_top;
        }
        found = face.pictures.emplace(gid, made).first;
      }
      const Picture& picture = found->second;
      if (!picture.drawable) {
        append(shaped, atlas_.box(), info[g].cluster, 0, ShapedText::Box);
        ++result.boxes;
        continue;
      }
      const uint32_t entry =
          atlas_.addGlyph(picture.picture, 2 * picture.left + rounded(pos[g].x_offset),
                          2 * picture.top + rounded(pos[g].y_offset), rounded(pos[g].x_advance));
      append(shaped, entry, info[g].cluster, gid, run.source);
    }
  }
  hb_buffer_destroy(buffer);

  // Levels, as the bidirectional algorithm gives them for text without embeddings: the first
  // strong run sets the paragraph's direction; neutral runs take their neighbours' direction
  // when both agree, else the paragraph's.
  int paragraph = 0;
  for (const Run& run : runs) {
    if (run.strong >= 0) {
      paragraph = run.strong;
      break;
    }
  }
  result.rightToLeft = paragraph == 1;
  auto levelOf = [&](int strong) { return strong == 1 ? 1 : (paragraph == 1 ? 2 : 0); };
  // The nearest strong direction after each run, found in one sweep: a passage of a million
  // neutral runs must not be searched once per run.
  std::vector<int> after(runs.size(), -1);
  for (size_t r = runs.size(); r-- > 1;) {
    after[r - 1] = runs[r].strong >= 0 ? runs[r].strong : after[r];
  }
  int before = -1;
  for (size_t r = 0; r < runs.size(); ++r) {
    if (runs[r].strong >= 0) {
      runs[r].level = levelOf(runs[r].strong);
      before = runs[r].strong;
      continue;
    }
    runs[r].level = before >= 0 && before == after[r] ? levelOf(before) : paragraph;
  }
  int highest = 0;
  for (const Run& run : runs) highest = std::max(highest, run.level);
  for (int level = highest; level >= 1; --level) {
    for (size_t r = 0; r < runs.size();) {
      if (runs[r].level < level) {
        ++r;
        continue;
      }
      size_t e = r;
      while (e < runs.size() && runs[e].level >= level) ++e;
      std::reverse(runs.begin() + static_cast<ptrdiff_t>(r),
                   runs.begin() + static_cast<ptrdiff_t>(e));
      r = e;
    }
  }
  result.glyphs.reserve(shaped.glyphs.size());
  result.clusters.reserve(shaped.glyphs.size());
  result.faceGlyphs.reserve(shaped.glyphs.size());
  result.faces.reserve(shaped.glyphs.size());
  for (const Run& run : runs) {
    for (size_t i = run.first; i < run.last; ++i) {
      append(result, shaped.glyphs[i], shaped.clusters[i], shaped.faceGlyphs[i], shaped.faces[i]);
    }
  }
  return result;
}

}  // namespace marvolet
