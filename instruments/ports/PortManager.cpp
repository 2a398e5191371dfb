#include "instruments/ports/PortManager.h"

#include "core/Log.h"
#include "instruments/ports/ElectronicsDb.h"
#include "instruments/ports/PortFactory.h"

namespace tarnwick {

CPortManager::~CPortManager() {
  DeleteAll();
}

bool CPortManager::Create(const std::string& address, const std::string& json) {
  Log("CreatePortMonitor(%s)\n", address.c_str());
  const PortSettingsResult parsed = ParsePortSettings(json, address);
  if (!parsed.settings) {
    Log("CreatePortMonitor(%s): %s\n", address.c_str(), parsed.error.c_str());
    return false;
  }
  PortCreation built = BuildPort(address, *parsed.settings);
  if (!built.port) {
    if (!built.error.empty())
      Log("CreatePortMonitor(%s): %s\n", address.c_str(), built.error.c_str());
    return false;
  }
  if (parsed.settings->openAtStartup) built.port->Open();
  std::lock_guard lock(mutex_);
  ports_.push_back(std::move(built.port));
  return true;
}

size_t CPortManager::CreateAll(const std::filesystem::path& electronicsDb) {
  CElectronicsDb db;
  if (!db.Open(electronicsDb)) return 0;
  size_t created = 0;
  for (const PortRow& row : db.ListPorts())
    if (Create(row.port, row.json)) ++created;
  return created;
}

void CPortManager::DeleteAll() {
  std::vector<std::unique_ptr<CNmeaPort>> ports;
  {
    std::lock_guard lock(mutex_);
    ports.swap(ports_);
  }
  // Set every stop event first so the threads end together, then join them.
  for (auto& port : ports) port->RequestStop();
  for (auto& port : ports) {
    Log("DeletePortMonitor: %s\n", port->Name().c_str());
    port.reset();
  }
}

size_t CPortManager::Restart(const std::filesystem::path& electronicsDb) {
  Log("Restarting port monitors...\n");
  DeleteAll();
  return CreateAll(electronicsDb);
}

void CPortManager::Shutdown() {
  if (Count() == 0) return;
  Log("Shutting down port monitors...\n");
  DeleteAll();
}

size_t CPortManager::Count() const {
  std::lock_guard lock(mutex_);
  return ports_.size();
}

CPortManager& PortManager() {
  static CPortManager manager;
  return manager;
}

}  // namespace tarnwick
