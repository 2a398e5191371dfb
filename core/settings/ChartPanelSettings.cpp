#include "core/settings/ChartPanelSettings.h"

namespace tarnwick::opt {

CSetting ChartPanel_AutoOrientPeriod(SettingKind::Text, "ChartPanel_AutoOrientPeriod", "3s");
CSetting ChartPanel_AutoOrientThreshold(SettingKind::Text, "ChartPanel_AutoOrientThreshold", "3.0");
CSetting ChartPanel_AutoOrientThresholdMax(SettingKind::Text, "ChartPanel_AutoOrientThresholdMax", "10.0");
CSetting ChartPanel_BackgroundChartDrawing(SettingKind::Boolean, "ChartPanel_BackgroundChartDrawing", "true");
CSetting ChartPanel_BackgroundColor(SettingKind::Colour, "ChartPanel_BackgroundColor", "rgba(255, 255, 255, 0.86)");
CSetting ChartPanel_BorderColor(SettingKind::Colour, "ChartPanel_BorderColor", "rgb(192, 0, 128)");
CSetting ChartPanel_IncludeSmallCraftCharts(SettingKind::Boolean, "ChartPanel_IncludeSmallCraftCharts", "true");
CSetting ChartPanel_LookBehindWhenBacking(SettingKind::Boolean, "ChartPanel_LookBehindWhenBacking", "false");
CSetting ChartPanel_Overview(SettingKind::Boolean, "ChartPanel_Overview", "true");
CSetting ChartPanel_OverviewSize(SettingKind::Text, "ChartPanel_OverviewSize", "150");
CSetting ChartPanel_ShowChartOutlines(SettingKind::Boolean, "ChartPanel_ShowChartOutlines", "true");
CSetting ChartPanel_ShowCurrentStations(SettingKind::Text, "ChartPanel_ShowCurrentStations", "auto");
CSetting ChartPanel_ShowDistanceScale(SettingKind::Boolean, "ChartPanel_ShowDistanceScale", "false");
CSetting ChartPanel_ShowTideStations(SettingKind::Text, "ChartPanel_ShowTideStations", "auto");
CSetting ChartPanel_TextColor(SettingKind::Colour, "ChartPanel_TextColor", "rgb(0, 0, 0)");
CSetting ChartPanel_WorldBorders(SettingKind::Boolean, "ChartPanel_WorldBorders", "true");
CSetting ChartPanel_WorldCountries(SettingKind::Boolean, "ChartPanel_WorldCountries", "true");
CSetting ChartPanel_WorldGNS(SettingKind::Boolean, "ChartPanel_WorldGNS", "false");
CSetting ChartPanel_WorldPorts(SettingKind::Boolean, "ChartPanel_WorldPorts", "true");
CSetting ChartPanel_WorldRivers(SettingKind::Boolean, "ChartPanel_WorldRivers", "true");

}  // namespace tarnwick::opt
