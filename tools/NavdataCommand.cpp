// `tarnwick navdata`: runs instrument ports, or replays NMEA files as if each
// were one port, through the navigation data store and prints the own-ship
// state once a second as a JSON line.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/Subcommand.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/units/PositionText.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/navdata/AisReceiverOwnShip.h"
#include "instruments/navdata/NavData.h"
#include "instruments/navdata/NmeaReplay.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaPortContext.h"
#include "instruments/ports/PortManager.h"

namespace tarnwick {
namespace {

// Keys keep the order they are written in.
using json = nlohmann::ordered_json;

constexpr uint64_t kPrintIntervalMs = 1000;

int Usage() {
  fprintf(stderr,
          "usage: tarnwick navdata [--port ADDRESS...] [--replay FILE...] [--fast]\n"
          "                        [--duration SECONDS] [--simulate LAT,LON --course DEG "
          "--speed KN]\n");
  return 2;
}

double Round(double value, double scale) {
  return std::round(value * scale) / scale;
}

void PutValue(json& out, const char* key, const std::optional<OwnShipValue>& value) {
  if (value) out[key] = Round(value->value, 1e3);
}

// The JSON line of one snapshot; absent values are left out.
json SnapshotJson(const OwnShipSnapshot& s) {
  json fix = json::object();
  fix["quality"] = s.fix.quality;
  fix["text"] = s.fix.text;
  if (s.fix.position) {
    fix["lat"] = Round(s.fix.position->lat, 1e7);
    fix["lon"] = Round(s.fix.position->lon, 1e7);
  }
  if (!s.fix.source.empty()) fix["source"] = s.fix.source;
  json out;
  out["fix"] = fix;
  PutValue(out, "sog", s.sog);
  PutValue(out, "cog", s.cog);
  PutValue(out, "heading_true", s.headingTrue);
  PutValue(out, "heading_magnetic", s.headingMagnetic);
  PutValue(out, "depth", s.depth);
  PutValue(out, "stw", s.stw);
  PutValue(out, "rot", s.rot);
  json wind = json::object();
  PutValue(wind, "apparent_speed", s.wind.apparentSpeed);
  PutValue(wind, "apparent_angle", s.wind.apparentAngle);
  PutValue(wind, "true_speed", s.wind.trueSpeed);
  PutValue(wind, "true_direction", s.wind.trueDirection);
  if (!wind.empty()) out["wind"] = wind;
  return out;
}

void Print(CNavData& store) {
  store.UpdateNavInfo();
  const std::string line =
      SnapshotJson(*store.Snapshot()).dump(-1, ' ', false, json::error_handler_t::replace);
  fwrite(line.data(), 1, line.size(), stdout);
  fputc('\n', stdout);
  fflush(stdout);
}

// A replayed file stands in for the port its sentences were recorded from.
class CReplayPort final : public INmeaPortContext {
 public:
  CReplayPort(std::string name, unsigned id) : name_(std::move(name)), id_(id) {}
  std::string PortName() const override { return name_; }
  unsigned PortId() const override { return id_; }
  bool WriteSentence(std::string_view) override { return false; }
  INmeaDeviceDriver* DeviceDriver() override { return nullptr; }
  CNmeaRequests& Requests() override { return requests_; }

 private:
  std::string name_;
  unsigned id_;
  CNmeaRequests requests_;
};

struct ReplayFeed {
  std::unique_ptr<CReplayPort> port;
  std::unique_ptr<CNavSource> source;
  std::vector<ReplayLine> lines;
  size_t next = 0;
};

std::optional<ReplayFeed> LoadFeed(const std::string& path, unsigned id) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    fprintf(stderr, "tarnwick navdata: cannot read %s\n", path.c_str());
    return std::nullopt;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
  ReplayFeed feed;
  const std::string name = path.substr(path.find_last_of('/') + 1);
  feed.port = std::make_unique<CReplayPort>(name, id);
  feed.source = std::make_unique<CNavSource>();
  feed.lines = ScheduleReplay(lines);
  return feed;
}

// Moves time to tick: the simulated clock jumps, the real one is waited for.
class CPacer {
 public:
  explicit CPacer(CSimulatedClock* simulated) : simulated_(simulated), start_(TickCount()) {}
  uint64_t Start() const { return start_; }
  void AdvanceTo(uint64_t tick) {
    const uint64_t now = TickCount();
    if (tick <= now) return;
    if (simulated_)
      simulated_->Advance(tick - now);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(tick - now));
  }

 private:
  CSimulatedClock* simulated_;
  uint64_t start_;
};

// Feeds every file's lines at their times, printing the state every second.
void Replay(std::vector<ReplayFeed>& feeds, const NmeaDecoderHooks& hooks, CNavData& store,
            CPacer& pacer, std::optional<uint64_t> durationMs) {
  uint64_t nextPrint = pacer.Start() + kPrintIntervalMs;
  const uint64_t end = durationMs ? pacer.Start() + *durationMs : UINT64_MAX;
  for (;;) {
    ReplayFeed* due = nullptr;
    for (ReplayFeed& feed : feeds) {
      if (feed.next < feed.lines.size() &&
          (!due || feed.lines[feed.next].offsetMs < due->lines[due->next].offsetMs))
        due = &feed;
    }
    const uint64_t at = due ? pacer.Start() + due->lines[due->next].offsetMs : nextPrint;
    while (nextPrint <= std::min(at, end)) {
      pacer.AdvanceTo(nextPrint);
      Print(store);
      nextPrint += kPrintIntervalMs;
    }
    if (!due || at > end) break;
    pacer.AdvanceTo(at);
    const ReplayLine& line = due->lines[due->next++];
    DecodeNMEA(*due->source, ReceiveTime{TickCount(), UtcNowMs()}, line.text, due->port.get(),
               hooks);
  }
}

