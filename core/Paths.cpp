#include "core/Paths.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>

namespace tarnwick {
namespace {

std::mutex g_mutex;
std::filesystem::path g_dataFolder;

std::filesystem::path HomeFolder() {
  const char* home = getenv("HOME");
  return home && *home ? std::filesystem::path(home) : std::filesystem::path("/tmp");
}

std::filesystem::path XdgFolder(const char* variable, const char* fallbackBelowHome) {
  const char* value = getenv(variable);
  std::filesystem::path base =
      value && *value ? std::filesystem::path(value) : HomeFolder() / fallbackBelowHome;
  return base / kAppFolderName;
}

}  // namespace

std::filesystem::path DataFolder() {
  {
    std::lock_guard lock(g_mutex);
    if (!g_dataFolder.empty()) return g_dataFolder;
  }
  return XdgFolder("XDG_DATA_HOME", ".local/share");
}

void SetDataFolder(const std::filesystem::path& folder) {
  std::lock_guard lock(g_mutex);
  g_dataFolder = folder.empty() ? folder : std::filesystem::absolute(folder);
}

std::filesystem::path ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

std::filesystem::path CacheFolder() { return XdgFolder("XDG_CACHE_HOME", ".cache"); }

std::filesystem::path RuntimeFolder() {
  const char* value = getenv("XDG_RUNTIME_DIR");
  if (value && *value) return std::filesystem::path(value) / kAppFolderName;
  return std::filesystem::path("/tmp") / ("tarnwick-ecs-" + std::to_string(getuid()));
}

std::filesystem::path ProgramFolder() {
  if (const char* value = getenv("TARNWICK_SHARE_DIR"); value && *value) return value;
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (const auto& candidate : {exe.parent_path() / "share" / kAppFolderName,
                                  exe.parent_path().parent_path() / "share" / kAppFolderName}) {
      if (std::filesystem::is_directory(candidate, ec)) return candidate;
    }
  }
  return std::filesystem::path(TW_SOURCE_DIR) / "data";
}

bool EnsureFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

}  // namespace tarnwick
