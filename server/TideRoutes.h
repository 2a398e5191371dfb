#pragma once
// The tide and current routes of the embedded HTTP server (on the worker
// threads; the station database locks what it shares):
//   GET /api/tides/stations?bbox=W,S,E,N[&kind=tide|current][&limit=N]
//       stations in the box with their chart labels at the present time
//   GET /api/tides/station?url=URL[&day=YYYY-MM-DD]
//       a station's page: keys, the local day's events, table and curve,
//       its range and instrument values
//   GET /api/tides/nearest?lat=LAT&lon=LON&kind=tide|current
//       the nearest station within kNearestRadiusNm and its instrument values,
//       or the page that says there is none
// See server/README.md for the JSON.

#include <cstdint>
#include <functional>

#include "environment/tides/TideLibrary.h"
#include "server/HttpServer.h"

namespace tarnwick {

class CTideRoutes {
 public:
  static constexpr double kNearestRadiusNm = 50;
  // Stations labelled at most per request.
  static constexpr size_t kMaxStations = 300;

  // now: seconds since 1970 (the program's clock; tests set their own).
  CTideRoutes(CTideLibrary& library, std::function<int64_t()> now);
  // Mounts the routes; routes must outlive the server.
  static void Mount(CHttpServer& server, std::shared_ptr<CTideRoutes> routes);

  HttpResponse Stations(const HttpRequest& request);
  HttpResponse Station(const HttpRequest& request);
  HttpResponse Nearest(const HttpRequest& request);

 private:
  CTideLibrary& library_;
  std::function<int64_t()> now_;
};

}  // namespace tarnwick
