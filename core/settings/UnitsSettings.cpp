#include "core/settings/UnitsSettings.h"

namespace tarnwick::opt {

// Choice lists in display order; the formatters switch on the index of the
// chosen keyword, so the order is part of the meaning.
const CChoiceDescriptor kUnits_AirPressureChoices{{"mbar", "Millibars"},
                                                  {"inHg", "Inches of mercury"}};
const CChoiceDescriptor kUnits_BearingFormatChoices{{"true", "True"}, {"magnetic", "Magnetic"}};
const CChoiceDescriptor kUnits_DepthChoices{{"meters", "Meters"},
                                            {"feet", "Feet"},
                                            {"fathoms", "Fathoms"},
                                            {"fathoms-and-feet", "Fathoms and Feet"}};
const CChoiceDescriptor kUnits_DistanceChoices{
    {"kilometers", "Kilometers and Meters"},
    {"feet", "Feet"},
    {"yards", "Yards"},
    {"nautical-miles", "Nautical Miles"},
    {"nautical-miles-and-feet", "Nautical Miles and Feet"},
    {"nautical-miles-and-yards", "Nautical Miles and Yards"},
    {"statute-miles", "Statute Miles"},
    {"statute-miles-and-feet", "Statute Miles and Feet"},
    {"statute-miles-and-yards", "Statute Miles and Yards"}};
const CChoiceDescriptor kUnits_FuelChoices{{"liters", "Liters"}, {"gallons", "Gallons"}};
const CChoiceDescriptor kUnits_HeightChoices{{"meters", "Meters"}, {"feet", "Feet"}};
const CChoiceDescriptor kUnits_LocationFormatChoices{
    {"degrees-minutes-and-seconds", "Degrees, Minutes, and Seconds"},
    {"degrees-and-minutes", "Degrees and Minutes"},
    {"degrees", "Degrees"}};
const CChoiceDescriptor kUnits_SailingChoices{{"mercator", "Mercator"},
                                              {"great-circle", "Great Circle"}};
const CChoiceDescriptor kUnits_SlideSpeedChoices{{"fps", "fps"}};
const CChoiceDescriptor kUnits_SpeedChoices{{"m/s", "Meters per Second"},
                                            {"kph", "Kilometers per Hour"},
                                            {"knots", "Knots"},
                                            {"mph", "Miles per Hour"}};
const CChoiceDescriptor kUnits_TemperatureChoices{{"celsius", "Celsius"},
                                                  {"fahrenheit", "Fahrenheit"}};
const CChoiceDescriptor kUnits_TimeFormatChoices{{"twentyfour-hour", "24-hour"},
                                                 {"twelve-hour", "12-hour (AM/PM)"}};
const CChoiceDescriptor kUnits_WindSpeedChoices{{"m/s", "Meters per Second"},
                                                {"kph", "Kilometers per Hour"},
                                                {"knots", "Knots"},
                                                {"mph", "Miles per Hour"}};

CSetting Units_AirPressure(SettingKind::Choice, "Units_AirPressure", "inHg",
                           &kUnits_AirPressureChoices);
CSetting Units_BearingFormat(SettingKind::Choice, "Units_BearingFormat", "magnetic",
                             &kUnits_BearingFormatChoices);
CSetting Units_Depth(SettingKind::Choice, "Units_Depth", "fathoms", &kUnits_DepthChoices);
CSetting Units_Distance(SettingKind::Choice, "Units_Distance", "nautical-miles-and-yards",
                        &kUnits_DistanceChoices);
CSetting Units_Fuel(SettingKind::Choice, "Units_Fuel", "gallons", &kUnits_FuelChoices);
CSetting Units_Height(SettingKind::Choice, "Units_Height", "feet", &kUnits_HeightChoices);
CSetting Units_LocationFormat(SettingKind::Choice, "Units_LocationFormat", "degrees-and-minutes",
                              &kUnits_LocationFormatChoices);
CSetting Units_Sailing(SettingKind::Choice, "Units_Sailing", "mercator", &kUnits_SailingChoices);
CSetting Units_SlideSpeed(SettingKind::Choice, "Units_SlideSpeed", "fps",
                          &kUnits_SlideSpeedChoices);
CSetting Units_Speed(SettingKind::Choice, "Units_Speed", "knots", &kUnits_SpeedChoices);
CSetting Units_Temperature(SettingKind::Choice, "Units_Temperature", "fahrenheit",
                           &kUnits_TemperatureChoices);
CSetting Units_TimeFormat(SettingKind::Choice, "Units_TimeFormat", "twentyfour-hour",
                          &kUnits_TimeFormatChoices);
CSetting Units_WindSpeed(SettingKind::Choice, "Units_WindSpeed", "knots", &kUnits_WindSpeedChoices);

}  // namespace tarnwick::opt
