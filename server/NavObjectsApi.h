#pragma once
// "GET /api/navobjects": the marks and routes of the open documents for the
// route list and the plot, with the active route flagged. Runs on the
// user-interface thread, where the documents and the route navigator live.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "navobjects/model/NavObject.h"
#include "server/HttpServer.h"

namespace tarnwick {

struct NavObjectsSource {
  // Every object of the open documents (deleted ones excluded).
  std::function<std::vector<std::shared_ptr<CNavObject>>()> objects;
  // The id of the active route, or of the active mark when navigating to one; "" when idle.
  std::function<std::string()> activeId;
};

class CNavObjectsApi {
 public:
  static void Mount(CHttpServer& server, NavObjectsSource source);
  // {"marks":[{"id","name","lat","lon"}],"routes":[{"id","name","active","points":[...]}]}
  static nlohmann::json List(const std::vector<std::shared_ptr<CNavObject>>& objects,
                             const std::string& activeId);
};

// The objects of the program's documents and its route navigator.
NavObjectsSource ProgramNavObjects();

}  // namespace tarnwick
