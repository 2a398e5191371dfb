#pragma once
// "/documents/objects/{id}": one navigation object of the open documents as an
// object file ("application/vnd.tkns.nob+xml", the default), as GPX
// ("?format=gpx") or as JSON ("?format=json"). Routes and other paths through
// marks come with the marks they use, so the object file stands on its own.

#include "server/HttpServer.h"
#include "server/NavRoutes.h"

namespace tarnwick {

class CDocumentRoutes {
 public:
  // Mounts GET "/documents/objects/{id}" on server (run on the user-interface
  // thread); lookup must outlive the server.
  static void Mount(CHttpServer& server, NavObjectLookup lookup);

  // Answers for the object id: 404 when no object has it, 400 for an unknown
  // format.
  static HttpResponse Object(const NavObjectLookup& lookup, const std::string& id,
                             const std::string& format);
};

}  // namespace tarnwick
