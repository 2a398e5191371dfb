#pragma once
// The navigation routes of the embedded HTTP server: "/nav" (the status page
// of the active route), "/nav/activate", "/nav/reset_xte", "/nav/next_wp" and
// "/nav/prev_wp", "/nav/stop". Handlers run on the user-interface thread, where the route
// navigator lives. The commands are POSTs; they answer an empty "text/plain"
// body with "Cache-Control: no-cache".

#include <functional>
#include <memory>
#include <string>

#include "server/HttpServer.h"

namespace tarnwick {

class CNavController;
class CNavObject;

// Finds a navigation object of the open documents by its id; null when none.
using NavObjectLookup = std::function<std::shared_ptr<CNavObject>(const std::string& id)>;

class CNavRoutes {
 public:
  // Mounts the status page (GET) and the commands (POST) on server. navigation and lookup must
  // outlive the server.
  static void Mount(CHttpServer& server, CNavController& navigation, NavObjectLookup lookup);

  // "/nav/activate": with "objid" (or "id"), in the query or as a text member
  // of the JSON body, activates that object (404 when
  // no object has the id, 500 when it cannot be navigated); without it stops
  // navigation, as "/nav/stop" does.
  static HttpResponse Activate(CNavController& navigation, const NavObjectLookup& lookup,
                               const HttpRequest& request);
  // The HTML status page of "/nav".
  static HttpResponse StatusPage(const CNavController& navigation);
};

}  // namespace tarnwick
