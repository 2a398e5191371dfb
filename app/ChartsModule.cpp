#include "app/ChartsModule.h"

#include <memory>

#include "charts/library/ChartJson.h"
#include "charts/library/ChartLibrary.h"
#include "core/Application.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Setting.h"
#include "core/settings/ChartsSettings.h"

namespace tarnwick {
namespace {

// Follows the installation folder setting.
class CInstallationFolderWatch final : public CSettingListener {
 public:
  void SettingChanged(CSetting& setting) override {
    if (&setting != &opt::Charts_InstallationFolder) return;
    if (auto library = ChartLibrary()) library->SetInstallationFolder(setting.Text());
  }
};

std::unique_ptr<CInstallationFolderWatch> g_folderWatch;

CommandResult Fail(std::string err) {
  return {1, "", "tarnwick charts: " + err + "\n"};
}

CommandResult Add(CChartLibrary& library, const std::string& path) {
  const AddSourceResult added = library.AddSource(path);
  if (!added.ok) return Fail(added.error);
  for (const ChartSource& source : library.Sources()) {
    if (source.path != added.path) continue;
    std::string out;
    CJsonWriter json(out);
    WriteSourceJson(json, source);
    return {0, out + "\n", ""};
  }
  return Fail("cannot register " + added.path.string());
}

CommandResult Remove(CChartLibrary& library, const std::string& what) {
  std::string out;
  for (const ChartSource& source : library.Sources()) {
    if (source.path != std::filesystem::path(what).lexically_normal() || !source.folder) continue;
    if (source.installation)
      return Fail(what + " is the installation folder (the setting Charts_InstallationFolder)");
    library.RemoveSource(source.path);
    return {0, source.path.string() + "\n", ""};
  }
  const std::vector<std::string> removed = library.RemoveChart(what);
  if (removed.empty()) return Fail("no chart or chart folder named '" + what + "'");
  for (const std::string& name : removed) out += name + "\n";
  return {0, out, ""};
}

}  // namespace

CommandResult RunChartsCommand(const std::string& command, const std::vector<std::string>& args) {
  const std::shared_ptr<CChartLibrary> library = ChartLibrary();
  if (!library) return Fail("the chart library is not available (see the diagnostic log)");
  if (command == "charts.add" && args.size() == 1) return Add(*library, args[0]);
  if (command == "charts.remove" && args.size() == 1) return Remove(*library, args[0]);
  if (command == "charts.list" && args.empty()) {
    std::string out;
    for (const ChartRecord& chart : library->Charts()) out += ChartJsonLine(chart) + "\n";
    return {0, out, ""};
  }
  if (command == "charts.sources" && args.empty()) {
    std::string out;
    for (const ChartSource& source : library->Sources()) {
      CJsonWriter json(out);
      WriteSourceJson(json, source);
      out += "\n";
    }
    return {0, out, ""};
  }
  return {2, "", "tarnwick: wrong arguments for " + command + "\n"};
}

void RegisterCharts(CApplication& app) {
  app.OnStartupStage("Init_ENC", [] {
    std::string error;
    auto library = CChartLibrary::Open(DefaultChartLibraryOptions(), error);
    if (!library) {
      // The program runs on without charts; the navigator is told why.
      Log("Init_ENC: %s\n", error.c_str());
      Notifications().Post(NotificationKind::Error,
                           "$AppTitle cannot open its chart library: " + error);
      return true;
    }
    library->SetInstallationFolder(opt::Charts_InstallationFolder.Text());
    InstallChartLibrary(library);
    g_folderWatch = std::make_unique<CInstallationFolderWatch>();
    return true;
  });
  // The folders are looked at once the program is up; builds never hold up start-up.
  app.OnStartupStage("Init Charts", [] {
    if (auto library = ChartLibrary()) library->Start();
    return true;
  });
  app.OnShutdownStage("Exit_Charts", [] {
    g_folderWatch.reset();
    if (auto library = ChartLibrary()) library->Stop();
    InstallChartLibrary(nullptr);
  });
}

}  // namespace tarnwick
