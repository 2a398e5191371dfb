#include "environment/tides/HarmonicProvider.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "core/Log.h"
#include "core/units/UnitFormat.h"
#include "environment/tides/HarmonicRecords.h"
#include "environment/tides/TideTexts.h"

namespace tarnwick {
namespace {

constexpr const char* kStationColumns =
    "SELECT Type, Stations.Name, Latitude, Longitude, Stations.StationID, Area, SubArea, "
    "Stations.Content, TIDECON.Name AS RefName, TIDECON.Content AS RefContent FROM Stations "
    "LEFT OUTER JOIN TIDECON ON Stations.ConstituentID = TIDECON.StationIndex ";
// Keys of stations that share their identifier with an earlier one.
constexpr const char* kRowKeyPrefix = "row-";

const char* TypeName(TideStationKind kind) { return TideStationKindName(kind); }

class CHarmonicTideStation final : public ITideStation {
 public:
  CHarmonicTideStation(TideStationSummary summary, HarmonicStationContent content,
                       std::string area, std::string subArea, std::string referenceName,
                       std::string referenceUrl, HarmonicStation station)
      : summary_(std::move(summary)),
        content_(std::move(content)),
        area_(std::move(area)),
        subArea_(std::move(subArea)),
        referenceName_(std::move(referenceName)),
        referenceUrl_(std::move(referenceUrl)),
        station_(std::move(station)) {}

  const TideStationSummary& Summary() const override { return summary_; }
  std::string Units() const override { return content_.Current() ? "knots" : content_.units; }
  std::optional<int> FloodDirection() const override { return content_.floodDirection; }
  std::optional<int> EbbDirection() const override { return content_.ebbDirection; }
  std::optional<double> Value(int64_t t) override { return station_.Level(t); }
  std::vector<TideEvent> Events(int64_t start, int64_t end) override {
    return station_.Events(start, end);
  }
  bool CanGraph() const override { return true; }
  std::optional<LevelRange> Range() override { return station_.Range(); }
  StationPageKeys PageKeys() override;

