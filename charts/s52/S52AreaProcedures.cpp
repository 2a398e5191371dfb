// Restricted areas and restrictions (RESARE02..04, RESAREI1, RESTRN01 with
// RESCSP), shoreline constructions (SLCONS03/04, SLCONSI1), quality of
// position (QUAPOS01, QUALIN01, QUAPNT01), data coverage (DATCVR01/02) and
// symbol instructions carried by the feature (SYMINS01/02).

#include "charts/s52/S52Procedures.h"

namespace tarnwick {
namespace {

bool LowAccuracy(int quapos) { return quapos != 0 && quapos != 1 && quapos != 10 && quapos != 11; }

// Restrictions grouped as the procedures read them.
bool EntryRestricted(const std::vector<int>& r) { return S52Has(r, {7, 8, 14}); }
bool AnchoringRestricted(const std::vector<int>& r) { return S52Has(r, {1, 2}); }
bool FishingRestricted(const std::vector<int>& r) { return S52Has(r, {3, 4, 5, 6, 24}); }
bool OtherCaution(const std::vector<int>& r) { return S52Has(r, {13, 16, 17, 23, 25, 26, 27}); }
bool InformationRestriction(const std::vector<int>& r) { return S52Has(r, {9, 10, 11, 12, 15, 18, 19, 20, 21, 22}); }
// Categories of restricted areas that call for caution, and that only inform.
bool CautionCategory(const std::vector<int>& c) { return S52Has(c, {1, 8, 9, 12, 14, 18, 19, 21, 24, 25, 26}); }
bool InformationCategory(const std::vector<int>& c) { return S52Has(c, {4, 5, 6, 7, 10, 20, 22, 23}); }

// The centred symbol and boundary of a restricted area of one kind.
void RestrictedKind(S52ProcedureContext& c, const char* base, bool caution, bool information,
                    const char* boundary) {
  std::string symbol = base;
  symbol += caution ? "61" : information ? "71" : "51";
  S52AddSymbol(c.out, symbol);
  if (c.settings.symbolizedBoundaries) S52AddComplexLine(c.out, boundary);
  else S52AddLine(c.out, S52LineStyle::Dashed, 2, "CHMGD");
}

}  // namespace

void S52RestrictionSymbol(S52ProcedureContext& c, const std::vector<int>& r) {
  if (r.empty()) return;
  if (EntryRestricted(r)) {
    const bool caution = S52Has(r, {1, 2, 3, 4, 5, 6, 13, 16, 17, 23, 24, 25, 26, 27});
    S52AddSymbol(c.out, caution ? "ENTRES61" : InformationRestriction(r) ? "ENTRES71" : "ENTRES51");
  } else if (AnchoringRestricted(r)) {
    const bool caution = S52Has(r, {3, 4, 5, 6, 13, 16, 17, 23, 24, 25, 26, 27});
    S52AddSymbol(c.out, caution ? "ACHRES61" : InformationRestriction(r) ? "ACHRES71" : "ACHRES51");
  } else if (FishingRestricted(r)) {
    S52AddSymbol(c.out, OtherCaution(r) ? "FSHRES61" : InformationRestriction(r) ? "FSHRES71" : "FSHRES51");
  } else if (OtherCaution(r)) {
    S52AddSymbol(c.out, InformationRestriction(r) ? "CTYARE71" : "CTYARE51");
  } else {
    S52AddSymbol(c.out, "INFARE51");
  }
}

void S52Restrictions(S52ProcedureContext& c) {
  const auto restrictions = S52List(c.feature, "RESTRN");
  if (!restrictions.empty()) S52RestrictionSymbol(c, restrictions);
}

void S52RestrictedArea(S52ProcedureContext& c, bool inland) {
  const auto r = S52List(c.feature, inland ? "restrn" : "RESTRN");
  const auto r2 = inland && r.empty() ? S52List(c.feature, "RESTRN") : r;
  const auto cats = S52List(c.feature, "CATREA");
  if (!r2.empty()) {
    if (EntryRestricted(r2)) {
      const bool caution = S52Has(r2, {1, 2, 3, 4, 5, 6, 13, 16, 17, 23, 24, 25, 26, 27}) || CautionCategory(cats);
      RestrictedKind(c, "ENTRES", caution, InformationRestriction(r2) || InformationCategory(cats), "ENTRES51");
    } else if (AnchoringRestricted(r2)) {
      const bool caution = S52Has(r2, {3, 4, 5, 6, 13, 16, 17, 23, 24, 25, 26, 27}) || CautionCategory(cats);
      RestrictedKind(c, "ACHRES", caution, InformationRestriction(r2) || InformationCategory(cats), "ACHRES51");
    } else if (FishingRestricted(r2)) {
      const bool caution = OtherCaution(r2) || CautionCategory(cats);
      RestrictedKind(c, "FSHRES", caution, InformationRestriction(r2) || InformationCategory(cats), "FSHRES51");
    } else if (OtherCaution(r2)) {
      S52AddSymbol(c.out, InformationRestriction(r2) || InformationCategory(cats) ? "CTYARE71" : "CTYARE51");
      if (c.settings.symbolizedBoundaries) S52AddComplexLine(c.out, "CTYARE51");
      else S52AddLine(c.out, S52LineStyle::Dashed, 2, "CHMGD");
    } else {
      S52AddSymbol(c.out, "INFARE51");
      if (c.settings.symbolizedBoundaries) S52AddComplexLine(c.out, "CTYARE51");
      else S52AddLine(c.out, S52LineStyle::Dashed, 2, "CHMGD");
    }
    return;
  }
  // No restriction given: the category decides.
  if (CautionCategory(cats)) S52AddSymbol(c.out, InformationCategory(cats) ? "CTYARE71" : "CTYARE51");
  else if (InformationCategory(cats)) S52AddSymbol(c.out, "INFARE51");
  else S52AddSymbol(c.out, "RSRDEF51");
  if (c.settings.symbolizedBoundaries) S52AddComplexLine(c.out, "CTYARE51");
  else S52AddLine(c.out, S52LineStyle::Dashed, 2, "CHMGD");
}

void S52ShorelineConstruction(S52ProcedureContext& c) {
  if (c.feature.Primitive() == S52Primitive::Point) {
    if (S52LowAccuracyPoint(c.feature)) S52AddSymbol(c.out, "LOWACC01");
    return;
  }
  const int condtn = S52Int(c.feature, "CONDTN").value_or(0);
  const int watlev = S52Int(c.feature, "WATLEV").value_or(0);
  const auto catslc = S52List(c.feature, "CATSLC");
  std::vector<S52VertexRun> lowAccuracy, reliable;
  for (size_t i = 0; i < c.feature.PartCount(); ++i) {
    const S52Part part = c.feature.Part(i);
    if (part.points.size() < 2) continue;
    (LowAccuracy(part.quapos) ? lowAccuracy : reliable)
        .push_back({static_cast<uint32_t>(i), 0, static_cast<uint32_t>(part.points.size() - 1)});
  }
  const bool mixed = !lowAccuracy.empty() && !reliable.empty();
  if (!lowAccuracy.empty()) S52AddComplexLine(c.out, "LOWACC21", mixed ? lowAccuracy : std::vector<S52VertexRun>{});
  if (reliable.empty() && !lowAccuracy.empty()) return;
  auto runs = mixed ? reliable : std::vector<S52VertexRun>{};
  if (condtn == 1 || condtn == 2) S52AddLine(c.out, S52LineStyle::Dashed, 1, "CSTLN", runs);
  else if (S52Has(catslc, {6, 15, 16})) S52AddLine(c.out, S52LineStyle::Solid, 4, "CSTLN", runs);
  else if (watlev == 3 || watlev == 4) S52AddLine(c.out, S52LineStyle::Dashed, 2, "CSTLN", runs);
  else S52AddLine(c.out, S52LineStyle::Solid, 2, "CSTLN", runs);
}

void S52QualityLine(S52ProcedureContext& c) {
  const bool coastline = c.feature.Acronym() == "COALNE";
  const bool conspicuous = S52Int(c.feature, "CONRAD") == 1;
  std::vector<S52VertexRun> lowAccuracy, reliable;
  for (size_t i = 0; i < c.feature.PartCount(); ++i) {
    const S52Part part = c.feature.Part(i);
    if (part.points.size() < 2) continue;
    (LowAccuracy(part.quapos) ? lowAccuracy : reliable)
        .push_back({static_cast<uint32_t>(i), 0, static_cast<uint32_t>(part.points.size() - 1)});
  }
  const bool mixed = !lowAccuracy.empty() && !reliable.empty();
  if (!lowAccuracy.empty()) S52AddComplexLine(c.out, "LOWACC21", mixed ? lowAccuracy : std::vector<S52VertexRun>{});
  if (reliable.empty() && !lowAccuracy.empty()) return;
  auto runs = mixed ? reliable : std::vector<S52VertexRun>{};
  if (coastline && conspicuous) {
    S52AddLine(c.out, S52LineStyle::Solid, 3, "CHMGF", runs);
    S52AddLine(c.out, S52LineStyle::Solid, 1, "CSTLN", runs);
  } else {
    S52AddLine(c.out, S52LineStyle::Solid, 1, "CSTLN", runs);
  }
}

void S52QualityOfPosition(S52ProcedureContext& c) {
  if (c.feature.Primitive() == S52Primitive::Point) {
    if (S52LowAccuracyPoint(c.feature)) S52AddSymbol(c.out, "LOWACC01");
    return;
  }
  S52QualityLine(c);
}

void S52DataCoverage(S52ProcedureContext& c) {
  // The limit of the producers' data (M_COVR with CATCOV 1) and areas of no
  // data (CATCOV 2); scale boundaries and overscale marks depend on the
  // display scale and are the renderer's.
  if (c.feature.Acronym() != "M_COVR") return;
  const int catcov = S52Int(c.feature, "CATCOV").value_or(0);
  if (catcov == 1) {
    if (c.library.LineStyle("HODATA01")) S52AddComplexLine(c.out, "HODATA01");
    else S52AddLine(c.out, S52LineStyle::Solid, 2, "CHGRD");
  } else if (catcov == 2) {
    S52AddPattern(c.out, "NODATA03");
    if (c.library.LineStyle("NONHODAT")) S52AddComplexLine(c.out, "NONHODAT");
  }
}

void S52SymbolInstruction(S52ProcedureContext& c) {
  const std::string symins = S52AttributeText(c.feature, "SYMINS");
  if (!symins.empty()) {
    S52Program program = CompileS52Instruction(symins);
    // The feature's own instruction may not call procedures (no recursion).
    std::erase_if(program.steps, [](const S52Instruction& step) { return step.step == S52Step::Procedure; });
    if (!program.steps.empty()) {
      S52RunProgram(program, c);
      return;
    }
  }
  switch (c.feature.Primitive()) {
    case S52Primitive::Point: S52AddSymbol(c.out, "NEWOBJ01"); break;
    case S52Primitive::Line: S52AddComplexLine(c.out, "NEWOBJ01"); break;
    case S52Primitive::Area:
      S52AddSymbol(c.out, "NEWOBJ01");
      S52AddLine(c.out, S52LineStyle::Dashed, 2, "CHMGD");
      break;
    case S52Primitive::None: break;
  }
}

}  // namespace tarnwick
