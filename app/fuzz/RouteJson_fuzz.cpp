// Fuzz target: the JSON that requests carry into the program. The first byte
// picks a route handler (or the request guard, or a control request of the
// command line), the rest is the body. No handler may throw or crash whatever
// the body holds: members of the wrong type, nulls, lists, huge numbers.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/ControlCommands.h"
#include "charts/library/ChartLibrary.h"
#include "core/Storage.h"
#include "navobjects/navigation/NavController.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "server/ChartLibraryRoutes.h"
#include "server/LiveApi.h"
#include "server/NavRoutes.h"
#include "server/OptionsController.h"
#include "server/PlayerApi.h"
#include "server/PortsApi.h"
#include "server/RequestGuard.h"
#include "server/StorageApi.h"

namespace {

using namespace tarnwick;

class CQuiet final : public INavAnnouncer {
 public:
  void Speak(const std::string&) override {}
  void ShowMessageBar(const std::string&) override {}
  void Sound(NavSound) override {}
};

struct Fixture {
  std::filesystem::path folder;
  CStorage store;
  PortsApiContext ports;
  std::unique_ptr<VoyageDataPlayer> player;
  std::unique_ptr<CPlayerApi> playerApi;
  LiveApiContext live;
  CNavController navigation{std::make_shared<CQuiet>()};
  std::shared_ptr<CChartLibrary> charts;
  std::unique_ptr<CChartLibraryRoutes> chartRoutes;

  Fixture() {
    char pattern[] = "/tmp/tarnwick-route-fuzz-XXXXXX";
    folder = mkdtemp(pattern);
    store.Open(folder / "storage.db");
    ports.database = folder / "electronics.db";
    player = std::make_unique<VoyageDataPlayer>(folder);
    playerApi = std::make_unique<CPlayerApi>([this] { return player.get(); },
                                             [this] { return folder; });
    live.selectSensor = [](const std::string&) { return SensorChoice::Selected; };
    ChartLibraryOptions options;
    options.catalogue = folder / "charts.db";
    options.sencFolder = folder / "senc";
    options.watch = false;
    std::string error;
    charts = CChartLibrary::Open(options, error);
    chartRoutes = std::make_unique<CChartLibraryRoutes>([this] { return charts; }, nullptr);
  }
  ~Fixture() {
    chartRoutes.reset();
    charts.reset();
    playerApi.reset();
    player.reset();
    store.Close();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

GuardedRequest GuardedFrom(const std::string& text) {
  std::string fields[8];
  size_t i = 0, start = 0;
  while (i < 8 && start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    fields[i++] = text.substr(start, end - start);
    start = end + 1;
  }
  GuardedRequest r;
  r.method = fields[0];
  if (!fields[1].empty()) r.host = fields[1];
  if (!fields[2].empty()) r.origin = fields[2];
  if (!fields[3].empty()) r.fetchSite = fields[3];
  if (!fields[4].empty()) r.fetchMode = fields[4];
  if (!fields[5].empty()) r.contentType = fields[5];
  if (!fields[6].empty()) r.csrfToken = fields[6];
  r.hasBody = !fields[7].empty();
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  if (size == 0) return 0;
  HttpRequest request;
  request.method = "POST";
  request.body.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 11) {
    case 0:
      COptionsController::Post(request);
      break;
    case 1:
      CPortsApi::Save(fixture.ports, request);
      break;
    case 2:
      CPortsApi::Delete(fixture.ports, request.body);
      break;
    case 3:
      CStorageApi::Post(fixture.store, request);
      break;
    case 4:
      fixture.playerApi->Control(request);
      fixture.player->RunOnce();
      break;
    case 5:
      CLiveApi::SelectSensor(fixture.live, request);
      break;
    case 6:
      CNavRoutes::Activate(fixture.navigation, [](const std::string&) { return nullptr; }, request);
      break;
    case 7: {
      GuardPolicy policy;
      policy.port = 8213;
      policy.hostNames = ParseHostNames(request.body);
      policy.token = NewCsrfToken();
      (void)CheckRequest(GuardedFrom(request.body), policy);
      break;
    }
    case 8:
      (void)ParseControlRequest(request.body);
      break;
    case 9:
      (void)fixture.chartRoutes->RemoveSource(request);
      break;
    case 10:
      (void)fixture.chartRoutes->RemoveChart(request);
      break;
  }
  return 0;
}
