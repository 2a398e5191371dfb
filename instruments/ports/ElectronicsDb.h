#pragma once
// "electronics.db": the settings of every instrument port (one JSON object per
// port address) and the known NMEA 2000 and Corvel devices.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/Sqlite.h"

namespace tarnwick {

struct PortRow {
  std::string port;  // the port address
  std::string json;  // its settings object
};

class CElectronicsDb {
 public:
  // DataFolder()/electronics.db.
  static std::filesystem::path DefaultPath();

  // Opens (creating when missing) the file and its tables; logs and returns false on failure.
  bool Open(const std::filesystem::path& path);
  bool IsOpen() const { return db_.IsOpen(); }

  // Every configured port, ordered by address.
  std::vector<PortRow> ListPorts() const;
  // The port's settings text, nullopt when the port is not configured.
  std::optional<std::string> ReadPort(const std::string& port) const;
  bool WritePort(const std::string& port, const std::string& json);
  // False on a database error; removing an unknown port succeeds.
  bool RemovePort(const std::string& port);

 private:
  CSqliteDatabase db_;
};

}  // namespace tarnwick
