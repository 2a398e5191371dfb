#include "core/SettingsRegistry.h"

#include <algorithm>

#include "core/AdminIni.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/RegistryFile.h"
#include "core/Storage.h"

namespace tarnwick {
namespace {

constexpr const char* kOptionsDomain = "options";
constexpr uint64_t kSaveDelayMs = 1000;

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Converts a registry subtree to the value tree's form: objects stay objects,
// every other value becomes its text.
nlohmann::json AsTextTree(const nlohmann::json& node) {
  if (node.is_object()) {
    nlohmann::json out = nlohmann::json::object();
    for (const auto& [key, value] : node.items()) out[key] = AsTextTree(value);
    return out;
  }
  if (node.is_string()) return node;
  return node.dump();
}

}  // namespace

std::vector<std::string> SettingPath(std::string_view name) {
  const bool dotted = name.find('.') != std::string_view::npos;
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '.' || (!dotted && name[i] == '_')) {
      parts.emplace_back(name.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

CSettingsRegistry& CSettingsRegistry::Instance() {
  static CSettingsRegistry registry;
  return registry;
}

void CSettingsRegistry::Register(CSetting* setting) {
  setting->next_ = head_;
  head_ = setting;
  byName_[LowerCase(setting->Name())] = setting;
}

CSetting* CSettingsRegistry::Find(std::string_view name) const {
  auto it = byName_.find(LowerCase(name));
  return it == byName_.end() ? nullptr : it->second;
}

void CSettingsRegistry::AddListener(CSettingListener* listener) {
  std::lock_guard lock(mutex_);
  listeners_.push_back(listener);
}

void CSettingsRegistry::RemoveListener(CSettingListener* listener) {
  std::lock_guard lock(mutex_);
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

bool CSettingsRegistry::IsLocked(std::string_view name) const {
  std::lock_guard lock(mutex_);
  return !locked_.empty() && locked_.count(LowerCase(name)) > 0;
}

void CSettingsRegistry::SetFleetDocument(const nlohmann::json& document) {
  std::lock_guard lock(mutex_);
  locked_.clear();
  auto options = document.find("options");
  if (!document.is_object() || options == document.end() || !options->is_object()) return;
  for (const auto& [name, entry] : options->items()) {
    auto locked = entry.is_object() ? entry.find("locked") : entry.end();
    if (locked != entry.end() && locked->is_boolean() && locked->get<bool>())
      locked_.insert(LowerCase(name));
  }
}

void CSettingsRegistry::WriteValueLocked(const CSetting& setting) {
  auto path = SettingPath(setting.Name());
  nlohmann::json* node = &tree_;
  for (size_t i = 0; i + 1 < path.size(); ++i) {
    nlohmann::json& child = (*node)[path[i]];
    if (!child.is_object()) child = nlohmann::json::object();
    node = &child;
  }
  (*node)[path.back()] = setting.Text();
}

void CSettingsRegistry::Changed(CSetting& setting, bool markDirty) {
  if (markDirty) {
    std::lock_guard lock(mutex_);
    WriteValueLocked(setting);
    const std::string group = SettingPath(setting.Name()).front();
    if (std::find(dirtyGroups_.begin(), dirtyGroups_.end(), group) == dirtyGroups_.end())
      dirtyGroups_.push_back(group);
    saveDeadline_ = TickCount() + kSaveDelayMs;
  }
  NotifyListeners(setting);
}

void CSettingsRegistry::NotifyListeners(CSetting& setting) {
  if (ISettingOwner* owner = setting.Owner()) owner->SettingChanged(setting);
  std::vector<CSettingListener*> listeners;
  {
    std::lock_guard lock(mutex_);
    listeners = listeners_;
  }
  for (CSettingListener* listener : listeners) listener->SettingChanged(setting);
}

size_t CSettingsRegistry::WriteGroupsLocked(std::vector<std::string> groups) {
  size_t written = 0;
  if (!store_ || !store_->IsOpen()) return written;
  for (const auto& group : groups) {
    auto it = tree_.find(group);
    if (it == tree_.end()) continue;
    if (store_->Put(kOptionsDomain, group, it->dump())) {
      ++written;
    } else {
      Log("Settings: cannot save group %s\n", group.c_str());
      if (!saveFailureTold_) saveFailureToTell_ = saveFailureTold_ = true;
    }
  }
  return written;
}

size_t CSettingsRegistry::SaveModified(uint64_t nowTick) {
  size_t written = 0;
  {
    std::lock_guard lock(mutex_);
    if (!saveDeadline_ || nowTick < *saveDeadline_) return 0;
    saveDeadline_.reset();
    std::vector<std::string> groups;
    groups.swap(dirtyGroups_);
    written = WriteGroupsLocked(std::move(groups));
  }
  TellSaveFailure();
  return written;
}

size_t CSettingsRegistry::SaveAll() {
  size_t written = 0;
  {
    std::lock_guard lock(mutex_);
    saveDeadline_.reset();
    std::vector<std::string> groups;
    groups.swap(dirtyGroups_);
    written = WriteGroupsLocked(std::move(groups));
  }
  TellSaveFailure();
  return written;
}

void CSettingsRegistry::TellSaveFailure() {
  {
    std::lock_guard lock(mutex_);
    if (!saveFailureToTell_) return;
    saveFailureToTell_ = false;
  }
  Notifications().Post(NotificationKind::Error,
                       "$AppTitle cannot write its settings to storage.db: changed settings "
                       "will be lost when it ends. See Application.log.");
}

bool CSettingsRegistry::HasPendingSave() const {
  std::lock_guard lock(mutex_);
  return saveDeadline_.has_value();
}

nlohmann::json CSettingsRegistry::GroupValue(const std::string& group) const {
  std::lock_guard lock(mutex_);
  auto it = tree_.find(group);
  return it == tree_.end() ? nlohmann::json() : *it;
}

void CSettingsRegistry::ResetState() {
  {
    std::lock_guard lock(mutex_);
    tree_ = nlohmann::json::object();
    dirtyGroups_.clear();
    saveDeadline_.reset();
    store_ = nullptr;
    locked_.clear();
    saveFailureTold_ = saveFailureToTell_ = false;
  }
  for (CSetting* s = head_; s; s = s->next_) s->LoadText(s->DefaultText());
}

void CSettingsRegistry::ApplyAdminIni(const std::filesystem::path& path) {
  for (auto& entry : ReadIniSection(path, "Default Options")) {
    std::replace(entry.name.begin(), entry.name.end(), '.', '_');
    CSetting* setting = Find(entry.name);
    if (!setting) {
      Log("Admin.ini contains unknown option: %s\n", entry.name.c_str());
      continue;
    }
    if (const auto reason = setting->Refusal(entry.value)) {
      Log("Admin.ini: %s; the value is not used\n", reason->c_str());
      continue;
    }
    if (setting->Text() != entry.value) setting->InstallText(entry.value);
  }
}

bool CSettingsRegistry::MigrateFromRegistry(CRegistryFile& registry) {
  auto options = registry.Tree("Options");
  if (!options || !options->is_object() || options->empty()) return false;
  nlohmann::json tree = AsTextTree(*options);
  if (tree.contains("Radar")) {
    tree["RADAR"] = tree["Radar"];
    tree.erase("Radar");
  }
  for (const auto& [group, value] : tree.items()) {
    tree_[group] = value;
    if (store_ && store_->IsOpen()) store_->Put(kOptionsDomain, group, value.dump());
  }
  return true;
}

void CSettingsRegistry::ApplyTree(const nlohmann::json& node, const std::string& prefix) {
  for (const auto& [key, value] : node.items()) {
    std::string name = prefix.empty() ? key : prefix + "_" + key;
    if (value.is_object()) {
      ApplyTree(value, name);
      continue;
    }
    if (!value.is_string()) continue;
    CSetting* setting = Find(name);
    if (!setting || IsLocked(name)) continue;
    const std::string& text = value.get_ref<const std::string&>();
    if (const auto reason = setting->Refusal(text)) {
      Log("Settings: stored %s; it keeps its default\n", reason->c_str());
      continue;
    }
    setting->LoadText(text);
  }
}

void CSettingsRegistry::Load(const SettingsSources& sources) {
  if (sources.fleetDocument) SetFleetDocument(*sources.fleetDocument);
  for (const auto& path : sources.adminInis) ApplyAdminIni(path);

  nlohmann::json tree;
  {
    std::lock_guard lock(mutex_);
    store_ = sources.store;
    tree_ = nlohmann::json::object();
    std::vector<StorageEntry> rows;
    if (store_ && store_->IsOpen()) rows = store_->ListEntries(kOptionsDomain);
    for (const auto& row : rows) {
      auto value = nlohmann::json::parse(row.value, nullptr, false);
      if (value.is_discarded()) {
        Log("Settings: group %s is not valid JSON; its settings keep their defaults\n",
            row.name.c_str());
        continue;
      }
      tree_[row.name] = std::move(value);
    }
    if (rows.empty() && sources.registry) MigrateFromRegistry(*sources.registry);
    tree = tree_;
  }
  ApplyTree(tree, "");
  std::lock_guard lock(mutex_);
  saveDeadline_.reset();
}

}  // namespace tarnwick
