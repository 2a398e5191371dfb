#pragma once
// "/events": the live event stream (text/event-stream) of the web user
// interface. Each client's worker thread drains the hub; "/events?monitor=1"
// adds the instrument data monitor's lines. The server's Stop closes the hub,
// so open streams end at once.

#include <memory>

#include "server/EventHub.h"
#include "server/HttpServer.h"

namespace tarnwick {

// Mounts "/events" on server; the route keeps hub alive.
void MountEventStream(CHttpServer& server, std::shared_ptr<CEventHub> hub);

}  // namespace tarnwick
