#pragma once
// The edits of navigation objects from the page: create, change properties,
// delete and restore, route and outline points, reverse, undo and redo, copy,
// paste and moves between layers (server/README.md, "Navigation objects").
// Every handler runs on the user-interface thread and goes through the
// documents, so each edit is one undo step, marks its layer modified and is
// refused (409 with the model's text) for locked objects and read-only layers.

#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "navobjects/documents/NavDocuments.h"
#include "server/HttpServer.h"
#include "server/NavObjectValues.h"

namespace tarnwick {

using NavDocumentsSource = std::function<CNavDocuments*()>;

class CNavObjectEdits {
 public:
  // documents must stay callable while the server runs.
  static void Mount(CHttpServer& server, NavDocumentsSource documents);

  // Sets the properties of body ({"Name":"Buoy",...}, class descriptor names)
  // on object as one undo step. JSON numbers, booleans and {"lat","lon"} are
  // values; strings are the property's text. Every value is checked before
  // any is set; a position change of a locked object is refused unless the
  // body also sets "LockPosition" false.
  static std::optional<EditRefusal> SetProperties(CNavDocuments& documents,
                                                  const std::shared_ptr<CSelectable>& object,
                                                  const nlohmann::json& body);
};

// {"error": message, ...extra} with its status.
HttpResponse RefusalResponse(const EditRefusal& refusal);

}  // namespace tarnwick
