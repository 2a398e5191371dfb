// Depth areas, depth contours, soundings and the depth under dangers:
// SEABED01, DEPARE01..03 (and DEPAREI1), DEPCNT02/03 with SAFCON01 labels,
// SOUNDG02/03 with SNDFRM, DEPVAL01/02.

#include <cmath>
#include <cstring>
#include <unordered_set>

#include "charts/s52/S52Procedures.h"

namespace tarnwick {
namespace {

constexpr std::string_view kDepthAreaClasses[] = {"DEPARE", "DRGARE", "depare"};
// Areas a safe depth area may border across the safety contour: shallower
// depth areas and the group 1 objects that are not water.
constexpr std::string_view kSafetyNeighbourClasses[] = {"DEPARE", "DRGARE", "depare", "LNDARE",
                                                        "UNSARE", "FLODOC", "HULKES", "PONTON"};

bool LowAccuracy(int quapos) { return quapos != 0 && quapos != 1 && quapos != 10 && quapos != 11; }

uint64_t PointHash(S52Point p) {
  uint64_t x, y;
  std::memcpy(&x, &p.x, 8);
  std::memcpy(&y, &p.y, 8);
  return std::hash<uint64_t>{}(x * 0x9e3779b97f4a7c15ull ^ (y + 0x632be59bd9b4e019ull));
}

// An edge between two vertices, whatever its direction.
uint64_t EdgeKey(S52Point a, S52Point b) {
  const uint64_t ha = PointHash(a), hb = PointHash(b);
  return (ha < hb ? ha : hb) * 31 + (ha < hb ? hb : ha);
}

// DRVAL1 of a depth area; an unknown value counts as drying (-1).
double Drval1(const IS52Feature& area) { return S52Real(area, "DRVAL1").value_or(-1); }

// The edges of the unsafe neighbours of a safe depth area (shallower than the
// safety contour, or not water).
std::unordered_set<uint64_t> UnsafeEdgesAround(const IS52Feature& feature, const IS52FeatureSource& source,
                                               double safety) {
  std::unordered_set<uint64_t> edges;
  source.ForEachAround(feature.Box(), kSafetyNeighbourClasses, [&](const IS52Feature& other) {
    if (other.Key() == feature.Key() || other.Primitive() != S52Primitive::Area) return;
    const std::string_view cls = other.Acronym();
    const bool depthArea = cls == "DEPARE" || cls == "DRGARE" || cls == "depare";
    if (depthArea && Drval1(other) >= safety) return;
    for (size_t i = 0; i < other.PartCount(); ++i) {
      const auto points = other.Part(i).points;
      for (size_t k = 1; k < points.size(); ++k) edges.insert(EdgeKey(points[k - 1], points[k]));
    }
  });
  return edges;
}

// SAFCON01: the symbols of a contour label, or none beyond 9999 m or below 0.
std::vector<std::string> ContourLabel(double depth) {
  std::vector<std::string> symbols;
  if (depth < 0 || depth > 9999) return symbols;
  const long tenths = static_cast<long>(std::floor(depth * 10 + 1e-6));
  const long whole = tenths / 10;
  const long fraction = tenths % 10;
  auto add = [&](int position, long digit) { symbols.push_back("SAFCON" + std::to_string(position) + std::to_string(digit)); };
  if (whole < 10) {
    add(0, whole);
    if (fraction) add(6, fraction);
  } else if (whole < 100) {
    add(2, whole / 10);
    add(1, whole % 10);
  } else if (whole < 1000) {
    add(3, whole / 100);
    add(2, whole / 10 % 10);
    add(1, whole % 10);
  } else {
    add(4, whole / 1000);
    add(3, whole / 100 % 10);
    add(2, whole / 10 % 10);
    add(1, whole % 10);
  }
  return symbols;
}

// Whether a depth contour is the safety contour: its value equals the safety
// contour (within 0.01 m); or it is the first contour deeper than the safety
// contour, which our rule decides by the depth areas holding the middle vertex
// of its first part: one of them is shallower than the safety contour
// (DRVAL1 below it; unknown DRVAL1 does not count), so no contour lies between.
bool IsSafetyContour(const S52ProcedureContext& c, double valdco) {
  const double safety = c.settings.safetyContour;
  if (std::fabs(valdco - safety) <= 0.01) return true;
  if (valdco < safety) return false;
  const auto middle = S52ReferencePoint(c.feature);
  if (!middle) return false;
  bool shallower = false;
  const S52Box box{middle->x - 1, middle->y - 1, middle->x + 1, middle->y + 1};
  c.source.ForEachAround(box, kDepthAreaClasses, [&](const IS52Feature& area) {
    if (shallower || area.Primitive() != S52Primitive::Area) return;
    const auto drval1 = S52Real(area, "DRVAL1");
    if (drval1 && *drval1 < safety && S52AreaContains(area, *middle)) shallower = true;
  });
  return shallower;
}

void AddPartLines(S52ProcedureContext& c, bool safety) {
  // One command per distinct style, limited to its parts when the parts differ.
  std::vector<S52VertexRun> lowAccuracy, reliable;
  for (size_t i = 0; i < c.feature.PartCount(); ++i) {
    const S52Part part = c.feature.Part(i);
    if (part.points.size() < 2) continue;
    const S52VertexRun run{static_cast<uint32_t>(i), 0, static_cast<uint32_t>(part.points.size() - 1)};
    (LowAccuracy(part.quapos) ? lowAccuracy : reliable).push_back(run);
  }
  const bool mixed = !lowAccuracy.empty() && !reliable.empty();
  if (!reliable.empty() || lowAccuracy.empty()) {
    if (safety) S52AddLine(c.out, S52LineStyle::Solid, 2, "DEPSC", mixed ? reliable : std::vector<S52VertexRun>{});
    else S52AddLine(c.out, S52LineStyle::Solid, 1, "DEPCN", mixed ? reliable : std::vector<S52VertexRun>{});
  }
  if (!lowAccuracy.empty()) {
    if (safety) S52AddComplexLine(c.out, "LOWACC01", mixed ? lowAccuracy : std::vector<S52VertexRun>{});
    else S52AddLine(c.out, S52LineStyle::Dashed, 1, "DEPCN", mixed ? lowAccuracy : std::vector<S52VertexRun>{});
  }
}

}  // namespace

void S52Seabed(S52ProcedureContext& c, double drval1, double drval2) {
  const auto& s = c.settings;
  const char* colour = "DEPIT";
  if (s.fourShades) {
    if (drval1 >= s.deepContour && drval2 > s.deepContour) colour = "DEPDW";
    else if (drval1 >= s.safetyContour && drval2 > s.safetyContour) colour = "DEPMD";
    else if (drval1 >= s.shallowContour && drval2 > s.shallowContour) colour = "DEPMS";
    else if (drval1 >= 0 && drval2 > 0) colour = "DEPVS";
  } else {
    if (drval1 >= s.safetyContour && drval2 > s.safetyContour) colour = "DEPDW";
    else if (drval1 >= 0 && drval2 > 0) colour = "DEPVS";
  }
  S52AddAreaColour(c.out, colour);
  if (s.shallowPattern && std::string_view(colour) != "DEPDW" && std::string_view(colour) != "DEPMD")
    S52AddPattern(c.out, "DIAMOND1");
}

void S52Depare(S52ProcedureContext& c) {
  const double drval1 = S52Real(c.feature, "DRVAL1").value_or(-1);
  const double drval2 = S52Real(c.feature, "DRVAL2").value_or(drval1 + 0.01);
  const bool dredged = c.feature.Acronym() == "DRGARE";
  if (c.feature.Primitive() == S52Primitive::Line) {
    // A depth area drawn as a line is the safety contour where it spans it.
    const double safety = c.settings.safetyContour;
    const bool isSafety = c.settings.highlightSafetyContour && drval1 < safety && drval2 >= safety;
    AddPartLines(c, isSafety);
    return;
  }
  S52Seabed(c, drval1, drval2);
  if (dredged) {
    S52AddPattern(c.out, "DRGARE01");
    S52AddLine(c.out, S52LineStyle::Dashed, 1, "CHGRF");
    const auto restrictions = S52List(c.feature, "RESTRN");
    if (!restrictions.empty()) S52RestrictionSymbol(c, restrictions);
  }
  // The safety contour along the edges this safe area shares with unsafe ones.
  if (!c.settings.highlightSafetyContour || drval1 < c.settings.safetyContour) return;
  const auto unsafe = UnsafeEdgesAround(c.feature, c.source, c.settings.safetyContour);
  if (unsafe.empty()) return;
  std::vector<S52VertexRun> runs, lowAccuracy;
  for (size_t i = 0; i < c.feature.PartCount(); ++i) {
    const S52Part part = c.feature.Part(i);
    auto& target = LowAccuracy(part.quapos) ? lowAccuracy : runs;
    size_t k = 1;
    while (k < part.points.size()) {
      if (!unsafe.count(EdgeKey(part.points[k - 1], part.points[k]))) {
        ++k;
        continue;
      }
      const size_t first = k - 1;
      while (k < part.points.size() && unsafe.count(EdgeKey(part.points[k - 1], part.points[k]))) ++k;
      target.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(first), static_cast<uint32_t>(k - 1)});
    }
  }
  if (!runs.empty()) S52AddLine(c.out, S52LineStyle::Solid, 2, "DEPSC", std::move(runs));
  if (!lowAccuracy.empty()) S52AddComplexLine(c.out, "LOWACC01", std::move(lowAccuracy));
}

