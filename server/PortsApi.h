#pragma once
// The ports page's routes over electronics.db: "GET /api/ports" lists every
// configured port with its roles, serial settings and live status;
// "POST /api/ports" adds a port or (with "id") edits one; "POST
// /api/ports/<id>/delete" (or "POST /api/ports/delete" with {"id"}) removes
// one. A change is written to electronics.db and the ports are restarted,
// as when the file changes under the program. "GET /api/ports/interfaces"
// lists the computer's IPv4 interfaces a listening port may choose.

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "instruments/ports/PortMonitor.h"
#include "server/HttpServer.h"

namespace tarnwick {

struct PortsApiContext {
  std::filesystem::path database;  // electronics.db
  std::function<void()> restart;   // rebuilds the ports after a change; user-interface thread
  std::function<std::map<std::string, PortStatus>()> statuses;  // by address, of the running ports
};

class CPortsApi {
 public:
  static void Mount(CHttpServer& server, PortsApiContext context);

  // The "/api/ports" array.
  static nlohmann::json List(const PortsApiContext& context);
  static HttpResponse Save(const PortsApiContext& context, const HttpRequest& request);
  static HttpResponse Delete(const PortsApiContext& context, const std::string& id);
  // [{"address":"127.0.0.1","name":"lo"}, ...].
  static nlohmann::json Interfaces();
};

// The statuses of the program's running ports, by address.
std::map<std::string, PortStatus> RunningPortStatuses();

}  // namespace tarnwick
