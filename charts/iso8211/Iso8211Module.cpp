#include "charts/iso8211/Iso8211Module.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarnwick {
namespace {

constexpr size_t kLeaderSize = 24;
constexpr char kFieldTerminator = 0x1E;

struct Leader {
  size_t recordLength = 0;
  char identifier = ' ';
  size_t fieldControlLength = 0;
  size_t baseAddress = 0;
  size_t sizeLength = 0;
  size_t sizePosition = 0;
  size_t sizeTag = 0;
};

struct RawEntry {
  std::string_view tag;
  size_t position;
  size_t length;
};

std::optional<size_t> Digits(std::string_view s) {
  if (s.empty()) return std::nullopt;
  size_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  return value;
}

std::string Quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) out += (c >= 0x20 && c < 0x7F) ? c : '?';
  return out + "\"";
}

// Reads the leader at the start of record (the caller made sure of 24 bytes).
bool ParseLeader(std::string_view record, bool descriptive, Leader& leader, std::string& what) {
  const auto length = Digits(record.substr(0, 5));
  if (!length || *length < kLeaderSize) {
    what = "bad leader (record length " + Quoted(record.substr(0, 5)) + ")";
    return false;
  }
  leader.recordLength = *length;
  leader.identifier = record[6];
  if (descriptive ? leader.identifier != 'L' : (leader.identifier != 'D' && leader.identifier != 'R')) {
    what = std::string("bad leader (identifier ") + Quoted(record.substr(6, 1)) + ")";
    return false;
  }
  if (descriptive) {
    const auto controls = Digits(record.substr(10, 2));
    if (!controls) {
      what = "bad leader (field control length " + Quoted(record.substr(10, 2)) + ")";
      return false;
    }
    leader.fieldControlLength = *controls;
  }
  const auto base = Digits(record.substr(12, 5));
  const auto sizeLength = Digits(record.substr(20, 1));
  const auto sizePosition = Digits(record.substr(21, 1));
  const auto sizeTag = Digits(record.substr(23, 1));
  if (!base || *base <= kLeaderSize || *base > leader.recordLength) {
    what = "bad leader (base address " + Quoted(record.substr(12, 5)) + ")";
    return false;
  }
  if (!sizeLength || !sizePosition || !sizeTag || *sizeLength == 0 || *sizePosition == 0 ||
      *sizeTag == 0) {
    what = "bad leader (entry map " + Quoted(record.substr(20, 4)) + ")";
    return false;
  }
  leader.baseAddress = *base;
  leader.sizeLength = *sizeLength;
  leader.sizePosition = *sizePosition;
  leader.sizeTag = *sizeTag;
  return true;
}

// The directory between the leader and the field area; every field must lie
// inside the field area.
bool ParseDirectory(std::string_view record, const Leader& leader, std::vector<RawEntry>& out,
                    size_t& badAt, std::string& what) {
  out.clear();
  const size_t entrySize = leader.sizeTag + leader.sizeLength + leader.sizePosition;
  const size_t directoryEnd = leader.baseAddress - 1;  // the directory's field terminator
  if (record[directoryEnd] != kFieldTerminator || (directoryEnd - kLeaderSize) % entrySize != 0) {
    badAt = directoryEnd;
    what = "bad directory (not a whole number of entries ended by a field terminator)";
    return false;
  }
  const size_t fieldArea = leader.recordLength - leader.baseAddress;
  for (size_t at = kLeaderSize; at < directoryEnd; at += entrySize) {
    const std::string_view tag = record.substr(at, leader.sizeTag);
    const auto length = Digits(record.substr(at + leader.sizeTag, leader.sizeLength));
    const auto position =
        Digits(record.substr(at + leader.sizeTag + leader.sizeLength, leader.sizePosition));
    if (!length || !position || *position > fieldArea || *length > fieldArea - *position) {
      badAt = at;
      what = "bad directory entry " + Quoted(record.substr(at, entrySize)) + " (field area of " +
             std::to_string(fieldArea) + " bytes)";
      return false;
    }
    out.push_back({tag, *position, *length});
  }
  return true;
}

bool IsPadding(std::string_view rest) {
  for (char c : rest)
    if (c != 0 && c != ' ' && c != '\r' && c != '\n' && c != 0x1A) return false;
  return true;
}

}  // namespace

