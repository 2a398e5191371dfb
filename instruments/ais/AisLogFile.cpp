#include "instruments/ais/AisLogFile.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <system_error>

#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Paths.h"
#include "core/Setting.h"
#include "core/settings/AisSettings.h"
#include "instruments/ais/AisTarget.h"

namespace tarnwick {

std::string FormatAisLogLine(const CAisTarget& t, int messageType, int64_t utcMs) {
  const time_t seconds = static_cast<time_t>(utcMs / 1000);
  struct tm utc {};
  gmtime_r(&seconds, &utc);
  char when[40];
  snprintf(when, sizeof when, "%04d%02d%02dT%02d%02d%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
           utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(utcMs % 1000));
  char line[512];
  snprintf(line, sizeof line,
           "%s,%d,%d,%d,%.1f,%d,%f,%f,%.1f,%d,%d,%d,%d,\"%s\",\"%s\",%d,%d,%d,%d,%d,%.1f\n", when,
           messageType, static_cast<int>(t.mmsi), t.navStatus, t.sog / 10.0, t.accuracy, t.lat,
           t.lon, t.cog / 10.0, t.heading, t.second, t.raim, t.rot, t.name.c_str(),
           t.callsign.c_str(), t.shipType, t.toBow, t.toStern, t.toPort, t.toStarboard,
           t.draught / 10.0);
  return line;
}

CAisLogFile::CAisLogFile(std::filesystem::path path, unsigned limitKb)
    : path_(std::move(path)), limitKb_(limitKb) {}

bool CAisLogFile::Append(std::string_view text) {
  std::lock_guard lock(mutex_);
  {
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
      Log("CAisLogFile::Append cannot write %s\n", path_.c_str());
      return false;
    }
  }
  TrimLocked();
  return true;
}

void CAisLogFile::TrimLocked() {
  if (limitKb_ == 0) return;
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path_, error);
  if (error || size <= uintmax_t{limitKb_} * 1024) return;
  // Keep the newest 90 %, starting after a line feed so no line is cut.
  const uintmax_t keep = uintmax_t{limitKb_} * 9216 / 10;
  std::ifstream in(path_, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(size - keep));
  std::string tail(keep, '\0');
  in.read(tail.data(), static_cast<std::streamsize>(keep));
  tail.resize(static_cast<size_t>(in.gcount()));
  const size_t start = tail.find('\n');
  tail.erase(0, start == std::string::npos ? tail.size() : start + 1);
  std::filesystem::path temporary = path_;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
    if (!out) {
      Log("CAisLogFile::Trim cannot write %s\n", temporary.c_str());
      return;
    }
  }
  std::filesystem::rename(temporary, path_, error);
  if (error) Log("CAisLogFile::Trim cannot replace %s (%d)\n", path_.c_str(), error.value());
}

CAisLogFile& AisLogFile() {
  static CAisLogFile file(DataFolder() / "AIS.LOG", kAisLogLimitKb);
  return file;
}

std::string AisLogCommand(std::string_view args) {
  const bool on = EqualsIgnoreCase(args, "on");
  if (!on && !EqualsIgnoreCase(args, "off")) return "Usage: $AisLog on|off";
  opt::AIS_Logging.SetBool(on);
  std::string answer = ExpandMessage("AIS Logging is now $1.\r\n\r\nLog File: \"$2\"",
                                     {on ? "on" : "off", AisLogFile().Path().string()});
  if (AisLogFile().LimitKb() != 0) {
    char limit[48];
    snprintf(limit, sizeof limit, "\r\nLimit: %d KB", static_cast<int>(AisLogFile().LimitKb()));
    answer += limit;
  }
  return answer;
}

}  // namespace tarnwick
