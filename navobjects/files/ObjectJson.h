#pragma once
// The JSON form of navigation objects: every object with every property by
// name, for tools and the embedded server.

#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "navobjects/model/NavObject.h"

namespace tarnwick {

// {"class", "id", "created", "properties": {name: value}} plus "legs" for
// routes and "points" for tracks. Texts, integers, booleans and plain numbers
// (speeds in knots, bearings in degrees, durations in seconds) are JSON
// values; positions are {"lat", "lon"}; mark lists are arrays of ids; other
// kinds are their persistent texts.
nlohmann::json ObjectToJson(const CSelectable& object);
// Elements no class knows are left out.
nlohmann::json ObjectsToJson(const std::vector<std::shared_ptr<CNavObject>>& objects);

}  // namespace tarnwick
