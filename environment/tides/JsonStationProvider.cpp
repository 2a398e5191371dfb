#include "environment/tides/JsonStationProvider.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include <nlohmann/json.hpp>

#include "core/Log.h"
#include "core/units/UnitFormat.h"
#include "environment/tides/HarmonicRecords.h"
#include "environment/tides/TideTexts.h"

namespace tarnwick {
namespace {

using json = nlohmann::json;

constexpr int64_t kCacheMargin = 604800;      // a week each side of the day asked for
constexpr int64_t kSubordinateMargin = 10800;  // reference events read beyond a span
constexpr size_t kRowsPerRead = 300;
// Subordinate chains longer than this are refused (a record naming itself).
constexpr int kMaxReferenceDepth = 3;

int IntMember(const json& o, const char* key) {
  const auto it = o.find(key);
  if (it == o.end()) return kMissingOffset;
  if (it->is_number_integer()) {
    const int64_t v = it->get<int64_t>();
    return v > -100000 && v < 100000 ? static_cast<int>(v) : kMissingOffset;
  }
  if (it->is_number_float() && std::isfinite(it->get<double>()) && std::fabs(it->get<double>()) < 100000) {
    return static_cast<int>(std::lround(it->get<double>()));
  }
  return kMissingOffset;
}

std::optional<double> NumberMember(const json& o, const char* key) {
  const auto it = o.find(key);
  if (it == o.end()) return std::nullopt;
  if (it->is_number() && std::isfinite(it->get<double>())) return it->get<double>();
  if (it->is_string()) {
    try {
      size_t used = 0;
      const std::string text = it->get<std::string>();
      const double v = std::stod(text, &used);
      if (used == text.size() && std::isfinite(v)) return v;
    } catch (...) {
    }
  }
  return std::nullopt;
}

std::string TextMember(const json& o, const char* key) {
  const auto it = o.find(key);
  if (it == o.end()) return {};
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number()) return it->dump();
  return {};
}

// A value between two events on a half cosine: flat at both.
double CosineBetween(const TideEvent& a, const TideEvent& b, int64_t t) {
  if (b.time <= a.time) return a.value;
  const double x = static_cast<double>(t - a.time) / static_cast<double>(b.time - a.time);
  return a.value + (b.value - a.value) * (1 - std::cos(M_PI * x)) / 2;
}

class CNewTideStation final : public ITideStation {
 public:
  CNewTideStation(TideStationSummary summary, JsonStationRecord record, int64_t key,
                  std::shared_ptr<JsonStationDatabase> database,
                  std::unique_ptr<ITideStation> reference, std::string referenceName)
      : summary_(std::move(summary)),
        record_(std::move(record)),
        key_(key),
        database_(std::move(database)),
        reference_(std::move(reference)),
        referenceName_(std::move(referenceName)) {}

  const TideStationSummary& Summary() const override { return summary_; }
  std::string Units() const override { return current() ? "knots" : "feet"; }
  std::optional<int> FloodDirection() const override {
    return record_.floodDirection == kMissingOffset ? std::nullopt : std::optional(record_.floodDirection);
  }
  std::optional<int> EbbDirection() const override {
    return record_.ebbDirection == kMissingOffset ? std::nullopt : std::optional(record_.ebbDirection);
  }
  std::optional<double> Value(int64_t t) override;
  std::vector<TideEvent> Events(int64_t start, int64_t end) override;
  bool CanGraph() const override { return true; }
  std::optional<LevelRange> Range() override;
  StationPageKeys PageKeys() override;

  // Loads the events of the day starting at day, a week either side.
  bool CachePredictions(int64_t day);

 private:
  bool current() const { return summary_.kind == TideStationKind::Current; }
  // Reads reference events from `from` on, at most one read's rows; false on failure.
  bool ReadOn(int64_t from, int64_t to);
  const char* prefix() const { return summary_.provider.c_str(); }

