// `tarnwick aissim`: AIS traffic from the target simulator around the own
// ship's track of an instrument log, merged with the log's sentences in time
// order as "ISO-TIME SENTENCE" lines (what `tarnwick vdr record --timed`
// records), and the track simplified into a GPX route.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

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
          "                       [--route-gpx FILE] [--route-name NAME]\n"
          "  The log's sentences give the time of day; --date is the UTC day it starts on.\n"
          "  Writes \"ISO-TIME SENTENCE\" lines (the log merged with simulated !AIVDM traffic)\n"
          "  to FILE or stdout, and a summary as JSON on stderr.\n");
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

int AisSimMain(CArguments& args) {
  const auto dateText = args.TakeOption("--date");
  const auto seedText = args.TakeOption("--seed");
  const auto outFile = args.TakeOption("--out");
  const auto gpxFile = args.TakeOption("--route-gpx");
  const auto routeName = args.TakeOption("--route-name");
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
  const CAisTargetSimulator simulator(log.fixes, DemoFleet(), seed);
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
                          "[--route-name NAME]",
                          "simulated AIS traffic around a logged track, merged with the log",
                          AisSimMain);

}  // namespace
}  // namespace tarnwick
