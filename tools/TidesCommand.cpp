// `tarnwick tides`: imports the public-domain harmonics file into the
// program's station database, and lists stations, their events, levels,
// page keys and day tables as JSON lines.

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/Subcommand.h"
#include "core/DataProducts.h"
#include "core/JsonWriter.h"
#include "environment/tides/HarmonicProvider.h"
#include "environment/tides/TcdImporter.h"
#include "environment/tides/TideLibrary.h"
#include "environment/tides/TideTexts.h"
#include "recording/UtcTime.h"

namespace tarnwick {
namespace {

constexpr const char* kUsage =
    "import-tcd FILE.tcd OUT.db\n"
    "  stations [--near LAT LON] [--name TEXT] [--kind tide|current] [--limit N] [--db FILE]\n"
    "  events URL --from ISO --to ISO [--db FILE]\n"
    "  level URL --at ISO [--step MIN --to ISO] [--db FILE]\n"
    "  info URL [--db FILE]\n"
    "  table URL --day YYYY-MM-DD [--db FILE]   (the day's event table, local time)";

// The most level samples one `level` call writes.
constexpr int64_t kMaxSamples = 1000000;

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarnwick tides: %s\n", message.c_str());
  return 1;
}

double Round(double value, double scale) { return std::round(value * scale) / scale; }

std::string IsoSeconds(int64_t t) {
  std::string text = FormatIsoUtcMs(t * 1000);  // "...T03:01:10.000Z"
  return text.substr(0, 19) + "Z";
}

// Opens the station databases: --db FILE for both harmonic providers, else the
// data-product registry. False (reported) when none opens.
bool OpenLibrary(CArguments& args, std::string& error) {
  CTideLibrary& library = TideLibrary();
  if (auto db = args.TakeOption("--db")) {
    library.Clear();
    std::shared_ptr<CHarmonicYears> years;
    for (auto [name, kind] : {std::pair{"noaa_tides", TideStationKind::Tide},
                              std::pair{"noaa_currents", TideStationKind::Current}}) {
      auto provider = CHarmonicProvider::Open(name, kind, *db, years, error);
      if (!provider) return false;
      years = provider->Years();
      library.AddProvider(std::move(provider));
    }
    return true;
  }
  if (library.Load() == 0) {
    error = "no station database found (the shipped " + std::string(kShippedHarmonicDatabase) +
            " or a DataProducts entry in the store)";
    return false;
  }
  return true;
}

std::optional<int64_t> TimeOption(CArguments& args, const char* name, std::string& error) {
  const auto text = args.TakeOption(name);
  if (!text) {
    error = std::string("missing ") + name + " ISO-TIME";
    return std::nullopt;
  }
  std::optional<int64_t> ms = ParseIsoUtc(*text);
  if (!ms && text->size() == 10) ms = ParseIsoUtc(*text + "T00:00:00Z");
  if (!ms) {
    error = std::string(name) + ": not a time: " + *text;
    return std::nullopt;
  }
  return *ms / 1000;
}

const char* EventTypeName(int type, TideStationKind kind) {
  switch (type) {
    case kTideHigh:
      return kind == TideStationKind::Tide ? "high" : "flood";
    case kTideLow:
      return kind == TideStationKind::Tide ? "low" : "ebb";
    default:
      return "slack";
  }
}

int ImportHere(CArguments& args) {
  TcdImportReport report;
  std::string error;
  if (!ImportTcd(args[1], args[2], report, error)) return Fail(error);
  std::string out;
  CJsonWriter json(out);
  json.BeginObject()
      .Member("file", args[2])
      .Member("firstYear", report.firstYear)
      .Member("years", report.years)
      .Member("referenceStations", report.referenceStations)
      .Member("subordinateStations", report.subordinateStations)
      .Member("tideStations", report.tideStations)
      .Member("currentStations", report.currentStations)
      .Member("skippedStations", report.skippedStations)
      .Member("droppedConstituents", report.droppedConstituents)
      .Key("notes")
      .BeginArray();
  for (const auto& note : report.notes) json.String(note);
  json.EndArray().EndObject();
  std::cout << out << "\n";
  return 0;
}

// libtcd stops the process (an assertion) on some damaged files: the import
// runs in a child process, so that such a file gets a message and leaves no
// half-written database behind.
int Import(CArguments& args) {
  if (args.Size() != 3) return Fail("import-tcd needs FILE.tcd OUT.db");
  std::cout.flush();
  const pid_t child = fork();
  if (child < 0) return Fail("cannot start the import");
  if (child == 0) {
    const int status = ImportHere(args);
    std::cout.flush();
    std::fflush(nullptr);
    _exit(status);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return Fail("lost the import");
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  std::error_code ec;
  std::filesystem::remove(args[2] + ".partial", ec);
  return Fail("libtcd stopped on " + args[1] + ": the file is damaged");
}

int Stations(CArguments& args) {
  TideStationQuery query;
  for (size_t i = 1; i < args.Size(); ++i) {
    if (args[i] == "--near") {
      if (i + 2 >= args.Size()) return Fail("--near needs LAT LON");
      try {
        query.nearLat = std::stod(args[i + 1]);
        query.nearLon = std::stod(args[i + 2]);
      } catch (...) {
        return Fail("--near needs LAT LON in degrees");
      }
      if (std::fabs(*query.nearLat) > 90 || std::fabs(*query.nearLon) > 180) {
        return Fail("--near needs LAT -90..90 and LON -180..180");
      }
    }
  }
  std::vector<std::string> rest;
  {
    const auto& all = args.Rest();
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i] == "--near") {
        i += 2;
        continue;
      }
      rest.push_back(all[i]);
    }
  }
  CArguments options(rest);
  query.name = options.TakeOption("--name").value_or("");
  if (auto kind = options.TakeOption("--kind")) {
    if (*kind != "tide" && *kind != "current") return Fail("--kind is tide or current");
    query.kind = *kind == "tide" ? TideStationKind::Tide : TideStationKind::Current;
  }
  if (auto limit = options.TakeOption("--limit")) {
    try {
      const long n = std::stol(*limit);
      if (n < 1) throw 0;
      query.limit = static_cast<size_t>(n);
    } catch (...) {
      return Fail("--limit needs a positive number");
    }
  }
  std::string error;
  if (!OpenLibrary(options, error)) return Fail(error);
  if (auto unknown = options.UnknownOption()) return Fail("unknown option " + *unknown);
  std::string out;
  for (const TideStationMatch& m : TideLibrary().Find(query)) {
    out.clear();
    CJsonWriter json(out);
    json.BeginObject()
        .Member("id", m.summary.id)
        .Member("name", m.summary.name)
        .Member("lat", m.summary.lat)
        .Member("lon", m.summary.lon)
        .Member("kind", TideStationKindName(m.summary.kind))
        .Member("reference", m.summary.reference)
        .Member("url", m.summary.url);
    if (m.distanceNm) json.Member("distance_nm", Round(*m.distanceNm, 10));
    json.EndObject();
    std::cout << out << "\n";
  }
  return 0;
}

