#pragma once
// Routes over the live data: "GET /api/ais/<mmsi>" (a target's details and
// safety texts; 404 when unknown), "GET /api/track?since=utcMs" (the own
// ship's recent track as [[lon,lat,utcMs]...]) and "POST /api/sensors"
// ({"select":"auto"|"dr"|"<index>"}: the boat's position-sensor menu).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "instruments/ais/AisTarget.h"
#include "server/AisTextLog.h"
#include "server/HttpServer.h"
#include "server/OwnShipTrack.h"

namespace tarnwick {

// The outcome of a sensor-menu choice.
enum class SensorChoice { Selected, Unknown, NoFixYet };

struct LiveApiContext {
  std::function<std::optional<CAisTarget>(uint32_t mmsi)> target;  // any thread
  std::shared_ptr<CAisTextLog> texts;
  std::shared_ptr<COwnShipTrack> track;
  // "auto", "dr" or a position sensor's index; user-interface thread.
  std::function<SensorChoice(const std::string& choice)> selectSensor;
};

class CLiveApi {
 public:
  static void Mount(CHttpServer& server, LiveApiContext context);
  static HttpResponse AisTarget(const LiveApiContext& context, const HttpRequest& request);
  static HttpResponse Track(const LiveApiContext& context, const HttpRequest& request);
  static HttpResponse SelectSensor(const LiveApiContext& context, const HttpRequest& request);
};

// Applies a sensor-menu choice to the program's navigation data store.
SensorChoice SelectProgramSensor(const std::string& choice);

}  // namespace tarnwick
