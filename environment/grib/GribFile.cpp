#include "environment/grib/GribFile.h"

#include <bzlib.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarnwick {

bool ExpandBzip2(const uint8_t* data, size_t size, size_t limit, std::vector<uint8_t>& out,
                 std::string& error) {
  out.clear();
  bz_stream stream{};
  if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) {
    error = "cannot start the bzip2 decoder";
    return false;
  }
  stream.next_in = const_cast<char*>(reinterpret_cast<const char*>(data));
  size_t remaining = size;
  int status = BZ_OK;
  while (status == BZ_OK) {
    if (stream.avail_in == 0 && remaining > 0) {
      const size_t chunk = std::min<size_t>(remaining, 1u << 30);
      stream.avail_in = static_cast<unsigned>(chunk);
      remaining -= chunk;
    }
    const size_t used = out.size();
    if (used >= limit) {
      error = "the expanded file is larger than " + std::to_string(limit >> 20) + " MB";
      break;
    }
    out.resize(std::min(limit, std::max<size_t>(used * 2, 1u << 20)));
    stream.next_out = reinterpret_cast<char*>(out.data() + used);
    stream.avail_out = static_cast<unsigned>(std::min<size_t>(out.size() - used, 1u << 30));
    const unsigned before = stream.avail_out;
    status = BZ2_bzDecompress(&stream);
    out.resize(used + (before - stream.avail_out));
    if (status == BZ_OK && stream.avail_in == 0 && remaining == 0 && before == stream.avail_out) {
      error = "the bzip2 data end early";
      break;
    }
  }
  BZ2_bzDecompressEnd(&stream);
  if (status == BZ_STREAM_END) return true;
  if (error.empty()) error = "the bzip2 data are damaged (" + std::to_string(status) + ")";
  out.clear();
  return false;
}

std::unique_ptr<CGribFile> CGribFile::Open(const std::filesystem::path& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "not a regular file";
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<CGribFile> file(new CGribFile());
  const size_t size = static_cast<size_t>(info.st_size);
  if (size > 0) {
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      error = std::string("cannot map the file: ") + std::strerror(errno);
      ::close(fd);
      return nullptr;
    }
    file->map_ = map;
    file->mapSize_ = size;
    file->data_ = static_cast<const uint8_t*>(map);
    file->size_ = size;
  }
  ::close(fd);
  if (size >= 3 && std::memcmp(file->data_, "BZh", 3) == 0) {
    std::vector<uint8_t> expanded;
    if (!ExpandBzip2(file->data_, size, kMaxExpandedBytes, expanded, error)) {
      error = "cannot expand the file: " + error;
      return nullptr;
    }
    ::munmap(file->map_, file->mapSize_);
    file->map_ = nullptr;
    file->expanded_ = std::move(expanded);
    file->data_ = file->expanded_.data();
    file->size_ = file->expanded_.size();
  }
  return file;
}

CGribFile::~CGribFile() {
  if (map_) ::munmap(map_, mapSize_);
}

GribReadSummary ReadGribRecords(const uint8_t* data, size_t size, GribDecode decode,
                                const std::function<bool(const GribRecord&, const GribParseResult&)>& onRecord,
                                const std::function<void(int percent)>& progress) {
  GribReadSummary summary;
  GribRecord record;
  size_t at = 0;
  int reported = -1;
  const auto report = [&] {
    const int percent = size == 0 ? 100 : static_cast<int>(at * 100 / size);
    if (progress && percent > reported) progress(reported = percent);
  };
  while (at < size) {
    const GribParseResult result = ParseGribRecord(data + at, size - at, at, record, decode);
    if (result.status == GribParseStatus::NoRecord) break;
    if (result.status == GribParseStatus::Corrupt) {
      summary.corrupt = true;
      summary.corruptOffset = record.offset ? record.offset : at;
      summary.corruptReason = result.reason;
      break;
    }
    if (result.status == GribParseStatus::OtherEdition) {
      ++summary.otherEditions;
    } else {
      ++summary.records;
      if (result.status == GribParseStatus::Skipped) ++summary.skipped;
      if (!onRecord(record, result)) {
        summary.stopped = true;
        break;
      }
    }
    at += result.consumed;
    report();
  }
  at = size;
  report();
  return summary;
}

}  // namespace tarnwick