// Runs use with the station of args[1] after the options are taken.
template <typename Use>
int WithStation(CArguments& args, Use use) {
  std::string error;
  if (!OpenLibrary(args, error)) return Fail(error);
  int result = 0;
  if (!TideLibrary().WithStation(args[1], [&](ITideStation& station) { result = use(station); }, error)) {
    return Fail(error);
  }
  return result;
}

int Events(CArguments& args) {
  if (args.Size() < 2) return Fail("events needs a station URL");
  std::string error;
  const auto from = TimeOption(args, "--from", error);
  const auto to = from ? TimeOption(args, "--to", error) : std::nullopt;
  if (!from || !to) return Fail(error);
  if (*to < *from) return Fail("--to is before --from");
  return WithStation(args, [&](ITideStation& station) {
    const std::string units = UnitAbbreviation(station.Units());
    std::string out;
    for (const TideEvent& e : station.Events(*from, *to)) {
      out.clear();
      CJsonWriter json(out);
      json.BeginObject()
          .Member("type", EventTypeName(e.type, station.Summary().kind))
          .Member("time", IsoSeconds(e.time));
      if (e.value == kUnknownSpeed) {
        json.Member("value", nullptr);
      } else {
        json.Member("value", Round(e.value, 100));
      }
      json.Member("units", units).EndObject();
      std::cout << out << "\n";
    }
    return 0;
  });
}

