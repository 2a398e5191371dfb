#include "charts/render/ChartText.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "core/Log.h"

namespace tarnwick {
namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;

// The face fontconfig matches for a sans-serif family at a weight.
cairo_font_face_t* MatchFace(int fcWeight, std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  FcPatternAddInteger(pattern, FC_WEIGHT, fcWeight);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return nullptr;
  FcChar8* name = nullptr;
  if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && family.empty())
    family = reinterpret_cast<const char*>(name);
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  return face;
}

// The text as valid UTF-8: bytes that do not form UTF-8 are read as Latin-1
// (older cells and national character sets), so Cairo never refuses a text.
std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = n > 0 && i + n <= text.size();
    for (size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (ok && c >= 0x20) {
      out.append(text, i, n);
      i += n;
    } else {
      if (c >= 0xA0) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c >= 0x20 && c < 0x80) {
        out += static_cast<char>(c);
      }
      ++i;
    }
  }
  return out;
}

}  // namespace

CChartFonts::CChartFonts() {
  const int weights[3] = {FC_WEIGHT_LIGHT, FC_WEIGHT_MEDIUM, FC_WEIGHT_BOLD};
  for (int i = 0; i < 3; ++i) {
    faces_[i] = MatchFace(weights[i], family_);
    if (faces_[i] == nullptr || cairo_font_face_status(faces_[i]) != CAIRO_STATUS_SUCCESS) {
      if (faces_[i] != nullptr) cairo_font_face_destroy(faces_[i]);
      faces_[i] = cairo_toy_font_face_create("sans-serif", CAIRO_FONT_SLANT_NORMAL,
                                             i == 2 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    }
  }
  if (family_.empty()) Log("Chart text: fontconfig found no sans-serif font; using Cairo's fallback\n");
}

CChartFonts::~CChartFonts() {
  for (cairo_font_face_t* face : faces_) cairo_font_face_destroy(face);
}

cairo_font_face_t* CChartFonts::Face(int weight) const {
  return faces_[weight <= 4 ? 0 : weight >= 6 ? 2 : 1];
}

const CChartFonts& ChartFonts() {
  static const CChartFonts fonts;
  return fonts;
}

double PixelsPerPoint(double pixelMm) { return kMmPerPoint / pixelMm; }

bool CTextPlacer::Draw(cairo_t* cr, const S52Text& text, double x, double y, S52Rgb colour) {
  const std::string utf8 = ValidUtf8(text.text);
  if (utf8.empty()) return false;
  // Font code: style, weight, width, then the body size in points.
  const std::string& font = text.font;
  const int weight = font.size() > 1 && font[1] >= '0' && font[1] <= '9' ? font[1] - '0' : 5;
  int body = font.size() > 3 ? std::atoi(font.c_str() + 3) : 10;
  if (body <= 0 || body > 72) body = 10;
  const double size = body * PixelsPerPoint(pixelMm_) * sizeFactor_;

  cairo_save(cr);
  cairo_set_font_face(cr, fonts_.Face(weight));
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, utf8.c_str(), &extents);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  // Offsets are in body sizes; justification places the text's box.
  double left = x + text.dx * size;
  double baseline = y + text.dy * size;
  const double width = extents.x_advance;
  if (text.hjust == 1) left -= width / 2;
  else if (text.hjust == 2) left -= width;
  const double capHeight = fe.ascent * 0.72;
  if (text.vjust == 2) baseline += capHeight / 2;
  else if (text.vjust == 3) baseline += capHeight;
  const Box box{left - 1, baseline - capHeight - 1, left + width + 1, baseline + fe.descent * 0.5 + 1};
  if (declutter_) {
    for (const Box& b : boxes_) {
      if (box.x0 < b.x1 && b.x0 < box.x1 && box.y0 < b.y1 && b.y0 < box.y1) {
        cairo_restore(cr);
        return false;
      }
    }
  }
  boxes_.push_back(box);
  cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
  // Glyphs of the FreeType face, laid out by Cairo's scaled font.
  cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr);
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (cairo_scaled_font_text_to_glyphs(scaled, left, baseline, utf8.c_str(), static_cast<int>(utf8.size()), &glyphs, &count, nullptr,
                                       nullptr, nullptr) == CAIRO_STATUS_SUCCESS) {
    cairo_show_glyphs(cr, glyphs, count);
    cairo_glyph_free(glyphs);
  }
  cairo_restore(cr);
  return true;
}

}  // namespace tarnwick

// Fontconfig keeps its font cache with pointers stored as offsets, which the
// leak checker of sanitizer builds cannot follow: it would report the cache
// as leaked at exit. Read by the leak checker only; unused otherwise.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
