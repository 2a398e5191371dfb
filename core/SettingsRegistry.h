#pragma once
// The process-wide registry behind CSetting: the list of settings, the change
// listeners, the per-group JSON value tree that is persisted in the "options"
// domain of storage.db, the one-second debounced save, and the fleet locks.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/Setting.h"

namespace tarnwick {

class CStorage;
class CRegistryFile;

// Where the start-up load finds its inputs; each may be absent.
struct SettingsSources {
  CStorage* store = nullptr;                      // null or closed: nothing persisted
  std::vector<std::filesystem::path> adminInis;   // read in order; later files win
  CRegistryFile* registry = nullptr;              // the "Options" tree for the one-time migration
  std::optional<nlohmann::json> fleetDocument;    // locks, when the fleet feature is active
};

// The path of a setting's value in the value tree: split at "." when the name
// holds one, else at "_" ("AIS_ShowCPA" → AIS, ShowCPA).
std::vector<std::string> SettingPath(std::string_view name);

class CSettingsRegistry {
 public:
  static CSettingsRegistry& Instance();

  void Register(CSetting* setting);
  CSetting* Find(std::string_view name) const;
  CSetting* Head() const { return head_; }

  void AddListener(CSettingListener* listener);
  void RemoveListener(CSettingListener* listener);

  // Runs the start-up load: fleet locks, Admin.ini, stored groups, the
  // one-time registry migration, then the stored values. Clears the save deadline.
  void Load(const SettingsSources& sources);

  // Writes every dirty group when the save deadline (1000 ms after the last
  // change) has passed; nowTick is the current tick. Returns the groups written.
  size_t SaveModified(uint64_t nowTick);
  // Writes every dirty group now (shutdown, subcommands).
  size_t SaveAll();
  bool HasPendingSave() const;

  bool IsLocked(std::string_view name) const;
  // Installs the fleet settings document (its "options" object gives the locks).
  void SetFleetDocument(const nlohmann::json& document);

  // The JSON object of a group (a copy), as it would be stored.
  nlohmann::json GroupValue(const std::string& group) const;

  // Forgets stored values, dirty groups, locks and the store (tests, reloading).
  void ResetState();

  // Called by CSetting after its text changed through a set operation.
  void Changed(CSetting& setting, bool markDirty);
  // Notifies the owner and every listener, in list order.
  void NotifyListeners(CSetting& setting);

 private:
  CSettingsRegistry() = default;
  void WriteValueLocked(const CSetting& setting);
  size_t WriteGroupsLocked(std::vector<std::string> groups);
  void ApplyAdminIni(const std::filesystem::path& path);
  bool MigrateFromRegistry(CRegistryFile& registry);
  void ApplyTree(const nlohmann::json& node, const std::string& prefix);
  // Tells the navigator, once per run, that a save failed (outside the lock).
  void TellSaveFailure();

  CSetting* head_ = nullptr;
  std::unordered_map<std::string, CSetting*> byName_;  // lower-case name

  mutable std::mutex mutex_;
  std::vector<CSettingListener*> listeners_;
  nlohmann::json tree_ = nlohmann::json::object();
  std::vector<std::string> dirtyGroups_;
  std::optional<uint64_t> saveDeadline_;
  CStorage* store_ = nullptr;
  std::unordered_set<std::string> locked_;  // lower-case names
  bool saveFailureTold_ = false;            // a failed save was (or is to be) told
  bool saveFailureToTell_ = false;
};

}  // namespace tarnwick
