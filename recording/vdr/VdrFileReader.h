#pragma once
// Reads one recording file: its header and minute index, then its records in
// file order with their UTC times. Tolerates a file that is still being
// written (a record cut short at the end is simply not there yet) and skips
// form 3 records.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "recording/vdr/VdrFormat.h"

namespace tarnwick {

struct VdrRecord {
  int64_t utcMs = 0;    // UTC milliseconds since 1970
  int kind = 0;         // 0..63
  uint64_t offset = 0;  // file offset of the record's prefix
  std::vector<uint8_t> payload;
};

class CVdrFileReader {
 public:
  CVdrFileReader() = default;
  ~CVdrFileReader();
  CVdrFileReader(const CVdrFileReader&) = delete;
  CVdrFileReader& operator=(const CVdrFileReader&) = delete;

  // Opens path and reads its header; false (and logged) when it is not a recording.
  bool Open(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const vdr::Header& Header() const { return header_; }
  const std::filesystem::path& Path() const { return path_; }
  // UTC milliseconds of the first instant the header covers and the end (exclusive).
  int64_t StartUtcMs() const;
  int64_t EndUtcMs() const;

  // Back to the first record.
  void Rewind();
  // Positions before the first record at or after utcMs, through the minute
  // index; before the file's range rewinds, after it goes to the end.
  void SeekTo(int64_t utcMs);
  // True when the minute holding utcMs has an index entry.
  bool HasIndexEntry(int64_t utcMs) const;
  // The next record (form 3 skipped); empty at the end of the complete records.
  // A later call sees records appended meanwhile.
  std::optional<VdrRecord> Next();
  // The time of the record Next() would return, without consuming it.
  std::optional<int64_t> PeekTime();
  // Reads on from the last indexed minute to the end and returns the time of
  // the last complete record (the reader is then at the end).
  std::optional<int64_t> LastRecordTime();
  // The offset just after the last complete record read so far.
  uint64_t Position() const { return position_; }

 private:
  bool ReadAt(uint64_t offset, size_t size, std::vector<uint8_t>& out);
  bool RefreshHeader();
  void PositionAt(uint64_t offset);
  void ResetSlotWalk();
  int SlotFor(uint64_t offset);
  std::optional<VdrRecord> ReadRecord();

  int fd_ = -1;
  std::filesystem::path path_;
  vdr::Header header_;
  uint64_t position_ = 0;
  bool sawEnd_ = false;
  std::optional<VdrRecord> peeked_;
  // Nonzero slots ordered by offset, and the walk through them as position grows.
  struct SlotMark {
    uint64_t offset;
    int slot;
  };
  std::vector<SlotMark> marks_;
  size_t markIndex_ = 0;
  int currentSlot_ = 0;
  // Read buffer: bytes of the file starting at bufferOffset_.
  std::vector<uint8_t> buffer_;
  uint64_t bufferOffset_ = 0;
  std::vector<uint8_t> scratch_;
};

// The time of the first and of the last complete record of a file.
struct VdrTimeSpan {
  int64_t firstUtcMs = 0;
  int64_t lastUtcMs = 0;
};
std::optional<VdrTimeSpan> RecordedTimeSpan(const std::filesystem::path& path);

}  // namespace tarnwick
