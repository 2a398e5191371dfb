#include "core/Storage.h"

#include <algorithm>

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "core/Log.h"
#include "core/Paths.h"
#include "core/Watchdog.h"

namespace tarnwick {
namespace {

constexpr const char* kCreateSql =
    "CREATE TABLE IF NOT EXISTS Storage (Domain TEXT NOT NULL,Name TEXT NOT NULL,Value "
    "TEXT,CONSTRAINT DomainName UNIQUE (Domain, Name) ON CONFLICT REPLACE);CREATE INDEX IF NOT "
    "EXISTS DomainsNames ON Storage (Domain, Name);";
constexpr const char* kPutSql =
    "INSERT INTO Storage (Domain, Name, Value) VALUES (:domain, :name, :value);";
constexpr const char* kGetSql = "SELECT Value FROM Storage WHERE Domain = :domain AND Name = :name;";
constexpr const char* kRemoveSql = "DELETE FROM Storage WHERE Domain = :domain AND Name = :name;";
constexpr const char* kListNamesSql = "SELECT Name FROM Storage WHERE Domain = :domain;";
constexpr const char* kListEntriesSql = "SELECT Name, Value FROM Storage WHERE Domain = :domain;";
constexpr const char* kListDomainsSql = "SELECT DISTINCT Domain FROM Storage ORDER BY Domain;";
constexpr const char* kQuickCheckSql = "PRAGMA quick_check(1);";
constexpr const char* kTotalBytesSql =
    "SELECT IFNULL(SUM(LENGTH(CAST(Domain AS BLOB)) + LENGTH(CAST(Name AS BLOB)) + "
    "LENGTH(CAST(Value AS BLOB))), 0) FROM Storage;";

}  // namespace

bool CStorage::Open(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  return OpenLocked(path) == SQLITE_OK;
}

int CStorage::OpenLocked(const std::filesystem::path& path) {
  int rc = db_.Open(path);
  if (rc == SQLITE_OK) rc = db_.Exec(kCreateSql);
  if (rc == SQLITE_OK) {
    // A damaged page shows only when it is read: check them all now, while
    // nothing has been trusted to the store yet.
    CSqliteStatement check(db_, kQuickCheckSql);
    rc = check.Step();
    if (rc == SQLITE_ROW) rc = check.Text(0) == "ok" ? SQLITE_OK : SQLITE_CORRUPT;
  }
  if (rc != SQLITE_OK) {
    Log("Storage: Cannot open database! (%d)\n", rc);
    db_.Close();
  }
  return rc;
}

StorageOpening CStorage::OpenOrSetAside(const std::filesystem::path& path, int64_t utcMs) {
  std::lock_guard lock(mutex_);
  StorageOpening result;
  result.code = OpenLocked(path);
  if (result.code == SQLITE_OK) {
    result.opened = true;
    return result;
  }
  result.problem = sqlite3_errstr(result.code);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return result;  // the folder itself is the problem
  const std::string aside = path.string() + ".damaged-" + FormatCompactUtc(utcMs);
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    const std::filesystem::path companion = path.string() + suffix;
    if (std::filesystem::exists(companion, ec))
      std::filesystem::rename(companion, aside + suffix, ec);
  }
  std::filesystem::rename(path, aside, ec);
  if (ec) {
    Log("Storage: cannot move %s aside (%s)\n", path.c_str(), ec.message().c_str());
    return result;
  }
  result.setAside = aside;
  Log("Storage: %s (%s) was moved to %s; starting a fresh store\n", path.c_str(),
      result.problem.c_str(), aside.c_str());
  result.opened = OpenLocked(path) == SQLITE_OK;
  return result;
}

bool CStorage::IsOpen() const {
  std::lock_guard lock(mutex_);
  return db_.IsOpen();
}

void CStorage::Close() {
  std::lock_guard lock(mutex_);
  db_.Close();
}

bool CStorage::Put(const std::string& domain, const std::string& name, const std::string& value) {
  std::lock_guard lock(mutex_);
  CSqliteStatement stmt(db_, kPutSql);
  return stmt.Bind(":domain", domain) && stmt.Bind(":name", name) && stmt.Bind(":value", value) &&
         stmt.Step() == SQLITE_DONE;
}

