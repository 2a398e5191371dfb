#pragma once
// The ports of the running program: built at start-up from every row of
// electronics.db, restarted together when the port settings change, and
// stopped last at shutdown.

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "instruments/ports/NmeaPort.h"

namespace tarnwick {

class CPortManager {
 public:
  ~CPortManager();

  // Builds a port for every configured row and opens those marked
  // "openAtStartup"; returns how many were built. Logs "CreatePortMonitor(%s)".
  size_t CreateAll(const std::filesystem::path& electronicsDb);
  // Builds and, when openAtStartup, opens one port; false when none was built.
  bool Create(const std::string& address, const std::string& json);
  // Stops and deletes every port ("DeletePortMonitor: %s").
  void DeleteAll();
  // "Restarting port monitors...": deletes every port and builds them again.
  size_t Restart(const std::filesystem::path& electronicsDb);
  // "Shutting down port monitors...": stops every port; idempotent.
  void Shutdown();

  size_t Count() const;
  // Calls visit for each port (under the manager's lock, not the port-list lock).
  template <typename F>
  void ForEach(F&& visit) const {
    std::lock_guard lock(mutex_);
    for (const auto& port : ports_) visit(*port);
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<CNmeaPort>> ports_;
};

CPortManager& PortManager();

}  // namespace tarnwick
