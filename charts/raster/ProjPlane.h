#pragma once
// A projected plane reached through PROJ: WGS 84 latitude/longitude in
// degrees <-> easting/northing of a coordinate reference system given by its
// definition ("EPSG:26711", "+proj=lcc +lat_1=33 ... +type=crs", WKT).
// Used where a chart's own projection is not the chart Mercator of core/geo.
// Thread-safe: calls are serialised on the object's own PROJ context.

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/geo/LatLon.h"

struct pj_ctx;
struct PJconsts;

namespace tarnwick {

struct PlanePoint {
  double x = 0.0;  // easting, the CRS's unit (metres for most)
  double y = 0.0;  // northing
};

class CProjPlane {
 public:
  // None, with PROJ's reason in error, when the definition does not name a
  // CRS or no transformation to WGS 84 exists.
  static std::unique_ptr<CProjPlane> Create(const std::string& definition, std::string& error);
  ~CProjPlane();
  CProjPlane(const CProjPlane&) = delete;
  CProjPlane& operator=(const CProjPlane&) = delete;

  // WGS 84 degrees -> plane; none where the projection is undefined.
  std::optional<PlanePoint> Forward(LatLon position) const;
  // Plane -> WGS 84 degrees (longitude -180..180); none where undefined.
  std::optional<LatLon> Inverse(PlanePoint point) const;
  // True when the CRS is geographic (x = longitude, y = latitude in degrees).
  bool IsGeographic() const { return geographic_; }
  const std::string& Definition() const { return definition_; }

 private:
  CProjPlane() = default;

  mutable std::mutex mutex_;
  pj_ctx* context_ = nullptr;
  PJconsts* transform_ = nullptr;  // WGS 84 (lon, lat) -> plane (x, y)
  bool geographic_ = false;
  std::string definition_;
};

}  // namespace tarnwick
