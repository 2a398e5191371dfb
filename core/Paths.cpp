#include "core/Paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tarnwick {
namespace {

std::mutex g_mutex;
std::filesystem::path g_dataFolder;

// $HOME, else (a service started without it) the account's home folder from
// the user database; never a shared folder such as /tmp, where another user
// could make our folders first. "/" when the account has none: the folders
// below it cannot be made, and the program says so.
std::filesystem::path HomeFolder() {
  if (const char* home = getenv("HOME"); home && home[0] == '/') return home;
  passwd entry{};
  passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/')
    return found->pw_dir;
  return "/";
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
  if (value && value[0] == '/') return std::filesystem::path(value) / kAppFolderName;
  return CacheFolder() / "run";
}

std::string CheckPrivateFolder(const std::filesystem::path& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0)
    return folder.string() + " cannot be used (" + std::strerror(errno) + ")";
  if (!S_ISDIR(info.st_mode)) return folder.string() + " is not a folder";
  if (info.st_uid != ::geteuid()) return folder.string() + " belongs to another user";
  if (info.st_mode & 077) return folder.string() + " is open to other users";
  return "";
}

std::string PreparePrivateFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder.parent_path(), ec);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return folder.string() + " cannot be made (" + std::strerror(errno) + ")";
  struct stat info {};
  if (::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
      info.st_uid == ::geteuid() && (info.st_mode & 077) && !(info.st_mode & 022))
    ::chmod(folder.c_str(), 0700);
  return CheckPrivateFolder(folder);
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

bool WritePrivateFile(const std::filesystem::path& file, std::string_view text) {
  unsigned int nonce = 0;
  (void)!getrandom(&nonce, sizeof nonce, 0);
  const std::filesystem::path temp =
      file.parent_path() / ("." + file.filename().string() + "." + std::to_string(nonce));
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0600) == 0;
  for (size_t done = 0; ok && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace tarnwick
