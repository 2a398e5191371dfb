#include "charts/library/ChartCatalogue.h"

#include "core/Log.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "CREATE TABLE IF NOT EXISTS ChartSources("
    "  path TEXT PRIMARY KEY, folder INTEGER NOT NULL, installation INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS Charts("
    "  id INTEGER PRIMARY KEY, name TEXT NOT NULL, path TEXT NOT NULL UNIQUE,"
    "  source TEXT NOT NULL, kind TEXT NOT NULL, status TEXT NOT NULL,"
    "  message TEXT NOT NULL DEFAULT '', scale INTEGER NOT NULL DEFAULT 0,"
    "  edition INTEGER, update_number INTEGER, intu INTEGER NOT NULL DEFAULT 0,"
    "  title TEXT NOT NULL DEFAULT '', failed_update TEXT NOT NULL DEFAULT '',"
    "  update_error TEXT NOT NULL DEFAULT '', signature TEXT NOT NULL DEFAULT '',"
    "  coverage BLOB);"
    "CREATE INDEX IF NOT EXISTS ChartsByName ON Charts(name);"
    "CREATE VIRTUAL TABLE IF NOT EXISTS ChartExtents USING rtree(id, west, east, south, north);"
    "CREATE TABLE IF NOT EXISTS ChartExclusions(path TEXT PRIMARY KEY);";

constexpr const char* kQuery =
    "SELECT id FROM ChartExtents WHERE west <= :east AND east >= :west AND south <= :north AND "
    "north >= :south";

std::optional<ChartKind> ParseKind(const std::string& text) {
  for (ChartKind kind : {ChartKind::kVector, ChartKind::kKap, ChartKind::kGeoTiff})
    if (text == ChartKindName(kind)) return kind;
  return std::nullopt;
}

ChartStatus ParseStatus(const std::string& text) {
  for (ChartStatus status : {ChartStatus::kReady, ChartStatus::kFailed, ChartStatus::kSuperseded,
                             ChartStatus::kBuilding})
    if (text == ChartStatusName(status)) return status;
  return ChartStatus::kPending;
}

std::optional<uint32_t> OptionalInt(const CSqliteStatement& s, int column) {
  if (s.IsNull(column)) return std::nullopt;
  return static_cast<uint32_t>(s.Int(column));
}

// A chart that was being built when the program ended is built again.
ChartStatus Stored(ChartStatus status) {
  return status == ChartStatus::kBuilding ? ChartStatus::kPending : status;
}

}  // namespace

struct CChartCatalogue::Reader {
  CSqliteDatabase db;
  std::unique_ptr<CSqliteStatement> query;
};

CChartCatalogue::~CChartCatalogue() = default;

std::unique_ptr<CChartCatalogue> CChartCatalogue::Open(const std::filesystem::path& file,
                                                       std::string& error) {
  std::unique_ptr<CChartCatalogue> catalogue(new CChartCatalogue());
  catalogue->file_ = file;
  if (!EnsureFolder(file.parent_path())) {
    error = "cannot make the folder " + file.parent_path().string();
    return nullptr;
  }
  CSqliteDatabase& db = catalogue->db_;
  if (db.Open(file) != SQLITE_OK || db.Exec(kSchema) != SQLITE_OK) {
    error = "cannot open the chart catalogue " + file.string() + ": " + db.ErrorMessage();
    Log("CChartCatalogue::Open: %s\n", error.c_str());
    return nullptr;
  }
  {
    CSqliteStatement s(db, "SELECT path, folder, installation FROM ChartSources");
    while (s.Step() == SQLITE_ROW) {
      ChartSource source{s.Text(0), s.Int(1) != 0, s.Int(2) != 0, 0};
      catalogue->sources_[source.path] = source;
    }
  }
  {
    CSqliteStatement s(db, "SELECT path FROM ChartExclusions");
    while (s.Step() == SQLITE_ROW) catalogue->exclusions_.insert(s.Text(0));
  }
  CSqliteStatement s(
      db,
      "SELECT c.id, name, path, source, kind, status, message, scale, edition, "
      "update_number, intu, title, failed_update, update_error, signature, coverage, "
      "e.west, e.south, e.east, e.north FROM Charts c "
      "LEFT JOIN ChartExtents e ON e.id = c.id");
  while (s.Step() == SQLITE_ROW) {
    const auto kind = ParseKind(s.Text(4));
    if (!kind) continue;
    CatalogueRow row;
    ChartRecord& r = row.record;
    r.id = s.Int(0);
    r.name = s.Text(1);
    r.path = s.Text(2);
    r.source = s.Text(3);
    r.kind = *kind;
    r.status = Stored(ParseStatus(s.Text(5)));
    r.message = s.Text(6);
    r.scale = static_cast<uint32_t>(s.Int(7));
    r.edition = OptionalInt(s, 8);
    r.update = OptionalInt(s, 9);
    r.intendedUsage = static_cast<uint32_t>(s.Int(10));
    r.title = s.Text(11);
    r.failedUpdate = s.Text(12);
    r.updateError = s.Text(13);
    row.signature = s.Text(14);
    if (!s.IsNull(15)) {
      ChartRegion rings = DecodeRegion(s.Blob(15));
      if (!rings.empty())
        r.coverage =
            std::make_shared<const ChartCoverage>(ChartCoverage::FromRings(std::move(rings)));
    }
    if (!s.IsNull(16)) r.extent = {s.Real(16), s.Real(17), s.Real(18), s.Real(19)};
    if (r.coverage) r.extent = r.coverage->box;  // exact, where the index keeps floats
    catalogue->rows_[r.id] = std::move(row);
  }
  return catalogue;
}

