#include "server/CoastlineRoutes.h"

#include <chrono>
#include <cstdio>

#include "charts/coastline/CoastlineGeoJson.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

size_t Slot(CoastResolution resolution) {
  switch (resolution) {
    case CoastResolution::Crude:
      return 0;
    case CoastResolution::Low:
      return 1;
    case CoastResolution::Intermediate:
      return 2;
    case CoastResolution::High:
      return 3;
  }
  return 0;
}

}  // namespace

CCoastlineRoutes::CCoastlineRoutes(std::filesystem::path folder) : folder_(std::move(folder)) {}

void CCoastlineRoutes::Mount(CHttpServer& server, std::shared_ptr<CCoastlineRoutes> routes) {
  server.Get(
      "/api/coastline", [routes](const HttpRequest& request) { return routes->Handle(request); },
      HandlerThread::Worker);
}

const CCoastlineFile* CCoastlineRoutes::File(CoastResolution resolution) {
  const size_t slot = Slot(resolution);
  std::lock_guard lock(mutex_);
  if (!files_[slot] && !failed_[slot]) {
    std::string error;
    files_[slot] = CCoastlineFile::Open(folder_ / CoastFileName(resolution), error);
    if (!files_[slot]) {
      Log("Coastline file not available: %s\n", error.c_str());
      failed_[slot] = true;
    }
  }
  return files_[slot].get();
}

HttpResponse CCoastlineRoutes::Handle(const HttpRequest& request) {
  const auto resolution = ParseCoastResolution(request.Param("res"));
  if (!resolution) return HttpResponse::Text(400, "res must be c, l, i or h\n");
  const auto box = ParseCoastBbox(request.Param("bbox"));
  if (!box) {
    return HttpResponse::Text(
        400, "bbox must be minLon,minLat,maxLon,maxLat in degrees (latitudes -90..90)\n");
  }
  const auto [maxWidth, maxHeight] = kMaxBox[Slot(*resolution)];
  if (box->east - box->west > maxWidth || box->north - box->south > maxHeight) {
    char text[160];
    snprintf(text, sizeof text,
             "the box is too large for resolution %s (at most %g by %g degrees); use a coarser "
             "one\n",
             request.Param("res").c_str(), maxWidth, maxHeight);
    return HttpResponse::Text(413, text);
  }
  const CCoastlineFile* file = File(*resolution);
  if (file == nullptr) return HttpResponse::Text(503, "coastline file not available\n");
  {
    std::unique_lock lock(mutex_);
    if (!slotFree_.wait_for(lock, std::chrono::milliseconds(kSlotWaitMs),
                            [this] { return running_ < kMaxRunning; })) {
      HttpResponse busy = HttpResponse::Text(503, "busy with other coastline requests\n");
      busy.headers["Retry-After"] = "1";
      return busy;
    }
    ++running_;
  }
  std::string geoJson;
  try {
    geoJson = CoastlineGeoJson(*file, *box);
  } catch (...) {
    std::lock_guard lock(mutex_);
    --running_;
    slotFree_.notify_one();
    throw;
  }
  {
    std::lock_guard lock(mutex_);
    --running_;
  }
  slotFree_.notify_one();
  HttpResponse response = HttpResponse::Json(200, std::move(geoJson));
  response.contentType = "application/geo+json";
  response.headers["Cache-Control"] = "max-age=3600";
  return response;
}

}  // namespace tarnwick
