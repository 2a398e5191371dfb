#pragma once
// Routes over what other equipment reported: "GET /api/alarms" (the alarms the
// running ports hold), "POST /acknowledge?alarm=..&type=nmea0183&source=N"
// (an alarm's acknowledgement link: ACK out to the device) and
// "GET /api/navtex" (the NAVTEX messages of this run, newest first).

#include "server/HttpServer.h"

namespace tarnwick {

class CEquipmentApi {
 public:
  static void Mount(CHttpServer& server);
  static HttpResponse Alarms();
  static HttpResponse Acknowledge(const HttpRequest& request);
  static HttpResponse Navtex();
};

}  // namespace tarnwick