int Level(CArguments& args) {
  if (args.Size() < 2) return Fail("level needs a station URL");
  std::string error;
  const auto at = TimeOption(args, "--at", error);
  if (!at) return Fail(error);
  int64_t step = 0;
  int64_t to = *at;
  if (auto text = args.TakeOption("--step")) {
    try {
      step = std::stoll(*text) * 60;
    } catch (...) {
      step = 0;
    }
    if (step <= 0) return Fail("--step needs a positive number of minutes");
    const auto end = TimeOption(args, "--to", error);
    if (!end) return Fail(error);
    if (*end < *at) return Fail("--to is before --at");
    if ((*end - *at) / step > kMaxSamples) return Fail("too many samples (at most 1,000,000)");
    to = *end;
  }
  return WithStation(args, [&](ITideStation& station) {
    const std::string units = UnitAbbreviation(station.Units());
    std::string out;
    for (int64_t t = *at; t <= to; t += step > 0 ? step : 1) {
      out.clear();
      CJsonWriter json(out);
      json.BeginObject().Member("time", IsoSeconds(t));
      const auto value = station.Value(t);
      if (value && *value != kUnknownSpeed) {
        json.Member("value", Round(*value, 1000));
      } else {
        json.Member("value", nullptr);
      }
      json.Member("units", units).EndObject();
      std::cout << out << "\n";
      if (step == 0) break;
    }
    return 0;
  });
}

int Info(CArguments& args) {
  if (args.Size() < 2) return Fail("info needs a station URL");
  return WithStation(args, [&](ITideStation& station) {
    std::string out;
    CJsonWriter json(out);
    json.BeginObject();
    for (const auto& [key, value] : station.PageKeys()) json.Member(key, value);
    json.EndObject();
    std::cout << out << "\n";
    return 0;
  });
}

int Table(CArguments& args) {
  if (args.Size() < 2) return Fail("table needs a station URL");
  const auto day = args.TakeOption("--day");
  if (!day || day->size() != 10) return Fail("table needs --day YYYY-MM-DD");
  const auto noonUtc = ParseIsoUtc(*day + "T12:00:00Z");
  if (!noonUtc) return Fail("--day: not a date: " + *day);
  return WithStation(args, [&](ITideStation& station) {
    const int64_t start = LocalDayStart(*noonUtc / 1000);
    const int64_t end = NextLocalDayStart(start) - 1;
    std::cout << EventTableHtml(station.Events(start, end), station.Summary().kind, station.Units(), start)
              << "\n";
    return 0;
  });
}

int Main(CArguments& args) {
  if (args.Size() == 0) return Fail(std::string("usage: tarnwick tides ") + kUsage);
  const std::string verb = args[0];
  if (verb == "--help" || verb == "help") {
    std::cout << "usage: tarnwick tides " << kUsage << "\n";
    return 0;
  }
  if (verb == "import-tcd") return Import(args);
  if (verb == "stations") return Stations(args);
  if (verb == "events") return Events(args);
  if (verb == "level") return Level(args);
  if (verb == "info") return Info(args);
  if (verb == "table") return Table(args);
  return Fail("unknown verb \"" + verb + "\"; usage: tarnwick tides " + kUsage);
}

const CSubcommand kTides("tides", kUsage,
                         "Tide and current stations: import the harmonics file, stations, events, levels",
                         Main);

}  // namespace
}  // namespace tarnwick
