#pragma once
// "GET /api/navobjects": every object of the open documents with its layer,
// the deleted ones apart, the layers, and the undo labels; plus the marks and
// routes the plot draws (hidden objects and hidden layers left out), with the
// active route flagged. Runs on the user-interface thread, where the
// documents and the route navigator live.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "navobjects/documents/NavDocuments.h"
#include "server/HttpServer.h"

namespace tarnwick {

struct NavObjectsSource {
  // The documents; null when they are not open.
  std::function<CNavDocuments*()> documents;
  // The id of the active route, or of the active mark when navigating to one; "" when idle.
  std::function<std::string()> activeId;
};

class CNavObjectsApi {
 public:
  static void Mount(CHttpServer& server, NavObjectsSource source);
  // The whole answer of "GET /api/navobjects" (server/README.md).
  static nlohmann::json List(const CNavDocuments& documents, const std::string& activeId);
  // OBJECT: the object's properties with "layer", "drawn" ("from" when deleted).
  static nlohmann::json Object(const CNavDocuments& documents, const CNavObject& object);
  // LAYER: id (the file name), name, visible, readOnly, scaleMin, expires, category, objects, default.
  static nlohmann::json Layer(const CLayer& layer);
  // Whether the plot draws object: neither it nor its layer hidden, the layer not expired.
  static bool Drawn(const CNavDocuments& documents, const CNavObject& object);
};

// The program's documents and its route navigator.
NavObjectsSource ProgramNavObjects();

}  // namespace tarnwick
