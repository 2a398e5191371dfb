#pragma once
// The chart view's tiles on the embedded HTTP server, on its worker threads:
//   GET /api/charts/tile/{z}/{x}/{y}.png[?scheme=day|dusk|night]
// answers the 256-pixel PNG of XYZ tile (z, x, y) over the chart Mercator
// (EPSG:3395) in the colour scheme (the current S52_ColorMode's when absent)
// under the current S52_ display settings: the installed charts quilted by
// scale, the world coastline where no chart covers. 400 for a bad scheme or
// tile outside the grid, 503 (with Retry-After) when the tile was not drawn
// within kWaitMs (it is still drawn and cached for the next request).
// The URL stays the same when settings or charts change, so answers carry
// "Cache-Control: no-cache" and an ETag naming the key the tile was drawn
// for; a request whose If-None-Match names the current key gets 304.

#include <memory>

#include "charts/render/ChartTileService.h"
#include "server/HttpServer.h"

namespace tarnwick {

class CChartTileRoutes {
 public:
  static constexpr uint64_t kWaitMs = 10000;

  explicit CChartTileRoutes(std::shared_ptr<CChartTileService> tiles) : tiles_(std::move(tiles)) {}
  // Mounts the route; routes must outlive the server.
  static void Mount(CHttpServer& server, std::shared_ptr<CChartTileRoutes> routes);

  HttpResponse Tile(const HttpRequest& request) const;

 private:
  std::shared_ptr<CChartTileService> tiles_;
};

}  // namespace tarnwick
