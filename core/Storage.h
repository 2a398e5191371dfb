#pragma once
// The key-value store "storage.db": (domain, name) → value texts in one SQLite
// table. Settings keep one row per group in the domain "options"; other
// features keep their own domains.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/Sqlite.h"

namespace tarnwick {

struct StorageEntry {
  std::string name;
  std::string value;
};

struct StorageOpening {
  bool opened = false;
  int code = 0;               // SQLite result of the first attempt (0 when it opened)
  std::string problem;        // what was wrong with the file, for the navigator
  // Where the unusable file was moved before a fresh store was made.
  std::optional<std::filesystem::path> setAside;
};

class CStorage {
 public:
  // Opens (creating when missing) the database at path and its table. Logs
  // "Storage: Cannot open database! (%d)\n" and returns false on failure; the
  // store then stays unusable and every operation fails.
  // The database must also pass SQLite's quick integrity check.
  bool Open(const std::filesystem::path& path);
  // Opens path; when the file exists but cannot be used (corrupt, not a
  // database, unreadable), renames it and its journal files to
  // "<name>.damaged-YYYYMMDDTHHMMSSZ" (utcMs) and opens a fresh store there.
  StorageOpening OpenOrSetAside(const std::filesystem::path& path, int64_t utcMs);
  bool IsOpen() const;
  void Close();

  bool Put(const std::string& domain, const std::string& name, const std::string& value);
  std::optional<std::string> Get(const std::string& domain, const std::string& name) const;
  bool Remove(const std::string& domain, const std::string& name);
  std::vector<std::string> ListNames(const std::string& domain) const;
  std::vector<StorageEntry> ListEntries(const std::string& domain) const;
  std::vector<std::string> ListDomains() const;
  // The bytes of every domain, name and value together.
  uint64_t TotalBytes() const;

  // Typed forms: booleans as "true"/"false", numbers as their shortest decimal text.
  bool PutBool(const std::string& domain, const std::string& name, bool value);
  std::optional<bool> GetBool(const std::string& domain, const std::string& name) const;
  bool PutNumber(const std::string& domain, const std::string& name, double value);
  std::optional<double> GetNumber(const std::string& domain, const std::string& name) const;

 private:
  int OpenLocked(const std::filesystem::path& path);

  mutable std::mutex mutex_;
  CSqliteDatabase db_;
};

// Limits of the entries written from outside the program (the storage page,
// the command line): the program's own entries are not bound by them.
inline constexpr size_t kMaxStorageKeyBytes = 256;          // domain, name
inline constexpr size_t kMaxStorageValueBytes = 64 * 1024;  // one value
inline constexpr uint64_t kMaxStorageTotalBytes = 32ull * 1024 * 1024;

// Empty when domain/name = value may be written from outside; else why not,
// for the user.
std::string CheckStorageEntry(const CStorage& store, const std::string& domain,
                              const std::string& name, const std::string& value);

// The process store. The first call opens DataFolder()/storage.db; start-up
// reopens it at the data folder it settles on.
CStorage& Storage();

}  // namespace tarnwick
