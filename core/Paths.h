#pragma once
// Where the program keeps things on Linux: the data folder (storage.db, logs,
// recordings), the config folder (the registry file), the runtime folder (the
// single-instance lock and control socket) and the program's own shipped files.

#include <filesystem>

namespace tarnwick {

inline constexpr const char* kAppTitle = "Tarnwick ECS";
inline constexpr const char* kAppFolderName = "tarnwick-ecs";

// The data folder: the one set by SetDataFolder (--data DIR), else
// $XDG_DATA_HOME/tarnwick-ecs, else ~/.local/share/tarnwick-ecs.
std::filesystem::path DataFolder();
void SetDataFolder(const std::filesystem::path& folder);

// $XDG_CONFIG_HOME/tarnwick-ecs, else ~/.config/tarnwick-ecs.
std::filesystem::path ConfigFolder();

// $XDG_CACHE_HOME/tarnwick-ecs, else ~/.cache/tarnwick-ecs: files the program
// can make again from others (compiled charts).
std::filesystem::path CacheFolder();

// $XDG_RUNTIME_DIR/tarnwick-ecs, else /tmp/tarnwick-ecs-UID.
std::filesystem::path RuntimeFolder();

// The folder of files shipped with the program (Disclaimer.txt, web assets,
// coastlines): $TARNWICK_SHARE_DIR, else share/tarnwick-ecs beside or above the
// executable, else the source tree's data folder.
std::filesystem::path ProgramFolder();

// Creates folder and its parents; false when it cannot be made.
bool EnsureFolder(const std::filesystem::path& folder);

}  // namespace tarnwick
