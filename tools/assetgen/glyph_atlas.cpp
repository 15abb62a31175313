// Fits TeX Gyre Termes into the saver's fixed glyph layout and renders it into the atlas.
//
// The table predates this generator: twelve of its entries, the row structure and the packing rule
// are fixed, because text measured with them must keep its size and spacing. The rest of the font
// is drawn from Termes with one common shape (condensed a little, small x-height, long ascenders
// and descenders, like the face the fixed entries were cut from) and then nudged glyph by glyph:
// free glyphs are narrowed slightly or given blank columns so every fixed rectangle lands exactly
// where it must, and the fixed glyphs are scaled into their rectangles.
#include "glyph_atlas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

namespace assetgen {

namespace {

// Pixel design of the atlas font. Heights are above the baseline before the one-pixel drop.
constexpr double kCapHeightUnits = 662;  // Termes: flat capitals
constexpr double kCapHeightPx = 78;      // on a pixel edge, so flat tops stay sharp
constexpr double kFigureTopUnits = 676;  // Termes: round capitals and figures
constexpr double kFigureTopPx = 79;
constexpr double kXHeightUnits = 460;
constexpr double kXHeightPx = 49;
constexpr double kAscenderUnits = 683;
constexpr double kAscenderPx = 83;
constexpr double kDescenderUnits = -218;
constexpr double kDescenderPx = -30;
// Round lower-case letters pass the x-height and the baseline by about this much; the band keeps
// the x-height scale so bowls are not bent where the ascender and descender stretch begins.
constexpr double kOvershootUnits = 12;
// Flat feet cover the pixel row under the baseline, as in the fixed entries (height = yOffset + 1).
constexpr double kBaselineDropPx = 1;
constexpr double kCondensing = 0.967;  // horizontal scale relative to the vertical one

constexpr int kMinAdvance = 24;
constexpr int kMaxAdvance = 114;
constexpr int kMaxHeight = 108;
constexpr int kMinOffset = -8;
constexpr int kMaxOffset = 84;

// One row of the atlas: its first code, the height of its tallest rectangle (0: only the atlas
// bounds it) and where its last rectangle must end (0: anywhere that still breaks the row).
struct RowRule {
  int firstCode;
  int tallest;
  int rightEdge;
};
constexpr RowRule kRows[] = {{32, 108, 1020}, {59, 81, 0}, {75, 99, 0}, {88, 107, 0}, {109, 0, 0}};
constexpr int kRowCount = sizeof(kRows) / sizeof(kRows[0]);

double floorDiv64(FT_Pos v) {
  return std::floor(static_cast<double>(v) / 64.0);
}
double ceilDiv64(FT_Pos v) {
  return std::ceil(static_cast<double>(v) / 64.0);
}
FT_Pos to26_6(double px) {
  return static_cast<FT_Pos>(std::lround(px * 64.0));
}

// Monotonic piecewise-linear map from font units to pixels, extended past its ends by the slope of
// the outer pieces.
class VerticalMap {
 public:
  explicit VerticalMap(std::vector<std::pair<double, double>> knots) : knots_(std::move(knots)) {}

  double operator()(double units) const {
    size_t i = 1;
    while (i + 1 < knots_.size() && units > knots_[i].first) ++i;
    const auto& [u0, p0] = knots_[i - 1];
    const auto& [u1, p1] = knots_[i];
    return p0 + (units - u0) * (p1 - p0) / (u1 - u0);
  }

