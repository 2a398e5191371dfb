#include "recording/vdr/VoyageRecorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Paths.h"
#include "core/settings/VdrSettings.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VdrFileReader.h"
#include "recording/vdr/VdrFiles.h"

namespace tarnwick {
namespace {

bool WriteAll(int fd, const uint8_t* bytes, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t put = ::pwrite(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      if (put == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(put);
  }
  return true;
}

// Moves an unreadable file aside so that its bytes are kept and a fresh
// recording can take its name.
bool SetAside(const std::filesystem::path& path) {
  std::error_code ec;
  auto target = path;
  target += ".damaged";
  for (int i = 1; std::filesystem::exists(target, ec); ++i) {
    target = path;
    target += ".damaged" + std::to_string(i);
  }
  std::filesystem::rename(path, target, ec);
  if (ec) {
    Log("VDR: cannot move %s aside (%s)\n", path.c_str(), ec.message().c_str());
    return false;
  }
  Log("VDR: %s is not a voyage data recording; moved to %s\n", path.c_str(), target.c_str());
  return true;
}

}  // namespace

CVoyageRecorder::CVoyageRecorder(std::filesystem::path folder) : folder_(std::move(folder)) {}

CVoyageRecorder::~CVoyageRecorder() {
  Close();
}

void CVoyageRecorder::Close() {
  std::lock_guard lock(mutex_);
  CloseLocked();
}

void CVoyageRecorder::SetFolder(std::filesystem::path folder) {
  std::lock_guard lock(mutex_);
  if (folder == folder_) return;
  CloseLocked();
  folder_ = std::move(folder);
}

std::filesystem::path CVoyageRecorder::Folder() const {
  std::lock_guard lock(mutex_);
  return folder_;
}

std::optional<std::filesystem::path> CVoyageRecorder::CurrentFile() const {
  std::lock_guard lock(mutex_);
  if (fd_ < 0) return std::nullopt;
  return path_;
}

uint64_t CVoyageRecorder::RecordsWritten() const {
  std::lock_guard lock(mutex_);
  return written_;
}

uint64_t CVoyageRecorder::RecordsDropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

void CVoyageRecorder::CloseLocked() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
}

void CVoyageRecorder::DropLocked(const char* what, int error) {
  ++dropped_;
  if (!failing_)
    Log("CVoyageRecorder::Record: %s failed (%s); record dropped\n", what, strerror(error));
  failing_ = true;
}

bool CVoyageRecorder::EnsureFileLocked(int64_t utcMs) {
  if (fd_ >= 0 && utcMs >= fileStartMs_ && utcMs < fileEndMs_) return true;
  CloseLocked();
  if (!EnsureFolder(folder_)) return false;
  const UtcParts parts = SplitUtc(utcMs);
  const vdr::Date date{parts.year, parts.month, parts.day};
  std::error_code ec;
  const auto daily = folder_ / DailyRecordingName(utcMs);
  if (std::filesystem::is_regular_file(daily, ec) && OpenLocked(daily, date, parts.hour, true))
    return true;
  return OpenLocked(folder_ / HourlyRecordingName(utcMs), date, parts.hour, false);
}

bool CVoyageRecorder::OpenLocked(const std::filesystem::path& path, const vdr::Date& date, int hour,
                                 bool daily) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  path_ = path;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    CloseLocked();
    return false;
  }
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  uint8_t magicBytes[4] = {};
  const auto magic =
      size >= 4 && ::pread(fd_, magicBytes, 4, 0) == 4 ? vdr::ReadMagic(magicBytes) : std::nullopt;
  const size_t headerSize = magic ? vdr::HeaderSizeOf(*magic) : 0;
  ExistingFile existing = ExistingFile::Unusable;
  if (size < 4 || (magic == vdr::kMagicVdr4 && size < headerSize)) {
    // New, or cut short while its header was written: no record can be lost.
    existing = daily
                   ? ExistingFile::Unusable
                   : (WriteFreshHeaderLocked(date, hour) ? ExistingFile::Ok : ExistingFile::Failed);
  } else if (headerSize != 0 && size >= headerSize) {
    existing = ReadExistingLocked(path, date, hour);
  }
  if (existing == ExistingFile::Unusable) {
    CloseLocked();
    // A daily file that cannot take today's records leaves them to the hourly
    // file; an hourly file that is not ours is kept aside and started afresh.
    if (daily || !SetAside(path)) return false;
    return OpenLocked(path, date, hour, false);
  }
  if (existing == ExistingFile::Failed) {
    CloseLocked();
    return false;
  }
  const UtcParts start{date.year, date.month, date.day, header_.firstHour, 0, 0, 0};
  fileStartMs_ = MakeUtcMs(start);
  fileEndMs_ = fileStartMs_ + static_cast<int64_t>(header_.endHour - header_.firstHour) * 3'600'000;
  return true;
}

