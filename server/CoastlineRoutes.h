#pragma once
// The world coastline route of the embedded HTTP server:
//   GET /api/coastline?res=c|l|i|h&bbox=minLon,minLat,maxLon,maxLat
// answers a GeoJSON FeatureCollection of land and lake polygons and shoreline
// (see CoastlineGeoJson.h), clipped to the box; 400 on a bad res or bbox, 413
// for a box larger than its resolution allows (kMaxBox), 503 when the
// resolution's file cannot be read or two requests are already at work for
// longer than a short wait. Runs on the server's worker threads; each file is
// opened once, on its first request, and then shared.

#include <array>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>

#include "charts/coastline/CoastlineFile.h"
#include "server/HttpServer.h"

namespace tarnwick {

class CCoastlineRoutes {
 public:
  // The largest box (degrees of longitude, of latitude) per resolution c, l,
  // i, h: the fine files over large areas cost seconds and much memory, and
  // the map asks for them only when zoomed in.
  static constexpr std::array<std::array<double, 2>, 4> kMaxBox = {
      {{360, 180}, {360, 180}, {180, 90}, {45, 30}}};
  static constexpr int kMaxRunning = 2;
  static constexpr int kSlotWaitMs = 2000;

  // folder holds world_c.b.qtc ... world_h.b.qtc.
  explicit CCoastlineRoutes(std::filesystem::path folder);

  // Mounts the route; routes must outlive the server.
  static void Mount(CHttpServer& server, std::shared_ptr<CCoastlineRoutes> routes);

  HttpResponse Handle(const HttpRequest& request);

 private:
  // The open file of a resolution, or null (logged once) when it cannot be read.
  const CCoastlineFile* File(CoastResolution resolution);

  std::filesystem::path folder_;
  std::mutex mutex_;
  std::array<std::unique_ptr<CCoastlineFile>, 4> files_;
  std::array<bool, 4> failed_{};
  std::condition_variable slotFree_;
  int running_ = 0;  // requests building an answer, under mutex_
};

}  // namespace tarnwick