 private:
  std::vector<std::pair<double, double>> knots_;
};

const VerticalMap& generalMap() {
  static const VerticalMap map(
      {{0, 0}, {kCapHeightUnits, kCapHeightPx}, {kFigureTopUnits, kFigureTopPx}});
  return map;
}

const VerticalMap& lowerCaseMap() {
  constexpr double scale = kXHeightPx / kXHeightUnits;
  static const VerticalMap map(
      {{kDescenderUnits, kDescenderPx},
       {-kOvershootUnits, -kOvershootUnits * scale},
       {kXHeightUnits + kOvershootUnits, (kXHeightUnits + kOvershootUnits) * scale},
       {kAscenderUnits, kAscenderPx}});
  return map;
}

double horizontalScale() {
  return kCondensing * kFigureTopPx / kFigureTopUnits;
}

bool isLowerCase(int code) {
  return code >= 'a' && code <= 'z';
}
bool isDigit(int code) {
  return code >= '0' && code <= '9';
}
bool isLetterOrDigit(int code) {
  return isLowerCase(code) || isDigit(code) || (code >= 'A' && code <= 'Z');
}

using OutlineTag = std::remove_pointer_t<decltype(FT_Outline::tags)>;
using ContourIndex = std::remove_pointer_t<decltype(FT_Outline::contours)>;

// A glyph outline in font units, copied out of the face.
struct SourceGlyph {
  int code = 0;
  std::vector<FT_Vector> points;
  std::vector<OutlineTag> tags;
  std::vector<ContourIndex> contours;
  int flags = 0;
  double advanceUnits = 0;
};

// An outline placed in pen space: 26.6 pixels, x from the pen, y up from the baseline.
struct Shape {
  const SourceGlyph* source = nullptr;
  std::vector<FT_Vector> points;

  FT_Outline view() {
    FT_Outline outline{};
    outline.n_points = static_cast<decltype(outline.n_points)>(points.size());
    outline.n_contours = static_cast<decltype(outline.n_contours)>(source->contours.size());
    outline.points = points.data();
    outline.tags = const_cast<OutlineTag*>(source->tags.data());
    outline.contours = const_cast<ContourIndex*>(source->contours.data());
    outline.flags = source->flags;
    return outline;
  }

  FT_BBox box() {
    FT_Outline outline = view();
    FT_BBox result{};
    FT_Outline_Get_BBox(&outline, &result);
    return result;
  }

  void shift(FT_Pos dx, FT_Pos dy) {
    for (FT_Vector& p : points) {
      p.x += dx;
      p.y += dy;
    }
  }
};

Shape placeShape(const SourceGlyph& glyph, double xScale) {
  const VerticalMap& map = isLowerCase(glyph.code) ? lowerCaseMap() : generalMap();
  Shape shape;
  shape.source = &glyph;
  shape.points.reserve(glyph.points.size());
  for (const FT_Vector& p : glyph.points) {
    shape.points.push_back({to26_6(static_cast<double>(p.x) * xScale),
                            to26_6(map(static_cast<double>(p.y)) - kBaselineDropPx)});
  }
  return shape;
}

// A free glyph as it will be stored: shape in pen space with its ink's left edge on a pixel
// boundary, and the integer box around the ink.
struct FreeGlyph {
  Shape shape;
  int inkLeft = 0;  // pen to the ink's left edge
  int inkWidth = 0;
  int top = 0;  // first pixel row above the ink, counted up from the baseline
  int bottom = 0;
  int advance = 0;
};

FreeGlyph placeFree(const SourceGlyph& glyph, double xScale) {
  FreeGlyph result;
  result.shape = placeShape(glyph, xScale);
  const FT_BBox box = result.shape.box();
  result.inkLeft = static_cast<int>(std::lround(static_cast<double>(box.xMin) / 64.0));
  result.shape.shift(static_cast<FT_Pos>(result.inkLeft) * 64 - box.xMin, 0);
  result.inkWidth = static_cast<int>(ceilDiv64(box.xMax - box.xMin));
  result.top = static_cast<int>(ceilDiv64(box.yMax));
  result.bottom = static_cast<int>(floorDiv64(box.yMin));
  result.advance = static_cast<int>(std::lround(glyph.advanceUnits * xScale));
  return result;
}

class FontFile {
 public:
  explicit FontFile(const std::string& path) {
    if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType did not start");
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
      FT_Done_FreeType(library_);
      throw std::runtime_error("cannot open font " + path);
    }
    const std::string family = face_->family_name ? face_->family_name : "";
    if (family != "TeX Gyre Termes" || face_->units_per_EM != 1000) {
      FT_Done_Face(face_);
      FT_Done_FreeType(library_);
      // The vertical design above is measured in this face's units.
      throw std::runtime_error(path + " is not TeX Gyre Termes (found '" + family + "')");
    }
  }
  ~FontFile() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  FontFile(const FontFile&) = delete;
  FontFile& operator=(const FontFile&) = delete;

