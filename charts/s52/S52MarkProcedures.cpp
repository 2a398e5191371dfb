// Marks: TOPMAR01 and TOPMARI1 (topmarks on floating or fixed marks),
// DAYMAR01 (daymarks), and the inland NOTMRKI1 (notice marks) and BRIDGEI1.

#include <cmath>
#include <cstdio>
#include <span>

#include "charts/s52/S52Procedures.h"

namespace tarnwick {
namespace {

// Classes that carry a topmark afloat: buoys, light floats and light vessels.
constexpr std::string_view kFloatingClasses[] = {"BOYCAR", "BOYINB", "BOYISD", "BOYLAT", "BOYSAW",
                                                 "BOYSPP", "LITFLT", "LITVES", "boywtw", "boylat",
                                                 "boycar", "boyisd", "boysaw", "boyspp"};

// TOPSHP 1..33 → the topmark symbol on a buoy and on a beacon; shapes the
// library draws no symbol for take the nearest shape, or the default.
struct TopmarkSymbols {
  const char* buoy;
  const char* beacon;
};
constexpr TopmarkSymbols kTopmarks[] = {
    {"TMARDEF2", "TMARDEF1"},  // 0: none given
    {"TOPMAR02", "TOPMAR22"},  // 1 cone, point up
    {"TOPMAR04", "TOPMAR24"},  // 2 cone, point down
    {"TOPMAR10", "TOPMAR30"},  // 3 sphere
    {"TOPMAR12", "TOPMAR32"},  // 4 two spheres
    {"TOPMAR13", "TOPMAR33"},  // 5 cylinder (can)
    {"TOPMAR14", "TOPMAR34"},  // 6 board
    {"TOPMAR65", "TOPMAR85"},  // 7 x-shape (St. Andrew's cross)
    {"TOPMAR17", "TOPMAR86"},  // 8 upright cross (St. George's cross)
    {"TOPMAR16", "TOPMAR36"},  // 9 cube, point up
    {"TOPMAR08", "TOPMAR28"},  // 10 two cones, point to point
    {"TOPMAR07", "TOPMAR27"},  // 11 two cones, base to base
    {"TOPMAR14", "TOPMAR14"},  // 12 rhombus (diamond)
    {"TOPMAR05", "TOPMAR25"},  // 13 two cones, points upward
    {"TOPMAR06", "TOPMAR26"},  // 14 two cones, points downward
    {"TMARDEF2", "TOPMAR88"},  // 15 besom, point up
    {"TMARDEF2", "TOPMAR87"},  // 16 besom, point down
    {"TOPMAR17", "TMARDEF1"},  // 17 flag
    {"TOPMAR17", "TMARDEF1"},  // 18 sphere over a rhombus
    {"TOPMAR13", "TOPMAR33"},  // 19 square
    {"TOPMAR14", "TOPMAR34"},  // 20 rectangle, horizontal
    {"TOPMAR13", "TOPMAR33"},  // 21 rectangle, vertical
    {"TOPMAR14", "TOPMAR34"},  // 22 trapezium, up
    {"TOPMAR14", "TOPMAR34"},  // 23 trapezium, down
    {"TOPMAR02", "TOPMAR22"},  // 24 triangle, point up
    {"TOPMAR04", "TOPMAR24"},  // 25 triangle, point down
    {"TOPMAR10", "TOPMAR30"},  // 26 circle
    {"TOPMAR17", "TOPMAR86"},  // 27 two upright crosses
    {"TOPMAR18", "TOPMAR89"},  // 28 T-shape
    {"TOPMAR02", "TOPMAR22"},  // 29 triangle pointing up over a circle
    {"TOPMAR17", "TOPMAR86"},  // 30 upright cross over a circle
    {"TOPMAR14", "TOPMAR14"},  // 31 rhombus over a circle
    {"TOPMAR10", "TOPMAR30"},  // 32 circle over a triangle pointing up
    {"TMARDEF2", "TMARDEF1"},  // 33 other shape
};

bool AtSamePosition(const S52ProcedureContext& c, std::span<const std::string_view> classes) {
  const auto here = S52ReferencePoint(c.feature);
  if (!here) return false;
  bool found = false;
  const S52Box box{here->x - 0.01, here->y - 0.01, here->x + 0.01, here->y + 0.01};
  c.source.ForEachAround(box, classes, [&](const IS52Feature& other) {
    if (found || other.Key() == c.feature.Key()) return;
    const auto there = S52ReferencePoint(other);
    found = there && std::fabs(there->x - here->x) <= 0.01 && std::fabs(there->y - here->y) <= 0.01;
  });
  return found;
}

}  // namespace

void S52Topmark(S52ProcedureContext& c, bool /*inland*/) {
  const auto shape = S52Int(c.feature, "TOPSHP");
  if (!shape) {
    S52AddQuestionMark(c.out);
    return;
  }
  const bool floating = AtSamePosition(c, kFloatingClasses);
  const int index = *shape >= 1 && *shape <= 33 ? *shape : 33;
  S52AddSymbol(c.out, floating ? kTopmarks[index].buoy : kTopmarks[index].beacon);
}

void S52Daymark(S52ProcedureContext& c) {
  const int shape = S52Int(c.feature, "TOPSHP").value_or(0);
  const bool simplified = c.settings.simplifiedPoints;
  const char* symbol = simplified ? "DAYSQR01" : "DAYSQR21";
  if (shape == 24) symbol = simplified ? "DAYTRI01" : "DAYTRI21";
  else if (shape == 25) symbol = simplified ? "DAYTRI05" : "DAYTRI25";
  S52AddSymbol(c.out, symbol);
}

void S52NoticeMark(S52ProcedureContext& c) {
  // A notice mark whose category the look-up table has no symbol for: the
  // general board of its function (prohibition, regulation or restriction;
  // recommendation; information), facing the direction its ORIENT gives.
  const int function = S52Int(c.feature, "fnctnm").value_or(0);
  const auto orient = S52Real(c.feature, "ORIENT");
  const char* symbol = function == 4 ? "NOTMRK02" : function == 5 ? "NOTMRK03" : "NOTMRK01";
  S52AddSymbol(c.out, symbol, orient.value_or(0));
  c.out.commands.back().trueBearing = orient.has_value();
}

void S52InlandBridge(S52ProcedureContext& c) {
  if (c.feature.Primitive() != S52Primitive::Point) S52AddLine(c.out, S52LineStyle::Solid, 4, "CHGRD");
  const auto category = S52List(c.feature, "catbrg").empty() ? S52List(c.feature, "CATBRG")
                                                              : S52List(c.feature, "catbrg");
  const bool opening = S52Has(category, {2, 3, 4, 5, 7, 8});
  if (opening) S52AddSymbol(c.out, "BRIDGE01");
  auto clearance = [&](const char* attribute, const char* label, double dy) {
    const auto value = S52Real(c.feature, attribute);
    if (!value) return;
    char text[48];
    std::snprintf(text, sizeof text, "%s %4.1f", label, *value);
    S52Text style;
    style.hjust = 3;
    style.vjust = 1;
    style.dx = 1;
    style.dy = dy;
    style.group = 11;
    S52AddText(c.out, c.settings, text, style, "CHBLK");
  };
  if (opening) {
    clearance("VERCCL", "clr cl", 0);
    clearance("VERCOP", "clr op", 1);
  } else {
    clearance("VERCLR", "clr", 0);
  }
}

}  // namespace tarnwick
