#pragma once
// Converts a Tide Constituent Database (the public-domain harmonics file
// that XTide's data packages ship, read with libtcd) into the harmonic
// station database of the providers noaa_tides and noaa_currents:
//   YEARDATA(year, data)  per year 124 (node factor, V0+u radians) pairs,
//                         copied from the file's yearly tables
//   TIDECON(StationIndex, Name, Content)  the constants of each reference station
//   Stations(StationID, Type, Name, Latitude, Longitude, Area, SubArea,
//            Content, ConstituentID)      reference and subordinate stations
// The file's constituents are matched to the fixed table by name, or, for the
// table's unnamed (UNKn) places, by speed. libtcd holds one open file per
// process: imports must not run concurrently.

#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick {

struct TcdImportReport {
  int firstYear = 0;
  int years = 0;
  int referenceStations = 0;
  int subordinateStations = 0;
  int tideStations = 0;
  int currentStations = 0;
  int skippedStations = 0;        // unusable records (no reference, bad numbers)
  int droppedConstituents = 0;    // constants of constituents outside the table
  std::vector<std::string> notes;  // what was matched by speed, dropped or skipped
};

// Writes out (replacing it only when the whole import succeeded). False with
// error set when the input cannot be read or the output not written.
bool ImportTcd(const std::filesystem::path& tcd, const std::filesystem::path& out,
               TcdImportReport& report, std::string& error);

}  // namespace tarnwick
