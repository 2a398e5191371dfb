#include "server/ChartTileRoutes.h"

#include <strings.h>

#include <cstdlib>

#include "charts/s52/S52MarinerSettings.h"

namespace tarnwick {
namespace {

// A tile index of the path: digits only, at most 8 of them (no zoom or index
// we serve needs more).
std::optional<int> Index(const std::string& text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return std::atoi(text.c_str());
}

}  // namespace

void CChartTileRoutes::Mount(CHttpServer& server, std::shared_ptr<CChartTileRoutes> routes) {
  server.Get(
      R"(/api/charts/tile/(\d+)/(\d+)/(\d+)\.png)",
      [routes](const HttpRequest& request) { return routes->Tile(request); }, HandlerThread::Worker);
}

HttpResponse CChartTileRoutes::Tile(const HttpRequest& request) const {
  if (request.matches.size() < 4) return HttpResponse::Text(400, "tile path must be /api/charts/tile/Z/X/Y.png\n");
  const auto zoom = Index(request.matches[1]), x = Index(request.matches[2]), y = Index(request.matches[3]);
  if (!zoom || !x || !y || *zoom > CChartTileService::kMaxZoom || *x >= (1 << *zoom) || *y >= (1 << *zoom)) {
    return HttpResponse::Text(400, "no such tile: z must be 0.." + std::to_string(CChartTileService::kMaxZoom) +
                                       ", x and y 0..2^z-1\n");
  }
  S52MarinerSettings settings = ReadS52MarinerSettings();
  if (request.HasParam("scheme")) {
    const std::string name = request.Param("scheme");
    const auto scheme = name == "day" ? std::optional(S52Scheme::Day)
                        : name == "dusk" ? std::optional(S52Scheme::Dusk)
                        : name == "night" ? std::optional(S52Scheme::Night)
                                          : std::nullopt;
    if (!scheme) return HttpResponse::Text(400, "scheme must be day, dusk or night\n");
    settings.scheme = *scheme;
  }
  const std::string etag = "\"" + tiles_->KeyPrefix(settings) + "-" + S52SchemeName(settings.scheme) + "\"";
  HttpResponse response;
  response.headers["Cache-Control"] = "no-cache";
  response.headers["ETag"] = etag;
  for (const auto& [name, value] : request.headers) {
    if (strcasecmp(name.c_str(), "If-None-Match") == 0 && value == etag) {
      response.status = 304;
      response.contentType.clear();
      return response;
    }
  }
  auto png = tiles_->Tile(*zoom, *x, *y, settings.scheme, settings, kWaitMs);
  if (!png) {
    HttpResponse busy = HttpResponse::Text(503, "the tile is still being drawn\n");
    busy.headers["Retry-After"] = "1";
    return busy;
  }
  response.status = 200;
  response.contentType = "image/png";
  response.body = std::move(*png);
  return response;
}

}  // namespace tarnwick