bool CChartCatalogue::PutSource(const ChartSource& source) {
  std::lock_guard lock(mutex_);
  CSqliteStatement s(db_,
                     "INSERT OR REPLACE INTO ChartSources(path, folder, installation) "
                     "VALUES(:path, :folder, :installation)");
  s.Bind(":path", source.path.string());
  s.Bind(":folder", int64_t{source.folder});
  s.Bind(":installation", int64_t{source.installation});
  if (s.Step() != SQLITE_DONE) {
    Log("CChartCatalogue::PutSource(%s): %s\n", source.path.c_str(), db_.ErrorMessage().c_str());
    return false;
  }
  sources_[source.path] = source;
  return true;
}

bool CChartCatalogue::RemoveSource(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  if (!sources_.erase(path)) return false;
  CSqliteStatement s(db_, "DELETE FROM ChartSources WHERE path = :path");
  s.Bind(":path", path.string());
  return s.Step() == SQLITE_DONE;
}

std::vector<ChartSource> CChartCatalogue::Sources() const {
  std::lock_guard lock(mutex_);
  std::vector<ChartSource> out;
  for (const auto& [path, source] : sources_) {
    ChartSource counted = source;
    for (const auto& [id, row] : rows_)
      if (row.record.source == path) ++counted.charts;
    out.push_back(counted);
  }
  return out;
}

bool CChartCatalogue::Exclude(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  CSqliteStatement s(db_, "INSERT OR IGNORE INTO ChartExclusions(path) VALUES(:path)");
  s.Bind(":path", path.string());
  if (s.Step() != SQLITE_DONE) return false;
  exclusions_.insert(path);
  return true;
}

bool CChartCatalogue::Include(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  if (!exclusions_.erase(path)) return false;
  CSqliteStatement s(db_, "DELETE FROM ChartExclusions WHERE path = :path");
  s.Bind(":path", path.string());
  return s.Step() == SQLITE_DONE;
}

bool CChartCatalogue::Excluded(const std::filesystem::path& path) const {
  std::lock_guard lock(mutex_);
  return exclusions_.count(path) > 0;
}

bool CChartCatalogue::WriteRow(const CatalogueRow& row) {
  const ChartRecord& r = row.record;
  CSqliteStatement s(db_,
                     "INSERT OR REPLACE INTO Charts(id, name, path, source, kind, status, message, "
                     "scale, edition, update_number, intu, title, failed_update, update_error, "
                     "signature, coverage) VALUES(:id, :name, :path, :source, :kind, :status, "
                     ":message, :scale, :edition, :update, :intu, :title, :failed, :error, "
                     ":signature, :coverage)");
  s.Bind(":id", r.id);
  s.Bind(":name", r.name);
  s.Bind(":path", r.path.string());
  s.Bind(":source", r.source.string());
  s.Bind(":kind", ChartKindName(r.kind));
  s.Bind(":status", ChartStatusName(Stored(r.status)));
  s.Bind(":message", r.message);
  s.Bind(":scale", int64_t{r.scale});
  if (r.edition)
    s.Bind(":edition", int64_t{*r.edition});
  else
    s.BindNull(":edition");
  if (r.update)
    s.Bind(":update", int64_t{*r.update});
  else
    s.BindNull(":update");
  s.Bind(":intu", int64_t{r.intendedUsage});
  s.Bind(":title", r.title);
  s.Bind(":failed", r.failedUpdate);
  s.Bind(":error", r.updateError);
  s.Bind(":signature", row.signature);
  if (r.coverage)
    s.BindBlob(":coverage", EncodeRegion(r.coverage->rings));
  else
    s.BindNull(":coverage");
  if (s.Step() != SQLITE_DONE) return false;
  CSqliteStatement drop(db_, "DELETE FROM ChartExtents WHERE id = :id");
  drop.Bind(":id", r.id);
  if (drop.Step() != SQLITE_DONE) return false;
  if (r.extent.west > r.extent.east || r.extent.south > r.extent.north) return true;
  CSqliteStatement extent(db_,
                          "INSERT INTO ChartExtents(id, west, east, south, north) "
                          "VALUES(:id, :west, :east, :south, :north)");
  extent.Bind(":id", r.id);
  extent.Bind(":west", r.extent.west);
  extent.Bind(":east", r.extent.east);
  extent.Bind(":south", r.extent.south);
  extent.Bind(":north", r.extent.north);
  return extent.Step() == SQLITE_DONE;
}

