#include "charts/s52/S52MarinerSettings.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <string>

#include "core/Setting.h"
#include "core/settings/S52Settings.h"
#include "core/units/Length.h"

namespace tarnwick {
namespace {

std::atomic<uint64_t> g_generation{1};

// Counts changes of the S52 group.
class CS52SettingsWatch final : public CSettingListener {
 public:
  void SettingChanged(CSetting& setting) override {
    if (StartsWithIgnoreCase(setting.Name(), "S52_")) g_generation.fetch_add(1);
  }
};

double DepthOr(const CSetting& setting, double fallback) {
  return ParseS52Depth(setting.Text()).value_or(ParseS52Depth(setting.DefaultText()).value_or(fallback));
}

}  // namespace

uint64_t S52SettingsGeneration() {
  static CS52SettingsWatch watch;
  return g_generation.load();
}

std::optional<double> ParseS52Depth(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  const double bare = std::strtod(copy.c_str(), &end);
  double metres = 0;
  if (end != copy.c_str() && *end == '\0') {
    metres = bare;
  } else {
    const Length length = ParseLength(text);
    if (!length.IsValid()) return std::nullopt;
    metres = length.Metres();
  }
  if (!(metres >= 0) || metres > 20000) return std::nullopt;
  return metres;
}

S52Scheme S52SchemeOfColorMode(std::string_view text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("night") != std::string::npos) return S52Scheme::Night;
  if (lower.find("dusk") != std::string::npos) return S52Scheme::Dusk;
  return S52Scheme::Day;
}

S52MarinerSettings ReadS52MarinerSettings() {
  using namespace opt;
  S52SettingsGeneration();  // the watch exists from the first reading on
  S52MarinerSettings s;
  s.shallowContour = DepthOr(S52_ShallowContourDepth, 4);
  s.safetyContour = DepthOr(S52_SafetyContourDepth, 10);
  s.deepContour = DepthOr(S52_DeepContourDepth, 30);
  s.fourShades = S52_DepthShades.GetInt() != 2;
  s.simplifiedPoints = EqualsIgnoreCase(S52_Symbols.Text(), "simplified");
  s.symbolizedBoundaries = EqualsIgnoreCase(S52_Boundaries.Text(), "symbolized");
  s.scheme = S52SchemeOfColorMode(S52_ColorMode.Text());
  static const char* const kSizes[] = {"smallest", "smaller", "medium", "larger", "largest"};
  for (int i = 0; i < 5; ++i)
    if (EqualsIgnoreCase(S52_TextSize.Text(), kSizes[i])) s.textSize = i;
  s.shallowPattern = S52_ShowShallowWaterPattern.GetBool();
  s.highlightSafetyContour = S52_HilightSafetyContour.GetBool();
  s.showFullLightSectors = S52_ShowFullLightSectors.GetBool();
  s.showLightDescriptions = S52_ShowLightDescriptions.GetBool();
  s.showContourLabels = S52_ShowContourLabels.GetBool();
  s.dimSafeSoundings = S52_DimSafeSoundings.GetBool();
  s.showIsolatedDangers = S52_ShowIsolatedDangers.GetBool();
  s.showShallowWaterDangers = S52_ShowShallowWaterDangers.GetBool();
  s.showAllIsolatedDangers = S52_ShowAllIsolatedDangers.GetBool();
  s.highlightDateDependent = S52_HighlightDateDependent.GetBool();
  s.useDateDependent = S52_UseDateDeps.GetBool();
  s.highlightInfo = S52_HighlightInfo.GetBool();
  s.highlightDocument = S52_HighlightDocument.GetBool();
  s.highlightMajorLights = S52_HighlightMajorLights.GetBool();
  s.showImportantText = S52_ShowImportantText.GetBool();
  s.showNames = S52_ShowNames.GetBool();
  s.showOtherText = S52_ShowOtherText.GetBool();
  s.shortenNames = S52_ShortenNames.GetBool();
  s.strictEcdis = S52_StrictECDIS.GetBool();
  s.showUnknownObjects = S52_ShowUnknownObjects.GetBool();
  s.showAccuracy = S52_ShowAccuracy.GetBool();
  s.showDryingLine = S52_ShowDryingLine.GetBool();
  s.showNavAids = S52_ShowNavAids.GetBool();
  s.showNavAidStructures = S52_ShowNavAidStructures.GetBool();
  s.showNavAidLights = S52_ShowNavAidLights.GetBool();
  s.showBoundaries = S52_ShowBoundaries.GetBool();
  s.showRestrictedAreas = S52_ShowRestrictedAreas.GetBool();
  s.showChartScaleBoundaries = S52_ShowChartScaleBoundaries.GetBool();
  s.showCautionaryNotes = S52_ShowCautionaryNotes.GetBool();
  s.showRouteingSystems = S52_ShowRouteingSystems.GetBool();
  s.showArchipelagicSeaLanes = S52_ShowArchipelagicSeaLanes.GetBool();
  s.showStandardMiscellaneous = S52_ShowStandardMiscellaneous.GetBool();
  s.showSpotSoundings = S52_ShowSpotSoundings.GetBool();
  s.showCablesAndPipes = S52_ShowCablesAndPipes.GetBool();
  s.showMagneticVariation = S52_ShowMagneticVariation.GetBool();
  s.showDepthContours = S52_ShowDepthContours.GetBool();
  s.showSeabed = S52_ShowSeabed.GetBool();
  s.showTidal = S52_ShowTidal.GetBool();
  s.showOtherMiscellaneous = S52_ShowOtherMiscellaneous.GetBool();
  s.antiAlias = S52_AntiAlias.GetBool();
  s.symbolScaling = S52_SymbolScaling.GetBool();
  s.declutterText = S52_DeclutterText.GetBool();
  s.useScaMin = S52_UseScaMin.GetBool();
  return s;
}