void S52Depcnt(S52ProcedureContext& c, bool /*currentEdition*/) {
  const double valdco = S52Real(c.feature, "VALDCO").value_or(0);
  const bool safety = c.settings.highlightSafetyContour && IsSafetyContour(c, valdco);
  AddPartLines(c, safety);
  if (safety) {
    // The safety contour is never hidden with the other contours.
    c.out.category = S52Category::DisplayBase;
  }
  if (c.settings.showContourLabels)
    for (const std::string& symbol : ContourLabel(valdco)) S52AddSymbol(c.out, symbol);
}

std::vector<std::string> S52SoundingSymbols(const IS52Feature& feature, const S52MarinerSettings& settings,
                                            double depth, int quapos) {
  std::vector<std::string> symbols;
  const bool shallow = depth <= settings.safetyContour || (!settings.dimSafeSoundings && !settings.strictEcdis);
  const std::string prefix = shallow ? "SOUNDS" : "SOUNDG";
  if (S52Has(S52List(feature, "TECSOU"), {6})) symbols.push_back(prefix + "B1");
  if (S52Has(S52List(feature, "QUASOU"), {3, 4, 5, 8, 9}) || S52Has(S52List(feature, "STATUS"), {18}) ||
      LowAccuracy(quapos))
    symbols.push_back(prefix + "C2");
  if (depth < 0) {
    symbols.push_back(prefix + "A1");
    depth = -depth;
  }
  if (depth > 99999) return symbols;
  const long tenths = static_cast<long>(std::floor(depth * 10 + 1e-6));
  const long whole = tenths / 10;
  const long fraction = tenths % 10;
  auto add = [&](int position, long digit) { symbols.push_back(prefix + std::to_string(position) + std::to_string(digit)); };
  if (whole < 10) {
    add(1, whole);
    if (fraction) add(5, fraction);
  } else if (whole < 31 && fraction) {
    add(2, whole / 10);
    add(1, whole % 10);
    add(5, fraction);
  } else if (whole < 100) {
    add(1, whole / 10);
    add(0, whole % 10);
  } else if (whole < 1000) {
    add(2, whole / 100);
    add(1, whole / 10 % 10);
    add(0, whole % 10);
  } else if (whole < 10000) {
    add(2, whole / 1000);
    add(1, whole / 100 % 10);
    add(0, whole / 10 % 10);
    add(4, whole % 10);
  } else {
    add(3, whole / 10000);
    add(2, whole / 1000 % 10);
    add(1, whole / 100 % 10);
    add(0, whole / 10 % 10);
    add(4, whole % 10);
  }
  return symbols;
}

