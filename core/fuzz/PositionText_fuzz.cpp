// Feeds arbitrary bytes to the parsers of typed positions and lengths and to
// the formatters of what they return; none may crash or read out of bounds.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/units/Length.h"
#include "core/units/PositionText.h"
#include "core/units/UnitFormat.h"
#include "core/units/UnitSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto pos = ParseLatLon(text)) {
    FormatLatitude(pos->lat, kLocationDegreesMinutesSeconds);
    FormatLongitude(pos->lon, kLocationDegreesMinutes);
  }
  std::string_view rest = text;
  ReadAngle(rest);
  for (int index = 0; index <= 8; ++index) {
    const Length length = ParseLength(text, index);
    FormatLength(length, index % 2 == 0);
    FormatDistanceShort(length.NauticalMiles(), index);
  }
  return 0;
}
