#include "core/settings/UnitsSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kUnits_AirPressureChoices{{"inHg", "inHg"}};
const CChoiceDescriptor kUnits_BearingFormatChoices{{"magnetic", "magnetic"}};
const CChoiceDescriptor kUnits_DepthChoices{{"fathoms", "fathoms"}};
const CChoiceDescriptor kUnits_DistanceChoices{{"nautical-miles-and-yards", "nautical-miles-and-yards"}};
const CChoiceDescriptor kUnits_FuelChoices{{"gallons", "gallons"}};
const CChoiceDescriptor kUnits_LocationFormatChoices{{"degrees-and-minutes", "degrees-and-minutes"}};
const CChoiceDescriptor kUnits_SailingChoices{{"mercator", "mercator"}};
const CChoiceDescriptor kUnits_SlideSpeedChoices{{"fps", "fps"}};
const CChoiceDescriptor kUnits_SpeedChoices{{"knots", "knots"}};
const CChoiceDescriptor kUnits_TemperatureChoices{{"fahrenheit", "fahrenheit"}};
const CChoiceDescriptor kUnits_TimeFormatChoices{{"twentyfour-hour", "twentyfour-hour"}};
const CChoiceDescriptor kUnits_WindSpeedChoices{{"knots", "knots"}};

CSetting Units_AirPressure(SettingKind::Choice, "Units_AirPressure", "inHg", &kUnits_AirPressureChoices);
CSetting Units_BearingFormat(SettingKind::Choice, "Units_BearingFormat", "magnetic", &kUnits_BearingFormatChoices);
CSetting Units_Depth(SettingKind::Choice, "Units_Depth", "fathoms", &kUnits_DepthChoices);
CSetting Units_Distance(SettingKind::Choice, "Units_Distance", "nautical-miles-and-yards", &kUnits_DistanceChoices);
CSetting Units_Fuel(SettingKind::Choice, "Units_Fuel", "gallons", &kUnits_FuelChoices);
CSetting Units_LocationFormat(SettingKind::Choice, "Units_LocationFormat", "degrees-and-minutes", &kUnits_LocationFormatChoices);
CSetting Units_Sailing(SettingKind::Choice, "Units_Sailing", "mercator", &kUnits_SailingChoices);
CSetting Units_SlideSpeed(SettingKind::Choice, "Units_SlideSpeed", "fps", &kUnits_SlideSpeedChoices);
CSetting Units_Speed(SettingKind::Choice, "Units_Speed", "knots", &kUnits_SpeedChoices);
CSetting Units_Temperature(SettingKind::Choice, "Units_Temperature", "fahrenheit", &kUnits_TemperatureChoices);
CSetting Units_TimeFormat(SettingKind::Choice, "Units_TimeFormat", "twentyfour-hour", &kUnits_TimeFormatChoices);
CSetting Units_WindSpeed(SettingKind::Choice, "Units_WindSpeed", "knots", &kUnits_WindSpeedChoices);

}  // namespace tarnwick::opt
