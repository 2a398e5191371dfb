#pragma once
// Chart text through the system's font stack: fontconfig chooses a sans-serif
// face (DejaVu Sans from fonts-dejavu-core, or whatever the system matches
// for it) per weight, Cairo draws it through FreeType. Texts are placed by the
// presentation library's text rules (justification, offsets in body sizes,
// body size in points from the font code) and, when decluttering, a text that
// would overlap one already placed is left out.
//
// Thread safety: the faces are made once and shared; a CTextPlacer belongs to
// one drawing.

#include <cairo/cairo.h>

#include <string>
#include <vector>

#include "charts/s52/S52Colours.h"
#include "charts/s52/S52DrawCommand.h"

namespace tarnwick {

class CChartFonts {
 public:
  CChartFonts();
  ~CChartFonts();
  CChartFonts(const CChartFonts&) = delete;
  CChartFonts& operator=(const CChartFonts&) = delete;

  // The face of a weight code of the font code: 4 light, 5 medium, 6 bold.
  // Never null (Cairo's own fallback when fontconfig finds nothing).
  cairo_font_face_t* Face(int weight) const;
  // The family fontconfig gave ("DejaVu Sans"), for reports.
  const std::string& Family() const { return family_; }

 private:
  cairo_font_face_t* faces_[3] = {};
  std::string family_;
};

// The process-wide fonts, made on first use.
const CChartFonts& ChartFonts();

// Device pixels per typographic point at the chart's pixel size.
double PixelsPerPoint(double pixelMm);

class CTextPlacer {
 public:
  // declutter: leave out texts that overlap placed ones. sizeFactor scales
  // every body size (the text size setting).
  CTextPlacer(const CChartFonts& fonts, bool declutter, double sizeFactor, double pixelMm)
      : fonts_(fonts), declutter_(declutter), sizeFactor_(sizeFactor), pixelMm_(pixelMm) {}

  // Draws text anchored at (x, y) device pixels in colour; false when it was
  // left out (empty, or decluttered).
  bool Draw(cairo_t* cr, const S52Text& text, double x, double y, S52Rgb colour);
  size_t Placed() const { return boxes_.size(); }

 private:
  struct Box {
    double x0, y0, x1, y1;
  };
  const CChartFonts& fonts_;
  bool declutter_;
  double sizeFactor_;
  double pixelMm_;
  std::vector<Box> boxes_;
};

}  // namespace tarnwick
