#pragma once
// Where SENC files live and the small files kept beside them: the SENC of a
// cell is "<cell name>.tksenc" in the SENC folder; "<cell name>.tksenc.failed"
// remembers an update file that could not be applied, so that the cell is not
// rebuilt on every start while that file stays as it is.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tarnwick {

// $XDG_CACHE_HOME/tarnwick-ecs/SENC Files (the folder is not created here).
std::filesystem::path DefaultSencFolder();

// folder / "<cell name>.tksenc".
std::filesystem::path SencPathFor(const std::filesystem::path& folder,
                                  const std::filesystem::path& cellPath);

// Deletes the "*.deleted" files that replaced SENCs left behind in folder;
// returns how many were deleted.
size_t CleanUpSencFolder(const std::filesystem::path& folder);

// An update file that could not be applied to a cell, as it was then.
struct FailedUpdate {
  uint32_t update = 0;     // its update number
  uint64_t size = 0;       // bytes
  int64_t modifiedNs = 0;  // modification time, ns since 1970
};

// The identity of updatePath now (none when it cannot be read).
std::optional<FailedUpdate> DescribeUpdateFile(const std::filesystem::path& updatePath,
                                               uint32_t update);
// Remembers, forgets and reads the failed update of the SENC at sencPath.
bool WriteFailedUpdate(const std::filesystem::path& sencPath, const FailedUpdate& failed);
void ClearFailedUpdate(const std::filesystem::path& sencPath);
std::optional<FailedUpdate> ReadFailedUpdate(const std::filesystem::path& sencPath);

}  // namespace tarnwick
