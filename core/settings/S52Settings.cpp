#include "core/settings/S52Settings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kS52_BoundariesChoices{{"plain", "Plain"}, {"symbolized", "Symbolized"}};
const CChoiceDescriptor kS52_DayColorsChoices{{"noaa", "NOAA"}, {"ecdis", "ECDIS"}};
const CChoiceDescriptor kS52_DepthShadesChoices{{"2", "2"}, {"4", "4"}};
const CChoiceDescriptor kS52_SymbolsChoices{{"traditional", "Traditional"}, {"simplified", "Simplified"}};
const CChoiceDescriptor kS52_TextSizeChoices{
    {"smallest", "Smallest"}, {"smaller", "Smaller"}, {"medium", "Medium"}, {"larger", "Larger"}, {"largest", "Largest"}};

CSetting S52_AntiAlias(SettingKind::Boolean, "S52_AntiAlias", "true");
CSetting S52_Boundaries(SettingKind::Choice, "S52_Boundaries", "plain", &kS52_BoundariesChoices);
CSetting S52_ColorMode(SettingKind::Text, "S52_ColorMode", "");
CSetting S52_DayColorMode(SettingKind::Text, "S52_DayColorMode", "");
CSetting S52_DayColors(SettingKind::Choice, "S52_DayColors", "noaa", &kS52_DayColorsChoices);
CSetting S52_DeclutterText(SettingKind::Boolean, "S52_DeclutterText", "true");
CSetting S52_DeepContourDepth(SettingKind::Text, "S52_DeepContourDepth", "30 m");
CSetting S52_DepthShades(SettingKind::Choice, "S52_DepthShades", "4", &kS52_DepthShadesChoices);
CSetting S52_DimSafeSoundings(SettingKind::Boolean, "S52_DimSafeSoundings", "true");
CSetting S52_HighlightDateDependent(SettingKind::Boolean, "S52_HighlightDateDependent", "true");
CSetting S52_HighlightDocument(SettingKind::Boolean, "S52_HighlightDocument", "false");
CSetting S52_HighlightInfo(SettingKind::Boolean, "S52_HighlightInfo", "false");
CSetting S52_HighlightMajorLights(SettingKind::Boolean, "S52_HighlightMajorLights", "false");
CSetting S52_HilightSafetyContour(SettingKind::Boolean, "S52_HilightSafetyContour", "true");
CSetting S52_SafetyContourDepth(SettingKind::Text, "S52_SafetyContourDepth", "10 m");
CSetting S52_ShallowContourDepth(SettingKind::Text, "S52_ShallowContourDepth", "4 m");
CSetting S52_ShortenNames(SettingKind::Boolean, "S52_ShortenNames", "true");
CSetting S52_ShowAccuracy(SettingKind::Boolean, "S52_ShowAccuracy", "false");
CSetting S52_ShowAllIsolatedDangers(SettingKind::Boolean, "S52_ShowAllIsolatedDangers", "true");
CSetting S52_ShowArchipelagicSeaLanes(SettingKind::Boolean, "S52_ShowArchipelagicSeaLanes", "true");
CSetting S52_ShowBoundaries(SettingKind::Boolean, "S52_ShowBoundaries", "true");
CSetting S52_ShowCablesAndPipes(SettingKind::Boolean, "S52_ShowCablesAndPipes", "true");
CSetting S52_ShowCautionaryNotes(SettingKind::Boolean, "S52_ShowCautionaryNotes", "true");
CSetting S52_ShowChartScaleBoundaries(SettingKind::Boolean, "S52_ShowChartScaleBoundaries", "true");
CSetting S52_ShowContourLabels(SettingKind::Boolean, "S52_ShowContourLabels", "true");
CSetting S52_ShowDepthContours(SettingKind::Boolean, "S52_ShowDepthContours", "true");
CSetting S52_ShowDryingLine(SettingKind::Boolean, "S52_ShowDryingLine", "true");
CSetting S52_ShowFullLightSectors(SettingKind::Boolean, "S52_ShowFullLightSectors", "false");
CSetting S52_ShowImportantText(SettingKind::Boolean, "S52_ShowImportantText", "true");
CSetting S52_ShowIsolatedDangers(SettingKind::Boolean, "S52_ShowIsolatedDangers", "true");
CSetting S52_ShowLightDescriptions(SettingKind::Boolean, "S52_ShowLightDescriptions", "false");
CSetting S52_ShowMagneticVariation(SettingKind::Boolean, "S52_ShowMagneticVariation", "true");
CSetting S52_ShowNames(SettingKind::Boolean, "S52_ShowNames", "true");
CSetting S52_ShowNavAidLights(SettingKind::Boolean, "S52_ShowNavAidLights", "true");
CSetting S52_ShowNavAidStructures(SettingKind::Boolean, "S52_ShowNavAidStructures", "true");
CSetting S52_ShowNavAids(SettingKind::Boolean, "S52_ShowNavAids", "true");
CSetting S52_ShowOtherMiscellaneous(SettingKind::Boolean, "S52_ShowOtherMiscellaneous", "true");
CSetting S52_ShowOtherText(SettingKind::Boolean, "S52_ShowOtherText", "false");
CSetting S52_ShowRestrictedAreas(SettingKind::Boolean, "S52_ShowRestrictedAreas", "true");
CSetting S52_ShowRouteingSystems(SettingKind::Boolean, "S52_ShowRouteingSystems", "true");
CSetting S52_ShowSeabed(SettingKind::Boolean, "S52_ShowSeabed", "true");
CSetting S52_ShowShallowWaterDangers(SettingKind::Boolean, "S52_ShowShallowWaterDangers", "false");
CSetting S52_ShowShallowWaterPattern(SettingKind::Boolean, "S52_ShowShallowWaterPattern", "false");
CSetting S52_ShowSpotSoundings(SettingKind::Boolean, "S52_ShowSpotSoundings", "true");
CSetting S52_ShowStandardMiscellaneous(SettingKind::Boolean, "S52_ShowStandardMiscellaneous", "true");
CSetting S52_ShowTidal(SettingKind::Boolean, "S52_ShowTidal", "true");
CSetting S52_ShowUnknownObjects(SettingKind::Boolean, "S52_ShowUnknownObjects", "false");
CSetting S52_StrictECDIS(SettingKind::Boolean, "S52_StrictECDIS", "false");
CSetting S52_SymbolScaling(SettingKind::Boolean, "S52_SymbolScaling", "false");
CSetting S52_Symbols(SettingKind::Choice, "S52_Symbols", "traditional", &kS52_SymbolsChoices);
CSetting S52_TextSize(SettingKind::Choice, "S52_TextSize", "medium", &kS52_TextSizeChoices);
CSetting S52_UseDateDeps(SettingKind::Boolean, "S52_UseDateDeps", "true");
CSetting S52_UseScaMin(SettingKind::Boolean, "S52_UseScaMin", "true");

}  // namespace tarnwick::opt
