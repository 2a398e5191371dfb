#include "instruments/ports/ElectronicsDb.h"

#include "core/Log.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS PortMonitors (port TEXT PRIMARY KEY, json TEXT);"
    "CREATE TABLE IF NOT EXISTS NMEA2000_Devices (name TEXT PRIMARY KEY, json TEXT);"
    "CREATE TABLE IF NOT EXISTS Corvel_Devices (serial TEXT PRIMARY KEY, label TEXT, "
    "firmware_date TEXT, firmware_url TEXT);";

}  // namespace

std::filesystem::path CElectronicsDb::DefaultPath() {
  return DataFolder() / "electronics.db";
}

bool CElectronicsDb::Open(const std::filesystem::path& path) {
  const int rc = db_.Open(path);
  if (rc != SQLITE_OK) {
    Log("CElectronicsDb: cannot open %s (%d)\n", path.c_str(), rc);
    db_.Close();
    return false;
  }
  if (db_.Exec(kSchema) != SQLITE_OK) {
    Log("CElectronicsDb: cannot create tables in %s: %s\n", path.c_str(),
        db_.ErrorMessage().c_str());
    db_.Close();
    return false;
  }
  return true;
}

std::vector<PortRow> CElectronicsDb::ListPorts() const {
  std::vector<PortRow> rows;
  if (!db_.IsOpen()) return rows;
  CSqliteStatement select(db_, "SELECT port, json FROM PortMonitors ORDER BY port;");
  while (select.IsValid() && select.Step() == SQLITE_ROW)
    rows.push_back({select.Text(0), select.Text(1)});
  return rows;
}

std::optional<std::string> CElectronicsDb::ReadPort(const std::string& port) const {
  if (!db_.IsOpen()) return std::nullopt;
  CSqliteStatement select(db_, "SELECT json FROM PortMonitors WHERE port = :port;");
  if (!select.Bind(":port", port) || select.Step() != SQLITE_ROW) return std::nullopt;
  return select.Text(0);
}

bool CElectronicsDb::WritePort(const std::string& port, const std::string& json) {
  if (!db_.IsOpen()) return false;
  CSqliteStatement insert(
      db_, "INSERT OR REPLACE INTO PortMonitors (port, json) VALUES (:port, :json);");
  if (!insert.Bind(":port", port) || !insert.Bind(":json", json)) return false;
  const int rc = insert.Step();
  if (rc != SQLITE_DONE) Log("CElectronicsDb: cannot write port %s (%d)\n", port.c_str(), rc);
  return rc == SQLITE_DONE;
}

bool CElectronicsDb::RemovePort(const std::string& port) {
  if (!db_.IsOpen()) return false;
  CSqliteStatement remove(db_, "DELETE FROM PortMonitors WHERE port = :port;");
  if (!remove.Bind(":port", port)) return false;
  const int rc = remove.Step();
  if (rc != SQLITE_DONE) Log("CElectronicsDb: cannot remove port %s (%d)\n", port.c_str(), rc);
  return rc == SQLITE_DONE;
}

}  // namespace tarnwick