  TideStationSummary summary_;
  JsonStationRecord record_;
  int64_t key_;
  std::shared_ptr<JsonStationDatabase> database_;
  std::unique_ptr<ITideStation> reference_;
  std::string referenceName_;
  std::vector<TideEvent> cache_;
  int64_t cacheStart_ = 0;
  int64_t cacheEnd_ = -1;  // empty while end < start
};

bool CNewTideStation::ReadOn(int64_t from, int64_t to) {
  std::lock_guard lock(database_->mutex);
  CSqliteStatement read(database_->db,
                        current() ? "SELECT time, speed FROM CurrentPredictions WHERE stationKey = "
                                    ":key AND time >= :startTime AND time <= :endTime ORDER BY time;"
                                  : "SELECT time, height, type FROM TidePredictions WHERE stationKey "
                                    "= :key AND time >= :startTime AND time <= :endTime ORDER BY time;");
  if (!read.IsValid() || !read.Bind(":key", key_) || !read.Bind(":startTime", from) ||
      !read.Bind(":endTime", to)) {
    return false;
  }
  size_t rows = 0;
  int64_t last = to;
  while (rows < kRowsPerRead && read.Step() == SQLITE_ROW) {
    ++rows;
    TideEvent e;
    e.time = read.Int(0);
    last = e.time;
    if (e.time <= cacheEnd_ && cacheEnd_ >= cacheStart_) continue;  // read before
    if (current()) {
      e.value = static_cast<double>(read.Int(1)) * 0.01;
      e.type = e.value > 0 ? kTideHigh : e.value < 0 ? kTideLow : kSlackBeforeFlood;
    } else {
      e.value = read.Real(1);
      const std::string type = read.Text(2);
      e.type = !type.empty() && type[0] == 'H' ? kTideHigh : kTideLow;
    }
    e.refTime = e.time;
    e.refValue = e.value;
    cache_.push_back(e);
  }
  cacheEnd_ = rows == kRowsPerRead ? last : to;
  if (current()) {
    // A slack turns to the sign of the maximum that follows it (or away from the one before).
    for (size_t i = 0; i < cache_.size(); ++i) {
      if (cache_[i].value != 0) continue;
      int sign = 0;
      for (size_t j = i + 1; j < cache_.size() && sign == 0; ++j) sign = cache_[j].value > 0 ? 1 : cache_[j].value < 0 ? -1 : 0;
      for (size_t j = i; j-- > 0 && sign == 0;) sign = cache_[j].value > 0 ? -1 : cache_[j].value < 0 ? 1 : 0;
      cache_[i].type = sign < 0 ? kSlackBeforeEbb : kSlackBeforeFlood;
    }
  }
  return true;
}

bool CNewTideStation::CachePredictions(int64_t day) {
  cache_.clear();
  cacheStart_ = day - kCacheMargin;
  cacheEnd_ = cacheStart_ - 1;
  const int64_t end = day + 86400 + kCacheMargin;
  const bool ok = ReadOn(cacheStart_, end);
  if (!ok || cache_.empty()) {
    const time_t seconds = static_cast<time_t>(day);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    Log("CNewTideStation::CachePredictions: %lld %d-%02d-%02d start:%lld end:%lld\n",
        static_cast<long long>(key_), tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
        static_cast<long long>(cacheStart_), static_cast<long long>(end));
    if (ok) {
      Log("%s: No predictions found: key:%lld start:%lld end:%lld\n", prefix(),
          static_cast<long long>(key_), static_cast<long long>(cacheStart_), static_cast<long long>(end));
    }
    return false;
  }
  return true;
}

std::vector<TideEvent> CNewTideStation::Events(int64_t start, int64_t end) {
  if (end < start) {
    Log("%s: Bad time span start:%lld end:%lld\n", prefix(), static_cast<long long>(start),
        static_cast<long long>(end));
    return {};
  }
  if (reference_) {
    const auto events = reference_->Events(start - kSubordinateMargin, end + kSubordinateMargin);
    return AdjustJsonEvents(events, record_, summary_.kind, start, end);
  }
  if (cacheEnd_ < cacheStart_ || start < cacheStart_ || start > cacheEnd_) {
    if (!CachePredictions(start - start % 86400)) return {};
  }
  // Reads on past a truncated read until the span is covered.
  for (int reads = 0; cacheEnd_ < end && reads < 1000; ++reads) {
    const int64_t was = cacheEnd_;
    if (!ReadOn(cacheEnd_, std::max(end, cacheEnd_ + 86400)) || cacheEnd_ <= was) break;
  }
  std::vector<TideEvent> events;
  for (const TideEvent& e : cache_) {
    if (e.time >= start && e.time <= end) events.push_back(e);
  }
  return events;
}

std::optional<double> CNewTideStation::Value(int64_t t) {
  const std::vector<TideEvent> events = Events(t - 86400, t + 86400);
  const auto after = std::find_if(events.begin(), events.end(),
                                  [t](const TideEvent& e) { return e.time > t; });
  if (after == events.begin() || after == events.end()) return std::nullopt;
  const TideEvent& a = *(after - 1);
  const TideEvent& b = *after;
  if (a.value == kUnknownSpeed || b.value == kUnknownSpeed) return std::nullopt;
  return CosineBetween(a, b, t);
}

std::optional<LevelRange> CNewTideStation::Range() {
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  const auto events = Events(now - 7 * 86400, now + 7 * 86400);
  LevelRange range;
  bool any = false;
  for (const TideEvent& e : events) {
    if (e.value == kUnknownSpeed) continue;
    range.upper = any ? std::max(range.upper, e.value) : e.value;
    range.lower = any ? std::min(range.lower, e.value) : e.value;
    any = true;
  }
  if (!any) return std::nullopt;
  range.mid = (range.upper + range.lower) / 2;
  range.halfRange = (range.upper - range.lower) / 2;
  return range;
}

StationPageKeys CNewTideStation::PageKeys() {
  StationPageKeys keys;
  char text[64];
  const auto offset = [](int minutes) {
    return minutes == kMissingOffset ? std::string("---") : SignedOffsetText(minutes);
  };
  const auto percent = [&](double factor) {
    if (factor == kMissingFactor) return std::string("---");
    std::snprintf(text, sizeof text, "%.1f%%", factor);
    return std::string(text);
  };
  keys.emplace_back("station-id", summary_.id);
  keys.emplace_back("name", summary_.name);
  keys.emplace_back("station-type", reference_ ? "subordinate" : "reference");
  keys.emplace_back("can-graph", "true");
  keys.emplace_back("position", FormatLatitude(summary_.lat) + " " + FormatLongitude(summary_.lon));
  if (auto dir = FloodDirection()) keys.emplace_back("flood-dir", DirectionText(*dir));
  if (auto dir = EbbDirection()) keys.emplace_back("ebb-dir", DirectionText(*dir));
  if (current()) {
    if (auto range = Range()) {
      std::snprintf(text, sizeof text, "%.1f kn", std::max(0.0, range->upper));
      keys.emplace_back("max-flood", text);
      std::snprintf(text, sizeof text, "%.1f kn", std::max(0.0, -range->lower));
      keys.emplace_back("max-ebb", text);
    }
  }
  if (reference_) {
    keys.emplace_back("reference-station", referenceName_);
    keys.emplace_back("reference-station-id", record_.refId);
    keys.emplace_back("reference-station-link", reference_->Summary().url);
    if (current()) {
      keys.emplace_back("turn-to-flood-delta", offset(record_.slackBeforeFloodMinutes));
      keys.emplace_back("max-flood-delta", offset(record_.maxFloodMinutes));
      keys.emplace_back("turn-to-ebb-delta", offset(record_.slackBeforeEbbMinutes));
      keys.emplace_back("max-ebb-delta", offset(record_.maxEbbMinutes));
      keys.emplace_back("flood-ref-percent", percent(record_.floodFactor));
      keys.emplace_back("ebb-ref-percent", percent(record_.ebbFactor));
    } else {
      keys.emplace_back("high-tide-time-adjustment", offset(record_.highMinutes));
      keys.emplace_back("high-tide-height-adjustment", record_.highHeight);
      keys.emplace_back("low-tide-time-adjustment", offset(record_.lowMinutes));
      keys.emplace_back("low-tide-height-adjustment", record_.lowHeight);
    }
  }
  return keys;
}

}  // namespace

