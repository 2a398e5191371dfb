#pragma once
// The mariner's display settings ("S52_" settings) as the portrayal reads
// them: one snapshot of plain values, a generation number that changes
// whenever one of them changes, and the standard display command.

#include <cstdint>
#include <optional>
#include <string_view>

#include "charts/s52/S52Colours.h"

namespace tarnwick {

struct S52MarinerSettings {
  // Contours in metres (positive down).
  double shallowContour = 4;
  double safetyContour = 10;
  double deepContour = 30;
  bool fourShades = true;              // S52_DepthShades "4" (else 2)
  bool simplifiedPoints = false;       // S52_Symbols "simplified"
  bool symbolizedBoundaries = false;   // S52_Boundaries "symbolized"
  // From S52_ColorMode. S52_DayColorMode and S52_DayColors choose among day
  // tables; the Presentation Library 4.0 has a single DAY table, so they
  // choose nothing here.
  S52Scheme scheme = S52Scheme::Day;
  int textSize = 2;                    // S52_TextSize: 0 smallest .. 4 largest

  bool shallowPattern = false;
  bool highlightSafetyContour = true;
  bool showFullLightSectors = false;
  bool showLightDescriptions = false;
  bool showContourLabels = true;
  bool dimSafeSoundings = true;
  bool showIsolatedDangers = true;
  bool showShallowWaterDangers = false;
  bool showAllIsolatedDangers = true;
  bool highlightDateDependent = true;
  bool useDateDependent = true;
  bool highlightInfo = false;
  bool highlightDocument = false;
  bool highlightMajorLights = false;
  bool showImportantText = true;
  bool showNames = true;
  bool showOtherText = false;
  bool shortenNames = true;
  bool strictEcdis = false;
  bool showUnknownObjects = false;
  bool showAccuracy = false;
  bool showDryingLine = true;
  bool showNavAids = true;
  bool showNavAidStructures = true;
  bool showNavAidLights = true;
  bool showBoundaries = true;
  bool showRestrictedAreas = true;
  bool showChartScaleBoundaries = true;
  bool showCautionaryNotes = true;
  bool showRouteingSystems = true;
  bool showArchipelagicSeaLanes = true;
  bool showStandardMiscellaneous = true;
  bool showSpotSoundings = true;
  bool showCablesAndPipes = true;
  bool showMagneticVariation = true;
  bool showDepthContours = true;
  bool showSeabed = true;
  bool showTidal = true;
  bool showOtherMiscellaneous = true;
  // Left to the renderer: S52_AntiAlias, S52_SymbolScaling, S52_DeclutterText, S52_UseScaMin.
  bool antiAlias = true;
  bool symbolScaling = false;
  bool declutterText = true;
  bool useScaMin = true;
};

// The current values of the S52_ settings.
S52MarinerSettings ReadS52MarinerSettings();

// Bumped on every change of an S52_ setting (the portrayal cache compares it).
uint64_t S52SettingsGeneration();

// A contour depth setting in metres: "10 m", "5 fm", "33 ft", or a bare
// number of metres; none when the text is none of these or negative.
std::optional<double> ParseS52Depth(std::string_view text);

// The colour scheme an S52_ColorMode text names: "night" or "dusk" anywhere
// in it (any case), else DAY.
S52Scheme S52SchemeOfColorMode(std::string_view text);

// The command S52_SetStandardDisplay: the standard display's settings on and
// off, four shades, traditional symbols, plain boundaries; the contour depths
// and every other setting keep their values. False when a locked setting
// could not be changed (the others are still set).
bool SetS52StandardDisplay();

}  // namespace tarnwick