CVoyageRecorder::ExistingFile CVoyageRecorder::ReadExistingLocked(const std::filesystem::path& path,
                                                                  const vdr::Date& date, int hour) {
  std::vector<uint8_t> bytes(vdr::kVdr3HeaderSize);
  const ssize_t got = ::pread(fd_, bytes.data(), bytes.size(), 0);
  if (got < 0) return ExistingFile::Failed;
  bytes.resize(static_cast<size_t>(got));
  auto header = vdr::ParseHeader(bytes);
  if (!header) {
    Log("VDR: %s has a damaged header\n", path.c_str());
    return ExistingFile::Unusable;
  }
  if (!(header->date == date) || !header->SlotOf(hour, 0)) {
    Log("VDR: header of %s is for another date or hour\n", path.c_str());
    return ExistingFile::Unusable;
  }
  header_ = std::move(*header);
  struct stat info {};
  ::fstat(fd_, &info);
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  end_ = FindEndOfRecordsLocked(size);
  if (end_ < size) {
    // A record cut short by a crash: drop its bytes so appended records line up.
    Log("VDR: %s ends in an incomplete record (%llu bytes dropped)\n", path.c_str(),
        static_cast<unsigned long long>(size - end_));
    if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0) return ExistingFile::Failed;
  }
  for (size_t slot = 0; slot < header_.slots.size(); ++slot)
    if (header_.slots[slot] > end_ && !WriteSlotLocked(static_cast<int>(slot), 0))
      return ExistingFile::Failed;
  return ExistingFile::Ok;
}

bool CVoyageRecorder::WriteFreshHeaderLocked(const vdr::Date& date, int hour) {
  const auto bytes = vdr::EncodeHourlyHeader(date, hour);
  if (::ftruncate(fd_, 0) != 0 || !WriteAll(fd_, bytes.data(), bytes.size(), 0)) return false;
  header_ = vdr::MakeHourlyHeader(date, hour);
  end_ = bytes.size();
  return true;
}

uint64_t CVoyageRecorder::FindEndOfRecordsLocked(uint64_t fileSize) {
  CVdrFileReader reader;
  if (!reader.Open(path_)) return fileSize;
  reader.LastRecordTime();
  return std::min(std::max<uint64_t>(reader.Position(), header_.size), fileSize);
}

bool CVoyageRecorder::WriteSlotLocked(int slot, uint64_t value) {
  const vdr::SlotWrite write = vdr::EncodeSlot(header_, slot, value);
  if (!WriteAll(fd_, write.bytes.data(), write.size, write.fileOffset)) return false;
  header_.slots[static_cast<size_t>(slot)] = value;
  return true;
}

bool CVoyageRecorder::Record(int kind, const void* buffer1, size_t length1, const void* buffer2,
                             size_t length2) {
  const size_t length = length1 + (buffer2 ? length2 : 0);
  std::lock_guard lock(mutex_);
  if (kind < 0 || kind > vdr::kMaxKind || length > vdr::kMaxPayload || (length1 > 0 && !buffer1)) {
    DropLocked("a record of an invalid kind or size", EINVAL);
    return false;
  }
  const int64_t now = UtcNowMs();
  errno = 0;
  if (!EnsureFileLocked(now)) {
    DropLocked(("opening " + (folder_ / HourlyRecordingName(now)).string()).c_str(),
               errno ? errno : EIO);
    return false;
  }
  const UtcParts parts = SplitUtc(now);
  const int slot = header_.SlotOf(parts.hour, parts.minute).value_or(0);
  if (header_.slots[static_cast<size_t>(slot)] == 0 && !WriteSlotLocked(slot, end_)) {
    const int error = errno;
    CloseLocked();
    DropLocked("writing the minute index", error);
    return false;
  }
  const auto prefix =
      vdr::EncodeRecordPrefix(parts.second * 1000 + parts.millisecond, kind, length);
  buffer_.resize(prefix.size + length);
  std::memcpy(buffer_.data(), prefix.bytes.data(), prefix.size);
  if (length1 > 0) std::memcpy(buffer_.data() + prefix.size, buffer1, length1);
  if (buffer2 && length2 > 0) std::memcpy(buffer_.data() + prefix.size + length1, buffer2, length2);
  if (!WriteAll(fd_, buffer_.data(), buffer_.size(), end_)) {
    const int error = errno;
    // Leave no partial record behind; the next record starts where this one did.
    if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0) CloseLocked();
    DropLocked("writing a record", error);
    return false;
  }
  end_ += buffer_.size();
  ++written_;
  failing_ = false;
  return true;
}

namespace {

// Follows VDR_DataLog: records go to the new folder from the next record on.
class CRecordingsFolderOwner final : public ISettingOwner {
 public:
  void SettingChanged(CSetting&) override { VoyageRecorder().SetFolder(RecordingsFolder()); }
};

}  // namespace

CVoyageRecorder& VoyageRecorder() {
  static CVoyageRecorder recorder(RecordingsFolder());
  static CRecordingsFolderOwner owner;
  static const bool owned = [] {
    opt::VDR_DataLog.SetOwner(&owner);
    return true;
  }();
  (void)owned;
  return recorder;
}

bool ShouldRecordSentence(std::string_view sentence) {
  if (sentence.empty() || !opt::VDR_RecordVoyageData.GetBool()) return false;
  if (sentence.front() == '$') return opt::VDR_AllNavigationData.GetBool();
  if (sentence.front() == '!') return opt::VDR_AIS.GetBool();
  return false;
}

void RecordReceivedSentence(std::string_view sentence) {
  if (!ShouldRecordSentence(sentence)) return;
  while (!sentence.empty() &&
         (sentence.back() == '\n' || sentence.back() == '\r' || sentence.back() == '\0'))
    sentence.remove_suffix(1);
  VoyageRecorder().Record(VdrKind::Nmea0183, sentence);
}

void RecordNmea2000Message(const void* header, size_t headerLength, const void* data,
                           size_t dataLength) {
  if (!opt::VDR_RecordVoyageData.GetBool() || !opt::VDR_AllNavigationData.GetBool()) return;
  VoyageRecorder().Record(static_cast<int>(VdrKind::Nmea2000), header, headerLength, data,
                          dataLength);
}

}  // namespace tarnwick