int64_t CChartCatalogue::Put(CatalogueRow row) {
  std::lock_guard lock(mutex_);
  if (row.record.id == 0) {
    CSqliteStatement next(db_, "SELECT COALESCE(MAX(id), 0) + 1 FROM Charts");
    if (next.Step() != SQLITE_ROW) return 0;
    row.record.id = next.Int(0);
  }
  db_.Exec("BEGIN");
  if (!WriteRow(row)) {
    Log("CChartCatalogue::Put(%s): %s\n", row.record.path.c_str(), db_.ErrorMessage().c_str());
    db_.Exec("ROLLBACK");
    return 0;
  }
  db_.Exec("COMMIT");
  const int64_t id = row.record.id;
  rows_[id] = std::move(row);
  return id;
}

bool CChartCatalogue::Remove(int64_t id) {
  std::lock_guard lock(mutex_);
  if (!rows_.erase(id)) return false;
  db_.Exec("BEGIN");
  CSqliteStatement chart(db_, "DELETE FROM Charts WHERE id = :id");
  chart.Bind(":id", id);
  CSqliteStatement extent(db_, "DELETE FROM ChartExtents WHERE id = :id");
  extent.Bind(":id", id);
  const bool ok = chart.Step() == SQLITE_DONE && extent.Step() == SQLITE_DONE;
  db_.Exec(ok ? "COMMIT" : "ROLLBACK");
  return ok;
}

std::optional<CatalogueRow> CChartCatalogue::Row(int64_t id) const {
  std::lock_guard lock(mutex_);
  const auto it = rows_.find(id);
  if (it == rows_.end()) return std::nullopt;
  return it->second;
}

std::optional<CatalogueRow> CChartCatalogue::RowForPath(const std::filesystem::path& path) const {
  std::lock_guard lock(mutex_);
  for (const auto& [id, row] : rows_)
    if (row.record.path == path) return row;
  return std::nullopt;
}

std::vector<CatalogueRow> CChartCatalogue::Rows() const {
  std::lock_guard lock(mutex_);
  std::vector<CatalogueRow> out;
  out.reserve(rows_.size());
  for (const auto& [id, row] : rows_) out.push_back(row);
  return out;
}

bool CChartCatalogue::SetStatus(int64_t id, ChartStatus status, const std::string& message) {
  std::lock_guard lock(mutex_);
  const auto it = rows_.find(id);
  if (it == rows_.end()) return false;
  it->second.record.status = status;
  it->second.record.message = message;
  if (status == ChartStatus::kPending || status == ChartStatus::kBuilding) return true;
  CSqliteStatement s(db_, "UPDATE Charts SET status = :status, message = :message WHERE id = :id");
  s.Bind(":status", ChartStatusName(status));
  s.Bind(":message", message);
  s.Bind(":id", id);
  return s.Step() == SQLITE_DONE;
}

std::unique_ptr<CChartCatalogue::Reader> CChartCatalogue::TakeReader() const {
  {
    std::lock_guard lock(readersMutex_);
    if (!readers_.empty()) {
      auto reader = std::move(readers_.back());
      readers_.pop_back();
      return reader;
    }
  }
  auto reader = std::make_unique<Reader>();
  if (reader->db.Open(file_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX) != SQLITE_OK)
    return nullptr;
  reader->query = std::make_unique<CSqliteStatement>(reader->db, kQuery);
  if (!reader->query->IsValid()) return nullptr;
  return reader;
}

void CChartCatalogue::ReturnReader(std::unique_ptr<Reader> reader) const {
  std::lock_guard lock(readersMutex_);
  readers_.push_back(std::move(reader));
}

std::vector<int64_t> CChartCatalogue::Query(const MercatorBox& box) const {
  std::vector<int64_t> ids;
  auto reader = TakeReader();
  if (!reader) {
    Log("CChartCatalogue::Query: cannot read %s\n", file_.c_str());
    return ids;
  }
  CSqliteStatement& q = *reader->query;
  q.Bind(":west", box.west);
  q.Bind(":east", box.east);
  q.Bind(":south", box.south);
  q.Bind(":north", box.north);
  while (q.Step() == SQLITE_ROW) ids.push_back(q.Int(0));
  q.Reset();
  ReturnReader(std::move(reader));
  return ids;
}

}  // namespace tarnwick
