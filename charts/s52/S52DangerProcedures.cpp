// Dangers: UDWHAZ (isolated dangers), QUAPNT (low accuracy of a point),
// OBSTRN04..07 (obstructions and underwater rocks, and OBSTRNI1), WRECKS02..05.

#include "charts/s52/S52Procedures.h"

namespace tarnwick {
namespace {

bool LowAccuracy(int quapos) { return quapos != 0 && quapos != 1 && quapos != 10 && quapos != 11; }

bool AnyPartLowAccuracy(const IS52Feature& feature) {
  for (size_t i = 0; i < feature.PartCount(); ++i)
    if (LowAccuracy(feature.Part(i).quapos)) return true;
  return false;
}

void AddSounding(S52ProcedureContext& c, double depth) {
  const int quapos = c.feature.PartCount() ? c.feature.Part(0).quapos : 0;
  for (const std::string& symbol : S52SoundingSymbols(c.feature, c.settings, depth, quapos))
    S52AddSymbol(c.out, symbol);
}

// The depth a danger is judged by: VALSOU, else the least depth of the depth
// areas under it, else the seabed depth there (a danger within the depth
// range of its surroundings), else a value by its water level. A danger known
// to dry, cover and uncover or lie awash (WATLEV other than 3) is never
// judged by the depth around it.
double DangerDepth(S52ProcedureContext& c, std::optional<double> valsou, double unknownDefault) {
  if (valsou) return *valsou;
  const auto watlev = S52Int(c.feature, "WATLEV");
  if (watlev && *watlev != 3) return unknownDefault;
  const S52DepthValues values = S52DepthValue(c);
  if (values.leastDepth) return *values.leastDepth;
  if (values.seabedDepth) return *values.seabedDepth;
  return unknownDefault;
}

// The area form shared by obstructions and wrecks without a sounding.
void AreaByWaterLevel(S52ProcedureContext& c, int watlev, const char* edgeColour) {
  if (watlev == 1 || watlev == 2) {
    S52AddAreaColour(c.out, "CHBRN");
    S52AddLine(c.out, S52LineStyle::Solid, 2, "CSTLN");
  } else if (watlev == 4) {
    S52AddAreaColour(c.out, "DEPIT");
    S52AddLine(c.out, S52LineStyle::Dashed, 2, "CSTLN");
  } else {
    S52AddAreaColour(c.out, "DEPVS");
    S52AddLine(c.out, S52LineStyle::Dotted, 2, edgeColour);
  }
}

void IsolatedArea(S52ProcedureContext& c) {
  S52AddAreaColour(c.out, "DEPVS");
  S52AddPattern(c.out, "FOULAR01");
  S52AddLine(c.out, S52LineStyle::Dotted, 2, "CHBLK");
  S52AddSymbol(c.out, "ISODGR01");
}

}  // namespace

S52Hazard S52UnderwaterHazard(S52ProcedureContext& c, double depth) {
  const auto& s = c.settings;
  if (depth > s.safetyContour) return S52Hazard::None;
  bool inSafeWater = false;
  bool inShallowWater = false;
  for (const IS52Feature* area : S52UnderlyingAreas(c)) {
    if (area->Acronym() == "UNSARE") continue;
    const double drval1 = S52Real(*area, "DRVAL1").value_or(-1);
    if (drval1 >= s.safetyContour) inSafeWater = true;
    else if (drval1 >= 0 && depth < s.safetyContour) inShallowWater = true;
  }
  const auto watlev = S52Int(c.feature, "WATLEV");
  if (inSafeWater && s.showIsolatedDangers) {
    if (watlev == 1 || watlev == 2) {
      S52RaiseToDisplayBase(c.out, 14050);
      return S52Hazard::IsolatedAboveWater;
    }
    S52RaiseToDisplayBase(c.out, 14010);
    return S52Hazard::Isolated;
  }
  if (inShallowWater && s.showShallowWaterDangers && watlev != 1 && watlev != 2) {
    c.out.priority = 80;
    c.out.overRadar = true;
    c.out.category = S52Category::Standard;
    c.out.viewingGroup = 24050;
    return S52Hazard::ShallowWater;
  }
  return S52Hazard::None;
}

bool S52LowAccuracyPoint(const IS52Feature& feature) {
  return feature.PartCount() > 0 && LowAccuracy(feature.Part(0).quapos);
}

void S52Obstruction(S52ProcedureContext& c) {
  const auto valsou = S52Real(c.feature, "VALSOU");
  const int watlev = S52Int(c.feature, "WATLEV").value_or(0);
  const int catobs = S52Int(c.feature, "CATOBS").value_or(0);
  const bool rock = c.feature.Acronym() == "UWTROC";
  double unknown = -15;
  if (catobs == 6 || watlev == 3) unknown = 0.01;
  else if (watlev == 5) unknown = 0;
  const double depth = DangerDepth(c, valsou, unknown);
  const S52Hazard hazard = S52UnderwaterHazard(c, depth);
  const bool isolated = hazard == S52Hazard::Isolated || hazard == S52Hazard::ShallowWater;
  switch (c.feature.Primitive()) {
    case S52Primitive::Point: {
      if (isolated) {
        S52AddSymbol(c.out, "ISODGR01");
      } else if (valsou) {
        const char* symbol = "DANGER02";
        if (*valsou <= 20) {
          if (rock) symbol = (watlev == 4 || watlev == 5) ? "UWTROC04" : "DANGER01";
          else if (catobs == 6) symbol = "DANGER01";
          else if (watlev == 1 || watlev == 2) symbol = "OBSTRN11";
          else if (watlev == 4 || watlev == 5) symbol = "DANGER03";
          else symbol = "DANGER01";
        }
        S52AddSymbol(c.out, symbol);
        AddSounding(c, *valsou);
      } else if (rock) {
        S52AddSymbol(c.out, watlev == 3 ? "UWTROC03" : "UWTROC04");
      } else {
        const char* symbol = "OBSTRN01";
        if (catobs != 6) {
          if (watlev == 1 || watlev == 2) symbol = "OBSTRN11";
          else if (watlev == 4 || watlev == 5) symbol = "OBSTRN03";
        }
        S52AddSymbol(c.out, symbol);
      }
      if (S52LowAccuracyPoint(c.feature)) S52AddSymbol(c.out, "LOWACC01");
      break;
    }
    case S52Primitive::Line:
      if (isolated) {
        S52AddLine(c.out, S52LineStyle::Dotted, 2, "CHBLK");
        S52AddSymbol(c.out, "ISODGR01");
      } else if (valsou) {
        S52AddLine(c.out, *valsou <= 20 ? S52LineStyle::Dotted : S52LineStyle::Dashed, 2, "CHBLK");
        AddSounding(c, *valsou);
      } else {
        S52AddLine(c.out, S52LineStyle::Dotted, 2, "CHBLK");
      }
      if (AnyPartLowAccuracy(c.feature)) S52AddComplexLine(c.out, "LOWACC41");
      break;
    case S52Primitive::Area:
      if (isolated) {
        IsolatedArea(c);
      } else if (valsou) {
        S52AddLine(c.out, *valsou <= 20 ? S52LineStyle::Dotted : S52LineStyle::Dashed, 2, "CHBLK");
        AddSounding(c, *valsou);
      } else if (catobs == 6) {
        S52AddPattern(c.out, "FOULAR01");
        S52AddLine(c.out, S52LineStyle::Dotted, 2, "CHBLK");
      } else {
        AreaByWaterLevel(c, watlev, "CHBLK");
      }
      if (AnyPartLowAccuracy(c.feature)) S52AddComplexLine(c.out, "LOWACC31");
      break;
    case S52Primitive::None:
      break;
  }
}

void S52Wreck(S52ProcedureContext& c) {
  const auto valsou = S52Real(c.feature, "VALSOU");
  const int watlev = S52Int(c.feature, "WATLEV").value_or(0);
  const int catwrk = S52Int(c.feature, "CATWRK").value_or(0);
  double unknown = -15;
  if (catwrk == 1 && watlev == 3) unknown = 20.1;
  else if (watlev == 4 || watlev == 5) unknown = 0;
  const double depth = DangerDepth(c, valsou, unknown);
  const S52Hazard hazard = S52UnderwaterHazard(c, depth);
  const bool isolated = hazard == S52Hazard::Isolated || hazard == S52Hazard::ShallowWater;
  if (c.feature.Primitive() == S52Primitive::Point) {
    if (isolated) {
      S52AddSymbol(c.out, "ISODGR01");
    } else if (valsou) {
      S52AddSymbol(c.out, *valsou <= 20 ? "DANGER01" : "DANGER02");
      AddSounding(c, *valsou);
    } else {
      const char* symbol = "WRECKS05";
      if (catwrk == 1 && watlev == 3) symbol = "WRECKS04";
      else if (catwrk == 2 && watlev == 3) symbol = "WRECKS05";
      else if (catwrk == 4 || catwrk == 5 || watlev == 1 || watlev == 2 || watlev == 4 || watlev == 5)
        symbol = "WRECKS01";
      S52AddSymbol(c.out, symbol);
    }
    if (S52LowAccuracyPoint(c.feature)) S52AddSymbol(c.out, "LOWACC01");
    return;
  }
  if (isolated) {
    IsolatedArea(c);
  } else if (valsou) {
    S52AddLine(c.out, *valsou <= 20 ? S52LineStyle::Dotted : S52LineStyle::Dashed, 2, "CHBLK");
    AddSounding(c, *valsou);
  } else {
    AreaByWaterLevel(c, watlev, "CSTLN");
  }
  if (AnyPartLowAccuracy(c.feature)) S52AddComplexLine(c.out, "LOWACC31");
}

}  // namespace tarnwick