// Runs the ports until the duration ends (or forever), printing every second.
void RunPorts(CNavData& store, CPacer& pacer, std::optional<uint64_t> durationMs) {
  for (uint64_t elapsed = kPrintIntervalMs; !durationMs || elapsed <= *durationMs;
       elapsed += kPrintIntervalMs) {
    pacer.AdvanceTo(pacer.Start() + elapsed);
    Print(store);
  }
}

struct SimulatorOptions {
  LatLon start;
  double course = 0;
  double speed = 0;
};

int Main(CArguments& args) {
  std::vector<std::string> ports, files;
  while (auto port = args.TakeOption("--port")) ports.push_back(*port);
  while (auto file = args.TakeOption("--replay")) files.push_back(*file);
  const bool fast = args.TakeFlag("--fast");
  std::optional<uint64_t> durationMs;
  if (auto text = args.TakeOption("--duration")) {
    char* end = nullptr;
    const double seconds = strtod(text->c_str(), &end);
    if (*end != '\0' || !(seconds > 0) || seconds > 1e9) {
      fprintf(stderr, "tarnwick navdata: --duration needs a positive number of seconds\n");
      return 2;
    }
    durationMs = static_cast<uint64_t>(seconds * 1000);
  }
  std::optional<SimulatorOptions> simulate;
  if (auto text = args.TakeOption("--simulate")) {
    const std::optional<LatLon> start = ParseLatLon(*text);
    if (!start) {
      fprintf(stderr, "tarnwick navdata: cannot read the position '%s'\n", text->c_str());
      return 2;
    }
    simulate = SimulatorOptions{*start};
    simulate->course = strtod(args.TakeOption("--course").value_or("0").c_str(), nullptr);
    simulate->speed = strtod(args.TakeOption("--speed").value_or("0").c_str(), nullptr);
  }
  // Further plain arguments after --replay are more files to replay.
  for (const std::string& rest : args.Rest()) {
    if (rest.starts_with("--") || files.empty()) {
      fprintf(stderr, "tarnwick navdata: unexpected argument '%s'\n", rest.c_str());
      return Usage();
    }
  }
  if (!files.empty()) files.insert(files.end(), args.Rest().begin(), args.Rest().end());
  if (ports.empty() && files.empty() && !simulate) return Usage();
  if (fast && !ports.empty()) {
    fprintf(stderr, "tarnwick navdata: --fast replays files; ports run in real time\n");
    return 2;
  }

  std::vector<ReplayFeed> feeds;
  for (size_t i = 0; i < files.size(); ++i) {
    auto feed = LoadFeed(files[i], static_cast<unsigned>(i + 1));
    if (!feed) return 1;
    feeds.push_back(std::move(*feed));
  }

  CSimulatedClock simulatedClock;
  std::optional<CScopedClock> scopedClock;
  if (fast) scopedClock.emplace(simulatedClock);
  CPacer pacer(fast ? &simulatedClock : nullptr);

  // Our own transponder's VDO reports reach the receiver, whose own-ship
  // record stands in as the "pos-ais" fix when no receiver has one.
  CAisReceiver receiver;
  CAisReceiverOwnShip ownShip(receiver);
  CNavData store;
  store.SetAisOwnShipSource(&ownShip);
  if (simulate) store.StartSimulator(simulate->start, simulate->course, simulate->speed);
  const NmeaDecoderHooks previousHooks = GetNmeaDecoderHooks();
  NmeaDecoderHooks hooks = previousHooks;
  hooks.sensors = &store;
  hooks.ais = &receiver;
  if (!ports.empty()) {
    SetNmeaDecoderHooks(hooks);
    for (const std::string& address : ports) {
      if (!PortManager().Create(address, R"({"openAtStartup":true,"listener":true})")) {
        fprintf(stderr, "tarnwick navdata: cannot open port %s\n", address.c_str());
        PortManager().Shutdown();
        SetNmeaDecoderHooks(previousHooks);
        return 1;
      }
    }
  }
  if (!feeds.empty())
    Replay(feeds, hooks, store, pacer, durationMs);
  else
    RunPorts(store, pacer, durationMs);
  if (!ports.empty()) {
    PortManager().Shutdown();
    SetNmeaDecoderHooks(previousHooks);
  }
  store.SetAisOwnShipSource(nullptr);
  return 0;
}

const CSubcommand kNavdata(
    "navdata",
    "[--port ADDRESS...] [--replay FILE...] [--fast] [--duration S] [--simulate LAT,LON]",
    "own-ship navigation data from ports or replayed NMEA files, one JSON line a second", Main);

}  // namespace
}  // namespace tarnwick
