#pragma once
// The limits of the HTTP server's connection handling (server/HttpConnections.h).

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace tarnwick {

struct ConnectionLimits {
  size_t workers = 40;               // threads serving connections
  size_t maxWaiting = 16;            // connections waiting for their headers, all clients
  size_t maxWaitingPerClient = 8;    // the same, per peer address
  uint64_t headerDeadlineMs = 10000;  // accepted -> end of the headers
  uint64_t requestDeadlineMs = 30000; // accepted -> end of the body
  size_t maxHeaderBytes = 16 * 1024;
  size_t maxHeaderCount = 64;
  time_t ioTimeoutSec = 5;           // one read or write waits at most this long
};

}  // namespace tarnwick
