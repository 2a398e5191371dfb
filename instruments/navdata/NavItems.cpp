#include "instruments/navdata/NavItems.h"

namespace tarnwick {

NavItemKind KindOfItem(int item) {
  switch (static_cast<NavItem>(item)) {
    case NavItem::Hdop:
    case NavItem::SpeedOverGround:
    case NavItem::CourseOverGround:
      return NavItemKind::Pos;
    case NavItem::HeadingTrue:
    case NavItem::HeadingMagnetic:
    case NavItem::RateOfTurn:
    case NavItem::Pitch:
    case NavItem::Roll:
      return NavItemKind::Hdg;
    case NavItem::Depth:
      return NavItemKind::Dpt;
    case NavItem::SpeedThroughWater:
      return NavItemKind::Stw;
    case NavItem::ApparentWindSpeed:
    case NavItem::ApparentWindAngle:
    case NavItem::TrueWindSpeed:
    case NavItem::TrueWindDirection:
    case NavItem::WaterTemperature:
    case NavItem::RudderStarboard:
    case NavItem::RudderPort:
    case NavItem::Rudder:
    case NavItem::AttitudeHeading:
    case NavItem::AirTemperature:
    case NavItem::Pressure:
    case NavItem::RelativeHumidity:
    case NavItem::DewPoint:
    case NavItem::AbsoluteHumidity:
      return NavItemKind::Other;
  }
  return NavItemKind::Unknown;
}

}  // namespace tarnwick