 private:
  TideStationSummary summary_;
  HarmonicStationContent content_;
  std::string area_;
  std::string subArea_;
  std::string referenceName_;
  std::string referenceUrl_;
  HarmonicStation station_;
};

StationPageKeys CHarmonicTideStation::PageKeys() {
  StationPageKeys keys;
  char text[96];
  keys.emplace_back("station-id", summary_.id);
  keys.emplace_back("name", summary_.name);
  keys.emplace_back("station-type", summary_.reference ? "reference" : "subordinate");
  keys.emplace_back("can-graph", "true");
  keys.emplace_back("position", FormatLatitude(summary_.lat) + " " + FormatLongitude(summary_.lon));
  if (!area_.empty()) keys.emplace_back("area", subArea_.empty() ? area_ : subArea_ + ", " + area_);
  keys.emplace_back("units", content_.units);
  keys.emplace_back("time-meridian", MeridianText(content_.meridianMinutes));
  if (!content_.Current()) {
    const double metres = content_.units == "feet" ? content_.meanLevel * 0.3048 : content_.meanLevel;
    std::snprintf(text, sizeof text, "%.2f meters", metres);
    keys.emplace_back("mean-tide-level", text);
    if (!content_.datum.empty()) keys.emplace_back("datum", content_.datum);
  }
  if (content_.floodDirection) keys.emplace_back("flood-dir", DirectionText(*content_.floodDirection));
  if (content_.ebbDirection) keys.emplace_back("ebb-dir", DirectionText(*content_.ebbDirection));
  if (content_.Current()) {
    const LevelRange range = station_.Range();
    std::snprintf(text, sizeof text, "%.1f kn", range.upper);
    keys.emplace_back("max-flood", text);
    std::snprintf(text, sizeof text, "%.1f kn", std::fabs(range.lower));
    keys.emplace_back("max-ebb", text);
    if (content_.averageSpeedFlood) {
      std::snprintf(text, sizeof text, "%.1f kn", *content_.averageSpeedFlood);
      keys.emplace_back("average-speed-flood", text);
    }
    if (content_.averageSpeedEbb) {
      std::snprintf(text, sizeof text, "%.1f kn", *content_.averageSpeedEbb);
      keys.emplace_back("average-speed-ebb", text);
    }
  }
  if (!summary_.reference) {
    keys.emplace_back("reference-station", referenceName_);
    keys.emplace_back("reference-station-id", content_.referenceId);
    keys.emplace_back("reference-station-link", referenceUrl_);
    if (content_.Current()) {
      keys.emplace_back("flood-time-adjustment", TimeAdjustmentText(content_.highTimeMinutes));
      keys.emplace_back("ebb-time-adjustment", TimeAdjustmentText(content_.lowTimeMinutes));
      if (content_.floodBeginsMinutes) {
        keys.emplace_back("minimum-before-flood-time-adjustment",
                          TimeAdjustmentText(*content_.floodBeginsMinutes));
      }
      if (content_.ebbBeginsMinutes) {
        keys.emplace_back("minimum-before-ebb-time-adjustment",
                          TimeAdjustmentText(*content_.ebbBeginsMinutes));
      }
      std::snprintf(text, sizeof text, "%.1f%%", content_.high.multiplier * 100);
      keys.emplace_back("flood-ref-percent", text);
      std::snprintf(text, sizeof text, "%.1f%%", content_.low.multiplier * 100);
      keys.emplace_back("ebb-ref-percent", text);
    } else {
      keys.emplace_back("high-tide-time-adjustment", TimeAdjustmentText(content_.highTimeMinutes));
      keys.emplace_back("high-tide-height-adjustment", HeightAdjustmentText(content_.high));
      keys.emplace_back("low-tide-time-adjustment", TimeAdjustmentText(content_.lowTimeMinutes));
      keys.emplace_back("low-tide-height-adjustment", HeightAdjustmentText(content_.low));
    }
  }
  if (!content_.timezone.empty()) keys.emplace_back("timezone", content_.timezone);
  if (!content_.notes.empty()) keys.emplace_back("notes", content_.notes);
  return keys;
}

}  // namespace

CHarmonicProvider::CHarmonicProvider(std::string name, TideStationKind kind,
                                     std::shared_ptr<CHarmonicYears> years)
    : name_(std::move(name)), kind_(kind), years_(std::move(years)) {}

std::unique_ptr<CHarmonicProvider> CHarmonicProvider::Open(std::string name, TideStationKind kind,
                                                           const std::filesystem::path& path,
                                                           std::shared_ptr<CHarmonicYears> years,
                                                           std::string& error) {
  if (!years) years = CHarmonicYears::OpenDatabase(path, error);
  if (!years) return nullptr;
  std::unique_ptr<CHarmonicProvider> provider(
      new CHarmonicProvider(std::move(name), kind, std::move(years)));
  if (provider->db_.Open(path, SQLITE_OPEN_READONLY) != SQLITE_OK) {
    error = "cannot open " + path.string() + ": " + provider->db_.ErrorMessage();
    return nullptr;
  }
  CSqliteStatement check(provider->db_, std::string(kStationColumns) + "LIMIT 1;");
  if (!check.IsValid()) {
    error = path.string() + " has no Stations and TIDECON tables";
    return nullptr;
  }
  return provider;
}

std::vector<TideStationSummary> CHarmonicProvider::Stations() {
  std::lock_guard lock(mutex_);
  std::vector<TideStationSummary> stations;
  CSqliteStatement list(db_,
                        "SELECT ROWID, StationID, Name, Latitude, Longitude, "
                        "CASE WHEN json_valid(Content) THEN "
                        "json_extract(Content, '$.\"reference-station-id\"') IS NULL ELSE 1 END "
                        "FROM Stations WHERE Type = :type ORDER BY ROWID;");
  if (!list.IsValid() || !list.Bind(":type", TypeName(kind_))) return stations;
  std::map<std::string, int> seen;
  while (list.Step() == SQLITE_ROW) {
    TideStationSummary s;
    s.provider = name_;
    s.kind = kind_;
    s.id = list.Text(1);
    s.key = seen[s.id]++ == 0 ? s.id : kRowKeyPrefix + std::to_string(list.Int(0));
    if (!ParseStationUrl(MakeStationUrl(kind_, name_, s.key))) {
      s.key = kRowKeyPrefix + std::to_string(list.Int(0));
    }
    s.url = MakeStationUrl(kind_, name_, s.key);
    s.name = list.Text(2);
    s.lat = list.Real(3);
    s.lon = list.Real(4);
    s.reference = list.Int(5) != 0;
    stations.push_back(std::move(s));
  }
  return stations;
}

std::unique_ptr<ITideStation> CHarmonicProvider::Open(const std::string& key) {
  std::lock_guard lock(mutex_);
  const bool byRow = key.rfind(kRowKeyPrefix, 0) == 0;
  CSqliteStatement read(db_, std::string(kStationColumns) +
                                 (byRow ? "WHERE Stations.ROWID = :link;"
                                        : "WHERE Stations.StationID = :link;"));
  bool bound = false;
  if (byRow) {
    char* end = nullptr;
    const long long row = std::strtoll(key.c_str() + 4, &end, 10);
    bound = end && *end == '\0' && read.Bind(":link", static_cast<int64_t>(row));
  } else {
    bound = read.Bind(":link", key);
  }
  if (!bound || read.Step() != SQLITE_ROW) {
    Log("%s: Can't find %s station: %s\n", name_.c_str(), TypeName(kind_), key.c_str());
    return nullptr;
  }
  if (read.Text(0) != TypeName(kind_)) {
    Log("%s: Can't find %s station: %s (it is a %s station)\n", name_.c_str(), TypeName(kind_),
        key.c_str(), read.Text(0).c_str());
    return nullptr;
  }
  std::string error;
  auto content = ParseStationContent(read.Text(7), error);
  if (!content) {
    Log("%s: Invalid object: %s (%s)\n", name_.c_str(), key.c_str(), error.c_str());
    return nullptr;
  }
  if (read.IsNull(9)) {
    Log("%s: Can't find ref station: %s (%s)\n", name_.c_str(), key.c_str(), read.Text(1).c_str());
    return nullptr;
  }
  TideStationSummary summary;
  summary.provider = name_;
  summary.kind = kind_;
  summary.key = key;
  summary.url = MakeStationUrl(kind_, name_, key);
  summary.name = read.Text(1);
  summary.lat = read.Real(2);
  summary.lon = read.Real(3);
  summary.id = read.Text(4);
  summary.reference = !content->Subordinate();
  HarmonicStation station(years_, ParseTideconContent(read.Text(9)), content->meanLevel,
                          int64_t{content->meridianMinutes} * 60, content->Hydraulic(),
                          content->Current());
  if (content->Subordinate()) station.SetSubordinate(CorrectionsOf(*content));
  std::string referenceUrl;
  if (content->Subordinate()) referenceUrl = MakeStationUrl(kind_, name_, content->referenceId);
  return std::make_unique<CHarmonicTideStation>(std::move(summary), std::move(*content),
                                                read.Text(5), read.Text(6), read.Text(8),
                                                std::move(referenceUrl), std::move(station));
}

}  // namespace tarnwick
