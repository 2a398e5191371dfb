// `tarnwick route follow`: follows a route of an object file along a recorded
// passage, as the navigator would in the program, and prints once a second
// what the route navigator shows and says (and with --nmea what it sends to
// the autopilot).

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "app/Subcommand.h"
#include "core/Clock.h"
#include "core/units/UnitSystem.h"
#include "instruments/navdata/NmeaReplay.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "navobjects/files/NobReader.h"
#include "navobjects/navigation/AutopilotOutput.h"
#include "navobjects/navigation/NavController.h"

namespace tarnwick {
namespace {

using json = nlohmann::ordered_json;

int Usage() {
  fprintf(stderr,
          "usage: tarnwick route follow FILE.nob ROUTE-NAME --replay NMEA-FILE [--fast] "
          "[--nmea]\n");
  return 2;
}

// Collects what the navigator says and shows; sounds are not printed.
class EventCollector final : public INavAnnouncer {
 public:
  void Speak(const std::string& text) override { events.push_back(text); }
  void ShowMessageBar(const std::string& text) override { events.push_back(text); }
  void Sound(NavSound) override {}
  std::vector<std::string> events;
};

double Round(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

// Own ship as the decoded source has it at tick now: a position only from a
// current fix that its sentence did not mark invalid.
OwnShipInput ReadOwnShip(const CNavSource& source, uint64_t now) {
  const NavSourceData data = source.Snapshot();
  OwnShipInput in;
  const bool flaggedInvalid = (data.fix.status.Current(now) && data.fix.status.value == 'V') ||
                              (data.fix.quality.Current(now) && data.fix.quality.value == 0);
  if (data.fix.position.Current(now) && !flaggedInvalid) {
    in.position = data.fix.position.value;
    in.fixValid = true;
  }
  if (data.cog.Current(now))
    in.cogDegrees = data.cog.value;
  else if (data.vtgCogTrue.Current(now))
    in.cogDegrees = data.vtgCogTrue.value;
  if (data.sog.Current(now))
    in.sogKnots = data.sog.value;
  else if (data.vtgSogKnots.Current(now))
    in.sogKnots = data.vtgSogKnots.value;
  return in;
}

// UTC (ms since 1970) of the source's last fix, when its sentence gave date and time.
std::optional<int64_t> FixUtcMs(const CNavSource& source) {
  const NavSourceData data = source.Snapshot();
  if (!data.fix.date.valid || !data.fix.utcTime.valid) return std::nullopt;
  const int ddmmyy = data.fix.date.value;
  const int yy = ddmmyy % 100;
  const std::chrono::year_month_day date{
      std::chrono::year(yy < 80 ? 2000 + yy : 1900 + yy),
      std::chrono::month(static_cast<unsigned>(ddmmyy / 100 % 100)),
      std::chrono::day(static_cast<unsigned>(ddmmyy / 10000))};
  if (!date.ok()) return std::nullopt;
  const auto days = std::chrono::sys_days(date).time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(days).count() +
         static_cast<int64_t>(std::llround(data.fix.utcTime.value * 1000.0));
}

std::shared_ptr<CRoute> FindRoute(const NobReadResult& document, const std::string& nameOrId) {
  for (const auto& object : document.objects) {
    auto route = std::dynamic_pointer_cast<CRoute>(object);
    if (route && (route->name == nameOrId || route->Id() == nameOrId)) return route;
  }
  return nullptr;
}

std::vector<std::shared_ptr<CMark>> Marks(const NobReadResult& document) {
  std::vector<std::shared_ptr<CMark>> marks;
  for (const auto& object : document.objects)
    if (auto mark = std::dynamic_pointer_cast<CMark>(object)) marks.push_back(mark);
  return marks;
}

json StatusLine(const CNavController& navigation, std::vector<std::string>& events) {
  json line;
  if (const std::optional<ActiveLeg> leg = navigation.Leg()) {
    line["waypoint"] = leg->waypointName;
    line["dtw"] = Round(leg->geometry.distanceToWaypointNm, 3);
    line["btw"] = Round(leg->geometry.bearingToWaypoint, 1);
    line["xte"] = Round(leg->geometry.crossTrackNm, 3);
    line["steer"] = SteerText(leg->geometry.steer);
  } else {
    line["waypoint"] = nullptr;
  }
  line["events"] = std::exchange(events, {});
  return line;
}

void Print(const json& line) {
  const std::string text = line.dump(-1, ' ', false, json::error_handler_t::replace);
  printf("%s\n", text.c_str());
  fflush(stdout);
}

int Follow(CArguments& args) {
  const std::optional<std::string> replay = args.TakeOption("--replay");
  const bool fast = args.TakeFlag("--fast");
  const bool nmea = args.TakeFlag("--nmea");
  if (auto unknown = args.UnknownOption()) {
    fprintf(stderr, "tarnwick route follow: unknown option %s\n", unknown->c_str());
    return Usage();
  }
  if (!replay || args.Size() != 2) return Usage();

  const NobReadResult document = ReadNobFile(args[0]);
  if (!document.ok) {
    fprintf(stderr, "tarnwick route follow: cannot read %s: %s\n", args[0].c_str(),
            document.error.c_str());
    return 1;
  }
  const std::shared_ptr<CRoute> route = FindRoute(document, args[1]);
  if (!route || route->Marks().empty()) {
    fprintf(stderr, "tarnwick route follow: %s has no route \"%s\" with waypoints\n",
            args[0].c_str(), args[1].c_str());
    return 1;
  }
  std::ifstream in(*replay, std::ios::binary);
  if (!in) {
    fprintf(stderr, "tarnwick route follow: cannot read %s\n", replay->c_str());
    return 1;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
  const std::vector<ReplayLine> schedule = ScheduleReplay(lines);

  CSimulatedClock clock;
  CScopedClock useClock(clock);
  RefreshUnitSettings();
  const uint64_t start = clock.TickMs();
  const auto realStart = std::chrono::steady_clock::now();

  auto collector = std::make_shared<EventCollector>();
  CNavController navigation(collector);
  const std::vector<std::shared_ptr<CMark>> marks = Marks(document);
  navigation.SetMarkSource([&marks] { return marks; });
  std::vector<std::string> sentences;
  CAutopilotOutput output(navigation, [&sentences](std::string_view s) {
    sentences.emplace_back(s.substr(0, s.find_first_of("\r\n")));
  });

  CNavSource source;
  bool activated = false;
  uint64_t nextLine = start + 1000;
  auto flush = [&] {
    Print(StatusLine(navigation, collector->events));
    if (nmea)
      for (const std::string& sentence : sentences) printf("%s\n", sentence.c_str());
    sentences.clear();
    fflush(stdout);
  };
  for (const ReplayLine& line : schedule) {
    const uint64_t due = start + line.offsetMs;
    // Every second of the passage that ends before this line gets its line.
    while (activated && nextLine <= due) {
      clock.Advance(nextLine - clock.TickMs());
      output.Update();
      flush();
      if (!navigation.IsNavigating()) return 0;
      nextLine += 1000;
    }
    if (due > clock.TickMs()) clock.Advance(due - clock.TickMs());
    if (!fast) std::this_thread::sleep_until(realStart + std::chrono::milliseconds(line.offsetMs));
    DecodeNMEA(source, ReceiveTime{clock.TickMs(), clock.UtcMs()}, line.text, nullptr,
               NmeaDecoderHooks{});
    const OwnShipInput ownShip = ReadOwnShip(source, clock.TickMs());
    navigation.Update(ownShip);
    if (!activated) {
      // The passage's own time, for the time fields of the output.
      if (auto utc = FixUtcMs(source)) clock.SetUtcMs(*utc);
    }
    if (!activated && ownShip.position) {
      // The first fix is the origin of the first leg.
      navigation.Activate(route);
      activated = true;
      nextLine = clock.TickMs() + 1000;
    }
    output.Update();
  }
  if (!activated) {
    fprintf(stderr, "tarnwick route follow: %s holds no position fix\n", replay->c_str());
    return 1;
  }
  flush();
  return 0;
}

int Main(CArguments& args) {
  if (args.Size() == 0) return Usage();
  const std::string verb = args[0];
  std::vector<std::string> rest(args.Rest().begin() + 1, args.Rest().end());
  CArguments remaining(std::move(rest));
  if (verb == "follow") return Follow(remaining);
  return Usage();
}

const CSubcommand kRoute("route", "follow FILE.nob ROUTE-NAME --replay NMEA-FILE [--fast] [--nmea]",
                         "follow a route along a recorded passage and print the leg each second",
                         Main);

}  // namespace
}  // namespace tarnwick