std::optional<JsonStationRecord> ParseJsonStationRecord(std::string_view text) {
  const json o = json::parse(text, nullptr, false);
  if (o.is_discarded() || !o.is_object()) return std::nullopt;
  JsonStationRecord r;
  r.id = TextMember(o, "id");
  r.name = TextMember(o, "name");
  const auto lat = NumberMember(o, "lat");
  const auto lon = NumberMember(o, "lon");
  if (r.name.empty() || !lat || !lon || std::fabs(*lat) > 90 || std::fabs(*lon) > 180) return std::nullopt;
  r.lat = *lat;
  r.lon = *lon;
  r.refId = TextMember(o, "refID");
  r.refDepth = NumberMember(o, "refDepth");
  r.depth = NumberMember(o, "depth");
  r.highMinutes = IntMember(o, "TH");
  r.lowMinutes = IntMember(o, "TL");
  r.highHeight = TextMember(o, "HH");
  r.lowHeight = TextMember(o, "HL");
  r.floodDirection = IntMember(o, "floodDir");
  r.ebbDirection = IntMember(o, "ebbDir");
  r.slackBeforeFloodMinutes = IntMember(o, "SBF");
  r.maxFloodMinutes = IntMember(o, "MFC");
  r.slackBeforeEbbMinutes = IntMember(o, "SBE");
  r.maxEbbMinutes = IntMember(o, "MEC");
  r.floodFactor = NumberMember(o, "floodFactor").value_or(kMissingFactor);
  r.ebbFactor = NumberMember(o, "ebbFactor").value_or(kMissingFactor);
  return r;
}

