#include "charts/raster/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwick {

std::unique_ptr<CMappedFile> CMappedFile::Map(const std::filesystem::path& path, Failure& failure,
                                              int& error) {
  failure = Failure::kNone;
  error = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    failure = Failure::kOpen;
    error = errno;
    return nullptr;
  }
  struct stat info {};
  const bool statted = ::fstat(fd, &info) == 0;
  if (!statted || !S_ISREG(info.st_mode)) {
    failure = Failure::kStat;
    error = statted ? EISDIR : errno;
    ::close(fd);
    return nullptr;
  }
  const auto size = static_cast<size_t>(info.st_size);
  void* data = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
  const int mapError = size > 0 ? errno : EINVAL;
  ::close(fd);
  if (data == MAP_FAILED) {
    failure = Failure::kMap;
    error = mapError;
    return nullptr;
  }
  std::unique_ptr<CMappedFile> file(new CMappedFile);
  file->data_ = static_cast<const uint8_t*>(data);
  file->size_ = size;
  file->mapped_ = true;
  file->modifiedNs_ = int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
  return file;
}

std::unique_ptr<CMappedFile> CMappedFile::FromBytes(std::string bytes) {
  std::unique_ptr<CMappedFile> file(new CMappedFile);
  file->owned_ = std::move(bytes);
  file->data_ = reinterpret_cast<const uint8_t*>(file->owned_.data());
  file->size_ = file->owned_.size();
  return file;
}

CMappedFile::~CMappedFile() {
  if (mapped_) ::munmap(const_cast<uint8_t*>(data_), size_);
}

}  // namespace tarnwick