std::unique_ptr<CIso8211Module> CIso8211Module::Open(const std::filesystem::path& path,
                                                     std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = path.string() + ": cannot open: " + std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = path.string() + ": not a regular file";
    ::close(fd);
    return nullptr;
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
    error = path.string() + ": too large for an ISO 8211 file (" + std::to_string(st.st_size) +
            " bytes)";
    ::close(fd);
    return nullptr;
  }
  std::string bytes(static_cast<size_t>(st.st_size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(done);  // a file cut while being read is checked like any other
  return FromBytes(std::move(bytes), path.string(), error);
}

std::unique_ptr<CIso8211Module> CIso8211Module::FromBytes(std::string bytes, std::string name,
                                                          std::string& error) {
  std::unique_ptr<CIso8211Module> module(new CIso8211Module);
  module->name_ = std::move(name);
  module->bytes_ = std::move(bytes);
  if (!module->ReadDescriptiveRecord(error)) return nullptr;
  return module;
}

bool CIso8211Module::Fail(size_t offset, const std::string& what, std::string& error) {
  error = name_ + ": offset " + std::to_string(offset) + ": " + what;
  failed_ = true;
  return false;
}

bool CIso8211Module::ReadDescriptiveRecord(std::string& error) {
  if (bytes_.size() < kLeaderSize) return Fail(0, "too short for an ISO 8211 leader", error);
  const std::string_view all(bytes_);
  Leader leader;
  std::string what;
  if (!ParseLeader(all, true, leader, what)) return Fail(0, what, error);
  if (leader.recordLength > bytes_.size())
    return Fail(0, "data descriptive record of " + std::to_string(leader.recordLength) +
                       " bytes runs past the end of the file",
                error);
  const std::string_view record = all.substr(0, leader.recordLength);
  std::vector<RawEntry> entries;
  size_t badAt = 0;
  if (!ParseDirectory(record, leader, entries, badAt, what)) return Fail(badAt, what, error);
  for (const RawEntry& entry : entries) {
    // The file control field ("0000") says nothing about the data.
    if (entry.tag.find_first_not_of('0') == std::string_view::npos) continue;
    const size_t at = leader.baseAddress + entry.position;
    auto defn = CIso8211FieldDefn::Parse(entry.tag, record.substr(at, entry.length),
                                         leader.fieldControlLength, what);
    if (!defn) return Fail(at, what, error);
    if (FindFieldDefn(defn->Tag())) continue;
    defns_.push_back(std::move(defn));
  }
  firstRecord_ = offset_ = leader.recordLength;
  return true;
}

const CIso8211FieldDefn* CIso8211Module::FindFieldDefn(std::string_view tag) const {
  // A file defines a few dozen fields at most: a scan beats hashing the tag.
  for (const auto& defn : defns_)
    if (defn->Tag() == tag) return defn.get();
  return nullptr;
}

void CIso8211Module::Rewind() {
  offset_ = firstRecord_;
  failed_ = false;
  reuseDirectory_ = false;
  reusedDirectory_.clear();
}

bool CIso8211Module::ReadRecord(CIso8211Record& record, std::string& error) {
  error.clear();
  record.Clear();
  if (failed_) return Fail(offset_, "reading cannot go on after a damaged record", error);
  const std::string_view all(bytes_);
  const size_t start = offset_;
  if (start >= bytes_.size() || (!reuseDirectory_ && IsPadding(all.substr(start)))) return false;

  std::string_view fieldArea;
  std::vector<DirectoryEntry> directory;
  if (reuseDirectory_) {
    if (bytes_.size() - start < reusedFieldAreaSize_)
      return Fail(start, "record cut short (" + std::to_string(bytes_.size() - start) + " of " +
                             std::to_string(reusedFieldAreaSize_) + " bytes)",
                  error);
    fieldArea = all.substr(start, reusedFieldAreaSize_);
    directory = reusedDirectory_;
    offset_ = start + reusedFieldAreaSize_;
  } else {
    if (bytes_.size() - start < kLeaderSize)
      return Fail(start, "record cut short (no whole leader)", error);
    Leader leader;
    std::string what;
    if (!ParseLeader(all.substr(start), false, leader, what)) return Fail(start, what, error);
    if (leader.recordLength > bytes_.size() - start)
      return Fail(start, "record of " + std::to_string(leader.recordLength) +
                             " bytes runs past the end of the file",
                  error);
    const std::string_view raw = all.substr(start, leader.recordLength);
    std::vector<RawEntry> entries;
    size_t badAt = 0;
    if (!ParseDirectory(raw, leader, entries, badAt, what)) return Fail(start + badAt, what, error);
    for (const RawEntry& entry : entries) {
      const CIso8211FieldDefn* defn = FindFieldDefn(entry.tag);
      if (!defn)
        return Fail(start, "field " + Quoted(entry.tag) + " is not defined in the data descriptive record",
                    error);
      directory.push_back({defn, entry.position, entry.length});
    }
    fieldArea = raw.substr(leader.baseAddress);
    offset_ = start + leader.recordLength;
    if (leader.identifier == 'R') {
      if (fieldArea.empty()) return Fail(start, "record to be reused has no field area", error);
      reuseDirectory_ = true;
      reusedDirectory_ = directory;
      reusedFieldAreaSize_ = fieldArea.size();
    }
  }
  for (const DirectoryEntry& entry : directory) {
    std::string_view data = fieldArea.substr(entry.position, entry.length);
    if (!data.empty() && data.back() == kFieldTerminator) data.remove_suffix(1);
    record.AppendField(*entry.defn, data);
  }
  return true;
}

}  // namespace tarnwick
