#pragma once
// Saving a file so that a crash, a full disk or a failing device never leaves
// it half written: the content goes to a temporary file beside it, is flushed
// to the device, and only then renamed over the old file.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick {

// The file operations a save needs; tests replace them to inject failures.
// Each returns what the POSIX call returns (-1 with errno set on failure).
class IFileOps {
 public:
  virtual ~IFileOps() = default;
  virtual int Create(const std::filesystem::path& path) = 0;  // open for writing, truncate
  virtual ssize_t Write(int fd, const char* data, size_t size) = 0;
  virtual int Sync(int fd) = 0;
  virtual int Close(int fd) = 0;
  virtual int Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  virtual int Unlink(const std::filesystem::path& path) = 0;
  virtual int SyncFolder(const std::filesystem::path& folder) = 0;
};

// The real operations of the operating system.
IFileOps& SystemFileOps();

struct SaveResult {
  bool ok = false;
  std::string error;  // "write: No space left on device" and the like
};

// Writes content to target through "<target>.tmp": create, write all, fsync,
// close, rename over target, fsync the folder. On failure the temporary file
// is removed and target is untouched.
SaveResult SaveFileAtomically(const std::filesystem::path& target, std::string_view content,
                              IFileOps& ops = SystemFileOps());

}  // namespace tarnwick