std::vector<TideEvent> AdjustJsonEvents(const std::vector<TideEvent>& reference,
                                        const JsonStationRecord& r, TideStationKind kind,
                                        int64_t start, int64_t end) {
  const auto minutes = [](int m) { return m == kMissingOffset ? 0 : int64_t{m} * 60; };
  const HeightAdjustment high = ParseHeightAdjustment(r.highHeight).value_or(HeightAdjustment{});
  const HeightAdjustment low = ParseHeightAdjustment(r.lowHeight).value_or(HeightAdjustment{});
  std::vector<TideEvent> events;
  for (TideEvent e : reference) {
    e.refTime = e.time;
    e.refValue = e.value;
    if (kind == TideStationKind::Tide) {
      const bool isHigh = e.type == kTideHigh;
      if (!isHigh && e.type != kTideLow) continue;
      e.time += minutes(isHigh ? r.highMinutes : r.lowMinutes);
      const HeightAdjustment& h = isHigh ? high : low;
      e.value = e.value * h.multiplier + h.offset;
    } else {
      int offset = kMissingOffset;
      double factor = 100;
      switch (e.type) {
        case kTideLow:
          offset = r.maxEbbMinutes;
          factor = r.ebbFactor;
          break;
        case kTideHigh:
          offset = r.maxFloodMinutes;
          factor = r.floodFactor;
          break;
        case kSlackBeforeEbb:
          offset = r.slackBeforeEbbMinutes;
          break;
        case kSlackBeforeFlood:
          offset = r.slackBeforeFloodMinutes;
          break;
        default:
          continue;
      }
      if (offset == kMissingOffset) continue;
      e.time += int64_t{offset} * 60;
      if (e.type == kTideLow || e.type == kTideHigh) {
        e.value = factor == kMissingFactor || e.value == kUnknownSpeed ? kUnknownSpeed : e.value * factor / 100;
      }
    }
    if (e.time >= start && e.time <= end) events.push_back(e);
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const TideEvent& a, const TideEvent& b) { return a.time < b.time; });
  return events;
}

std::unique_ptr<CJsonStationProvider> CJsonStationProvider::Open(std::string name, TideStationKind kind,
                                                                 const std::filesystem::path& path,
                                                                 std::string& error) {
  std::unique_ptr<CJsonStationProvider> provider(new CJsonStationProvider(std::move(name), kind));
  if (provider->database_->db.Open(path, SQLITE_OPEN_READONLY) != SQLITE_OK) {
    Log("%s: Can't open database\n", provider->name_.c_str());
    error = "cannot open " + path.string();
    return nullptr;
  }
  CSqliteStatement check(provider->database_->db,
                         kind == TideStationKind::Current ? "SELECT stationKey, json FROM CurrentStations LIMIT 1;"
                                                          : "SELECT stationKey, json FROM TideStations LIMIT 1;");
  if (!check.IsValid()) {
    Log("%s: Can't open database\n", provider->name_.c_str());
    error = path.string() + " has no station table";
    return nullptr;
  }
  return provider;
}