std::optional<std::string> CStorage::Get(const std::string& domain,
                                         const std::string& name) const {
  std::lock_guard lock(mutex_);
  CSqliteStatement stmt(db_, kGetSql);
  if (!stmt.Bind(":domain", domain) || !stmt.Bind(":name", name)) return std::nullopt;
  if (stmt.Step() != SQLITE_ROW) return std::nullopt;
  return stmt.Text(0);
}

bool CStorage::Remove(const std::string& domain, const std::string& name) {
  std::lock_guard lock(mutex_);
  CSqliteStatement stmt(db_, kRemoveSql);
  return stmt.Bind(":domain", domain) && stmt.Bind(":name", name) && stmt.Step() == SQLITE_DONE;
}

std::vector<std::string> CStorage::ListNames(const std::string& domain) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  CSqliteStatement stmt(db_, kListNamesSql);
  if (!stmt.Bind(":domain", domain)) return names;
  while (stmt.Step() == SQLITE_ROW) names.push_back(stmt.Text(0));
  return names;
}

std::vector<StorageEntry> CStorage::ListEntries(const std::string& domain) const {
  std::lock_guard lock(mutex_);
  std::vector<StorageEntry> entries;
  CSqliteStatement stmt(db_, kListEntriesSql);
  if (!stmt.Bind(":domain", domain)) return entries;
  while (stmt.Step() == SQLITE_ROW) entries.push_back({stmt.Text(0), stmt.Text(1)});
  return entries;
}

std::vector<std::string> CStorage::ListDomains() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> domains;
  CSqliteStatement stmt(db_, kListDomainsSql);
  while (stmt.Step() == SQLITE_ROW) domains.push_back(stmt.Text(0));
  return domains;
}

uint64_t CStorage::TotalBytes() const {
  std::lock_guard lock(mutex_);
  CSqliteStatement stmt(db_, kTotalBytesSql);
  return stmt.Step() == SQLITE_ROW ? static_cast<uint64_t>(stmt.Int(0)) : 0;
}

std::string CheckStorageEntry(const CStorage& store, const std::string& domain,
                              const std::string& name, const std::string& value) {
  if (domain.size() > kMaxStorageKeyBytes || name.size() > kMaxStorageKeyBytes)
    return "A domain or name is at most " + std::to_string(kMaxStorageKeyBytes) + " bytes.";
  if (value.size() > kMaxStorageValueBytes)
    return "A value is at most " + std::to_string(kMaxStorageValueBytes / 1024) + " KiB.";
  const std::optional<std::string> old = store.Get(domain, name);
  const uint64_t total = store.TotalBytes();
  const uint64_t replaced = old ? std::min<uint64_t>(total, domain.size() + name.size() + old->size()) : 0;
  if (total - replaced + domain.size() + name.size() + value.size() > kMaxStorageTotalBytes)
    return "The store is full (" + std::to_string(kMaxStorageTotalBytes / (1024 * 1024)) +
           " MiB); remove entries first.";
  return "";
}

bool CStorage::PutBool(const std::string& domain, const std::string& name, bool value) {
  return Put(domain, name, value ? "true" : "false");
}

std::optional<bool> CStorage::GetBool(const std::string& domain, const std::string& name) const {
  auto text = Get(domain, name);
  if (!text) return std::nullopt;
  return *text == "true";
}

bool CStorage::PutNumber(const std::string& domain, const std::string& name, double value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value);
  return Put(domain, name, std::string(text, result.ptr));
}

std::optional<double> CStorage::GetNumber(const std::string& domain,
                                          const std::string& name) const {
  auto text = Get(domain, name);
  if (!text) return std::nullopt;
  return strtod(text->c_str(), nullptr);
}

CStorage& Storage() {
  static CStorage* store = [] {
    auto* s = new CStorage;
    EnsureFolder(DataFolder());
    s->Open(DataFolder() / "storage.db");
    return s;
  }();
  return *store;
}

}  // namespace tarnwick
