#pragma once
// The value kinds of navigation-object properties. The type codes are stored in
// the class tables and decide how a value is shown, persisted and parsed.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/geo/LatLon.h"
#include "core/units/Length.h"

namespace tarnwick {

enum class PropertyType : int {
  ParentLink = 1,    // continues the lookup in the named class's table
  Text = 2,          // std::string
  Integer = 3,       // int32_t
  Boolean = 4,       // bool
  Number = 5,        // double
  Position = 6,      // LatLon
  Colour = 9,        // Rgb
  Distance = 10,     // Length
  Icon = 11,         // std::string, a symbol name
  Time = 12,         // FileTime, 0 = not set
  DateTime = 13,     // FileTime, 0 = not set, written with a trailing 'Z'
  Attachments = 14,  // std::vector<std::string>, file names
  MarkList = 15,     // std::vector<std::string>, ids of the referenced marks
  Speed = 16,        // double knots
  Bearing = 17,      // double degrees true
  Duration = 18,     // double seconds
  SubObject = 19,    // an embedded object (ViewSettings)
  Offset = 20,       // ScreenOffset, screen pixels
  Command = 256,     // no value; codes from 256 up run a handler
};

inline bool IsCommandType(int code) {
  return code >= static_cast<int>(PropertyType::Command);
}

// A 24-bit RGB colour: red in the low byte, then green, then blue.
struct Rgb {
  uint32_t value = 0;
  static constexpr Rgb FromBytes(unsigned r, unsigned g, unsigned b) {
    return Rgb{(r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16)};
  }
  unsigned Red() const { return value & 0xFF; }
  unsigned Green() const { return (value >> 8) & 0xFF; }
  unsigned Blue() const { return (value >> 16) & 0xFF; }
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kRgbBlack = Rgb::FromBytes(0, 0, 0);
inline constexpr Rgb kRgbRed = Rgb::FromBytes(255, 0, 0);
inline constexpr Rgb kRgbBlue = Rgb::FromBytes(0, 0, 255);
inline constexpr Rgb kRgbGreen = Rgb::FromBytes(0, 128, 0);
inline constexpr Rgb kRgbGrey = Rgb::FromBytes(128, 128, 128);
inline constexpr Rgb kRgbMagenta = Rgb::FromBytes(255, 0, 255);

// A 64-bit file time: 100-nanosecond intervals since 1601-01-01T00:00:00Z.
// 0 means "not set".
struct FileTime {
  int64_t ticks = 0;
  bool IsSet() const { return ticks != 0; }
  friend auto operator<=>(const FileTime&, const FileTime&) = default;
};

// A screen offset in pixels.
struct ScreenOffset {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const ScreenOffset&, const ScreenOffset&) = default;
};

// One property's value. The property's type code says how to read the
// alternatives that several kinds share (double: number, speed, bearing,
// duration; string: text, icon; vector: attachments, mark ids).
using PropertyValue = std::variant<std::monostate, std::string, int32_t, bool, double, LatLon, Rgb,
                                   Length, FileTime, ScreenOffset, std::vector<std::string>>;

// Property flags.
inline constexpr unsigned kPropComputed = 1;  // derived from other values; cannot be set

}  // namespace tarnwick