bool SetS52StandardDisplay() {
  using namespace opt;
  CSetting* const on[] = {
      &S52_HilightSafetyContour,     &S52_ShowIsolatedDangers,     &S52_HighlightDateDependent,
      &S52_UseScaMin,                &S52_ShowDryingLine,          &S52_ShowNavAids,
      &S52_ShowNavAidStructures,     &S52_ShowNavAidLights,        &S52_ShowBoundaries,
      &S52_ShowRestrictedAreas,      &S52_ShowChartScaleBoundaries, &S52_ShowCautionaryNotes,
      &S52_ShowRouteingSystems,      &S52_ShowArchipelagicSeaLanes, &S52_ShowStandardMiscellaneous};
  CSetting* const off[] = {
      &S52_ShowAccuracy,           &S52_ShowFullLightSectors,   &S52_HighlightInfo,
      &S52_HighlightDocument,      &S52_ShowUnknownObjects,     &S52_ShowShallowWaterPattern,
      &S52_ShowShallowWaterDangers, &S52_ShowContourLabels,     &S52_ShowSpotSoundings,
      &S52_ShowCablesAndPipes,     &S52_ShowAllIsolatedDangers, &S52_ShowMagneticVariation,
      &S52_ShowDepthContours,      &S52_ShowSeabed,             &S52_ShowTidal,
      &S52_ShowOtherMiscellaneous, &S52_ShowImportantText,      &S52_ShowNames,
      &S52_ShowLightDescriptions,  &S52_ShowOtherText};
  bool ok = true;
  for (CSetting* setting : on) ok = setting->SetBool(true) && ok;
  for (CSetting* setting : off) ok = setting->SetBool(false) && ok;
  ok = S52_DepthShades.Set("4") && ok;
  ok = S52_Symbols.Set("traditional") && ok;
  ok = S52_Boundaries.Set("plain") && ok;
  return ok;
}

}  // namespace tarnwick
