// The mariner's navigation objects: own ship (OWNSHP02), past track
// (PASTRK01), other vessels (VESSEL01/02), electronic range and bearing
// lines (VRMEBL01), clearing lines (CLRLIN01) and route legs (LEGLIN02/03).
// Their attributes are the presentation library's lower-case mariner's ones.

#include <cmath>
#include <cstdio>

#include "charts/s52/S52Procedures.h"

namespace tarnwick {
namespace {

constexpr double kMetresPerMile = 1852.0;

void AddLeg(S52ProcedureContext& c, S52LineStyle style, int width, const char* colour, double bearing,
            double length, bool chartMetres) {
  S52DrawCommand leg;
  leg.op = S52Op::Leg;
  leg.style = style;
  leg.width = width;
  leg.name = colour;
  leg.bearing = std::fmod(std::fmod(bearing, 360.0) + 360.0, 360.0);
  leg.length = length;
  leg.chartMetres = chartMetres;
  c.out.commands.push_back(std::move(leg));
}

// A course and speed vector: speed (knots) over vecper minutes, in chart metres.
void AddVector(S52ProcedureContext& c, const char* colour, std::optional<double> course,
               std::optional<double> speed) {
  if (!course || !speed || *speed <= 0) return;
  const double minutes = S52Real(c.feature, "vecper").value_or(6);
  AddLeg(c, S52LineStyle::Solid, 2, colour, *course, *speed * minutes / 60.0 * kMetresPerMile, true);
}

// The true bearing of a line feature from its first to its last point.
std::optional<double> LineBearing(const IS52Feature& feature) {
  if (feature.PartCount() == 0) return std::nullopt;
  const auto points = feature.Part(0).points;
  if (points.size() < 2) return std::nullopt;
  const double dx = points.back().x - points.front().x;
  const double dy = points.back().y - points.front().y;
  if (dx == 0 && dy == 0) return std::nullopt;
  const double degrees = std::atan2(dx, dy) * 180.0 / M_PI;
  return degrees < 0 ? degrees + 360 : degrees;
}

void AddMarinerText(S52ProcedureContext& c, const std::string& text, double dy) {
  S52Text style;
  style.hjust = 1;
  style.vjust = 1;
  style.dy = dy;
  style.group = 50;
  S52AddText(c.out, c.settings, text, style, "NINFO");
}

}  // namespace

void S52OwnShip(S52ProcedureContext& c) {
  const auto heading = S52Real(c.feature, "headng");
  // The outline drawn to scale when the ship's size is known (the renderer
  // falls back to the circles when it is too small on screen), else the circles.
  if (S52Real(c.feature, "shplen") && heading) {
    S52AddSymbol(c.out, "OWNSHP05", *heading);
    c.out.commands.back().trueBearing = true;
  } else {
    S52AddSymbol(c.out, "OWNSHP01");
  }
  // The heading line runs to the edge of the display (length 0).
  if (heading) AddLeg(c, S52LineStyle::Solid, 1, "SHIPS", *heading, 0, false);
  const int stabilisation = S52Int(c.feature, "vecstb").value_or(1);
  if (stabilisation == 1)
    AddVector(c, "SHIPS", S52Real(c.feature, "cogcrs"), S52Real(c.feature, "sogspd"));
  else if (stabilisation == 2)
    AddVector(c, "SHIPS", S52Real(c.feature, "ctwcrs"), S52Real(c.feature, "stwspd"));
}

void S52PastTrack(S52ProcedureContext& c) {
  if (S52Int(c.feature, "catpst") == 2) S52AddLine(c.out, S52LineStyle::Solid, 1, "SYTRK");
  else S52AddLine(c.out, S52LineStyle::Solid, 2, "PSTRK");
}

void S52Vessel(S52ProcedureContext& c) {
  const int source = S52Int(c.feature, "vesrce").value_or(0);
  const auto heading = S52Real(c.feature, "headng");
  const auto course = S52Real(c.feature, "cogcrs");
  const char* colour = source == 1 ? "ARPAT" : "SHIPS";
  if (source == 2) {
    const int status = S52Int(c.feature, "vestat").value_or(1);
    const auto rotation = heading ? heading : course;
    S52AddSymbol(c.out, status == 2 ? "AISSLP01" : "AISVES01", rotation.value_or(0));
    c.out.commands.back().trueBearing = rotation.has_value();
    if (status == 2) return;  // a sleeping target shows no vector
  } else if (source == 1) {
    S52AddSymbol(c.out, "ARPATG01");
  } else {
    S52AddSymbol(c.out, "VTSTGT01");
  }
  AddVector(c, colour, course, S52Real(c.feature, "sogspd"));
}

void S52RangeBearing(S52ProcedureContext& c) {
  if (c.feature.Primitive() == S52Primitive::Line) {
    if (c.library.LineStyle("ERBLNA01")) S52AddComplexLine(c.out, "ERBLNA01");
    else S52AddLine(c.out, S52LineStyle::Dashed, 1, "NINFO");
  } else {
    S52AddLine(c.out, S52LineStyle::Dashed, 1, "NINFO");
  }
  // An EBL or VRM whose origin is not own ship marks its origin.
  if (S52Int(c.feature, "ownshp") == 2) S52AddSymbol(c.out, "EBLVRM11");
}

void S52ClearingLine(S52ProcedureContext& c) {
  S52AddLine(c.out, S52LineStyle::Solid, 1, "NINFO");
  const auto bearing = LineBearing(c.feature);
  if (!bearing) return;
  const int kind = S52Int(c.feature, "clrlin").value_or(S52Int(c.feature, "catclr").value_or(1));
  char text[32];
  std::snprintf(text, sizeof text, "%s %03.0f deg", kind == 2 ? "NLT" : "NMT", *bearing);
  AddMarinerText(c, text, -1);
}

void S52RouteLeg(S52ProcedureContext& c) {
  const bool alternate = S52Int(c.feature, "select") == 2;
  if (alternate) S52AddLine(c.out, S52LineStyle::Dashed, 2, "APLRT");
  else S52AddLine(c.out, S52LineStyle::Solid, 2, "PLRTE");
  if (const auto bearing = LineBearing(c.feature)) {
    char text[32];
    std::snprintf(text, sizeof text, "%03.0f deg", *bearing);
    AddMarinerText(c, text, -1);
  }
  if (const auto speed = S52Real(c.feature, "plnspd")) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f kn", *speed);
    AddMarinerText(c, text, 1);
  }
}

}  // namespace tarnwick
