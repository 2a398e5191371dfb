#pragma once
// The JSON values of the navigation object routes: positions and point lists
// checked for range, and property values by their class descriptor row.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "navobjects/model/ClassDescriptor.h"

namespace tarnwick {

// Why an edit was refused: an HTTP status and the text for the navigator.
struct EditRefusal {
  int status = 400;
  std::string message;
  nlohmann::json extra = nlohmann::json::object();  // members added to {"error"}
};

// A position from JSON numbers, degrees: latitude -90..90, longitude -180..180; none otherwise.
std::optional<LatLon> JsonPosition(const nlohmann::json& lat, const nlohmann::json& lon);
// The {"lat","lon"} members of value.
std::optional<LatLon> JsonPositionMembers(const nlohmann::json& value);
// [[lat,lon],...] in degrees.
std::optional<std::vector<LatLon>> JsonPoints(const nlohmann::json& value);
// The value of row from a JSON member: a string is the property's text;
// booleans, integers, numbers (knots, degrees, seconds), {"lat","lon"} and
// lists of texts are values of the matching kinds. A refusal (400, with
// "property") for anything else.
std::variant<PropertyValue, EditRefusal> ValueFromJson(const PropertyDescriptor& row,
                                                       const nlohmann::json& value);

}  // namespace tarnwick
