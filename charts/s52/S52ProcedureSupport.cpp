// What the conditional symbology procedures share: attribute readers, command
// helpers, geometry tests, the procedure dispatch and the running of a
// look-up entry's instruction.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "charts/s52/S52Procedures.h"
#include "charts/s52/S52TextFormat.h"

namespace tarnwick {

std::optional<double> S52Real(const IS52Feature& feature, std::string_view acronym) {
  const auto value = feature.Attribute(acronym);
  if (!value || value->empty()) return std::nullopt;
  const std::string copy(*value);
  char* end = nullptr;
  const double number = std::strtod(copy.c_str(), &end);
  if (end == copy.c_str() || !std::isfinite(number)) return std::nullopt;
  return number;
}

std::optional<int> S52Int(const IS52Feature& feature, std::string_view acronym) {
  const auto value = S52Real(feature, acronym);
  if (!value || std::fabs(*value) > 1e9) return std::nullopt;
  return static_cast<int>(*value);
}

std::vector<int> S52List(const IS52Feature& feature, std::string_view acronym) {
  std::vector<int> list;
  const auto value = feature.Attribute(acronym);
  if (!value) return list;
  size_t at = 0;
  while (at < value->size()) {
    size_t end = value->find(',', at);
    if (end == std::string_view::npos) end = value->size();
    const std::string item(value->substr(at, end - at));
    char* stop = nullptr;
    const long number = std::strtol(item.c_str(), &stop, 10);
    if (stop != item.c_str()) list.push_back(static_cast<int>(number));
    at = end + 1;
  }
  return list;
}

bool S52Has(const std::vector<int>& list, std::initializer_list<int> any) {
  for (int value : list)
    for (int wanted : any)
      if (value == wanted) return true;
  return false;
}

std::string S52AttributeText(const IS52Feature& feature, std::string_view acronym) {
  const auto value = feature.Attribute(acronym);
  return value ? std::string(*value) : std::string();
}

void S52AddSymbol(S52PortrayedFeature& out, std::string_view symbol, double rotation, int32_t vertex) {
  S52DrawCommand command;
  command.op = S52Op::Symbol;
  command.name = std::string(symbol);
  command.rotation = rotation;
  command.vertex = vertex;
  out.commands.push_back(std::move(command));
}

void S52AddLine(S52PortrayedFeature& out, S52LineStyle style, int width, std::string_view colour,
                std::vector<S52VertexRun> runs) {
  S52DrawCommand command;
  command.op = S52Op::SimpleLine;
  command.style = style;
  command.width = width;
  command.name = std::string(colour);
  command.runs = std::move(runs);
  out.commands.push_back(std::move(command));
}

void S52AddComplexLine(S52PortrayedFeature& out, std::string_view style, std::vector<S52VertexRun> runs) {
  S52DrawCommand command;
  command.op = S52Op::ComplexLine;
  command.name = std::string(style);
  command.runs = std::move(runs);
  out.commands.push_back(std::move(command));
}

void S52AddAreaColour(S52PortrayedFeature& out, std::string_view colour, int transparency) {
  S52DrawCommand command;
  command.op = S52Op::AreaColour;
  command.name = std::string(colour);
  command.transparency = transparency;
  out.commands.push_back(std::move(command));
}

void S52AddPattern(S52PortrayedFeature& out, std::string_view pattern) {
  S52DrawCommand command;
  command.op = S52Op::AreaPattern;
  command.name = std::string(pattern);
  out.commands.push_back(std::move(command));
}

void S52AddText(S52PortrayedFeature& out, const S52MarinerSettings& settings, std::string text,
                const S52Text& style, std::string_view colour) {
  if (text.empty() || !S52TextGroupShown(style.group, settings)) return;
  S52DrawCommand command;
  command.op = S52Op::Text;
  command.text = style;
  command.text.text = std::move(text);
  command.name = std::string(colour);
  out.commands.push_back(std::move(command));
}

void S52AddQuestionMark(S52PortrayedFeature& out) { S52AddSymbol(out, "QUESMRK1"); }

void S52RaiseToDisplayBase(S52PortrayedFeature& out, int viewingGroup) {
  out.priority = 80;
  out.overRadar = true;
  out.category = S52Category::DisplayBase;
  out.viewingGroup = viewingGroup;
}

// --- geometry ---------------------------------------------------------------

std::optional<S52Point> S52ReferencePoint(const IS52Feature& feature) {
  if (feature.PartCount() == 0) return std::nullopt;
  const S52Part part = feature.Part(0);
  if (part.points.empty()) return std::nullopt;
  if (feature.Primitive() == S52Primitive::Line) return part.points[part.points.size() / 2];
  return part.points[0];
}

namespace {

// Whether p lies within tolerance of segment a-b (squared distances, no roots).
bool NearSegment(S52Point p, S52Point a, S52Point b, double tolerance) {
  if ((p.x < a.x - tolerance && p.x < b.x - tolerance) || (p.x > a.x + tolerance && p.x > b.x + tolerance) ||
      (p.y < a.y - tolerance && p.y < b.y - tolerance) || (p.y > a.y + tolerance && p.y > b.y + tolerance))
    return false;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = t < 0 ? 0 : t > 1 ? 1 : t;
  const double ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
  return ex * ex + ey * ey <= tolerance * tolerance;
}

double Cross(S52Point o, S52Point a, S52Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

bool SegmentsCross(S52Point a, S52Point b, S52Point c, S52Point d) {
  constexpr double kTouch = 0.01;
  if (std::max(a.x, b.x) + kTouch < std::min(c.x, d.x) || std::max(c.x, d.x) + kTouch < std::min(a.x, b.x) ||
      std::max(a.y, b.y) + kTouch < std::min(c.y, d.y) || std::max(c.y, d.y) + kTouch < std::min(a.y, b.y))
    return false;
  const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
  return NearSegment(a, c, d, kTouch) || NearSegment(b, c, d, kTouch) || NearSegment(c, a, b, kTouch) ||
         NearSegment(d, a, b, kTouch);
}

bool AnySegmentsCross(const IS52Feature& a, const IS52Feature& b) {
  for (size_t j = 0; j < b.PartCount(); ++j) {
    const auto pb = b.Part(j).points;
    if (pb.empty()) continue;
    S52Box partBox{pb[0].x, pb[0].y, pb[0].x, pb[0].y};
    for (const S52Point& p : pb) {
      partBox.west = std::min(partBox.west, p.x);
      partBox.east = std::max(partBox.east, p.x);
      partBox.south = std::min(partBox.south, p.y);
      partBox.north = std::max(partBox.north, p.y);
    }
    for (size_t i = 0; i < a.PartCount(); ++i) {
      const auto pa = a.Part(i).points;
      for (size_t k = 1; k < pa.size(); ++k) {
        const S52Box segment{std::min(pa[k - 1].x, pa[k].x) - 0.01, std::min(pa[k - 1].y, pa[k].y) - 0.01,
                             std::max(pa[k - 1].x, pa[k].x) + 0.01, std::max(pa[k - 1].y, pa[k].y) + 0.01};
        if (!segment.Intersects(partBox)) continue;
        for (size_t l = 1; l < pb.size(); ++l)
          if (SegmentsCross(pa[k - 1], pa[k], pb[l - 1], pb[l])) return true;
      }
    }
  }
  return false;
}

bool AnyPointInside(const IS52Feature& points, const IS52Feature& area) {
  for (size_t i = 0; i < points.PartCount(); ++i)
    for (const S52Point& p : points.Part(i).points)
      if (S52AreaContains(area, p)) return true;
  return false;
}

}  // namespace

bool S52AreaContains(const IS52Feature& area, S52Point p, double tolerance) {
  const S52Box box = area.Box();
  if (p.x < box.west - tolerance || p.x > box.east + tolerance || p.y < box.south - tolerance ||
      p.y > box.north + tolerance)
    return false;
  bool inside = false;
  for (size_t i = 0; i < area.PartCount(); ++i) {
    const auto ring = area.Part(i).points;
    for (size_t k = 0, j = ring.size() - 1; k < ring.size(); j = k++) {
      const S52Point a = ring[k], b = ring[j];
      // Only edges that reach p's latitude band can hold it or be crossed.
      if ((a.y > p.y + tolerance && b.y > p.y + tolerance) || (a.y < p.y - tolerance && b.y < p.y - tolerance))
        continue;
      if (NearSegment(p, a, b, tolerance)) return true;
      if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
  }
  return inside;
}

bool S52GeometriesMeet(const IS52Feature& a, const IS52Feature& b) {
  if (!a.Box().Intersects(b.Box())) return false;
  const bool aArea = a.Primitive() == S52Primitive::Area;
  const bool bArea = b.Primitive() == S52Primitive::Area;
  if (bArea && AnyPointInside(a, b)) return true;
  if (aArea && AnyPointInside(b, a)) return true;
  if (a.Primitive() == S52Primitive::Point || b.Primitive() == S52Primitive::Point) {
    // A point meets a line only by lying on it.
    const IS52Feature& point = a.Primitive() == S52Primitive::Point ? a : b;
    const IS52Feature& other = &point == &a ? b : a;
    if (other.Primitive() != S52Primitive::Line) return false;
    const auto p = S52ReferencePoint(point);
    if (!p) return false;
    for (size_t i = 0; i < other.PartCount(); ++i) {
      const auto line = other.Part(i).points;
      for (size_t k = 1; k < line.size(); ++k)
        if (NearSegment(*p, line[k - 1], line[k], 0.01)) return true;
    }
    return false;
  }
  return AnySegmentsCross(a, b);
}

std::vector<const IS52Feature*> S52FeaturesMeeting(const IS52Feature& feature, const IS52FeatureSource& source,
                                                   std::initializer_list<std::string_view> classes) {
  std::vector<const IS52Feature*> found;
  const std::vector<std::string_view> list(classes);
  source.ForEachAround(feature.Box(), list, [&](const IS52Feature& other) {
    if (other.Key() == feature.Key()) return;
    if (S52GeometriesMeet(feature, other)) found.push_back(&other);
  });
  return found;
}

const std::vector<const IS52Feature*>& S52UnderlyingAreas(S52ProcedureContext& c) {
  if (!c.underlying) c.underlying = S52FeaturesMeeting(c.feature, c.source, {"DEPARE", "DRGARE", "depare", "UNSARE"});
  return *c.underlying;
}

// --- the instruction --------------------------------------------------------

namespace {

std::string_view Arg(const S52Instruction& step, size_t index) {
  return index < step.args.size() ? std::string_view(step.args[index]) : std::string_view();
}

double ArgReal(const S52Instruction& step, size_t index, double fallback = 0) {
  const std::string text(Arg(step, index));
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end == text.c_str() ? fallback : value;
}

// The text parameters of TX/TE from the argument at first on.
S52Text TextStyle(const S52Instruction& step, size_t first) {
  S52Text style;
  style.hjust = static_cast<int>(ArgReal(step, first, 1));
  style.vjust = static_cast<int>(ArgReal(step, first + 1, 1));
  style.spacing = static_cast<int>(ArgReal(step, first + 2, 2));
  if (!Arg(step, first + 3).empty()) style.font = std::string(Arg(step, first + 3));
  style.dx = ArgReal(step, first + 4);
  style.dy = ArgReal(step, first + 5);
  style.group = static_cast<int>(ArgReal(step, first + 7));
  return style;
}

std::string NameText(std::string_view attribute, std::string text, const S52MarinerSettings& settings) {
  if ((attribute == "OBJNAM" || attribute == "NOBJNM") && settings.shortenNames && !settings.strictEcdis)
    return ShortenS52Name(text);
  return text;
}

}  // namespace

void S52RunProgram(const S52Program& program, S52ProcedureContext& c) {
  for (const S52Instruction& step : program.steps) {
    switch (step.step) {
      case S52Step::Symbol: {
        double rotation = 0;
        bool trueBearing = false;
        const std::string_view rotationArg = Arg(step, 1);
        if (!rotationArg.empty()) {
          if (std::isalpha(static_cast<unsigned char>(rotationArg[0]))) {
            rotation = S52Real(c.feature, rotationArg).value_or(0);
            trueBearing = true;
          } else {
            rotation = ArgReal(step, 1);
          }
        }
        S52AddSymbol(c.out, Arg(step, 0), rotation);
        c.out.commands.back().trueBearing = trueBearing;
        break;
      }
      case S52Step::SimpleLine:
        S52AddLine(c.out, ParseS52LineStyle(Arg(step, 0)), static_cast<int>(ArgReal(step, 1, 1)), Arg(step, 2));
        break;
      case S52Step::ComplexLine:
        S52AddComplexLine(c.out, Arg(step, 0));
        break;
      case S52Step::AreaColour:
        S52AddAreaColour(c.out, Arg(step, 0), static_cast<int>(ArgReal(step, 1)));
        break;
      case S52Step::AreaPattern:
        S52AddPattern(c.out, Arg(step, 0));
        break;
      case S52Step::Text: {
        std::string text;
        if (step.quotedFirst) {
          text = std::string(Arg(step, 0));
        } else if (Arg(step, 0) == "NATSUR") {
          text = FormatS52SeabedText(S52AttributeText(c.feature, "NATSUR"), S52AttributeText(c.feature, "NATQUA"));
        } else {
          const auto value = c.feature.Attribute(Arg(step, 0));
          if (value) text = NameText(Arg(step, 0), std::string(*value), c.settings);
        }
        S52AddText(c.out, c.settings, std::move(text), TextStyle(step, 1), Arg(step, 7));
        break;
      }
      case S52Step::FormattedText: {
        std::vector<std::string> texts;
        bool complete = true;
        const std::string_view list = Arg(step, 1);
        size_t at = 0;
        while (at <= list.size() && complete) {
          size_t end = list.find(',', at);
          if (end == std::string_view::npos) end = list.size();
          const std::string_view attribute = list.substr(at, end - at);
          const auto value = c.feature.Attribute(attribute);
          if (!value || value->empty()) complete = false;
          else texts.push_back(NameText(attribute, std::string(*value), c.settings));
          at = end + 1;
        }
        if (!complete) break;
        const std::vector<std::string_view> views(texts.begin(), texts.end());
        if (auto text = FormatS52Text(Arg(step, 0), views))
          S52AddText(c.out, c.settings, std::move(*text), TextStyle(step, 2), Arg(step, 8));
        break;
      }
      case S52Step::Procedure:
        RunS52Procedure(step.procedure, c);
        break;
    }
  }
}

// --- dispatch -----------------------------------------------------------------

void RunS52Procedure(int number, S52ProcedureContext& c) {
  switch (number) {
    case 0: S52ClearingLine(c); break;                      // CLRLIN01
    case 1: S52DataCoverage(c); break;                      // DATCVR01/02
    case 2: case 33: case 41: S52Depare(c); break;          // DEPARE01/02/03, DEPAREI1
    case 3: S52Depcnt(c, false); break;                     // DEPCNT02
    case 4: S52Depcnt(c, true); break;                      // DEPCNT03
    case 5: S52DepthValueProcedure(c); break;               // DEPVAL01
    case 6: case 7: S52RouteLeg(c); break;                  // LEGLIN02/03
    case 8: case 9: case 47: S52Lights(c); break;           // LIGHTS04/05/06, LIGHTSI1
    case 10: {                                              // LITDSN01
      S52Text style;
      style.hjust = 3;
      style.vjust = 2;
      style.dx = 2;
      style.group = 23;
      S52AddText(c.out, c.settings, S52LightDescription(c.feature), style, "CHBLK");
      break;
    }
    case 11: case 34: case 35: case 43: S52Obstruction(c); break;  // OBSTRN04..07, OBSTRNI1
    case 12: S52OwnShip(c); break;                          // OWNSHP02
    case 13: S52PastTrack(c); break;                        // PASTRK01
    case 14: S52QualityOfPosition(c); break;                // QUAPOS01
    case 15: S52QualityLine(c); break;                      // QUALIN01
    case 16:                                                // QUAPNT01
      if (S52LowAccuracyPoint(c.feature)) S52AddSymbol(c.out, "LOWACC01");
      break;
    case 17: case 45: S52ShorelineConstruction(c); break;   // SLCONS03/04, SLCONSI1
    case 18: case 44: S52RestrictedArea(c, false); break;   // RESARE02/03/04
    case 19: S52Restrictions(c); break;                     // RESTRN01, RESTRNI1
    case 20: S52RestrictionSymbol(c, S52List(c.feature, "RESTRN")); break;  // RESCSP01
    case 21: {                                              // SEABED01
      const double drval1 = S52Real(c.feature, "DRVAL1").value_or(-1);
      S52Seabed(c, drval1, S52Real(c.feature, "DRVAL2").value_or(drval1 + 0.01));
      break;
    }
    case 22: case 23: case 48: S52Soundings(c); break;      // SOUNDG02/03, SNDFRM02
    case 24: case 42: S52SymbolInstruction(c); break;       // SYMINS01/02
    case 25: S52Topmark(c, false); break;                   // TOPMAR01
    case 26: {                                              // UDWHAZ03
      if (const auto depth = S52Real(c.feature, "VALSOU")) {
        const S52Hazard hazard = S52UnderwaterHazard(c, *depth);
        if (hazard == S52Hazard::Isolated || hazard == S52Hazard::ShallowWater) S52AddSymbol(c.out, "ISODGR01");
      }
      break;
    }
    case 27: case 28: S52Vessel(c); break;                  // VESSEL01/02
    case 29: S52RangeBearing(c); break;                     // VRMEBL01
    case 30: case 31: case 32: case 46: S52Wreck(c); break; // WRECKS02..05
    case 36: S52Topmark(c, true); break;                    // TOPMARI1
    case 37: S52Daymark(c); break;                          // DAYMAR01
    case 38: S52RestrictedArea(c, true); break;             // RESAREI1
    case 39: S52InlandBridge(c); break;                     // BRIDGEI1
    case 40: S52NoticeMark(c); break;                       // NOTMRKI1
    default: S52AddQuestionMark(c.out); break;
  }
}

}  // namespace tarnwick
