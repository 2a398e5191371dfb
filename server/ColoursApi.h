#pragma once
// "GET /api/colours": the presentation library's colour tables for the page,
// which resolves colour settings such as AIS_DefaultVesselColor "S52:RESBL"
// in the current scheme: {"day":{"RESBL":"#rrggbb",...},"dusk":{...},"night":{...}}
// (empty objects while no library is loaded).

#include "server/HttpServer.h"

namespace tarnwick {

class CS52ColourTables;

class CColoursApi {
 public:
  static void Mount(CHttpServer& server);
  static HttpResponse Colours(const CS52ColourTables& tables);
};

}  // namespace tarnwick