  FT_Library library() const { return library_; }

  SourceGlyph load(int code) const {
    if (FT_Load_Char(face_, static_cast<FT_ULong>(code),
                     FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
      throw std::runtime_error("font has no outline for code " + std::to_string(code));
    }
    const FT_Outline& outline = face_->glyph->outline;
    SourceGlyph glyph;
    glyph.code = code;
    glyph.points.assign(outline.points, outline.points + outline.n_points);
    glyph.tags.assign(outline.tags, outline.tags + outline.n_points);
    glyph.contours.assign(outline.contours, outline.contours + outline.n_contours);
    glyph.flags = outline.flags;
    glyph.advanceUnits = static_cast<double>(face_->glyph->advance.x);
    return glyph;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// Coverage of `shape` over a width x height rectangle whose bottom-left corner is at (left,
// bottom) in pen space; anything outside is clipped.
GrayImage rasterize(FT_Library library, Shape shape, int left, int bottom, int width, int height) {
  GrayImage image(width, height);
  if (width == 0 || height == 0) return image;
  shape.shift(-static_cast<FT_Pos>(left) * 64, -static_cast<FT_Pos>(bottom) * 64);
  FT_Outline outline = shape.view();
  FT_Bitmap bitmap{};
  bitmap.rows = static_cast<unsigned>(height);
  bitmap.width = static_cast<unsigned>(width);
  bitmap.pitch = width;  // positive: the buffer's first row is the top one
  bitmap.buffer = image.pixels.data();
  bitmap.num_grays = 256;
  bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
  if (FT_Outline_Get_Bitmap(library, &outline, &bitmap) != 0) {
    throw std::runtime_error("rasterizing code " + std::to_string(shape.source->code) + " failed");
  }
  return image;
}

const AtlasGlyph* fixedGlyphFor(int code) {
  for (const AtlasGlyph& g : fixedGlyphs()) {
    if (g.code == code) return &g;
  }
  return nullptr;
}

int rowOfCode(int code) {
  int row = 0;
  while (row + 1 < kRowCount && code >= kRows[row + 1].firstCode) ++row;
  return row;
}

// Everything decided about one glyph while fitting.
struct Plan {
  const SourceGlyph* source = nullptr;
  const AtlasGlyph* fixed = nullptr;
  double preferredScale = 1;  // relative to horizontalScale()
  double xScale = 1;
  int padRight = 0;
  int padBottom = 0;
  FreeGlyph placed;
};

class Fitter {
 public:
  Fitter(const FontFile& font, std::vector<SourceGlyph>& sources) : font_(font) {
    plans_.resize(kGlyphCount);
    for (int i = 0; i < kGlyphCount; ++i) {
      plans_[i].source = &sources[i];
      plans_[i].fixed = fixedGlyphFor(kFirstCode + i);
    }
    // Figures share the fixed zero's proportions, so the whole set reads as one.
    Shape zero = placeShape(*plan('0').source, horizontalScale());
    const FT_BBox zeroBox = zero.box();
    const double figureScale =
        plan('0').fixed->width * 64.0 / static_cast<double>(zeroBox.xMax - zeroBox.xMin);
    for (int code = '1'; code <= '9'; ++code) plan(code).preferredScale = figureScale;
    for (Plan& p : plans_) setScale(p, p.preferredScale);
  }

  std::vector<AtlasGlyph> fit() {
    for (int row = 0; row < kRowCount; ++row) fitRowWidths(row);
    for (int row = 0; row < kRowCount; ++row) fitRowHeight(row);
    std::vector<AtlasGlyph> glyphs;
    for (int i = 0; i < kGlyphCount; ++i) glyphs.push_back(entryFor(plans_[i], i));
    glyphs = packRectangles(std::move(glyphs));
    verify(glyphs);
    return glyphs;
  }

  GrayImage render(const std::vector<AtlasGlyph>& glyphs) const {
    GrayImage atlas(kAtlasWidth, kAtlasHeight);
    for (int i = 0; i < kGlyphCount; ++i) {
      const AtlasGlyph& g = glyphs[i];
      if (g.width == 0) continue;
      const Plan& p = plans_[i];
      Shape shape = p.fixed ? fixedShape(p) : p.placed.shape;
      const GrayImage cell =
          rasterize(font_.library(), shape, g.xOffset, g.yOffset - g.height, g.width, g.height);
      stampMax(atlas, cell, g.atlasX, g.atlasY);
    }
    return atlas;
  }

  std::vector<GlyphAdjustment> adjustments() const {
    std::vector<GlyphAdjustment> result;
    for (const Plan& p : plans_) {
      if (!p.fixed) result.push_back({p.source->code, p.xScale, p.padRight, p.padBottom});
    }
    return result;
  }

 private:
  Plan& plan(int code) { return plans_[code - kFirstCode]; }

  void setScale(Plan& p, double scale) {
    p.xScale = scale;
    p.placed = placeFree(*p.source, horizontalScale() * scale);
  }

  int widthOf(const Plan& p) const {
    return p.fixed ? p.fixed->width : p.placed.inkWidth + p.padRight;
  }
  int heightOf(const Plan& p) const {
    return p.fixed ? p.fixed->height : p.placed.top - p.placed.bottom + p.padBottom;
  }

  // Narrows the free glyphs codes [first, last] just enough for their rectangles to sum to at most
  // `target`, then pads the rest. Letters give way less than punctuation, whose shapes survive it.
  void fitRun(int first, int last, int target) {
    for (int step = 0;; ++step) {
      const double squeeze = step * 0.001;
      if (squeeze > 0.35) {
        throw std::runtime_error("codes " + std::to_string(first) + ".." + std::to_string(last) +
                                 " cannot be narrowed to " + std::to_string(target) + " pixels");
      }
      int total = 0;
      for (int code = first; code <= last; ++code) {
        Plan& p = plan(code);
        const double give = isLetterOrDigit(code) ? 1.0 : 1.5;
        setScale(p, p.preferredScale * (1.0 - squeeze * give));
        total += p.placed.inkWidth;
      }
      if (total > target) continue;
      for (int spare = target - total, code = first; spare > 0; --spare) {
        ++plan(code).padRight;
        code = code == last ? first : code + 1;
      }
      return;
    }
  }

  // Splits a row at its fixed glyphs and fits the free runs between them.
  void fitRowWidths(int row) {
    const int first = kRows[row].firstCode;
    const int end = row + 1 < kRowCount ? kRows[row + 1].firstCode : kFirstCode + kGlyphCount;
    int x = 1;
    int runStart = first;
    for (int code = first; code < end; ++code) {
      const Plan& p = plan(code);
      if (!p.fixed) continue;
      if (code > runStart) {
        fitRun(runStart, code - 1, p.fixed->atlasX - x - kGlyphGap * (code - runStart));
      } else if (p.fixed->atlasX != x) {
        throw std::runtime_error("fixed glyph " + std::to_string(code) + " cannot be reached");
      }
      x = p.fixed->atlasX + p.fixed->width + kGlyphGap;
      runStart = code + 1;
    }
    if (runStart < end && kRows[row].rightEdge > 0) {
      fitRun(runStart, end - 1, kRows[row].rightEdge - x - kGlyphGap * (end - 1 - runStart));
    }
  }

  // Pads the tallest free glyph of a row down to the row's fixed height; the next row's position
  // depends on it.
  void fitRowHeight(int row) {
    const int wanted = kRows[row].tallest;
    if (wanted == 0) return;
    Plan* tallestFree = nullptr;
    int tallest = 0;
    for (int i = 0; i < kGlyphCount; ++i) {
      Plan& p = plans_[i];
      if (rowOfCode(kFirstCode + i) != row) continue;
      tallest = std::max(tallest, heightOf(p));
      if (!p.fixed && (!tallestFree || heightOf(p) > heightOf(*tallestFree))) tallestFree = &p;
    }
    if (tallest > wanted) {
      throw std::runtime_error("row " + std::to_string(row + 1) + " is " + std::to_string(tallest) +
                               " high, more than " + std::to_string(wanted));
    }
    if (tallest < wanted) {
      if (!tallestFree) throw std::runtime_error("row cannot be padded");
      tallestFree->padBottom += wanted - heightOf(*tallestFree);
    }
  }

  AtlasGlyph entryFor(Plan& p, int index) {
    if (p.fixed) return *p.fixed;
    AtlasGlyph g{};
    g.code = kFirstCode + index;
    g.advance = p.placed.advance;
    if (isDigit(g.code)) g.advance = plan('0').fixed->advance;  // tabular figures
    if (g.advance < kMinAdvance) {
      // Thin marks get the narrowest advance the table allows, centred in the extra room.
      const int extra = kMinAdvance - g.advance;
      p.placed.shape.shift(static_cast<FT_Pos>(extra / 2) * 64, 0);
      p.placed.inkLeft += extra / 2;
      g.advance = kMinAdvance;
    }
    g.width = widthOf(p);
    g.height = heightOf(p);
    g.xOffset = p.placed.inkLeft;
    g.yOffset = p.placed.top;
    return g;
  }

  // A fixed glyph's outline stretched to fill its rectangle exactly.
  Shape fixedShape(const Plan& p) const {
    Shape shape = placeShape(*p.source, horizontalScale());
    const FT_BBox box = shape.box();
    const AtlasGlyph& g = *p.fixed;
    const double sx = g.width * 64.0 / static_cast<double>(box.xMax - box.xMin);
    const double sy = g.height * 64.0 / static_cast<double>(box.yMax - box.yMin);
    for (FT_Vector& v : shape.points) {
      v.x = static_cast<FT_Pos>(g.xOffset) * 64 +
            static_cast<FT_Pos>(std::lround(static_cast<double>(v.x - box.xMin) * sx));
      v.y = static_cast<FT_Pos>(g.yOffset - g.height) * 64 +
            static_cast<FT_Pos>(std::lround(static_cast<double>(v.y - box.yMin) * sy));
    }
    return shape;
  }

  void verify(const std::vector<AtlasGlyph>& glyphs) const {
    auto fail = [](const AtlasGlyph& g, const std::string& what) {
      throw std::runtime_error("glyph " + std::to_string(g.code) + ": " + what);
    };
    for (const AtlasGlyph& g : glyphs) {
      const AtlasGlyph* fixed = fixedGlyphFor(g.code);
      if (fixed && (fixed->atlasX != g.atlasX || fixed->atlasY != g.atlasY)) {
        fail(g, "packed away from its fixed place");
      }
      if (g.atlasX + g.width > kAtlasWidth || g.atlasY + g.height > kAtlasHeight) {
        fail(g, "outside the atlas");
      }
      if (g.advance < kMinAdvance || g.advance > kMaxAdvance) fail(g, "advance out of range");
      if (g.height > kMaxHeight) fail(g, "too tall");
      if (g.xOffset < kMinOffset || g.xOffset > kMaxOffset || g.yOffset < kMinOffset ||
          g.yOffset > kMaxOffset) {
        fail(g, "offset out of range");
      }
    }
    for (int row = 0; row < kRowCount; ++row) {
      const AtlasGlyph& first = glyphs[kRows[row].firstCode - kFirstCode];
      if (first.atlasX != 1 ||
          (row > 0 && glyphs[kRows[row].firstCode - kFirstCode - 1].atlasY == first.atlasY)) {
        fail(first, "does not start its row");
      }
    }
  }

  const FontFile& font_;
  std::vector<Plan> plans_;
};

}  // namespace

const std::vector<AtlasGlyph>& fixedGlyphs() {
  static const std::vector<AtlasGlyph> glyphs = {
      {32, 1, 1, 0, 0, 0, 0, 29},         {33, 3, 1, 11, 79, 11, 78, 33},
      {48, 526, 1, 49, 80, 3, 78, 55},    {65, 307, 111, 79, 79, 0, 78, 79},
      {81, 447, 194, 74, 99, 7, 78, 88},  {87, 880, 194, 116, 79, -1, 77, 114},
      {95, 324, 295, 53, 3, 0, -8, 53},   {97, 403, 295, 47, 49, 4, 48, 51},
      {103, 701, 295, 51, 79, 5, 48, 55}, {106, 842, 295, 29, 107, -8, 76, 31},
      {109, 1, 404, 88, 48, 2, 47, 92},   {126, 853, 404, 61, 16, 1, 34, 63}};
  return glyphs;
}

std::vector<AtlasGlyph> packRectangles(std::vector<AtlasGlyph> glyphs) {
  int x = 1;
  int y = 1;
  int rowHeight = 0;
  for (AtlasGlyph& g : glyphs) {
    if (x + g.width > kAtlasWidth) {
      x = 1;
      y += rowHeight + kGlyphGap;
      rowHeight = 0;
    }
    g.atlasX = x;
    g.atlasY = y;
    x += g.width + kGlyphGap;
    rowHeight = std::max(rowHeight, g.height);
  }
  return glyphs;
}

FontAtlas buildFontAtlas(const std::string& fontPath) {
  const FontFile font(fontPath);
  std::vector<SourceGlyph> sources;
  for (int i = 0; i < kGlyphCount; ++i) sources.push_back(font.load(kFirstCode + i));
  Fitter fitter(font, sources);
  FontAtlas atlas;
  atlas.glyphs = fitter.fit();
  atlas.image = fitter.render(atlas.glyphs);
  atlas.adjustments = fitter.adjustments();
  return atlas;
}

std::string glyphTableSource(const std::vector<AtlasGlyph>& glyphs) {
  std::vector<std::string> lines;
  size_t longest = 0;
  for (const AtlasGlyph& g : glyphs) {
    char line[128];
    std::snprintf(line, sizeof line, "    {%d, %d, %d, %d, %d, %d, %d, %d},", g.code, g.atlasX,
                  g.atlasY, g.width, g.height, g.xOffset, g.yOffset, g.advance);
    lines.emplace_back(line);
    longest = std::max(longest, lines.back().size());
  }
  std::ostringstream out;
  out << "// Generated by tools/assetgen from TeX Gyre Termes; run tools/regenerate-assets.sh, do "
         "not edit.\n"
      << "#include \"assets/bitmap_font.h\"\n\n"
      << "namespace marvolet {\n\n"
      << "// code, atlasX, atlasY, width, height, xOffset, yOffset, advance\n"
      << "extern const Glyph MainFontGlyphs[MainFontGlyphCount] = {\n";
  for (size_t i = 0; i < glyphs.size(); ++i) {
    // Trailing comments aligned the way clang-format aligns them, so formatting leaves the file be.
    out << lines[i] << std::string(longest - lines[i].size() + 2, ' ') << "// '"
        << static_cast<char>(glyphs[i].code) << "'\n";
  }
  out << "};\n\n}  // namespace marvolet\n";
  return out.str();
}

int brightestOutsideRectangles(const GrayImage& atlas, const std::vector<AtlasGlyph>& glyphs) {
  std::vector<bool> inside(atlas.pixels.size(), false);
  for (const AtlasGlyph& g : glyphs) {
    for (int y = g.atlasY; y < g.atlasY + g.height && y < atlas.height; ++y) {
      for (int x = g.atlasX; x < g.atlasX + g.width && x < atlas.width; ++x) {
        inside[static_cast<size_t>(y) * atlas.width + x] = true;
      }
    }
  }
  int brightest = 0;
  for (size_t i = 0; i < atlas.pixels.size(); ++i) {
    if (!inside[i]) brightest = std::max(brightest, static_cast<int>(atlas.pixels[i]));
  }
  return brightest;
}

}  // namespace assetgen
