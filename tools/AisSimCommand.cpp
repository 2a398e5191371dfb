// `tarnwick aissim`: AIS traffic from the target simulator around the own
// ship's track of an instrument log, merged with the log's sentences in time
// order as "ISO-TIME SENTENCE" lines (what `tarnwick vdr record --timed`
// records), and the track simplified into a GPX route.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "app/Subcommand.h"
#include "instruments/ais/sim/AisTargetSimulator.h"
#include "instruments/ais/sim/OwnShipTrack.h"
#include "navobjects/files/Gpx.h"
#include "navobjects/model/Route.h"
#include "recording/UtcTime.h"

namespace tarnwick {
namespace {

constexpr double kRouteToleranceNm = 0.2;
constexpr size_t kRoutePoints = 8;

int Usage() {
  fprintf(stderr,
          "usage: tarnwick aissim NMEA-LOG --date YYYY-MM-DD [--seed N] [--out FILE]\n"
          "                       [--route-gpx FILE] [--route-name NAME] [--fleet FLEET.json]\n"
          "  The log's sentences give the time of day; --date is the UTC day it starts on.\n"
          "  Writes \"ISO-TIME SENTENCE\" lines (the log merged with simulated !AIVDM traffic)\n"
          "  to FILE or stdout, and a summary as JSON on stderr. FLEET.json: an array of\n"
          "  vessels {mmsi, classA, name, callsign, imo, shipType, toBow, toStern, toPort,\n"
          "  toStarboard, draughtDm, destination, navStatus, speedKn, passAfterS, passNm,\n"
          "  crossingDeg} (the built-in fleet of twelve without it).\n");
  return 2;
}

bool WriteRouteGpx(const std::string& file, const std::string& name,
                   const std::vector<LatLon>& points) {
  auto route = std::make_shared<CRoute>();
  route->name = name;
  for (size_t i = 0; i < points.size(); ++i) {
    auto mark = std::make_shared<CMark>();
    mark->position = points[i];
    mark->name = i == 0                   ? "Start"
                 : i + 1 == points.size() ? "Finish"
                                          : "WP" + std::to_string(i);
    route->InsertMarkAt(route->Marks().size(), mark);
  }
  std::ofstream out(file, std::ios::binary);
  out << WriteGpxDocument({route});
  out.close();
  return !out.fail();
}

// The fleet of a JSON file (see Usage); empty with error set when unusable.
std::vector<SimulatedVessel> ReadFleet(const std::string& file, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot read " + file;
    return {};
  }
  const nlohmann::json doc = nlohmann::json::parse(in, nullptr, false);
  if (!doc.is_array() || doc.empty()) {
    error = file + " is not a JSON array of vessels";
    return {};
  }
  std::vector<SimulatedVessel> fleet;
  for (const auto& v : doc) {
    if (!v.is_object() || !v.contains("mmsi") || !v["mmsi"].is_number_unsigned()) {
      error = file + ": every vessel needs a numeric mmsi";
      return {};
    }
    SimulatedVessel vessel;
    vessel.mmsi = v["mmsi"].get<uint32_t>();
    vessel.classA = v.value("classA", true);
    vessel.name = v.value("name", "");
    vessel.callsign = v.value("callsign", "");
    vessel.imo = v.value("imo", 0u);
    vessel.shipType = v.value("shipType", 0);
    vessel.toBow = v.value("toBow", 0);
    vessel.toStern = v.value("toStern", 0);
    vessel.toPort = v.value("toPort", 0);
    vessel.toStarboard = v.value("toStarboard", 0);
    vessel.draughtDm = v.value("draughtDm", 0);
    vessel.destination = v.value("destination", "");
    vessel.navStatus = v.value("navStatus", 0);
    vessel.speedKn = v.value("speedKn", 0.0);
    vessel.passAfterS = v.value("passAfterS", 0.0);
    vessel.passNm = v.value("passNm", 0.0);
    vessel.crossingDeg = v.value("crossingDeg", 0.0);
    if (vessel.speedKn < 0 || vessel.shipType < 0 || vessel.shipType > 99 || vessel.navStatus < 0 ||
        vessel.navStatus > 15) {
      error = file + ": vessel " + std::to_string(vessel.mmsi) +
              " has a negative speed, or a ship type or status out of range";
      return {};
    }
    fleet.push_back(std::move(vessel));
  }
  return fleet;
}

int AisSimMain(CArguments& args) {
  const auto dateText = args.TakeOption("--date");
  const auto seedText = args.TakeOption("--seed");
  const auto outFile = args.TakeOption("--out");
  const auto gpxFile = args.TakeOption("--route-gpx");
  const auto routeName = args.TakeOption("--route-name");
  const auto fleetFile = args.TakeOption("--fleet");
  if (args.Size() != 1 || !dateText || args.UnknownOption()) return Usage();
  const auto day = ParseIsoUtc(*dateText + "T00:00:00Z");
  if (!day) {
    fprintf(stderr, "tarnwick aissim: --date %s is not a date (YYYY-MM-DD)\n", dateText->c_str());
    return 2;
  }
  const uint32_t seed =
      seedText ? static_cast<uint32_t>(strtoul(seedText->c_str(), nullptr, 10)) : 1;
  std::ifstream in(args[0], std::ios::binary);
  if (!in) {
    fprintf(stderr, "tarnwick aissim: cannot read %s\n", args[0].c_str());
    return 1;
  }
  const OwnShipLog log = ReadOwnShipLog(in, *day);
  if (log.fixes.size() < 2) {
    fprintf(stderr, "tarnwick aissim: %s has no track (GLL or RMC positions with times)\n",
            args[0].c_str());
    return 1;
  }
  std::vector<SimulatedVessel> fleet = DemoFleet();
  if (fleetFile) {
    std::string error;
    fleet = ReadFleet(*fleetFile, error);
    if (fleet.empty()) {
      fprintf(stderr, "tarnwick aissim: %s\n", error.c_str());
      return 1;
    }
  }
  const CAisTargetSimulator simulator(log.fixes, std::move(fleet), seed);
  const auto traffic = simulator.Run();

  FILE* out = stdout;
  if (outFile && !(out = fopen(outFile->c_str(), "w"))) {
    fprintf(stderr, "tarnwick aissim: cannot write %s\n", outFile->c_str());
    return 1;
  }
  // Merge: at equal times the log's line goes first, and the fragments of one
  // message stay together.
  size_t a = 0;
  for (const TimedLine& line : log.lines) {
    while (a < traffic.size() && traffic[a].utcMs < line.utcMs) {
      fprintf(out, "%s %s\n", FormatIsoUtcMs(traffic[a].utcMs).c_str(),
              traffic[a].sentence.c_str());
      ++a;
    }
    fprintf(out, "%s %s\n", FormatIsoUtcMs(line.utcMs).c_str(), line.line.c_str());
  }
  for (; a < traffic.size(); ++a)
    fprintf(out, "%s %s\n", FormatIsoUtcMs(traffic[a].utcMs).c_str(), traffic[a].sentence.c_str());
  const bool written = out == stdout ? fflush(out) == 0 : fclose(out) == 0;
  if (!written) {
    fprintf(stderr, "tarnwick aissim: writing the merged log failed\n");
    return 1;
  }

  size_t routePoints = 0;
  if (gpxFile) {
    const auto points = SimplifyTrack(log.fixes, kRouteToleranceNm, kRoutePoints);
    routePoints = points.size();
    if (!WriteRouteGpx(*gpxFile, routeName.value_or("Demo route"), points)) {
      fprintf(stderr, "tarnwick aissim: cannot write %s\n", gpxFile->c_str());
      return 1;
    }
  }
  fprintf(stderr,
          "{\"lines\":%zu,\"fixes\":%zu,\"aisSentences\":%zu,\"vessels\":%zu,"
          "\"start\":\"%s\",\"end\":\"%s\",\"routePoints\":%zu}\n",
          log.lines.size(), log.fixes.size(), traffic.size(), simulator.Fleet().size(),
          FormatIsoUtcMs(log.lines.front().utcMs).c_str(),
          FormatIsoUtcMs(log.lines.back().utcMs).c_str(), routePoints);
  return 0;
}

const CSubcommand kAisSim("aissim",
                          "NMEA-LOG --date YYYY-MM-DD [--seed N] [--out FILE] [--route-gpx FILE] "
                          "[--route-name NAME] [--fleet FLEET.json]",
                          "simulated AIS traffic around a logged track, merged with the log",
                          AisSimMain);

}  // namespace
}  // namespace tarnwick
