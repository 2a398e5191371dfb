#include "recording/vdr/VdrFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/Log.h"
#include "recording/UtcTime.h"

namespace tarnwick {
namespace {

constexpr size_t kReadBlock = 64 * 1024;

}  // namespace

CVdrFileReader::~CVdrFileReader() {
  Close();
}

bool CVdrFileReader::Open(const std::filesystem::path& path) {
  Close();
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    Log("CVdrFileReader::Open %s failed (%s)\n", path.c_str(), strerror(errno));
    return false;
  }
  path_ = path;
  if (!RefreshHeader()) {
    Log("CVdrFileReader::Open %s: not a voyage data recording\n", path.c_str());
    Close();
    return false;
  }
  Rewind();
  return true;
}

void CVdrFileReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  peeked_.reset();
  buffer_.clear();
  marks_.clear();
}

int64_t CVdrFileReader::StartUtcMs() const {
  return MakeUtcMs(UtcParts{header_.date.year, header_.date.month, header_.date.day,
                            header_.firstHour, 0, 0, 0});
}

int64_t CVdrFileReader::EndUtcMs() const {
  return StartUtcMs() + static_cast<int64_t>(header_.endHour - header_.firstHour) * 3'600'000;
}

bool CVdrFileReader::ReadAt(uint64_t offset, size_t size, std::vector<uint8_t>& out) {
  out.clear();
  if (size == 0) return true;
  const bool inBuffer = offset >= bufferOffset_ && offset + size <= bufferOffset_ + buffer_.size();
  if (!inBuffer) {
    buffer_.resize(std::max(kReadBlock, size));
    size_t filled = 0;
    while (filled < buffer_.size()) {
      const ssize_t got = ::pread(fd_, buffer_.data() + filled, buffer_.size() - filled,
                                  static_cast<off_t>(offset + filled));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      filled += static_cast<size_t>(got);
    }
    buffer_.resize(filled);
    bufferOffset_ = offset;
    if (filled < size) return false;
  }
  const auto begin = buffer_.begin() + static_cast<ptrdiff_t>(offset - bufferOffset_);
  out.assign(begin, begin + static_cast<ptrdiff_t>(size));
  return true;
}

