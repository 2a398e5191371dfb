#pragma once
// The drawing commands a portrayed feature is made of, in drawing order, with
// the presentation library's names for colours, symbols, patterns and line
// styles. The renderer draws them over the feature's geometry; nothing here
// depends on the screen.
//
//   AC  fill the area with a colour (transparency in quarters)
//   AP  fill the area with a pattern (rotation in degrees)
//   LS  stroke the line or area edge: style, width (× 0.32 mm), colour
//   LC  stroke with a complex line style
//   SY  draw a symbol at the feature's position (a point; a line's middle; an
//       area's inside), or at one point of a multipoint (soundings: vertex)
//   TX  draw a text; its parameters follow the presentation library's
//       TX/TE: justification, spacing, font code, offsets in units of the
//       body size, colour, text group
//   ARC a light sector's arc around the point: radius in millimetres on
//       screen, from and to true bearings (clockwise, from the light
//       outwards), a coloured line over an outline
//   LEG a straight line from the point along a true bearing, length in
//       millimetres on screen or in metres on the chart (full-length light
//       sector legs, own ship vectors)
//
// LS and LC may be limited to runs of vertices (e.g. the edges of a depth
// area that form the safety contour); without runs they apply to the whole
// geometry.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class S52Op { AreaColour, AreaPattern, SimpleLine, ComplexLine, Symbol, Text, Arc, Leg };

// "AC", "AP", "LS", "LC", "SY", "TX", "ARC", "LEG".
const char* S52OpName(S52Op op);

enum class S52LineStyle { Solid, Dashed, Dotted };

// "SOLD", "DASH", "DOTT"; and back (none: Solid).
const char* S52LineStyleName(S52LineStyle style);
S52LineStyle ParseS52LineStyle(std::string_view text);

// Vertices first..last (inclusive) of geometry part `part`.
struct S52VertexRun {
  uint32_t part = 0;
  uint32_t first = 0;
  uint32_t last = 0;
  bool operator==(const S52VertexRun&) const = default;
};

struct S52Text {
  std::string text;
  int hjust = 1;            // 1 centre, 2 right, 3 left
  int vjust = 1;            // 1 bottom, 2 centre, 3 top
  int spacing = 2;          // 1 fit, 2 standard, 3 standard with word wrap
  std::string font = "15110";  // style, weight, width, body size (the library's CHARS)
  double dx = 0;            // offsets in units of the body size, x right, y down
  double dy = 0;
  int group = 0;            // text group (10..39 the library's, 50.. the mariner's)
};

struct S52DrawCommand {
  S52Op op = S52Op::Symbol;
  std::string name;         // AC, LS, ARC, LEG, TX: colour token; AP: pattern; LC: line style; SY: symbol
  int transparency = 0;     // AC: quarters, 0 opaque .. 4 clear
  S52LineStyle style = S52LineStyle::Solid;  // LS, LEG
  int width = 1;            // LS, ARC, LEG: pen width
  double rotation = 0;      // SY, AP: degrees clockwise
  bool trueBearing = false; // SY: rotation is a true bearing (from an attribute), else screen up
  int32_t vertex = -1;      // SY: the point of a multipoint, -1 the feature's position
  std::vector<S52VertexRun> runs;  // LS, LC: limited to these vertex runs when not empty
  S52Text text;             // TX
  double length = 0;        // ARC: radius, LEG: length
  bool chartMetres = false; // LEG: length in metres on the chart, else millimetres on screen
  double bearing = 0;       // ARC: from; LEG: direction (true degrees, clockwise from north)
  double bearingTo = 0;     // ARC: to
  std::string outline;      // ARC: colour of the outline under the arc ("" none)
  int outlineWidth = 0;     // ARC
};

// Appends one command as a JSON object, e.g. {"op":"SY","symbol":"BOYLAT13","rotation":0}.
void AppendS52CommandJson(std::string& out, const S52DrawCommand& command);

}  // namespace tarnwick
