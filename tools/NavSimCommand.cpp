// `tarnwick navsim`: the navigation simulator sailing the first route of a GPX
// file at a set speed, written as the instrument log a GPS and a heading
// sensor would give (RMC and HDT once a second), for `tarnwick aissim` and the
// demo's recording.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/Subcommand.h"
#include "core/geo/Geodesy.h"
#include "instruments/navdata/Simulator.h"
#include "instruments/nmea/NmeaOutput.h"
#include "navobjects/files/Gpx.h"
#include "navobjects/model/Route.h"
#include "recording/UtcTime.h"

namespace tarnwick {
namespace {

constexpr double kArrivalNm = 0.015;      // a waypoint is reached this close
constexpr double kTurnRateDegPerS = 4.0;  // the simulated helm's rate of turn
constexpr uint64_t kStepMs = 1000;
constexpr int64_t kMaxVoyageMs = 48LL * 3600 * 1000;

int Usage() {
  fprintf(stderr,
          "usage: tarnwick navsim ROUTE.gpx --start YYYY-MM-DDTHH:MM:SSZ --speed KNOTS [--out FILE]\n"
          "  Sails the GPX file's first route from its first point at KNOTS (0.5..40),\n"
          "  writing RMC and HDT sentences once a second to FILE or stdout.\n");
  return 2;
}

// The course after one step from course towards wanted, at the helm's rate of turn.
double TurnTowards(double course, double wanted) {
  const double diff = std::remainder(wanted - course, 360.0);
  const double step = std::clamp(diff, -kTurnRateDegPerS, kTurnRateDegPerS);
  return std::fmod(course + step + 360.0, 360.0);
}

int NavSimMain(CArguments& args) {
  const auto startText = args.TakeOption("--start");
  const auto speedText = args.TakeOption("--speed");
  const auto outFile = args.TakeOption("--out");
  if (args.Size() != 1 || !startText || !speedText || args.UnknownOption()) return Usage();
  const auto start = ParseIsoUtc(*startText);
  char* end = nullptr;
  const double speed = strtod(speedText->c_str(), &end);
  if (!start || *end != '\0' || !(speed >= 0.5 && speed <= 40)) return Usage();

  const GpxReadResult gpx = ReadGpxFile(args[0]);
  if (!gpx.ok) {
    fprintf(stderr, "tarnwick navsim: %s: %s\n", args[0].c_str(), gpx.error.c_str());
    return 1;
  }
  std::vector<LatLon> points;
  for (const auto& object : gpx.objects) {
    if (const auto route = std::dynamic_pointer_cast<CRoute>(object)) {
      for (const auto& mark : route->Marks()) points.push_back(mark->position);
      break;
    }
  }
  if (points.size() < 2) {
    fprintf(stderr, "tarnwick navsim: %s has no route of two or more points\n", args[0].c_str());
    return 1;
  }

  FILE* out = stdout;
  if (outFile && !(out = fopen(outFile->c_str(), "w"))) {
    fprintf(stderr, "tarnwick navsim: cannot write %s\n", outFile->c_str());
    return 1;
  }
  CNavSimulator simulator;
  size_t next = 1;
  simulator.Start(points[0], 0, Bearing(points[0], points[1]), speed);
  uint64_t tick = 0;
  size_t sentences = 0;
  for (; tick <= static_cast<uint64_t>(kMaxVoyageMs); tick += kStepMs) {
    const LatLon here = *simulator.Position(tick);
    while (next < points.size() && Distance(here, points[next]) < kArrivalNm) ++next;
    if (next == points.size()) break;
    simulator.SetCourse(TurnTowards(simulator.Course(), Bearing(here, points[next])), tick);
    const int64_t utcMs = *start + static_cast<int64_t>(tick);
    const auto rmc = simulator.Update(tick, utcMs);
    if (!rmc) continue;
    char hdt[40];
    snprintf(hdt, sizeof hdt, "$GPHDT,%.1f,T", simulator.Course());
    // One sentence a line, ended by a newline alone, as instrument logs are kept.
    for (std::string line : {*rmc, FinishNmeaSentence(hdt)}) {
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      fprintf(out, "%s\n", line.c_str());
      ++sentences;
    }
  }
  const bool written = out == stdout ? fflush(out) == 0 : fclose(out) == 0;
  if (!written) {
    fprintf(stderr, "tarnwick navsim: writing the log failed\n");
    return 1;
  }
  if (next < points.size()) {
    fprintf(stderr, "tarnwick navsim: the route was not sailed within 48 hours\n");
    return 1;
  }
  fprintf(stderr, "{\"sentences\":%zu,\"seconds\":%llu,\"waypoints\":%zu}\n", sentences,
          static_cast<unsigned long long>(tick / 1000), points.size());
  return 0;
}

const CSubcommand kNavSim("navsim",
                          "ROUTE.gpx --start YYYY-MM-DDTHH:MM:SSZ --speed KNOTS [--out FILE]",
                          "the navigation simulator sailing a GPX route, as an NMEA log",
                          NavSimMain);

}  // namespace
}  // namespace tarnwick