bool CVdrFileReader::RefreshHeader() {
  std::vector<uint8_t> bytes(vdr::kVdr3HeaderSize);
  ssize_t got = 0;
  do {
    got = ::pread(fd_, bytes.data(), bytes.size(), 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return false;
  bytes.resize(static_cast<size_t>(got));
  auto header = vdr::ParseHeader(bytes);
  if (!header) return false;
  header_ = std::move(*header);
  ResetSlotWalk();
  buffer_.clear();
  return true;
}

void CVdrFileReader::ResetSlotWalk() {
  marks_.clear();
  for (size_t i = 0; i < header_.slots.size(); ++i)
    if (header_.slots[i] != 0) marks_.push_back({header_.slots[i], static_cast<int>(i)});
  std::stable_sort(marks_.begin(), marks_.end(),
                   [](const SlotMark& a, const SlotMark& b) { return a.offset < b.offset; });
  markIndex_ = 0;
  currentSlot_ = 0;
}

int CVdrFileReader::SlotFor(uint64_t offset) {
  // The record's minute is the last slot whose offset is not after the record.
  // Offsets only grow while reading, so the eligible slots only grow too.
  if (markIndex_ > 0 && marks_[markIndex_ - 1].offset > offset) {
    markIndex_ = 0;
    currentSlot_ = 0;
  }
  while (markIndex_ < marks_.size() && marks_[markIndex_].offset <= offset) {
    currentSlot_ = std::max(currentSlot_, marks_[markIndex_].slot);
    ++markIndex_;
  }
  return currentSlot_;
}

void CVdrFileReader::PositionAt(uint64_t offset) {
  peeked_.reset();
  position_ = std::max<uint64_t>(offset, header_.size);
  sawEnd_ = false;
  markIndex_ = 0;
  currentSlot_ = 0;
}

void CVdrFileReader::Rewind() {
  PositionAt(header_.size);
}

std::optional<VdrRecord> CVdrFileReader::ReadRecord() {
  if (fd_ < 0) return std::nullopt;
  if (sawEnd_) {
    // The file may have grown since: pick up new index entries and bytes.
    RefreshHeader();
    sawEnd_ = false;
  }
  for (;;) {
    if (!ReadAt(position_, vdr::kRecordLength.offset + 1, scratch_)) break;
    const uint8_t form = scratch_[vdr::kRecordFormKind.offset] >> 6;
    const size_t prefixSize = vdr::kRecordLength.offset + (form == 3   ? vdr::kLengthWidthForm3
                                                           : form == 2 ? 3
                                                                       : 1);
    if (!ReadAt(position_, prefixSize, scratch_)) break;
    const auto prefix = vdr::ParseRecordPrefix(scratch_);
    if (!prefix) break;
    const uint64_t payloadOffset = position_ + prefix->prefixSize;
    const uint64_t end = payloadOffset + prefix->payloadLength;
    if (prefix->form == 3) {
      std::vector<uint8_t> last;
      if (prefix->payloadLength > 0 && !ReadAt(end - 1, 1, last)) break;
      position_ = end;
      continue;
    }
    VdrRecord record;
    if (!ReadAt(payloadOffset, prefix->payloadLength, record.payload)) break;
    const int slot = SlotFor(position_);
    record.offset = position_;
    record.kind = prefix->kind;
    record.utcMs = MakeUtcMs(UtcParts{header_.date.year, header_.date.month, header_.date.day,
                                      header_.firstHour + slot / 60, slot % 60, 0, 0}) +
                   prefix->msInMinute;
    position_ = end;
    return record;
  }
  sawEnd_ = true;
  buffer_.clear();
  return std::nullopt;
}

std::optional<VdrRecord> CVdrFileReader::Next() {
  if (peeked_) {
    std::optional<VdrRecord> record = std::move(peeked_);
    peeked_.reset();
    return record;
  }
  return ReadRecord();
}

std::optional<int64_t> CVdrFileReader::PeekTime() {
  if (!peeked_) peeked_ = ReadRecord();
  if (!peeked_) return std::nullopt;
  return peeked_->utcMs;
}

bool CVdrFileReader::HasIndexEntry(int64_t utcMs) const {
  if (fd_ < 0 || utcMs < StartUtcMs() || utcMs >= EndUtcMs()) return false;
  const UtcParts parts = SplitUtc(utcMs);
  const auto slot = header_.SlotOf(parts.hour, parts.minute);
  return slot && header_.slots[static_cast<size_t>(*slot)] != 0;
}

void CVdrFileReader::SeekTo(int64_t utcMs) {
  if (fd_ < 0) return;
  RefreshHeader();
  if (utcMs <= StartUtcMs()) {
    Rewind();
    return;
  }
  const int64_t clamped = std::min(utcMs, EndUtcMs() - 1);
  const UtcParts parts = SplitUtc(clamped);
  const int target = header_.SlotOf(parts.hour, parts.minute).value_or(0);
  // Prefer the first indexed minute at or after the target; else walk on from
  // the last indexed minute before it.
  std::optional<uint64_t> start;
  for (size_t s = static_cast<size_t>(target); s < header_.slots.size() && !start; ++s)
    if (header_.slots[s] != 0) start = header_.slots[s];
  for (size_t s = static_cast<size_t>(target); s > 0 && !start; --s)
    if (header_.slots[s - 1] != 0) start = header_.slots[s - 1];
  PositionAt(start.value_or(header_.size));
  for (;;) {
    const auto time = PeekTime();
    if (!time || *time >= utcMs) break;
    peeked_.reset();
  }
}

std::optional<int64_t> CVdrFileReader::LastRecordTime() {
  if (fd_ < 0) return std::nullopt;
  RefreshHeader();
  uint64_t start = header_.size;
  for (uint64_t offset : header_.slots) start = std::max(start, offset);
  PositionAt(start);
  std::optional<int64_t> last;
  while (auto record = Next()) last = record->utcMs;
  if (!last && start != header_.size) {
    // The last index entry points past the complete records: read everything.
    Rewind();
    while (auto record = Next()) last = record->utcMs;
  }
  return last;
}

std::optional<VdrTimeSpan> RecordedTimeSpan(const std::filesystem::path& path) {
  CVdrFileReader reader;
  if (!reader.Open(path)) return std::nullopt;
  const auto first = reader.Next();
  if (!first) return std::nullopt;
  const auto last = reader.LastRecordTime();
  return VdrTimeSpan{first->utcMs, last.value_or(first->utcMs)};
}

}  // namespace tarnwick
