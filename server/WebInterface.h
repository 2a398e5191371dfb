#pragma once
// The web user interface in the running program: mounts its routes on the
// HTTP server (the live event stream, the REST routes, the front end's files)
// over the program's own state, and feeds the event hub once per tick.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "server/AisTextLog.h"
#include "server/EventHub.h"
#include "server/HttpServer.h"
#include "server/LiveFeed.h"
#include "server/OwnShipTrack.h"

namespace tarnwick {

class CManOverboard;

struct WebInterfaceOptions {
  std::filesystem::path webFolder;  // the built front end (ProgramFolder()/web)
  // The demo's description for the "state" event; empty when not a demo.
  std::function<std::optional<std::string>()> demoDescription;
};

class CWebInterface {
 public:
  // Mounts every route on server; call before the server starts. The AIS
  // receiver's safety texts and the ports' monitor lines are collected from now on.
  CWebInterface(CHttpServer& server, WebInterfaceOptions options);
  ~CWebInterface();
  CWebInterface(const CWebInterface&) = delete;
  CWebInterface& operator=(const CWebInterface&) = delete;

  // One tick of the live feed; user-interface thread.
  void Tick();
  // Ends the open event streams (shutdown).
  void Close() { hub_->Close(); }
  const std::shared_ptr<CEventHub>& Hub() const { return hub_; }

 private:
  std::shared_ptr<CEventHub> hub_;
  std::shared_ptr<COwnShipTrack> track_;
  std::shared_ptr<CAisTextLog> texts_;
  std::unique_ptr<CLiveFeed> feed_;
  std::shared_ptr<CManOverboard> mob_;
};

}  // namespace tarnwick
