#pragma once
// How the HTTP server takes connections, so that slow or many clients cannot
// keep the program's own page out:
//
// - One request per connection. A connection must deliver its request line
//   and headers within headerDeadlineMs of being accepted and its whole
//   request within requestDeadlineMs; headers beyond maxHeaderBytes or
//   maxHeaderCount lines answer 431. Only then does the HTTP library parse it.
// - While a connection waits for its headers it is "waiting". A client (peer
//   address) keeps at most maxWaitingPerClient waiting connections and all
//   clients together maxWaiting; beyond that, and whenever a new connection
//   finds no free worker, the oldest waiting connection is dropped. A page's
//   requests arrive whole at once, so a new one always gets a worker.
//
// CGatedServer is the HTTP library's server with this connection handling;
// routes, handlers and the pre-routing check are the library's as usual.

#include <httplib.h>

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "server/ConnectionLimits.h"

namespace tarnwick {


// The connections waiting for their headers, oldest first.
class CWaitingConnections {
 public:
  struct Entry {
    int fd;
    std::string client;
    bool dropped = false;  // shut down by the limits; leaves when its thread notices
  };
  using Ticket = std::list<Entry>::iterator;

  explicit CWaitingConnections(const ConnectionLimits& limits) : limits_(limits) {}
  // Registers fd; drops the oldest waiting connections beyond the limits.
  Ticket Enter(int fd, std::string client);
  void Leave(Ticket ticket);
  // Drops the oldest waiting connection (its wait ends at once). False when none waits.
  bool DropOldest();
  // Drops every waiting connection and refuses none later (the server stops).
  void DropAll();
  size_t Count() const;

 private:
  void DropLocked(Ticket ticket);

  const ConnectionLimits& limits_;
  mutable std::mutex mutex_;
  std::list<Entry> waiting_;
  bool closed_ = false;
};

class CGatedServer final : public httplib::Server {
 public:
  explicit CGatedServer(ConnectionLimits limits = {});
  // Ends the waits of connections still sending headers; call before stop().
  void DropWaiting() { waiting_.DropAll(); }
  const ConnectionLimits& Limits() const { return limits_; }

 private:
  bool process_and_close_socket(socket_t sock) override;

  const ConnectionLimits limits_;
  CWaitingConnections waiting_;
};

// The peer's address of a connected socket ("127.0.0.1", "::1"); "" when unknown.
std::string PeerAddress(int fd);

}  // namespace tarnwick
