#pragma once
// The conditional symbology procedures and what they share: the context a
// procedure runs in, attribute readers, and helpers that append drawing
// commands. Each procedure follows the IHO Presentation Library's published
// description of the procedure of the same name.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charts/s52/S52Feature.h"
#include "charts/s52/S52Library.h"
#include "charts/s52/S52MarinerSettings.h"
#include "charts/s52/S52Portrayal.h"

namespace tarnwick {

struct S52ProcedureContext {
  const IS52Feature& feature;
  const IS52FeatureSource& source;
  const CS52Library& library;
  const S52MarinerSettings& settings;
  S52PortrayedFeature& out;
  // The depth areas and unsurveyed areas the feature meets, found once (S52UnderlyingAreas).
  std::optional<std::vector<const IS52Feature*>> underlying = std::nullopt;
};

// The areas of DEPARE, DRGARE, the inland depare and UNSARE whose geometry
// meets the context's feature (found on first use).
const std::vector<const IS52Feature*>& S52UnderlyingAreas(S52ProcedureContext& c);

// Runs procedure number (S52ProcedureNumber) on the context's feature.
// Unknown numbers draw the question mark.
void RunS52Procedure(int number, S52ProcedureContext& context);

// --- attributes -----------------------------------------------------------

// The attribute as a number, or none when absent, empty or not a number.
std::optional<double> S52Real(const IS52Feature& feature, std::string_view acronym);
std::optional<int> S52Int(const IS52Feature& feature, std::string_view acronym);
// A list attribute's values ("1,3" → {1, 3}); empty when absent.
std::vector<int> S52List(const IS52Feature& feature, std::string_view acronym);
bool S52Has(const std::vector<int>& list, std::initializer_list<int> any);
// The attribute's text, "" when absent.
std::string S52AttributeText(const IS52Feature& feature, std::string_view acronym);

// --- commands ---------------------------------------------------------------

void S52AddSymbol(S52PortrayedFeature& out, std::string_view symbol, double rotation = 0,
                  int32_t vertex = -1);
void S52AddLine(S52PortrayedFeature& out, S52LineStyle style, int width, std::string_view colour,
                std::vector<S52VertexRun> runs = {});
void S52AddComplexLine(S52PortrayedFeature& out, std::string_view style, std::vector<S52VertexRun> runs = {});
void S52AddAreaColour(S52PortrayedFeature& out, std::string_view colour, int transparency = 0);
void S52AddPattern(S52PortrayedFeature& out, std::string_view pattern);
// A text command when its group is shown by the settings.
void S52AddText(S52PortrayedFeature& out, const S52MarinerSettings& settings, std::string text,
                const S52Text& style, std::string_view colour);
// The question mark of an unknown or unsymbolizable object.
void S52AddQuestionMark(S52PortrayedFeature& out);
// Makes the feature a danger the navigator must see: priority 80, over
// radar, display base, viewing group given.
void S52RaiseToDisplayBase(S52PortrayedFeature& out, int viewingGroup);

// --- geometry ---------------------------------------------------------------

// The feature's reference position: a point's point, a line's middle vertex,
// an area's first vertex; none without geometry.
std::optional<S52Point> S52ReferencePoint(const IS52Feature& feature);
// Whether p lies inside area (even-odd over all rings) or on its boundary
// within tolerance metres.
bool S52AreaContains(const IS52Feature& area, S52Point p, double tolerance = 0.01);
// Whether two features' geometries meet: a point inside or on an area, a line
// crossing or inside an area, two areas overlapping, or lines crossing.
bool S52GeometriesMeet(const IS52Feature& a, const IS52Feature& b);
// The features of the classes whose geometry meets feature's (feature itself excluded).
std::vector<const IS52Feature*> S52FeaturesMeeting(const IS52Feature& feature, const IS52FeatureSource& source,
                                                   std::initializer_list<std::string_view> classes);

// --- shared sub-procedures ---------------------------------------------------

// SEABED01: the depth area colour (and shallow pattern) for a depth range.
void S52Seabed(S52ProcedureContext& c, double drval1, double drval2);
// SNDFRM: the symbols of a sounding of depth metres at vertex (-1: the feature's position).
std::vector<std::string> S52SoundingSymbols(const IS52Feature& feature, const S52MarinerSettings& settings,
                                            double depth, int quapos);
// DEPVAL02: the least depth of the depth areas under a danger and the seabed depth.
struct S52DepthValues {
  std::optional<double> leastDepth;
  std::optional<double> seabedDepth;
};
S52DepthValues S52DepthValue(S52ProcedureContext& c);
// UDWHAZ: whether a danger of this depth is an isolated danger in the safe
// water of the safety contour (submerged: drawn with ISODGR01; above water: it
// keeps its own symbol) or, when the mariner asks for them, a danger in
// shallow water. Raises the portrayal's priority and category accordingly;
// the caller draws the symbol.
enum class S52Hazard { None, Isolated, IsolatedAboveWater, ShallowWater };
S52Hazard S52UnderwaterHazard(S52ProcedureContext& c, double depth);
// QUAPNT: true when the position of a point feature is of low accuracy.
bool S52LowAccuracyPoint(const IS52Feature& feature);
// RESCSP: the restriction symbol of an area with RESTRN.
void S52RestrictionSymbol(S52ProcedureContext& c, const std::vector<int>& restrictions);
// LITDSN: the light description text ("Fl(2)R.6s12m15M").
std::string S52LightDescription(const IS52Feature& light);

// Procedure groups, by file.
void S52Depare(S52ProcedureContext& c);
void S52Depcnt(S52ProcedureContext& c, bool currentEdition);
void S52Soundings(S52ProcedureContext& c);
void S52Obstruction(S52ProcedureContext& c);
void S52Wreck(S52ProcedureContext& c);
void S52Lights(S52ProcedureContext& c);
void S52Topmark(S52ProcedureContext& c, bool inland);
void S52RestrictedArea(S52ProcedureContext& c, bool inland);
void S52Restrictions(S52ProcedureContext& c);
void S52ShorelineConstruction(S52ProcedureContext& c);
void S52QualityOfPosition(S52ProcedureContext& c);
void S52QualityLine(S52ProcedureContext& c);
void S52DataCoverage(S52ProcedureContext& c);
void S52SymbolInstruction(S52ProcedureContext& c);
void S52DepthValueProcedure(S52ProcedureContext& c);
void S52OwnShip(S52ProcedureContext& c);
void S52PastTrack(S52ProcedureContext& c);
void S52Vessel(S52ProcedureContext& c);
void S52RangeBearing(S52ProcedureContext& c);
void S52ClearingLine(S52ProcedureContext& c);
void S52RouteLeg(S52ProcedureContext& c);
void S52InlandBridge(S52ProcedureContext& c);
void S52NoticeMark(S52ProcedureContext& c);
void S52Daymark(S52ProcedureContext& c);

// Runs an instruction string's steps (SY, LS, LC, AC, AP, TX, TE, CS) on the context's feature.
void S52RunProgram(const S52Program& program, S52ProcedureContext& c);

}  // namespace tarnwick
