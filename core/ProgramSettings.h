#pragma once
// Loads the settings the way the program does at start: fleet locks, Admin.ini
// from the program folder and /etc/tarnwick-ecs, storage.db in the data folder,
// and the one-time migration from the registry file.

namespace tarnwick {

class CRegistryFile;

// Loads every setting; false when storage.db could not be opened (settings then
// keep their defaults and Admin.ini values, and nothing is persisted).
bool LoadProgramSettings(CRegistryFile& registry);

}  // namespace tarnwick
