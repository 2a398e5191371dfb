#pragma once
// The layers of navigation objects from the page (create, rename, show, hide,
// read-only, scale, expiry, lock and show names, delete) and the GPX exchange
// of the objects (server/README.md, "Navigation objects"). Handlers run on the
// user-interface thread and go through the documents.

#include "server/HttpServer.h"
#include "server/NavObjectEdits.h"

namespace tarnwick {

class CNavObjectLayers {
 public:
  static void Mount(CHttpServer& server, NavDocumentsSource documents);
};

}  // namespace tarnwick
