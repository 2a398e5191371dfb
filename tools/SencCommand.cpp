// `tarnwick senc`: compiles S-57 cells and exchange sets into SENC files
// (on all cores, each cell only when its files are newer than its SENC) and
// describes a SENC file.

#include <charconv>
#include <cstdio>
#include <string>

#include "app/Subcommand.h"
#include "charts/s57/ExchangeSet.h"
#include "charts/s57/S57Chart.h"
#include "charts/s57/SencFolder.h"
#include "core/JsonWriter.h"
#include "core/Log.h"
#include "core/geo/Mercator.h"

namespace tarnwick {
namespace {

constexpr const char* kUsage =
    "build CELL.000|EXCHANGE_SET_FOLDER... [--output DIR] [--jobs N] [--force]\n"
    "  info FILE";

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarnwick senc: %s\n", message.c_str());
  return 1;
}

void Print(std::string& out) {
  out += '\n';
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  out.clear();
}

const char* StatusText(SencBuildOutcome::Status status) {
  switch (status) {
    case SencBuildOutcome::Status::Built:
      return "built";
    case SencBuildOutcome::Status::UpToDate:
      return "up to date";
    default:
      return "failed";
  }
}

void WriteOutcome(std::string& out, const SencBuildOutcome& o) {
  CJsonWriter json(out);
  json.BeginObject()
      .Member("cell", o.cell.string())
      .Member("senc", o.senc.string())
      .Member("status", StatusText(o.status));
  if (o.status == SencBuildOutcome::Status::Failed) {
    json.Member("error", o.error);
  } else {
    json.Member("edition", o.edition)
        .Member("update", o.update)
        .Member("features", uint64_t{o.features});
  }
  json.Key("updatesApplied").BeginArray();
  for (const auto& update : o.updatesApplied) json.String(update.filename().string());
  json.EndArray();
  if (o.failedUpdate) {
    json.Key("updateFailed")
        .BeginObject()
        .Member("file", o.failedUpdate->filename().string())
        .Member("reason", o.failedUpdateError)
        .EndObject();
  }
  json.EndObject();
}

int Build(CArguments& args) {
  const auto output = args.TakeOption("--output");
  const auto jobsText = args.TakeOption("--jobs");
  const bool force = args.TakeFlag("--force");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() == 0) return Fail("build needs a cell file or an exchange-set folder");
  unsigned threads = 0;
  if (jobsText) {
    const auto [end, ec] = std::from_chars(jobsText->data(), jobsText->data() + jobsText->size(), threads);
    if (ec != std::errc() || end != jobsText->data() + jobsText->size() || threads == 0 || threads > 256)
      return Fail("--jobs must be a number from 1 to 256");
  }
  // The sets outlive the jobs that point at them.
  std::vector<std::unique_ptr<CExchangeSet>> sets;
  std::vector<SencBuildJob> jobs;
  for (const std::string& arg : args.Rest()) {
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      sets.push_back(std::make_unique<CExchangeSet>(CExchangeSet::Scan(arg)));
      for (const std::string& problem : sets.back()->Problems())
        std::fprintf(stderr, "tarnwick senc: %s\n", problem.c_str());
      if (sets.back()->Cells().empty()) std::fprintf(stderr, "tarnwick senc: no cells in %s\n", arg.c_str());
      for (const ExchangeSetCell& cell : sets.back()->Cells()) jobs.push_back({cell.base, sets.back().get()});
    } else if (std::filesystem::is_regular_file(arg, ec)) {
      jobs.push_back({arg, nullptr});
    } else {
      return Fail(arg + " is neither a cell file nor a folder");
    }
  }
  if (jobs.empty()) return Fail("no cells to build");
  const std::filesystem::path folder = output ? std::filesystem::path(*output) : DefaultSencFolder();
  CleanUpSencFolder(folder);
  size_t failed = 0;
  const auto outcomes = BuildSencFiles(
      jobs, folder, threads, force, [&](const SencBuildOutcome& o, size_t done, size_t total) {
        std::string line;
        WriteOutcome(line, o);
        Print(line);
        if (o.status == SencBuildOutcome::Status::Failed) ++failed;
        std::fprintf(stderr, "[%zu/%zu] %s: %s%s%s\n", done, total, o.cell.filename().c_str(),
                     StatusText(o.status), o.error.empty() ? "" : ": ", o.error.c_str());
      });
  return failed == 0 ? 0 : 1;
}

void WriteDegreesBox(CJsonWriter& json, const ProjectedBox& box) {
  const auto ne = MercatorInverse(box.east, box.north);
  const auto sw = MercatorInverse(box.west, box.south);
  json.Key("extent");
  if (box.Empty() || !ne || !sw) {
    json.Null();
    return;
  }
  json.BeginObject()
      .Member("north", ne->lat)
      .Member("west", sw->lon)
      .Member("south", sw->lat)
      .Member("east", ne->lon)
      .EndObject();
}

int Info(CArguments& args) {
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 1) return Fail("info needs one SENC file");
  std::string error;
  auto chart = CS57Chart::Open(args[0], error);
  if (!chart) return Fail(error);
  const SencHeader& h = chart->Header();
  uint32_t drawn = 0;
  for (uint32_t i = 0; i < chart->FeatureCount(); ++i) drawn += chart->Feature(i) ? 1 : 0;
  std::string out;
  CJsonWriter json(out);
  json.BeginObject()
      .Member("file", args[0])
      .Member("version", h.version)
      .Member("cell", chart->CellName())
      .Member("edition", h.edtn)
      .Member("update", h.updn)
      .Member("intu", h.intu)
      .Member("cscl", h.cscl)
      .Member("agen", h.agen)
      .Member("hdat", h.hdat)
      .Member("vdat", h.vdat)
      .Member("sdat", h.sdat)
      .Member("title", h.title)
      .Member("features", h.featureCount)
      .Member("featuresWithGeometry", drawn);
  WriteDegreesBox(json, chart->Extent());
  json.Key("properties").BeginObject();
  for (const auto& [name, value] : chart->Properties()) json.Member(name, value);
  json.EndObject().Key("info").BeginObject();
  for (const auto& [name, value] : chart->InfoProperties()) json.Member(name, value);
  json.EndObject().EndObject();
  Print(out);
  return 0;
}

int Main(CArguments& args) {
  SetLogEcho(DebugLogging());
  if (args.Size() == 0) return Fail(std::string("usage: tarnwick senc ") + kUsage);
  const std::string action = args[0];
  CArguments sub(std::vector<std::string>(args.Rest().begin() + 1, args.Rest().end()));
  if (action == "build") return Build(sub);
  if (action == "info") return Info(sub);
  return Fail("unknown action \"" + action + "\" (build or info)");
}

const CSubcommand kSenc("senc", kUsage,
                        "Compiled charts (SENC): build from S-57 cells and exchange sets, describe",
                        Main);

}  // namespace
}  // namespace tarnwick
