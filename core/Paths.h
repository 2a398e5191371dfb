#pragma once
// Where the program keeps things on Linux: the data folder (storage.db, logs,
// recordings), the config folder (the registry file), the runtime folder (the
// single-instance lock and control socket) and the program's own shipped files.

#include <filesystem>
#include <string>
#include <string_view>

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

// The private runtime folder: $XDG_RUNTIME_DIR/tarnwick-ecs, else (no
// runtime directory given) $XDG_CACHE_HOME/tarnwick-ecs/run, else
// ~/.cache/tarnwick-ecs/run. Never a shared folder such as /tmp, where another
// user could make it first.
std::filesystem::path RuntimeFolder();

// Makes folder (and its parents) if missing and checks that it is private: a
// real folder, not a link, owned by this user and writable by nobody else;
// read and search permissions of others are taken away (mode 0700). Empty
// when it is private, else what is wrong, for the user.
std::string PreparePrivateFolder(const std::filesystem::path& folder);
// The same check without making or changing anything.
std::string CheckPrivateFolder(const std::filesystem::path& folder);

// The folder of files shipped with the program (Disclaimer.txt, web assets,
// coastlines): $TARNWICK_SHARE_DIR, else share/tarnwick-ecs beside or above the
// executable, else the source tree's data folder.
std::filesystem::path ProgramFolder();

// Creates folder and its parents; false when it cannot be made.
bool EnsureFolder(const std::filesystem::path& folder);

// Replaces file with text, readable and writable by its owner only (mode
// 0600): written to a new file beside it, then renamed over it, so that no
// link placed there is followed. False when it cannot be written.
bool WritePrivateFile(const std::filesystem::path& file, std::string_view text);

}  // namespace tarnwick
