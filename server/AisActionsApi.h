#pragma once
// Routes of the AIS list and target page's actions: "POST /api/ais/<mmsi>/acknowledge"
// (the collision warning), "POST /api/ais/<mmsi>/aside" ({"aside":true|false}:
// set the target aside or take it back), "POST /api/ais/reset" ("ResetAIS")
// "GET /api/ais" ({"aside":[TARGET...]}: the targets set aside) and
// "GET /api/ais/tracks" ({"tracks":[{"mmsi","points":[[lon,lat,utcMs]...]}]}).
// Mount before the target route "GET /api/ais/<mmsi>".

#include "server/HttpServer.h"

namespace tarnwick {

class CAisReceiver;

class CAisActionsApi {
 public:
  static void Mount(CHttpServer& server, CAisReceiver& receiver);
};

}  // namespace tarnwick
