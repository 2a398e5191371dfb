#pragma once
// Thin RAII over SQLite: a connection and prepared statements bound by
// parameter name (":name"). Used by every database of the program.

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

class CSqliteDatabase {
 public:
  CSqliteDatabase() = default;
  ~CSqliteDatabase();
  CSqliteDatabase(const CSqliteDatabase&) = delete;
  CSqliteDatabase& operator=(const CSqliteDatabase&) = delete;

  // Opens path with flags (SQLITE_OPEN_*); returns the SQLite result code.
  int Open(const std::filesystem::path& path,
           int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  // Runs one or more statements without results; returns the SQLite result code.
  int Exec(std::string_view sql);
  std::string ErrorMessage() const;
  sqlite3* Handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class CSqliteStatement {
 public:
  CSqliteStatement(const CSqliteDatabase& db, std::string_view sql);
  ~CSqliteStatement();
  CSqliteStatement(const CSqliteStatement&) = delete;
  CSqliteStatement& operator=(const CSqliteStatement&) = delete;

  bool IsValid() const { return stmt_ != nullptr; }
  int PrepareResult() const { return prepareResult_; }

  // Binds by parameter name (":domain"); false when the name is unknown.
  bool Bind(const char* name, std::string_view text);
  bool Bind(const char* name, int64_t value);
  bool Bind(const char* name, double value);
  bool BindNull(const char* name);
  bool BindBlob(const char* name, std::string_view bytes);

  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  bool Reset();

  bool IsNull(int column) const;
  std::string Text(int column) const;
  int64_t Int(int column) const;
  double Real(int column) const;
  // The column's bytes as stored (blobs included).
  std::string Blob(int column) const;
  int ColumnCount() const;
  std::string ColumnName(int column) const;

 private:
  int Index(const char* name) const;

  sqlite3_stmt* stmt_ = nullptr;
  int prepareResult_ = SQLITE_MISUSE;
};

}  // namespace tarnwick
