#include "core/Sqlite.h"

namespace tarnwick {

CSqliteDatabase::~CSqliteDatabase() { Close(); }

int CSqliteDatabase::Open(const std::filesystem::path& path, int flags) {
  Close();
  int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    Close();
    return rc;
  }
  sqlite3_busy_timeout(db_, 5000);
  return rc;
}

void CSqliteDatabase::Close() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
}

int CSqliteDatabase::Exec(std::string_view sql) {
  if (!db_) return SQLITE_MISUSE;
  std::string text(sql);
  return sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr);
}

std::string CSqliteDatabase::ErrorMessage() const {
  return db_ ? sqlite3_errmsg(db_) : "database not open";
}

CSqliteStatement::CSqliteStatement(const CSqliteDatabase& db, std::string_view sql) {
  if (!db.IsOpen()) return;
  prepareResult_ = sqlite3_prepare_v2(db.Handle(), sql.data(), static_cast<int>(sql.size()),
                                      &stmt_, nullptr);
  if (prepareResult_ != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

CSqliteStatement::~CSqliteStatement() { sqlite3_finalize(stmt_); }

int CSqliteStatement::Index(const char* name) const {
  return stmt_ ? sqlite3_bind_parameter_index(stmt_, name) : 0;
}

bool CSqliteStatement::Bind(const char* name, std::string_view text) {
  int i = Index(name);
  return i > 0 && sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()),
                                    SQLITE_TRANSIENT) == SQLITE_OK;
}

bool CSqliteStatement::Bind(const char* name, int64_t value) {
  int i = Index(name);
  return i > 0 && sqlite3_bind_int64(stmt_, i, value) == SQLITE_OK;
}

bool CSqliteStatement::Bind(const char* name, double value) {
  int i = Index(name);
  return i > 0 && sqlite3_bind_double(stmt_, i, value) == SQLITE_OK;
}

bool CSqliteStatement::BindNull(const char* name) {
  int i = Index(name);
  return i > 0 && sqlite3_bind_null(stmt_, i) == SQLITE_OK;
}

bool CSqliteStatement::BindBlob(const char* name, std::string_view bytes) {
  int i = Index(name);
  return i > 0 && sqlite3_bind_blob64(stmt_, i, bytes.data(), bytes.size(), SQLITE_TRANSIENT) ==
                      SQLITE_OK;
}

int CSqliteStatement::Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_MISUSE; }

bool CSqliteStatement::Reset() { return stmt_ && sqlite3_reset(stmt_) == SQLITE_OK; }

bool CSqliteStatement::IsNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::string CSqliteStatement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  if (!text) return {};
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::string CSqliteStatement::Blob(int column) const {
  const void* bytes = sqlite3_column_blob(stmt_, column);
  if (!bytes) return {};
  return std::string(static_cast<const char*>(bytes),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

int64_t CSqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }
double CSqliteStatement::Real(int column) const { return sqlite3_column_double(stmt_, column); }
int CSqliteStatement::ColumnCount() const { return stmt_ ? sqlite3_column_count(stmt_) : 0; }
std::string CSqliteStatement::ColumnName(int column) const {
  const char* name = sqlite3_column_name(stmt_, column);
  return name ? name : "";
}

}  // namespace tarnwick
