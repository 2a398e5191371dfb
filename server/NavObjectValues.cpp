#include "server/NavObjectValues.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Notifications.h"
#include "navobjects/model/PropertyText.h"

namespace tarnwick {

using nlohmann::json;

std::optional<LatLon> JsonPosition(const json& lat, const json& lon) {
  if (!lat.is_number() || !lon.is_number()) return std::nullopt;
  const LatLon where{lat.get<double>(), lon.get<double>()};
  if (!std::isfinite(where.lat) || !std::isfinite(where.lon) || std::fabs(where.lat) > 90 ||
      std::fabs(where.lon) > 180)
    return std::nullopt;
  return where;
}

std::optional<LatLon> JsonPositionMembers(const json& value) {
  if (!value.is_object() || !value.contains("lat") || !value.contains("lon")) return std::nullopt;
  return JsonPosition(value["lat"], value["lon"]);
}

std::optional<std::vector<LatLon>> JsonPoints(const json& value) {
  if (!value.is_array()) return std::nullopt;
  std::vector<LatLon> points;
  for (const auto& point : value) {
    if (!point.is_array() || point.size() != 2) return std::nullopt;
    auto where = JsonPosition(point[0], point[1]);
    if (!where) return std::nullopt;
    points.push_back(*where);
  }
  return points;
}

std::variant<PropertyValue, EditRefusal> ValueFromJson(const PropertyDescriptor& row,
                                                       const json& value) {
  const std::string name = row.name;
  EditRefusal bad{400, ExpandMessage("The value of $1 is not valid.", {name}), {{"property", name}}};
  if (value.is_string()) {
    auto parsed = ParsePropertyText(row, value.get<std::string>());
    if (!parsed) return bad;
    return *parsed;
  }
  switch (row.Type()) {
    case PropertyType::Boolean:
      if (value.is_boolean()) return PropertyValue(value.get<bool>());
      break;
    case PropertyType::Integer:
      if (value.is_number_integer() && value.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
          value.get<int64_t>() <= std::numeric_limits<int32_t>::max())
        return PropertyValue(static_cast<int32_t>(value.get<int64_t>()));
      break;
    case PropertyType::Number:
    case PropertyType::Speed:
    case PropertyType::Bearing:
    case PropertyType::Duration:
      if (value.is_number() && std::isfinite(value.get<double>()))
        return PropertyValue(value.get<double>());
      break;
    case PropertyType::Position:
      if (auto where = JsonPositionMembers(value)) return PropertyValue(*where);
      break;
    case PropertyType::Attachments:
      if (value.is_array() && std::all_of(value.begin(), value.end(),
                                          [](const json& item) { return item.is_string(); }))
        return PropertyValue(value.get<std::vector<std::string>>());
      break;
    default:
      break;
  }
  return bad;
}

}  // namespace tarnwick
