#include "charts/raster/ProjPlane.h"

#include <proj.h>

#include <cmath>

namespace tarnwick {

std::unique_ptr<CProjPlane> CProjPlane::Create(const std::string& definition, std::string& error) {
  std::unique_ptr<CProjPlane> plane(new CProjPlane);
  plane->definition_ = definition;
  plane->context_ = proj_context_create();
  if (!plane->context_) {
    error = "cannot create a PROJ context";
    return nullptr;
  }
  proj_log_level(plane->context_, PJ_LOG_NONE);
  PJ* crs = proj_create(plane->context_, definition.c_str());
  if (!crs) {
    error = std::string("PROJ does not know \"") + definition + "\": " +
            proj_context_errno_string(plane->context_, proj_context_errno(plane->context_));
    return nullptr;
  }
  const PJ_TYPE type = proj_get_type(crs);
  plane->geographic_ = type == PJ_TYPE_GEOGRAPHIC_2D_CRS || type == PJ_TYPE_GEOGRAPHIC_3D_CRS;
  PJ* wgs84 = proj_create(plane->context_, "EPSG:4326");
  PJ* transform = wgs84 ? proj_create_crs_to_crs_from_pj(plane->context_, wgs84, crs, nullptr, nullptr)
                        : nullptr;
  proj_destroy(wgs84);
  proj_destroy(crs);
  if (!transform) {
    error = "no transformation from WGS 84 to \"" + definition + "\"";
    return nullptr;
  }
  plane->transform_ = proj_normalize_for_visualization(plane->context_, transform);
  proj_destroy(transform);
  if (!plane->transform_) {
    error = "cannot order the axes of \"" + definition + "\"";
    return nullptr;
  }
  return plane;
}

CProjPlane::~CProjPlane() {
  proj_destroy(transform_);
  if (context_) proj_context_destroy(context_);
}

std::optional<PlanePoint> CProjPlane::Forward(LatLon position) const {
  std::lock_guard lock(mutex_);
  PJ_COORD in = proj_coord(position.lon, position.lat, 0, 0);
  PJ_COORD out = proj_trans(transform_, PJ_FWD, in);
  if (!std::isfinite(out.xy.x) || !std::isfinite(out.xy.y)) return std::nullopt;
  return PlanePoint{out.xy.x, out.xy.y};
}

std::optional<LatLon> CProjPlane::Inverse(PlanePoint point) const {
  std::lock_guard lock(mutex_);
  PJ_COORD in = proj_coord(point.x, point.y, 0, 0);
  PJ_COORD out = proj_trans(transform_, PJ_INV, in);
  if (!std::isfinite(out.lp.lam) || !std::isfinite(out.lp.phi) || std::abs(out.lp.phi) > 90)
    return std::nullopt;
  double lon = out.lp.lam;
  if (lon > 180 || lon < -180) lon = std::remainder(lon, 360.0);
  return LatLon{out.lp.phi, lon};
}

}  // namespace tarnwick
