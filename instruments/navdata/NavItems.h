#pragma once
// The data items of the navigation data store, by their integer ids, and the
// sensor kind that answers each.

#include <cstdint>
#include <optional>

namespace tarnwick {

enum class NavItem : int {
  Hdop = 1,                // -
  HeadingTrue = 2,         // degrees true
  HeadingMagnetic = 3,     // degrees magnetic
  SpeedThroughWater = 4,   // knots
  SpeedOverGround = 5,     // knots
  CourseOverGround = 6,    // degrees true
  ApparentWindSpeed = 7,   // knots
  ApparentWindAngle = 8,   // degrees clockwise from the bow, 0..360
  TrueWindSpeed = 9,       // knots
  TrueWindDirection = 10,  // degrees clockwise from the bow, 0..360
  RateOfTurn = 14,         // degrees per minute, negative to port
  Depth = 15,              // metres below the surface (transducer depth plus offset)
  WaterTemperature = 16,   // degrees Celsius
  RudderStarboard = 17,    // degrees
  RudderPort = 18,         // degrees
  Rudder = 19,             // degrees, single rudder
  Pitch = 20,              // degrees, bow up positive
  Roll = 21,               // degrees
  AttitudeHeading = 22,    // degrees true, from an attitude sensor
  AirTemperature = 23,     // degrees Celsius
  Pressure = 24,           // millibars
  RelativeHumidity = 25,   // percent
  DewPoint = 26,           // degrees Celsius
  AbsoluteHumidity = 27,   // percent
};

// Which sensors answer an item.
enum class NavItemKind { Unknown, Pos, Hdg, Dpt, Stw, Other };

// The kind for an item id (Unknown for ids not in the table).
NavItemKind KindOfItem(int item);

// A current value and the tick (ms) of the sentence or report it came from.
struct NavReading {
  double value = 0;
  uint64_t tick = 0;
};

}  // namespace tarnwick
