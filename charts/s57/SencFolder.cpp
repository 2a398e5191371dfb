#include "charts/s57/SencFolder.h"

#include <sys/stat.h>

#include <fstream>

#include "core/Paths.h"

namespace tarnwick {
namespace {

std::filesystem::path MarkerPath(const std::filesystem::path& sencPath) {
  std::filesystem::path marker = sencPath;
  marker += ".failed";
  return marker;
}

}  // namespace

std::filesystem::path DefaultSencFolder() { return CacheFolder() / "SENC Files"; }

std::filesystem::path SencPathFor(const std::filesystem::path& folder,
                                  const std::filesystem::path& cellPath) {
  return folder / (cellPath.stem().string() + ".tksenc");
}

size_t CleanUpSencFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  size_t removed = 0;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".deleted" && std::filesystem::remove(it->path(), ec)) ++removed;
  }
  return removed;
}

std::optional<FailedUpdate> DescribeUpdateFile(const std::filesystem::path& updatePath,
                                               uint32_t update) {
  struct stat st {};
  if (::stat(updatePath.c_str(), &st) != 0) return std::nullopt;
  return FailedUpdate{update, static_cast<uint64_t>(st.st_size),
                      int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

bool WriteFailedUpdate(const std::filesystem::path& sencPath, const FailedUpdate& failed) {
  std::ofstream out(MarkerPath(sencPath), std::ios::trunc);
  out << failed.update << ' ' << failed.size << ' ' << failed.modifiedNs << '\n';
  return static_cast<bool>(out);
}

void ClearFailedUpdate(const std::filesystem::path& sencPath) {
  std::error_code ec;
  std::filesystem::remove(MarkerPath(sencPath), ec);
}

std::optional<FailedUpdate> ReadFailedUpdate(const std::filesystem::path& sencPath) {
  std::ifstream in(MarkerPath(sencPath));
  FailedUpdate failed;
  if (!(in >> failed.update >> failed.size >> failed.modifiedNs)) return std::nullopt;
  return failed;
}

}  // namespace tarnwick
