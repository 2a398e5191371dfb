#pragma once
// The chart library's catalogue, "charts.db": the registered sources, the
// charts found in them with what was read from each (header values,
// coverage, status), the charts the navigator removed from a folder, and an
// R*Tree index of the charts' extents in chart Mercator metres.
//
//   ChartSources(path TEXT UNIQUE, folder INTEGER, installation INTEGER)
//   Charts(id INTEGER PRIMARY KEY, name, path UNIQUE, source, kind, status,
//          message, scale, edition, update_number, intu, title,
//          failed_update, update_error, signature, coverage BLOB)
//   ChartExtents USING rtree(id, west, east, south, north)
//   ChartExclusions(path TEXT PRIMARY KEY)
//
// Every row is also held in memory. Writes go through one connection under
// the catalogue's lock; extent queries run on pooled read connections, so any
// number of threads may query at once (the file is in WAL mode).

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "charts/library/ChartLibrary.h"
#include "core/Sqlite.h"

namespace tarnwick {

// A catalogue row: the record and the signature of the files it was read
// from (sizes and modification times), which tells when to read it again.
struct CatalogueRow {
  ChartRecord record;
  std::string signature;
};

class CChartCatalogue {
 public:
  // Opens or creates the file (and its folder). Null with the reason in error.
  static std::unique_ptr<CChartCatalogue> Open(const std::filesystem::path& file,
                                               std::string& error);
  ~CChartCatalogue();

  // Sources. Adding an existing path updates its flags.
  bool PutSource(const ChartSource& source);
  bool RemoveSource(const std::filesystem::path& path);
  std::vector<ChartSource> Sources() const;  // charts counted from the rows

  // Paths the navigator removed from their folders.
  bool Exclude(const std::filesystem::path& path);
  bool Include(const std::filesystem::path& path);
  bool Excluded(const std::filesystem::path& path) const;

  // Rows. Put inserts (record.id 0: a new id is given and returned) or
  // replaces a row with its extent; 0 when it cannot be written.
  int64_t Put(CatalogueRow row);
  bool Remove(int64_t id);
  std::optional<CatalogueRow> Row(int64_t id) const;
  std::optional<CatalogueRow> RowForPath(const std::filesystem::path& path) const;
  std::vector<CatalogueRow> Rows() const;
  // Changes only the status and message of a row (not written to the file
  // for the passing states pending and building).
  bool SetStatus(int64_t id, ChartStatus status, const std::string& message);

  // The ids of the charts whose extents meet box, through the R*Tree. Any thread.
  std::vector<int64_t> Query(const MercatorBox& box) const;

 private:
  struct Reader;
  CChartCatalogue() = default;
  bool WriteRow(const CatalogueRow& row);
  std::unique_ptr<Reader> TakeReader() const;
  void ReturnReader(std::unique_ptr<Reader> reader) const;

  std::filesystem::path file_;
  mutable std::mutex mutex_;
  CSqliteDatabase db_;
  std::map<int64_t, CatalogueRow> rows_;
  std::map<std::filesystem::path, ChartSource> sources_;
  std::set<std::filesystem::path> exclusions_;
  mutable std::mutex readersMutex_;
  mutable std::vector<std::unique_ptr<Reader>> readers_;
};

}  // namespace tarnwick
