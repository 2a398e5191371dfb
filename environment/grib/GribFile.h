#pragma once
// A forecast file's bytes, memory-mapped (never read into a copy); a file
// compressed with bzip2 (".grb.bzz", ".bz2", recognised by its "BZh" header)
// is expanded into memory first. And the walk over its records.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "environment/grib/GribParser.h"

namespace tarnwick {

class CGribFile {
 public:
  // The largest expanded size accepted from a compressed file.
  static constexpr size_t kMaxExpandedBytes = size_t{1} << 30;

  // Maps (or expands) the file; null with error set when it cannot be read.
  static std::unique_ptr<CGribFile> Open(const std::filesystem::path& path, std::string& error);
  ~CGribFile();
  CGribFile(const CGribFile&) = delete;
  CGribFile& operator=(const CGribFile&) = delete;

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  bool Expanded() const { return !expanded_.empty(); }

 private:
  CGribFile() = default;

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  void* map_ = nullptr;  // the mapping, when mapped
  size_t mapSize_ = 0;
  std::vector<uint8_t> expanded_;
};

// Expands bzip2 data; false with error set when it is not bzip2, damaged or
// larger than limit.
bool ExpandBzip2(const uint8_t* data, size_t size, size_t limit, std::vector<uint8_t>& out,
                 std::string& error);

struct GribReadSummary {
  size_t records = 0;        // edition 1 records read (decoded or skipped)
  size_t skipped = 0;        // of which not read for their grid or packing
  size_t otherEditions = 0;  // messages of other editions stepped over
  bool corrupt = false;      // reading ended at a record that does not hold together
  size_t corruptOffset = 0;
  std::string corruptReason;
  bool stopped = false;      // the record callback asked to stop
};

// Reads the records of [data, data + size) in file order, calling onRecord
// for each edition 1 record (Decoded or Skipped; return false to stop) and
// progress with the percentage of the bytes read whenever it grows.
GribReadSummary ReadGribRecords(const uint8_t* data, size_t size, GribDecode decode,
                                const std::function<bool(const GribRecord&, const GribParseResult&)>& onRecord,
                                const std::function<void(int percent)>& progress = {});

}  // namespace tarnwick
