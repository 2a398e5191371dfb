// `tarnwick charts`: the chart library of the data folder. Changes go to the
// running program when one runs on the folder (which builds new charts in
// the background); otherwise the command works on the catalogue itself and
// `add` builds the charts before it returns.

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/ChartsModule.h"
#include "app/ControlCommands.h"
#include "app/Subcommand.h"
#include "charts/library/ChartJson.h"
#include "charts/library/ChartLibrary.h"
#include "core/Log.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"
#include "core/settings/ChartsSettings.h"
#include "tools/ChartRenderCommand.h"

namespace tarnwick {
namespace {

constexpr const char* kUsage = "add DIR|CELL | list | remove NAME | sources";

int Usage() {
  std::fprintf(stderr, "usage: tarnwick charts %s\n       tarnwick charts %s\n", kUsage, kChartsRenderUsage);
  return 2;
}

// Builds on this process's workers, telling stderr what they do.
void WaitWithProgress(CChartLibrary& library) {
  std::string last;
  while (!library.WaitIdle(500)) {
    const ChartBuildProgress progress = library.Progress();
    std::string line =
        "[" + std::to_string(progress.done) + "/" + std::to_string(progress.total) + "]";
    for (const std::string& text : progress.current) line += " " + text;
    if (line != last) std::fprintf(stderr, "%s\n", line.c_str());
    last = line;
  }
}

int Main(CArguments& args) {
  if (args.Size() > 0 && args[0] == "render") return ChartsRenderMain(args);
  SetLogEcho(DebugLogging());
  if (auto unknown = args.UnknownOption()) {
    std::fprintf(stderr, "tarnwick charts: unknown option %s\n", unknown->c_str());
    return 2;
  }
  if (args.Size() == 0) return Usage();
  const std::string verb = args[0];
  std::vector<std::string> rest(args.Rest().begin() + 1, args.Rest().end());
  const bool takesOne = verb == "add" || verb == "remove";
  if ((takesOne && rest.size() != 1) || (!takesOne && !rest.empty()) ||
      (!takesOne && verb != "list" && verb != "sources"))
    return Usage();
  // The running program has another current folder: paths go to it whole.
  if (verb == "add" || (verb == "remove" && rest[0].find('/') != std::string::npos))
    rest[0] = std::filesystem::absolute(rest[0]).lexically_normal().string();
  const std::string command = "charts." + verb;
  if (auto result = RunInRunningProgram(command, rest)) {
    if (verb == "add" && result->exit == 0)
      result->err +=
          "tarnwick charts: the running program builds the charts in the background "
          "(tarnwick charts list shows how far it got)\n";
    return PrintResult(*result);
  }

  CRegistryFile registry(CRegistryFile::DefaultPath());
  LoadProgramSettings(registry);
  ChartLibraryOptions options = DefaultChartLibraryOptions();
  options.watch = false;
  std::string error;
  auto library = CChartLibrary::Open(options, error);
  if (!library) {
    std::fprintf(stderr, "tarnwick charts: %s\n", error.c_str());
    return 1;
  }
  library->SetInstallationFolder(opt::Charts_InstallationFolder.Text());
  InstallChartLibrary(library);
  if (verb == "add") library->Start();
  CommandResult result = RunChartsCommand(command, rest);
  if (verb == "add" && result.exit == 0) {
    WaitWithProgress(*library);
    result.out = RunChartsCommand(command, rest).out;  // the folder with its charts counted
    for (const ChartRecord& chart : library->Charts()) {
      if (chart.source != rest[0]) continue;
      if (chart.status == ChartStatus::kFailed)
        result.err += "tarnwick charts: " + chart.name + " cannot be used: " + chart.message + "\n";
      else if (!chart.updateError.empty())
        result.err += "tarnwick charts: " + chart.name + ": " + chart.failedUpdate + ": " +
                      chart.updateError + "\n";
    }
  }
  InstallChartLibrary(nullptr);
  library->Stop();
  return PrintResult(result);
}

const CSubcommand kCharts("charts", kUsage,
                          "the chart library: add a chart folder or file (built before it "
                          "returns, or by the running program), list the charts as JSON lines, "
                          "remove a chart or folder, list the folders",
                          Main);

}  // namespace
}  // namespace tarnwick
