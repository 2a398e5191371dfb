#pragma once
// GPX 1.1 exchange of marks, routes and tracks with other programs and
// devices: wpt per mark, rte/rtept per route, trk/trkseg/trkpt per track.
// Values GPX has no element for (arrival radius, planned leg speed, depth)
// go into an extensions element of our own namespace.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "navobjects/model/NavObject.h"

namespace tarnwick {

inline constexpr const char* kGpxNamespace = "http://www.topografix.com/GPX/1/1";
inline constexpr const char* kGpxExtensionNamespace = "urn:tarnwick-ecs:gpx:1";

// The GPX document for objects: marks that stand on their own as wpt, routes
// as rte, tracks as trk. Other kinds are left out.
std::string WriteGpxDocument(const std::vector<std::shared_ptr<CNavObject>>& objects);

struct GpxReadResult {
  bool ok = false;
  std::string error;
  // Marks (waypoints, then the route points each route uses), routes and tracks.
  std::vector<std::shared_ptr<CNavObject>> objects;
  int skippedPoints = 0;  // points without a usable lat/lon
};

GpxReadResult ReadGpxDocument(std::string_view text);
GpxReadResult ReadGpxFile(const std::filesystem::path& file);

}  // namespace tarnwick
