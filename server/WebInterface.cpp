#include "server/WebInterface.h"

#include "core/Clock.h"
#include "core/Storage.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/navdata/NavData.h"
#include "instruments/ports/ElectronicsDb.h"
#include "instruments/ports/PortHooks.h"
#include "instruments/ports/PortsModule.h"
#include "navobjects/NavObjectsModule.h"
#include "navobjects/navigation/RouteNavigationModule.h"
#include "recording/RecordingModule.h"
#include "recording/vdr/VdrFiles.h"
#include "server/AisActionsApi.h"
#include "server/ColoursApi.h"
#include "server/EquipmentApi.h"
#include "server/EventRoutes.h"
#include "server/LiveApi.h"
#include "server/NavObjectEdits.h"
#include "server/NavObjectLayers.h"
#include "server/NavObjectsMob.h"
#include "server/NavObjectsApi.h"
#include "server/PlayerApi.h"
#include "server/PortsApi.h"
#include "server/SettingsApi.h"
#include "server/StaticFiles.h"
#include "server/StorageApi.h"

namespace tarnwick {
namespace {

PortsApiContext ProgramPorts() {
  PortsApiContext context;
  context.database = CElectronicsDb::DefaultPath();
  context.restart = [] { RestartPorts(); };
  context.statuses = [] { return RunningPortStatuses(); };
  return context;
}

LiveSources ProgramSources(const PortsApiContext& ports) {
  LiveSources sources;
  sources.snapshot = []() -> std::shared_ptr<const OwnShipSnapshot> {
    CNavData* store = NavData();
    return store ? store->Snapshot() : nullptr;
  };
  sources.sensors = [] {
    SensorMenu menu;
    if (CNavData* store = NavData()) {
      menu.positions = store->PositionSensors();
      menu.autoSelect = store->AutomaticPositionSelection();
      const auto snapshot = store->Snapshot();
      menu.deadReckoning = snapshot && snapshot->fix.deadReckoning;
    }
    return menu;
  };
  sources.aisChanges = [](uint64_t revision) { return AisReceiver().ChangesSince(revision); };
  sources.aisGeneration = [] { return AisReceiver().RedrawGeneration(); };
  sources.route = [] { return RouteJson(RouteNavigator(), UtcNowMs()); };
  sources.ports = [ports] { return CPortsApi::List(ports); };
  return sources;
}

}  // namespace

CWebInterface::CWebInterface(CHttpServer& server, WebInterfaceOptions options)
    : hub_(std::make_shared<CEventHub>()),
      track_(std::make_shared<COwnShipTrack>()),
      texts_(std::make_shared<CAisTextLog>()) {
  const PortsApiContext ports = ProgramPorts();
  feed_ = std::make_unique<CLiveFeed>(hub_, ProgramSources(ports), track_);
  if (options.demoDescription) {
    if (std::optional<std::string> demo = options.demoDescription()) hub_->SetDemo(*demo);
  }

  MountEventStream(server, hub_);
  CSettingsApi::Mount(server);
  CPortsApi::Mount(server, ports);
  CNavObjectsApi::Mount(server, ProgramNavObjects());
  // Layers and GPX first: their fixed paths come before the edits' "/api/navobjects/<id>".
  CNavObjectLayers::Mount(server, [] { return NavDocuments(); });
  CNavObjectEdits::Mount(server, [] { return NavDocuments(); });
  mob_ = std::make_shared<CManOverboard>(ProgramManOverboard());
  CManOverboard::Mount(server, mob_);
  CStorageApi::Mount(server, Storage());
  CEquipmentApi::Mount(server);
  CAisActionsApi::Mount(server, AisReceiver());
  CColoursApi::Mount(server);
  CPlayerApi::Mount(server, std::make_shared<CPlayerApi>([] { return ProgramPlayer(); },
                                                         [] { return RecordingsFolder(); }));
  LiveApiContext live;
  live.target = [](uint32_t mmsi) { return AisReceiver().Target(mmsi); };
  live.texts = texts_;
  live.track = track_;
  live.selectSensor = [](const std::string& choice) { return SelectProgramSensor(choice); };
  CLiveApi::Mount(server, std::move(live));
  CStaticFiles::Mount(server, options.webFolder);

  // Safety texts by sender, for the targets' detail pages. The receiver calls
  // its observer without its lock, so the observer stays installed (it keeps
  // the log alive) rather than being replaced while ports run.
  AisReceiver().SetMessageObserver([texts = texts_](const AisMessage& message) {
    if (message.text && (message.type == 12 || message.type == 14))
      texts->Add(message.mmsi, UtcNowMs(), *message.text);
  });
  // The instrument data monitor's lines, for the clients that asked for them.
  SetDataMonitorSink([hub = hub_](const MonitorLine& line) {
    if (!hub->HasMonitorClients()) return;
    hub->PostMonitorLine(JsonText({{"port", std::string(line.label)},
                                   {"address", std::string(line.port)},
                                   {"line", std::string(line.text)}}));
  });
}

CWebInterface::~CWebInterface() {
  SetDataMonitorSink({});
  hub_->Close();
}

void CWebInterface::Tick() {
  feed_->Tick();
  mob_->Tick(static_cast<int64_t>(UtcNowMs()));
}

}  // namespace tarnwick