std::vector<TideStationSummary> CJsonStationProvider::Stations() {
  std::vector<TideStationSummary> stations;
  std::lock_guard lock(database_->mutex);
  CSqliteStatement list(database_->db, kind_ == TideStationKind::Current
                                           ? "SELECT stationKey, json FROM CurrentStations;"
                                           : "SELECT stationKey, json FROM TideStations;");
  while (list.Step() == SQLITE_ROW) {
    const auto record = ParseJsonStationRecord(list.Text(1));
    if (!record) {
      Log("%s: Invalid object: %s\n", name_.c_str(), list.Text(0).c_str());
      continue;
    }
    TideStationSummary s;
    s.provider = name_;
    s.kind = kind_;
    s.key = std::to_string(list.Int(0));
    s.url = MakeStationUrl(kind_, name_, s.key);
    s.id = record->id;
    s.name = record->name;
    s.lat = record->lat;
    s.lon = record->lon;
    s.reference = record->refId.empty();
    stations.push_back(std::move(s));
  }
  return stations;
}

std::unique_ptr<ITideStation> CJsonStationProvider::Open(const std::string& key) {
  return OpenStation(key, 0);
}

std::unique_ptr<ITideStation> CJsonStationProvider::OpenStation(const std::string& key, int depth) {
  const bool current = kind_ == TideStationKind::Current;
  char* end = nullptr;
  const long long number = std::strtoll(key.c_str(), &end, 10);
  std::string text;
  std::string referenceKey;
  std::string referenceName;
  std::optional<JsonStationRecord> record;
  {
    std::lock_guard lock(database_->mutex);
    CSqliteStatement read(database_->db, current ? "SELECT json FROM CurrentStations WHERE stationKey = :key;"
                                                 : "SELECT json FROM TideStations WHERE stationKey = :key;");
    if (key.empty() || !end || *end != '\0' || !read.Bind(":key", static_cast<int64_t>(number)) ||
        read.Step() != SQLITE_ROW) {
      if (current) {
        Log("%s: Can't find current station: %lld\n", name_.c_str(), number);
      } else {
        Log("%s: Can't find tide station: %s\n", name_.c_str(), key.c_str());
      }
      return nullptr;
    }
    text = read.Text(0);
    record = ParseJsonStationRecord(text);
    if (!record) {
      Log("%s: Invalid object: %s\n", name_.c_str(), text.c_str());
      return nullptr;
    }
    if (!record->refId.empty()) {
      const char* sql =
          !current ? "SELECT stationkey, json_extract(json, '$.name') FROM TideStations WHERE stationID = :id;"
          : record->refDepth
              ? "SELECT stationkey, json_extract(json, '$.name') FROM CurrentStations WHERE "
                "json_extract(json, '$.id') = :id AND json_extract(json, '$.depth') = :depth;"
              : "SELECT stationkey, json_extract(json, '$.name') FROM CurrentStations WHERE "
                "json_extract(json, '$.id') = :id;";
      CSqliteStatement ref(database_->db, sql);
      if (ref.Bind(":id", record->refId) && (!record->refDepth || ref.Bind(":depth", *record->refDepth)) &&
          ref.Step() == SQLITE_ROW) {
        referenceKey = std::to_string(ref.Int(0));
        referenceName = ref.Text(1);
      }
    }
  }
  std::unique_ptr<ITideStation> reference;
  if (!record->refId.empty()) {
    if (!referenceKey.empty() && referenceKey != key && depth < kMaxReferenceDepth) {
      reference = OpenStation(referenceKey, depth + 1);
    }
    if (!reference) {
      Log("%s: Can't find ref station: %s (%s)\n", name_.c_str(), record->refId.c_str(), key.c_str());
      return nullptr;
    }
  }
  TideStationSummary summary;
  summary.provider = name_;
  summary.kind = kind_;
  summary.key = std::to_string(number);
  summary.url = MakeStationUrl(kind_, name_, summary.key);
  summary.id = record->id;
  summary.name = record->name;
  summary.lat = record->lat;
  summary.lon = record->lon;
  summary.reference = !reference;
  return std::make_unique<CNewTideStation>(std::move(summary), std::move(*record), number, database_,
                                           std::move(reference), std::move(referenceName));
}

}  // namespace tarnwick
