#pragma once
// Station databases of JSON records with precomputed events (providers
// new_noaa_tides, new_noaa_currents, chs_tides, chs_currents):
//   TideStations(stationKey, stationID, json), CurrentStations(stationKey, json)
//   TidePredictions(stationKey, time, height, type)
//   CurrentPredictions(stationKey, time, speed)   speed in hundredths of a knot
// A reference station's events are read from the prediction tables; a
// subordinate one ("refID") derives its events from its reference's by the
// offsets of its record. Between events the level follows a cosine.

#include <climits>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/Sqlite.h"
#include "environment/tides/TideProvider.h"

namespace tarnwick {

// Values a record lacks.
inline constexpr int kMissingOffset = INT_MAX;
inline constexpr double kMissingFactor = 3.4028234663852886e38;

// One station record of a JSON provider.
struct JsonStationRecord {
  std::string id;
  std::string name;
  double lat = 0;
  double lon = 0;
  std::string refId;  // empty for a reference station
  std::optional<double> refDepth;
  std::optional<double> depth;
  // Tides: minutes added to high and low times, and the height corrections.
  int highMinutes = kMissingOffset;  // "TH"
  int lowMinutes = kMissingOffset;   // "TL"
  std::string highHeight;            // "HH": "*m" or "[+-]a"
  std::string lowHeight;             // "HL"
  // Currents: directions (degrees true) and minutes added to each event kind.
  int floodDirection = kMissingOffset;
  int ebbDirection = kMissingOffset;
  int slackBeforeFloodMinutes = kMissingOffset;  // "SBF"
  int maxFloodMinutes = kMissingOffset;          // "MFC"
  int slackBeforeEbbMinutes = kMissingOffset;    // "SBE"
  int maxEbbMinutes = kMissingOffset;            // "MEC"
  double floodFactor = kMissingFactor;           // percent of the reference speed
  double ebbFactor = kMissingFactor;
};

// Reads a record; empty when json is not an object with a name and position.
std::optional<JsonStationRecord> ParseJsonStationRecord(std::string_view json);

// The events of a subordinate station from its reference's (types and values
// of a tide or current reference), adjusted by record; events outside
// [start, end] and current events whose offset is missing are dropped.
std::vector<TideEvent> AdjustJsonEvents(const std::vector<TideEvent>& reference,
                                        const JsonStationRecord& record, TideStationKind kind,
                                        int64_t start, int64_t end);

// The database shared by a provider and its open stations.
struct JsonStationDatabase {
  std::mutex mutex;
  CSqliteDatabase db;
};

class CJsonStationProvider final : public ITideProvider {
 public:
  static std::unique_ptr<CJsonStationProvider> Open(std::string name, TideStationKind kind,
                                                    const std::filesystem::path& path,
                                                    std::string& error);

  const std::string& Name() const override { return name_; }
  TideStationKind Kind() const override { return kind_; }
  std::vector<TideStationSummary> Stations() override;
  std::unique_ptr<ITideStation> Open(const std::string& key) override;

 private:
  CJsonStationProvider(std::string name, TideStationKind kind) : name_(std::move(name)), kind_(kind) {}
  std::unique_ptr<ITideStation> OpenStation(const std::string& key, int depth);

  std::string name_;
  TideStationKind kind_;
  std::shared_ptr<JsonStationDatabase> database_ = std::make_shared<JsonStationDatabase>();
};

}  // namespace tarnwick
