#include "recording/logbook/LogBook.h"

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

constexpr const char* kOpenStatements[] = {
    "PRAGMA journal_mode=WAL;",
    "PRAGMA synchronous=1;",
    "CREATE TABLE IF NOT EXISTS Entries (parent INTEGER,created DATETIME DEFAULT "
    "CURRENT_TIMESTAMP,category INTEGER,type INTEGER,content TEXT );",
    "CREATE INDEX IF NOT EXISTS IdxEntriesCreated ON Entries (created);",
    "CREATE TABLE IF NOT EXISTS Track (created DATETIME DEFAULT CURRENT_TIMESTAMP,lat REAL,lon "
    "REAL,sog REAL,cog REAL,hdg REAL,dpt REAL);",
};

}  // namespace

CLogBook::CLogBook(std::filesystem::path path) : path_(std::move(path)) {}

bool CLogBook::Open() {
  std::lock_guard lock(mutex_);
  return OpenLocked();
}

void CLogBook::Close() {
  std::lock_guard lock(mutex_);
  db_.Close();
}

bool CLogBook::OpenLocked() {
  if (db_.IsOpen()) return true;
  if (int rc = db_.Open(path_); rc != SQLITE_OK) {
    LogDebug("CLogBook::Open %s failed (%d)\n", path_.c_str(), rc);
    return false;
  }
  for (const char* sql : kOpenStatements) {
    if (db_.Exec(sql) != SQLITE_OK) {
      LogDebug("CLogBook::Open %s: %s\n", sql, db_.ErrorMessage().c_str());
      db_.Close();
      return false;
    }
  }
  return true;
}

std::optional<int64_t> CLogBook::AddEntry(int category, int type,
                                          std::optional<std::string_view> content, int64_t parent) {
  std::lock_guard lock(mutex_);
  if (!OpenLocked()) return std::nullopt;
  CSqliteStatement statement(db_,
                             "INSERT INTO Entries (category, type, content, parent) VALUES "
                             "(:category, :type, :content, :parent);");
  statement.Bind(":category", static_cast<int64_t>(category));
  statement.Bind(":type", static_cast<int64_t>(type));
  if (content)
    statement.Bind(":content", *content);
  else
    statement.BindNull(":content");
  if (parent != 0)
    statement.Bind(":parent", parent);
  else
    statement.BindNull(":parent");
  if (statement.Step() != SQLITE_DONE) {
    LogDebug("CLogBook::AddEntry: %s\n", db_.ErrorMessage().c_str());
    return std::nullopt;
  }
  lastWriteTick_.store(TickCount());
  return sqlite3_last_insert_rowid(db_.Handle());
}

std::optional<int64_t> CLogBook::Write(const LogEntry& entry) {
  if (entry.Empty()) return std::nullopt;
  return AddEntry(entry.Category(), entry.Type(), entry.ContentJson(), entry.Parent());
}

bool CLogBook::AddTrackPoint(const LogTrackPoint& point) {
  std::lock_guard lock(mutex_);
  if (!OpenLocked()) return false;
  CSqliteStatement statement(db_,
                             "INSERT INTO Track (lat, lon, sog, cog, hdg, dpt) VALUES (:lat, "
                             ":lon, :sog, :cog, :hdg, :dpt);");
  statement.Bind(":lat", point.position.lat);
  statement.Bind(":lon", point.position.lon);
  statement.Bind(":sog", point.sog);
  statement.Bind(":cog", point.cog);
  if (point.heading)
    statement.Bind(":hdg", *point.heading);
  else
    statement.BindNull(":hdg");
  if (point.depth)
    statement.Bind(":dpt", *point.depth);
  else
    statement.BindNull(":dpt");
  if (statement.Step() != SQLITE_DONE) {
    LogDebug("CLogBook::AddTrackPoint: %s\n", db_.ErrorMessage().c_str());
    return false;
  }
  lastWriteTick_.store(TickCount());
  return true;
}

CLogBook& LogBook() {
  static CLogBook book(DataFolder() / "log.db");
  return book;
}

}  // namespace tarnwick