void S52Soundings(S52ProcedureContext& c) {
  int32_t vertex = 0;
  for (size_t i = 0; i < c.feature.PartCount(); ++i) {
    const S52Part part = c.feature.Part(i);
    for (size_t k = 0; k < part.points.size(); ++k, ++vertex) {
      if (k >= part.depths.size()) continue;
      for (const std::string& symbol : S52SoundingSymbols(c.feature, c.settings, part.depths[k], part.quapos))
        S52AddSymbol(c.out, symbol, 0, vertex);
    }
  }
}

S52DepthValues S52DepthValue(S52ProcedureContext& c) {
  const IS52Feature& feature = c.feature;
  S52DepthValues values;
  bool unsurveyed = false;
  for (const IS52Feature* area : S52UnderlyingAreas(c)) {
    if (area->Primitive() != S52Primitive::Area) continue;
    if (area->Acronym() == "UNSARE") {
      unsurveyed = true;
      break;
    }
    const auto drval1 = S52Real(*area, "DRVAL1");
    if (drval1 && (!values.leastDepth || *drval1 < *values.leastDepth)) values.leastDepth = drval1;
  }
  if (unsurveyed) values.leastDepth.reset();
  if (!values.leastDepth) return values;
  values.seabedDepth = values.leastDepth;
  const auto watlev = S52Int(feature, "WATLEV");
  const auto expsou = S52Int(feature, "EXPSOU");
  if (watlev == 3 && (expsou == 1 || expsou == 3)) values.leastDepth.reset();
  return values;
}

void S52DepthValueProcedure(S52ProcedureContext& c) {
  // DEPVAL as an instruction of its own: the sounding of the least depth found.
  const S52DepthValues values = S52DepthValue(c);
  if (values.leastDepth)
    for (const std::string& symbol : S52SoundingSymbols(c.feature, c.settings, *values.leastDepth, 0))
      S52AddSymbol(c.out, symbol);
}

}  // namespace tarnwick
