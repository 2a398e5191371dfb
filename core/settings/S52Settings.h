#pragma once
// The settings of the "S52" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting S52_AntiAlias;
extern CSetting S52_Boundaries;
extern CSetting S52_ColorMode;
extern CSetting S52_DayColorMode;
extern CSetting S52_DayColors;
extern CSetting S52_DeclutterText;
extern CSetting S52_DeepContourDepth;
extern CSetting S52_DepthShades;
extern CSetting S52_DimSafeSoundings;
extern CSetting S52_HighlightDateDependent;
extern CSetting S52_HighlightDocument;
extern CSetting S52_HighlightInfo;
extern CSetting S52_HighlightMajorLights;
extern CSetting S52_HilightSafetyContour;
extern CSetting S52_SafetyContourDepth;
extern CSetting S52_ShallowContourDepth;
extern CSetting S52_ShortenNames;
extern CSetting S52_ShowAccuracy;
extern CSetting S52_ShowAllIsolatedDangers;
extern CSetting S52_ShowArchipelagicSeaLanes;
extern CSetting S52_ShowBoundaries;
extern CSetting S52_ShowCablesAndPipes;
extern CSetting S52_ShowCautionaryNotes;
extern CSetting S52_ShowChartScaleBoundaries;
extern CSetting S52_ShowContourLabels;
extern CSetting S52_ShowDepthContours;
extern CSetting S52_ShowDryingLine;
extern CSetting S52_ShowFullLightSectors;
extern CSetting S52_ShowImportantText;
extern CSetting S52_ShowIsolatedDangers;
extern CSetting S52_ShowLightDescriptions;
extern CSetting S52_ShowMagneticVariation;
extern CSetting S52_ShowNames;
extern CSetting S52_ShowNavAidLights;
extern CSetting S52_ShowNavAidStructures;
extern CSetting S52_ShowNavAids;
extern CSetting S52_ShowOtherMiscellaneous;
extern CSetting S52_ShowOtherText;
extern CSetting S52_ShowRestrictedAreas;
extern CSetting S52_ShowRouteingSystems;
extern CSetting S52_ShowSeabed;
extern CSetting S52_ShowShallowWaterDangers;
extern CSetting S52_ShowShallowWaterPattern;
extern CSetting S52_ShowSpotSoundings;
extern CSetting S52_ShowStandardMiscellaneous;
extern CSetting S52_ShowTidal;
extern CSetting S52_ShowUnknownObjects;
extern CSetting S52_StrictECDIS;
extern CSetting S52_SymbolScaling;
extern CSetting S52_Symbols;
extern CSetting S52_TextSize;
extern CSetting S52_UseDateDeps;
extern CSetting S52_UseScaMin;

}  // namespace tarnwick::opt
