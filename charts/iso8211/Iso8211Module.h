#pragma once
// An ISO/IEC 8211 file: its data descriptive record (the field definitions)
// and its data records, read one after the other from a buffer that holds the
// whole file (one read, no per-record system calls). Every length, offset and
// format in the file is checked before it is used: a damaged file gives an
// error naming the file and the byte offset, never a read past the buffer.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "charts/iso8211/Iso8211FieldDefn.h"
#include "charts/iso8211/Iso8211Record.h"

namespace tarnwick {

class CIso8211Module {
 public:
  // Files larger than this are refused (an S-57 cell is at most a few MB).
  static constexpr uint64_t kMaxFileSize = 512ull << 20;

  // Reads path whole and its data descriptive record. Null with the reason
  // in error ("PATH: offset N: ...") when it cannot be read or is damaged.
  static std::unique_ptr<CIso8211Module> Open(const std::filesystem::path& path,
                                              std::string& error);
  // The same over bytes in memory; name stands for the file's name in errors.
  static std::unique_ptr<CIso8211Module> FromBytes(std::string bytes, std::string name,
                                                   std::string& error);

  const std::string& Name() const { return name_; }
  // The field definitions in the order of the data descriptive record.
  const std::vector<std::unique_ptr<CIso8211FieldDefn>>& FieldDefns() const { return defns_; }
  const CIso8211FieldDefn* FindFieldDefn(std::string_view tag) const;

  // Reads the next data record into record. False at the end of the data
  // (error left empty) or on a damaged record (error says what and where;
  // reading cannot go on).
  bool ReadRecord(CIso8211Record& record, std::string& error);
  // Back to the first data record.
  void Rewind();
  // Byte offset of the next data record.
  size_t Offset() const { return offset_; }

 private:
  struct DirectoryEntry {
    const CIso8211FieldDefn* defn;
    size_t position;  // within the field area
    size_t length;
  };
  CIso8211Module() = default;
  bool ReadDescriptiveRecord(std::string& error);
  bool Fail(size_t offset, const std::string& what, std::string& error);

  std::string name_;
  std::string bytes_;
  std::vector<std::unique_ptr<CIso8211FieldDefn>> defns_;
  size_t firstRecord_ = 0;
  size_t offset_ = 0;
  bool failed_ = false;
  // Leader 'R': the directory of that record stands for every following one,
  // which holds only its field area.
  bool reuseDirectory_ = false;
  std::vector<DirectoryEntry> reusedDirectory_;
  size_t reusedFieldAreaSize_ = 0;
};

}  // namespace tarnwick
