#pragma once
// A whole file mapped read-only into memory, or bytes held in memory that
// stand in for one (tests and fuzzing).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace tarnwick {

class CMappedFile {
 public:
  // Which step failed, with errno.
  enum class Failure { kNone, kOpen, kStat, kMap };

  // Maps the file at path. On failure returns null and sets failure and
  // error (errno). An empty file cannot be mapped (kMap, EINVAL).
  static std::unique_ptr<CMappedFile> Map(const std::filesystem::path& path, Failure& failure,
                                          int& error);
  // Holds bytes instead of a mapping.
  static std::unique_ptr<CMappedFile> FromBytes(std::string bytes);
  ~CMappedFile();
  CMappedFile(const CMappedFile&) = delete;
  CMappedFile& operator=(const CMappedFile&) = delete;

  std::span<const uint8_t> Bytes() const { return {data_, size_}; }
  // Modification time (nanoseconds since 1970) when it was mapped; 0 for bytes.
  int64_t ModifiedNs() const { return modifiedNs_; }

 private:
  CMappedFile() = default;

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;
  std::string owned_;
  int64_t modifiedNs_ = 0;
};

}  // namespace tarnwick
