#pragma once
// The presentation library's vector command language (SVCT, LVCT, PVCT) made
// into the program's vector drawing text: SVG-like elements in library units
// (0.01 mm, y downwards) inside a group translated so that the module's pivot
// is the origin, with colours as "${TOKEN}" placeholders so that one drawing
// serves every colour scheme.
//
// Commands (separated by ';'): SPx select the pen of colour letter x; SWn pen
// width n (n × 0.32 mm, written as stroke-width n × 32); STn fill
// transparency n quarters (0 opaque .. 4 clear); PUx,y move; PDx,y[,x,y...]
// draw (PD alone draws a dot; a value left over after the pairs is ignored); CIr circle of radius r around the pen;
// AAx,y,a arc around (x,y) from the pen through a degrees (positive counter-
// clockwise as seen); PM0 enter polygon mode, PM1 close the sub-polygon, PM2
// close it and leave polygon mode; FP fill the polygon, EP draw its edge;
// SCname,o call symbol name at the pen (line styles; o its orientation code).
//
// Elements written: a polyline as <path d='M%d,%d  L%d,%d ...' fill='none'
// stroke='${T}' stroke-width='%d'/>, a single segment as <line .../>, a dot as
// a zero-length round-capped <line/>, an outline circle as <circle cx cy r
// fill='none' stroke .../>, a filled polygon as <path fill-rule='evenodd'
// d='...' fill='${T}' fill-transparency='0.50'/> (or fill='${T}' /> when
// opaque), a filled circle as the path " m-r,0 a%d,%d,0,1,0,%d,0 a...", an arc
// as a path with an A segment, a symbol call as a nested translated group.

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "charts/s52/S52Colours.h"
#include "charts/s52/S52VectorModule.h"

namespace tarnwick {

// Finds a module by name for symbol calls; may return nullptr.
using S52ModuleResolver = std::function<const S52VectorModule*(std::string_view name)>;

struct S52Drawing {
  std::string text;     // "<g transform='translate(-px,-py)'>...</g>"
  std::string warning;  // the first command that could not be read (skipped); empty when none
  // The extent of what is drawn, in the module's own coordinates (before the
  // translation); empty (min > max) when nothing is drawn.
  int minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
};

// The drawing of a module's vector commands. Symbol calls are drawn inline when
// resolver finds the symbol (one level deep), else left out with a warning.
S52Drawing S52VectorToDrawing(const S52VectorModule& module, const S52ModuleResolver& resolver = {});

// Replaces every "${TOKEN}" in drawing by the token's colour in scheme (magenta
// "#ff00ff" for an unknown token) and fill-transparency='t' by
// fill-opacity='1-t', giving standard SVG element text.
std::string S52ResolveColours(std::string_view drawing, const CS52ColourTables& colours,
                              S52Scheme scheme);

// A standalone SVG document of the module for looking at in a browser: its
// bounding box joined with what its vectors draw (plus a margin) as the view box, one library unit as 0.01 mm,
// colours of scheme substituted, and the pivot marked by a small cross when
// markPivot is set.
std::string S52ModuleToSvg(const S52VectorModule& module, const CS52ColourTables& colours,
                           S52Scheme scheme, const S52ModuleResolver& resolver = {},
                           bool markPivot = false);

}  // namespace tarnwick
