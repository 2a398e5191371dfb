#pragma once
// The chart library's routes of the embedded HTTP server, on the worker
// threads (the library is safe to use from any thread):
//   GET  /api/charts                      the charts, the folders and the build progress
//   GET  /api/charts/progress             the build progress and the library's generation
//   GET  /api/charts/(\d+)                one chart with its properties
//   GET  /api/charts/at?lat&lon[&scale]   the chart drawn at a point, with its properties
//   GET  /api/charts/features?lat&lon[&scale][&radius]
//                                         the features at a point (the pick report)
//   GET  /api/charts/outlines[?bbox=W,S,E,N]  the charts' coverage as GeoJSON
//   GET  /api/charts/lookahead            the look-ahead for dangers (OBSTACLE)
//   POST /api/charts/sources {"path"}     adds a chart folder or file
//   POST /api/charts/sources/remove {"path"}  removes a folder or file
//   POST /api/charts/remove {"name"}      removes a chart (by name or path)
//   POST /api/charts/rescan               looks at every folder again
// See server/README.md for the JSON.

#include <functional>
#include <memory>
#include <string>

#include "charts/library/ChartLibrary.h"
#include "server/HttpServer.h"

namespace tarnwick {

class CChartLibraryRoutes {
 public:
  // Display scale a point query assumes without ?scale, and the pick radius
  // in screen pixels without ?radius (at most kMaxRadius).
  static constexpr double kDefaultScale = 20000;
  static constexpr double kDefaultRadius = 8;
  static constexpr double kMaxRadius = 50;

  // library: the library now (null while there is none); obstacle: the
  // look-ahead's OBSTACLE JSON.
  CChartLibraryRoutes(std::function<std::shared_ptr<CChartLibrary>()> library,
                      std::function<std::string()> obstacle);
  // Mounts the routes; routes must outlive the server.
  static void Mount(CHttpServer& server, std::shared_ptr<CChartLibraryRoutes> routes);

  HttpResponse List(const HttpRequest& request) const;
  HttpResponse Progress(const HttpRequest& request) const;
  HttpResponse Chart(const HttpRequest& request) const;
  HttpResponse At(const HttpRequest& request) const;
  HttpResponse Features(const HttpRequest& request) const;
  HttpResponse Outlines(const HttpRequest& request) const;
  HttpResponse LookAhead(const HttpRequest& request) const;
  HttpResponse AddSource(const HttpRequest& request) const;
  HttpResponse RemoveSource(const HttpRequest& request) const;
  HttpResponse RemoveChart(const HttpRequest& request) const;
  HttpResponse Rescan(const HttpRequest& request) const;

 private:
  std::function<std::shared_ptr<CChartLibrary>()> library_;
  std::function<std::string()> obstacle_;
};

}  // namespace tarnwick
