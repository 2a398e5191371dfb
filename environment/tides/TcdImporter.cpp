#include "environment/tides/TcdImporter.h"

#include <tcd.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>

#include "core/Sqlite.h"
#include "environment/tides/Constituents.h"
#include "environment/tides/HarmonicRecords.h"
#include "environment/tides/HarmonicYears.h"

namespace tarnwick {
namespace {

constexpr const char* kSchema =
    "CREATE TABLE YEARDATA (year INTEGER PRIMARY KEY, data BLOB NOT NULL);"
    "CREATE TABLE TIDECON (StationIndex INTEGER PRIMARY KEY, Name TEXT NOT NULL, Content TEXT NOT NULL);"
    "CREATE TABLE Stations (StationID TEXT NOT NULL, Type TEXT NOT NULL, Name TEXT NOT NULL,"
    " Latitude REAL NOT NULL, Longitude REAL NOT NULL, Area TEXT, SubArea TEXT,"
    " Content TEXT NOT NULL, ConstituentID INTEGER NOT NULL);"
    "CREATE INDEX StationsByID ON Stations(StationID);";

// Speeds (degrees per hour) closer than this are the same constituent.
constexpr double kSpeedTolerance = 2e-7;

// Closes libtcd's file on every way out.
struct CTcdFile {
  bool open = false;
  ~CTcdFile() {
    if (open) close_tide_db();
  }
};

// TCD strings are ISO-8859-1; the database holds UTF-8.
std::string Utf8(const char* latin1) {
  std::string text;
  for (const char* p = latin1; *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c < 0x80) {
      text.push_back(static_cast<char>(c));
    } else {
      text.push_back(static_cast<char>(0xc0 | (c >> 6)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
  }
  return text;
}

// Hours * 100 + minutes to minutes.
int HhmmToMinutes(int32_t hhmm) {
  const int magnitude = std::abs(hhmm);
  const int minutes = magnitude / 100 * 60 + magnitude % 100;
  return hhmm < 0 ? -minutes : minutes;
}

// The value of "Name:value" in a record's xfields.
std::string XField(const char* xfields, const std::string& name) {
  const std::string text = xfields;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = text.substr(at, end - at);
    if (line.rfind(name + ":", 0) == 0) return line.substr(name.size() + 1);
    at = end + 1;
  }
  return {};
}

bool IsCurrentUnits(const std::string& units) { return units == "knots" || units == "knots^2"; }

// Metres per unit for the level units a record may use; 0 for others.
double MetresPer(const std::string& units) {
  if (units == "feet") return 0.3048;
  if (units == "meters") return 1.0;
  return 0;
}

// Table index for each of the file's constituents (-1: not in the table).
std::vector<int> MatchConstituents(const DB_HEADER_PUBLIC& header,
                                   const std::vector<double>& amplitudeSums,
                                   TcdImportReport& report) {
  const int count = static_cast<int>(header.constituents);
  std::vector<int> match(static_cast<size_t>(count), -1);
  std::vector<bool> taken(kConstituentCount, false);
  for (int j = 0; j < count; ++j) {
    if (auto index = FindConstituent(get_constituent(j))) {
      if (!taken[static_cast<size_t>(*index)]) {
        match[static_cast<size_t>(j)] = *index;
        taken[static_cast<size_t>(*index)] = true;
      }
    }
  }
  // The table's unnamed places take the file's constituent of the same speed;
  // among several, the one with the most amplitude over all stations.
  for (int c = 0; c < kConstituentCount; ++c) {
    if (taken[static_cast<size_t>(c)] || std::string(kConstituents[static_cast<size_t>(c)].name).rfind("UNK", 0) != 0) {
      continue;
    }
    int best = -1;
    for (int j = 0; j < count; ++j) {
      if (match[static_cast<size_t>(j)] >= 0) continue;
      if (std::fabs(get_speed(j) - kConstituents[static_cast<size_t>(c)].degreesPerHour) > kSpeedTolerance) continue;
      if (best < 0 || amplitudeSums[static_cast<size_t>(j)] > amplitudeSums[static_cast<size_t>(best)]) best = j;
    }
    if (best >= 0 && amplitudeSums[static_cast<size_t>(best)] > 0) {
      match[static_cast<size_t>(best)] = c;
      taken[static_cast<size_t>(c)] = true;
      report.notes.push_back(std::string(kConstituents[static_cast<size_t>(c)].name) + " is " +
                             get_constituent(best) + " (same speed)");
    }
  }
  for (int j = 0; j < count; ++j) {
    if (match[static_cast<size_t>(j)] < 0 && amplitudeSums[static_cast<size_t>(j)] > 0) {
      report.notes.push_back(std::string("constituent ") + get_constituent(j) +
                             " is not in the table: its constants are dropped");
    }
  }
  return match;
}

bool Fail(std::string& error, const std::string& text) {
  error = text;
  return false;
}

}  // namespace

bool ImportTcd(const std::filesystem::path& tcd, const std::filesystem::path& out,
               TcdImportReport& report, std::string& error) {
  report = TcdImportReport{};
  std::error_code ec;
  if (!std::filesystem::is_regular_file(tcd, ec)) return Fail(error, tcd.string() + " is not a file");
  std::string tcdPath = tcd.string();
  CTcdFile file;
  file.open = open_tide_db(tcdPath.data()) != 0;
  if (!file.open) return Fail(error, "libtcd cannot read " + tcdPath);
  const DB_HEADER_PUBLIC header = get_tide_db_header();
  if (header.constituents == 0 || header.constituents > MAX_CONSTITUENTS ||
      header.number_of_years == 0 || header.number_of_years > 2000) {
    return Fail(error, tcdPath + ": implausible header (constituents, years)");
  }

  // Amplitude per file constituent over all reference stations: which are used.
  std::vector<double> amplitudeSums(header.constituents, 0.0);
  auto record = std::make_unique<TIDE_RECORD>();
  for (uint32_t i = 0; i < header.number_of_records; ++i) {
    if (read_tide_record(static_cast<int32_t>(i), record.get()) < 0) continue;
    if (record->header.record_type != REFERENCE_STATION) continue;
    for (uint32_t j = 0; j < header.constituents; ++j) {
      if (std::isfinite(record->amplitude[j])) amplitudeSums[j] += std::fabs(record->amplitude[j]);
    }
  }
  const std::vector<int> match = MatchConstituents(header, amplitudeSums, report);

  const std::filesystem::path partial = out.string() + ".partial";
  std::filesystem::remove(partial, ec);
  {
    CSqliteDatabase db;
    if (db.Open(partial) != SQLITE_OK || db.Exec(kSchema) != SQLITE_OK ||
        db.Exec("BEGIN;") != SQLITE_OK) {
      return Fail(error, "cannot write " + partial.string() + ": " + db.ErrorMessage());
    }
    // YEARDATA from the file's yearly tables.
    std::vector<HarmonicYear> years(header.number_of_years);
    for (auto& y : years) y.nodeFactor.fill(1);
    for (uint32_t j = 0; j < header.constituents; ++j) {
      const int c = match[j];
      if (c < 0) continue;
      const float* equilibrium = get_equilibriums(static_cast<int32_t>(j));
      const float* node = get_node_factors(static_cast<int32_t>(j));
      if (!equilibrium || !node) return Fail(error, tcdPath + ": no yearly tables");
      for (uint32_t y = 0; y < header.number_of_years; ++y) {
        years[y].nodeFactor[static_cast<size_t>(c)] = node[y];
        years[y].equilibrium[static_cast<size_t>(c)] = equilibrium[y] * M_PI / 180.0;
      }
    }
    {
      CSqliteStatement insert(db, "INSERT INTO YEARDATA (year, data) VALUES (:year, :data);");
      for (uint32_t y = 0; y < header.number_of_years; ++y) {
        insert.Reset();
        if (!insert.Bind(":year", static_cast<int64_t>(header.start_year + static_cast<int32_t>(y))) ||
            !insert.BindBlob(":data", EncodeYearBlob(years[y])) || insert.Step() != SQLITE_DONE) {
          return Fail(error, "cannot write YEARDATA: " + db.ErrorMessage());
        }
      }
    }
    report.firstYear = header.start_year;
    report.years = static_cast<int>(header.number_of_years);

    // Stations: references first (their content is copied into subordinates).
    std::map<int32_t, HarmonicStationContent> references;
    std::map<int32_t, std::string> referenceIds;
    CSqliteStatement con(db, "INSERT INTO TIDECON (StationIndex, Name, Content) VALUES (:index, :name, :content);");
    CSqliteStatement station(db,
                             "INSERT INTO Stations (StationID, Type, Name, Latitude, Longitude, Area, "
                             "SubArea, Content, ConstituentID) VALUES (:id, :type, :name, :lat, :lon, "
                             ":area, :subarea, :content, :ref);");
    for (int pass = 0; pass < 2; ++pass) {
      const bool referencePass = pass == 0;
      for (uint32_t i = 0; i < header.number_of_records; ++i) {
        const auto number = static_cast<int32_t>(i);
        if (read_tide_record(number, record.get()) < 0) {
          if (referencePass) ++report.skippedStations;
          continue;
        }
        const TIDE_RECORD& r = *record;
        const bool isReference = r.header.record_type == REFERENCE_STATION;
        if (isReference != referencePass) continue;
        const std::string name = Utf8(r.header.name);
        const double lat = r.header.latitude;
        const double lon = r.header.longitude;
        if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180 ||
            r.station_id[0] == '\0') {
          ++report.skippedStations;
          report.notes.push_back("skipped " + name + ": no position or identifier");
          continue;
        }
        HarmonicStationContent content;
        int32_t constituentId = number;
        if (isReference) {
          content.units = get_level_units(r.level_units);
          if (MetresPer(content.units) == 0 && !IsCurrentUnits(content.units)) {
            ++report.skippedStations;
            report.notes.push_back("skipped " + name + ": units " + content.units);
            continue;
          }
          content.meridianMinutes = HhmmToMinutes(r.zone_offset);
          content.meanLevel = r.datum_offset;
          if (!IsCurrentUnits(content.units)) content.datum = get_datum(r.datum);
          std::string triples;
          char line[96];
          for (uint32_t j = 0; j < header.constituents; ++j) {
            if (!(r.amplitude[j] > 0)) continue;
            if (match[j] < 0) {
              ++report.droppedConstituents;
              continue;
            }
            std::snprintf(line, sizeof line, "%s %.4f %.2f\n",
                          kConstituents[static_cast<size_t>(match[j])].name, r.amplitude[j], r.epoch[j]);
            triples += line;
          }
          con.Reset();
          if (!con.Bind(":index", static_cast<int64_t>(number)) || !con.Bind(":name", name) ||
              !con.Bind(":content", triples) || con.Step() != SQLITE_DONE) {
            return Fail(error, "cannot write TIDECON: " + db.ErrorMessage());
          }
          references[number] = content;
          referenceIds[number] = Utf8(r.station_id);
          ++report.referenceStations;
        } else {
          const auto ref = references.find(r.header.reference_station);
          if (ref == references.end()) {
            ++report.skippedStations;
            report.notes.push_back("skipped " + name + ": its reference station is not usable");
            continue;
          }
          content = ref->second;
          constituentId = ref->first;
          content.referenceId = referenceIds[ref->first];
          // Level additions are in the record's own units; predictions in the reference's.
          const std::string units = get_level_units(r.level_units);
          const double scale = MetresPer(units) > 0 && MetresPer(content.units) > 0
                                   ? MetresPer(units) / MetresPer(content.units)
                                   : 1.0;
          content.highTimeMinutes = HhmmToMinutes(r.max_time_add);
          content.lowTimeMinutes = HhmmToMinutes(r.min_time_add);
          content.high.multiplier = r.max_level_multiply > 0 ? r.max_level_multiply : 1.0;
          content.low.multiplier = r.min_level_multiply > 0 ? r.min_level_multiply : 1.0;
          content.high.offset = r.max_level_add * scale;
          content.low.offset = r.min_level_add * scale;
          if (content.high.multiplier != 1 && content.high.offset != 0) content.high.offset = 0;
          if (content.low.multiplier != 1 && content.low.offset != 0) content.low.offset = 0;
          if (r.flood_begins != NULLSLACKOFFSET) content.floodBeginsMinutes = HhmmToMinutes(r.flood_begins);
          if (r.ebb_begins != NULLSLACKOFFSET) content.ebbBeginsMinutes = HhmmToMinutes(r.ebb_begins);
          ++report.subordinateStations;
        }
        if (r.max_direction >= 0 && r.max_direction < 360) content.floodDirection = r.max_direction;
        if (r.min_direction >= 0 && r.min_direction < 360) content.ebbDirection = r.min_direction;
        std::string tz = get_tzfile(r.header.tzfile);
        if (!tz.empty() && tz[0] == ':') tz.erase(0, 1);
        content.timezone = tz == "Unknown" ? "" : tz;
        content.notes = Utf8(r.notes);
        const bool current = IsCurrentUnits(content.units);
        ++(current ? report.currentStations : report.tideStations);
        const std::string country = Utf8(get_country(r.country));
        station.Reset();
        if (!station.Bind(":id", Utf8(r.station_id)) ||
            !station.Bind(":type", current ? "current" : "tide") || !station.Bind(":name", name) ||
            !station.Bind(":lat", lat) || !station.Bind(":lon", lon) ||
            !station.Bind(":area", country == "Unknown" ? "" : country) ||
            !station.Bind(":subarea", Utf8(XField(r.xfields, "State").c_str())) ||
            !station.Bind(":content", StationContentJson(content, current)) ||
            !station.Bind(":ref", static_cast<int64_t>(constituentId)) || station.Step() != SQLITE_DONE) {
          return Fail(error, "cannot write Stations: " + db.ErrorMessage());
        }
      }
    }
    if (db.Exec("COMMIT;") != SQLITE_OK) return Fail(error, "cannot write " + partial.string());
  }
  std::filesystem::rename(partial, out, ec);
  if (ec) return Fail(error, "cannot replace " + out.string() + ": " + ec.message());
  return true;
}

}  // namespace tarnwick
