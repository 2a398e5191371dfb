#include "navobjects/files/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarnwick {
namespace {

class CSystemFileOps final : public IFileOps {
 public:
  int Create(const std::filesystem::path& path) override {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  }
  ssize_t Write(int fd, const char* data, size_t size) override { return ::write(fd, data, size); }
  int Sync(int fd) override { return ::fsync(fd); }
  int Close(int fd) override { return ::close(fd); }
  int Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return ::rename(from.c_str(), to.c_str());
  }
  int Unlink(const std::filesystem::path& path) override { return ::unlink(path.c_str()); }
  int SyncFolder(const std::filesystem::path& folder) override {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int result = ::fsync(fd);
    ::close(fd);
    return result;
  }
};

SaveResult Failure(const char* step, int error) {
  return SaveResult{false, std::string(step) + ": " + std::strerror(error)};
}

}  // namespace

IFileOps& SystemFileOps() {
  static CSystemFileOps ops;
  return ops;
}

SaveResult SaveFileAtomically(const std::filesystem::path& target, std::string_view content,
                              IFileOps& ops) {
  std::filesystem::path temp = target;
  temp += ".tmp";
  const int fd = ops.Create(temp);
  if (fd < 0) return Failure("create", errno);

  auto abandon = [&](const char* step) {
    const int error = errno;
    ops.Close(fd);
    ops.Unlink(temp);
    return Failure(step, error);
  };
  size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = ops.Write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return abandon("write");
    }
    written += static_cast<size_t>(n);
  }
  if (ops.Sync(fd) != 0) return abandon("fsync");
  if (ops.Close(fd) != 0) {
    const int error = errno;
    ops.Unlink(temp);
    return Failure("close", error);
  }
  if (ops.Rename(temp, target) != 0) {
    const int error = errno;
    ops.Unlink(temp);
    return Failure("rename", error);
  }
  // The rename is durable only once the folder entry is on the device; the
  // new content is complete either way, so a failure here is not an error.
  ops.SyncFolder(target.parent_path());
  return SaveResult{true, {}};
}

}  // namespace tarnwick
