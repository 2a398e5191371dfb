// Lights: LIGHTS04..06 (and LIGHTSI1) — flares, sectors with their legs and
// arcs, directional lights — and LITDSN, the light description.

#include <cmath>
#include <cstdio>

#include "charts/s52/S52Procedures.h"
#include "charts/s52/S52TextFormat.h"

namespace tarnwick {
namespace {

constexpr double kMetresPerMile = 1852.0;
constexpr std::string_view kLightClasses[] = {"LIGHTS"};

// Degrees into 0..360, rounded to 1e-6 so that sums like 353.9 + 180 stay tidy.
double Normalized(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360.0;
  d = std::round(d * 1e6) / 1e6;
  return d >= 360.0 ? d - 360.0 : d;
}

// Whether bearing b lies on the clockwise sweep from `from` to `to`.
bool OnSweep(double b, double from, double to) {
  const double span = Normalized(to - from);
  return Normalized(b - from) <= span;
}

bool SweepsOverlap(double from1, double to1, double from2, double to2) {
  return OnSweep(from2, from1, to1) || OnSweep(to2, from1, to1) || OnSweep(from1, from2, to2);
}

// The other lights at exactly this light's position.
std::vector<const IS52Feature*> LightsAtSamePosition(const S52ProcedureContext& c) {
  std::vector<const IS52Feature*> lights;
  const auto here = S52ReferencePoint(c.feature);
  if (!here) return lights;
  const S52Box box{here->x - 0.01, here->y - 0.01, here->x + 0.01, here->y + 0.01};
  c.source.ForEachAround(box, kLightClasses, [&](const IS52Feature& other) {
    if (other.Key() == c.feature.Key()) return;
    const auto there = S52ReferencePoint(other);
    if (there && std::fabs(there->x - here->x) <= 0.01 && std::fabs(there->y - here->y) <= 0.01)
      lights.push_back(&other);
  });
  return lights;
}

bool OnlyColours(const std::vector<int>& colours, std::initializer_list<int> allowed) {
  for (int c : colours) {
    bool ok = false;
    for (int a : allowed) ok = ok || c == a;
    if (!ok) return false;
  }
  return !colours.empty();
}

// The flare symbol of a light's colours: red, green, white or yellow, else the default.
const char* FlareSymbol(const std::vector<int>& colours) {
  if (S52Has(colours, {3}) && OnlyColours(colours, {1, 3})) return "LIGHTS11";
  if (S52Has(colours, {4}) && OnlyColours(colours, {1, 4})) return "LIGHTS12";
  if (OnlyColours(colours, {1, 6, 11})) return "LIGHTS13";
  return "LITDEF11";
}

// The colour token of a sector's arc.
const char* SectorColour(const std::vector<int>& colours) {
  if (S52Has(colours, {3})) return "LITRD";
  if (S52Has(colours, {4})) return "LITGN";
  if (OnlyColours(colours, {1, 6, 11})) return "LITYW";
  return "CHMGD";
}

void AddLeg(S52ProcedureContext& c, double bearing, double rangeMiles) {
  S52DrawCommand leg;
  leg.op = S52Op::Leg;
  leg.style = S52LineStyle::Dashed;
  leg.width = 1;
  leg.name = "CHBLK";
  leg.bearing = Normalized(bearing);
  if (c.settings.showFullLightSectors) {
    leg.length = rangeMiles * kMetresPerMile;
    leg.chartMetres = true;
  } else {
    leg.length = 25;
  }
  c.out.commands.push_back(std::move(leg));
}

void AddDescription(S52ProcedureContext& c, double dy) {
  S52Text style;
  style.hjust = 3;
  style.vjust = 2;
  style.spacing = 2;
  style.dx = 2;
  style.dy = dy;
  style.group = 23;
  const std::string text = S52LightDescription(c.feature);
  const auto range = S52Real(c.feature, "VALNMR");
  if (c.settings.highlightMajorLights && !c.settings.strictEcdis && range && *range >= 10 && !text.empty()) {
    // Major lights keep their description when descriptions are off.
    S52DrawCommand command;
    command.op = S52Op::Text;
    command.text = style;
    command.text.text = text;
    command.name = "CHBLK";
    c.out.commands.push_back(std::move(command));
    return;
  }
  S52AddText(c.out, c.settings, text, style, "CHBLK");
}

}  // namespace

std::string S52LightDescription(const IS52Feature& light) {
  return FormatS52LightDescription(S52AttributeText(light, "LITCHR"), S52AttributeText(light, "SIGGRP"), S52AttributeText(light, "COLOUR"),
                                   S52AttributeText(light, "SIGPER"), S52AttributeText(light, "HEIGHT"), S52AttributeText(light, "VALNMR"),
                                   S52AttributeText(light, "CATLIT"));
}

void S52Lights(S52ProcedureContext& c) {
  const double range = S52Real(c.feature, "VALNMR").value_or(9.0);
  std::vector<int> colours = S52List(c.feature, "COLOUR");
  if (colours.empty()) colours = {12};
  const std::vector<int> categories = S52List(c.feature, "CATLIT");
  if (S52Has(categories, {8, 11})) {  // flood light, spot light
    S52AddSymbol(c.out, "LIGHTS82");
    return;
  }
  if (S52Has(categories, {9})) {  // strip light
    S52AddSymbol(c.out, "LIGHTS81");
    return;
  }
  if (S52Has(categories, {1, 16})) {  // directional function, moiré effect
    const auto orient = S52Real(c.feature, "ORIENT");
    if (!orient) {
      S52AddQuestionMark(c.out);
      return;
    }
    // ORIENT is the bearing of the light's axis from seaward; the beam points the other way.
    const double beam = Normalized(*orient + 180);
    AddLeg(c, beam, range);
    S52AddSymbol(c.out, FlareSymbol(colours), beam);
    c.out.commands.back().trueBearing = true;
    char text[32];
    std::snprintf(text, sizeof text, "%03.0f deg", Normalized(*orient));
    S52Text style;
    style.hjust = 3;
    style.vjust = 3;
    style.spacing = 3;
    style.dx = 3;
    style.dy = 1;
    style.group = 23;
    S52AddText(c.out, c.settings, text, style, "CHBLK");
    AddDescription(c, 0);
    return;
  }
  const auto sector1 = S52Real(c.feature, "SECTR1");
  const auto sector2 = S52Real(c.feature, "SECTR2");
  if (sector1 && sector2 && std::fabs(Normalized(*sector2 - *sector1)) > 1e-6) {
    // Sector limits are bearings from seaward; on the chart they run from the light outwards.
    const double from = Normalized(*sector1 + 180);
    const double to = Normalized(*sector2 + 180);
    double radius = 20;
    for (const IS52Feature* other : LightsAtSamePosition(c)) {
      const auto o1 = S52Real(*other, "SECTR1");
      const auto o2 = S52Real(*other, "SECTR2");
      if (o1 && o2 && SweepsOverlap(from, to, Normalized(*o1 + 180), Normalized(*o2 + 180))) radius = 25;
    }
    S52DrawCommand arc;
    arc.op = S52Op::Arc;
    arc.length = radius;
    arc.bearing = from;
    arc.bearingTo = to;
    if (S52Has(S52List(c.feature, "LITVIS"), {3, 7, 8})) {  // faint, obscured, partially obscured
      arc.name = "CHBLK";
      arc.style = S52LineStyle::Dashed;
      arc.width = 1;
    } else {
      arc.name = SectorColour(colours);
      arc.width = 2;
      arc.outline = "OUTLW";
      arc.outlineWidth = 4;
    }
    c.out.commands.push_back(std::move(arc));
    AddLeg(c, from, range);
    AddLeg(c, to, range);
    return;
  }
  // An all-round light: a flare at 135°, or at 45° when it shares its
  // position with another light and is not white or yellow.
  const char* flare = FlareSymbol(colours);
  bool at45 = false;
  if (std::string_view(flare) != "LIGHTS13") {
    for (const IS52Feature* other : LightsAtSamePosition(c)) {
      const bool sectored = S52Real(*other, "SECTR1") && S52Real(*other, "SECTR2");
      if (!sectored) at45 = true;
    }
  }
  S52AddSymbol(c.out, flare, at45 ? 45 : 135);
  AddDescription(c, at45 ? -1 : 0);
}

}  // namespace tarnwick
