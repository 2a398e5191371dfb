#pragma once
// The presentation library's symbols, line styles and patterns made ready for
// Cairo: each module's vector drawing (S52VectorDrawing.h) read once into
// paths in library units (0.01 mm, y down, the pivot at the origin) with the
// colour of every scheme resolved, then drawn at any position, rotation and
// size. Pattern fills are made into repeating Cairo patterns per scheme and
// size, on first use.
//
// Thread safety: built once; Draw and the lookups may be called from any
// number of threads at once (each with its own cairo_t). Pattern tiles are
// made under a lock and then shared.

#include <cairo/cairo.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "charts/s52/S52Library.h"

namespace tarnwick {

// One path command in library units.
struct ArtStep {
  enum Kind : uint8_t { kMove, kLine, kArc, kArcNegative, kClose };
  Kind kind = kMove;
  double x = 0, y = 0;     // move/line: the point; arcs: the centre
  double r = 0;            // arcs: radius
  double a1 = 0, a2 = 0;   // arcs: start and end angle, radians (Cairo's: clockwise on screen)
};

// One filled or stroked element of a drawing.
struct ArtElement {
  bool fill = false;
  bool evenOdd = false;
  bool roundCap = false;
  double alpha = 1;   // 0..1
  double width = 0;   // stroke width, library units
  std::array<S52Rgb, kS52SchemeCount> colour{};
  std::vector<ArtStep> steps;
};

struct Art {
  std::vector<ArtElement> elements;
  // The module's box relative to the pivot, library units.
  double left = 0, top = 0, width = 0, height = 0;
  // Patterns: spacing between repeats and whether rows are staggered.
  double spacing = 0;
  bool staggered = false;
  // Line styles: the colour of the first element (the plain line that
  // finishes a run shorter than one repeat).
  S52Rgb firstColour[kS52SchemeCount]{};
};

// Reads one drawing text (S52VectorDrawing.h) into elements; colour tokens
// resolved in every scheme (magenta for an unknown token). Elements the
// reader does not know are skipped.
std::vector<ArtElement> ParseArt(std::string_view drawing, const CS52ColourTables& colours);

class CSymbolArt {
 public:
  explicit CSymbolArt(const CS52Library& library);
  ~CSymbolArt();
  CSymbolArt(const CSymbolArt&) = delete;
  CSymbolArt& operator=(const CSymbolArt&) = delete;

  // The module of a name, or null when the library has none.
  const Art* Symbol(std::string_view name) const;
  const Art* LineStyle(std::string_view name) const;
  const Art* Pattern(std::string_view name) const;

  // Draws art with its pivot at (x, y) device pixels, rotated by degrees
  // clockwise, pixelsPerUnit device pixels per library unit.
  static void Draw(cairo_t* cr, const Art& art, S52Scheme scheme, double x, double y,
                   double rotationDeg, double pixelsPerUnit);

  // One repeat of the named pattern module (with its spacing, staggered rows
  // included) as an image for a repeating Cairo pattern; null when unknown.
  // Owned here: the caller makes its own cairo_pattern_t of it (read-only).
  cairo_surface_t* PatternTile(std::string_view name, S52Scheme scheme, double pixelsPerUnit) const;

 private:
  using ArtMap = std::unordered_map<std::string, Art, S52TextHash, std::equal_to<>>;
  static const Art* Find(const ArtMap& map, std::string_view name);

  ArtMap symbols_, lineStyles_, patterns_;
  mutable std::mutex patternMutex_;
  mutable std::map<std::string, cairo_surface_t*> tiles_;  // "NAME/scheme/ppu"
};

}  // namespace tarnwick
