#pragma once
// Helpers shared by the test programs of every subsystem.

#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick::testing {

// A fresh folder below the system temp folder, removed with its contents on destruction.
class CTempFolder {
 public:
  CTempFolder();
  ~CTempFolder();
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Sets an environment variable for the scope's lifetime.
class CScopedEnv {
 public:
  CScopedEnv(const char* name, const std::string& value);
  ~CScopedEnv();
  CScopedEnv(const CScopedEnv&) = delete;
  CScopedEnv& operator=(const CScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// The calling subsystem's tests/data folder (TW_TEST_DATA, set by CTest).
std::filesystem::path TestDataFolder();

// The whole content of a file ("" when it cannot be read).
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& content);

}  // namespace tarnwick::testing
