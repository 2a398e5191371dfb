#pragma once
// A small per-user registry: a JSON file of nested keys with text values, kept
// in the config folder. It holds what the program must find before its data
// folder and settings are open: the unclean-exit detector's "Watchdog" key and
// the old "Options" tree that settings migrate from once.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tarnwick {

class CRegistryFile {
 public:
  explicit CRegistryFile(std::filesystem::path path);

  // The user's registry: ConfigFolder()/registry.json.
  static std::filesystem::path DefaultPath();

  // Keys are paths separated by "/" ("Watchdog", "Options/AIS").
  bool KeyExists(std::string_view key) const;
  // Creates the key when missing; existed tells whether it was there. False on a write failure.
  bool CreateKey(std::string_view key, bool* existed = nullptr);
  bool DeleteKey(std::string_view key);
  std::optional<std::string> GetValue(std::string_view key, std::string_view name) const;
  bool SetValue(std::string_view key, std::string_view name, std::string_view value);
  // The key's subtree (objects for sub-keys, texts for values), when it exists.
  std::optional<nlohmann::json> Tree(std::string_view key) const;

  const std::filesystem::path& Path() const { return path_; }

 private:
  nlohmann::json Read() const;
  bool Write(const nlohmann::json& root) const;

  std::filesystem::path path_;
};

}  // namespace tarnwick
