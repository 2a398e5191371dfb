#pragma once
// The settings of the "ChartPanel" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting ChartPanel_AutoOrientPeriod;
extern CSetting ChartPanel_AutoOrientThreshold;
extern CSetting ChartPanel_AutoOrientThresholdMax;
extern CSetting ChartPanel_BackgroundChartDrawing;
extern CSetting ChartPanel_BackgroundColor;
extern CSetting ChartPanel_BorderColor;
extern CSetting ChartPanel_IncludeSmallCraftCharts;
extern CSetting ChartPanel_LookBehindWhenBacking;
extern CSetting ChartPanel_Overview;
extern CSetting ChartPanel_OverviewSize;
extern CSetting ChartPanel_ShowChartOutlines;
extern CSetting ChartPanel_ShowCurrentStations;
extern CSetting ChartPanel_ShowDistanceScale;
extern CSetting ChartPanel_ShowTideStations;
extern CSetting ChartPanel_TextColor;
extern CSetting ChartPanel_WorldBorders;
extern CSetting ChartPanel_WorldCountries;
extern CSetting ChartPanel_WorldGNS;
extern CSetting ChartPanel_WorldPorts;
extern CSetting ChartPanel_WorldRivers;

}  // namespace tarnwick::opt
