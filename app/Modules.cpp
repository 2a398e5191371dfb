#include "app/Modules.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/ChartsModule.h"
#include "app/Demo.h"
#include "app/EquipmentMessages.h"
#include "charts/s52/S52Library.h"
#include "charts/s52/S52Startup.h"
#include "core/Application.h"
#include "core/JobQueue.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Paths.h"
#include "environment/tides/TideLibrary.h"
#include "core/units/UnitSystem.h"
#include "environment/grib/ForecastRequest.h"
#include "environment/grib/WeatherModule.h"
#include "instruments/ais/AisModule.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/navdata/NavData.h"
#include "instruments/navdata/NavDataModule.h"
#include "instruments/ports/PortsModule.h"
#include "navobjects/NavObjectsModule.h"
#include "navobjects/navigation/RouteNavigationModule.h"
#include "recording/RecordingControllers.h"
#include "recording/RecordingModule.h"
#include "recording/VirtualTime.h"
#include "recording/logbook/LogBook.h"
#include "recording/logbook/TrackRecorder.h"
#include "recording/vdr/VdrFiles.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "server/ChartLibraryRoutes.h"
#include "server/ChartTileRoutes.h"
#include "server/CoastlineRoutes.h"
#include "server/DocumentRoutes.h"
#include "server/HttpServer.h"
#include "server/NavRoutes.h"
#include "server/OptionsController.h"
#include "server/TideRoutes.h"
#include "server/WeatherRoutes.h"
#include "server/WebInterface.h"

namespace tarnwick {
namespace {

std::unique_ptr<CHttpServer> g_http;

// The running server's token for scripts, in the private runtime folder.
std::filesystem::path HttpTokenFile() {
  return RuntimeFolder() / "http-token";
}
std::unique_ptr<CWebInterface> g_web;

HttpResponse FromReply(HttpReply reply) {
  HttpResponse response;
  response.status = reply.status;
  response.contentType = reply.contentType;
  response.body = std::move(reply.body);
  for (auto& header : reply.headers) response.headers[header.name] = header.value;
  return response;
}

// A command's parameters: the query's, and the text members of a JSON body.
QueryParams CommandParams(const HttpRequest& request) {
  QueryParams params;
  for (const auto& [name, value] : request.params) params.emplace(name, value);
  const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
  if (body.is_object()) {
    for (const auto& [name, value] : body.items())
      if (value.is_string()) params[name] = value.get<std::string>();
  }
  return params;
}

// Serves a recording controller's pages (GET) and commands (POST, parameters
// from the query or the text members of a JSON body); its handlers only read
// files or post to the player, so they run on the server's worker threads.
template <typename Controller>
void MountController(CHttpServer& server, std::shared_ptr<Controller> controller) {
  for (const std::string& route : Controller::Routes()) {
    server.Get(
        route,
        [controller](const HttpRequest& request) {
          QueryParams params;
          for (const auto& [name, value] : request.params) params.emplace(name, value);
          return FromReply(controller->Handle(request.path, params));
        },
        HandlerThread::Worker);
  }
  for (const std::string& route : Controller::CommandRoutes()) {
    server.Post(
        route,
        [controller](const HttpRequest& request) {
          return FromReply(controller->Handle(request.path, CommandParams(request)));
        },
        HandlerThread::Worker);
  }
}

void RegisterHttpServer(CApplication& app, bool demo) {
  app.OnStartupStage("NetStart", [demo] {
    g_http = std::make_unique<CHttpServer>();
    COptionsController::Mount(*g_http);
    // The route navigator's commands and status page, and single objects of
    // the documents; both look objects up when a request comes.
    CNavRoutes::Mount(*g_http, RouteNavigator(), &FindNavigableObject);
    CDocumentRoutes::Mount(*g_http, &FindDocumentObject);
    // The world coastline base map by resolution, from the shipped files.
    CCoastlineRoutes::Mount(*g_http, std::make_shared<CCoastlineRoutes>(ProgramFolder() / "World"));
    // The chart library: charts, folders, build progress, picks and the look-ahead.
    CChartLibraryRoutes::Mount(*g_http, std::make_shared<CChartLibraryRoutes>(&ChartLibrary, &ObstacleStateJson));
    // The chart view's tiles, drawn on their own threads, cached in memory and under the cache folder.
    CChartTileRoutes::Mount(
        *g_http, std::make_shared<CChartTileRoutes>(std::make_shared<CChartTileService>(
                     std::make_shared<CChartViewRenderer>(S52Library(), ProgramFolder() / "World"),
                     LibraryTileSource(&ChartLibrary), ChartTileOptions{.diskFolder = CacheFolder() / "tiles"})));
    // Tide and current stations, at the played recording's time while one plays.
    CTideRoutes::Mount(*g_http, std::make_shared<CTideRoutes>(TideLibrary(), [] {
      const auto played = VirtualTime().UtcMs();
      return played ? *played / 1000 : static_cast<int64_t>(std::time(nullptr));
    }));
    // The weather forecast: its grids, values, files and commands.
    CWeatherRoutes::Mount(*g_http, WeatherFolder());
    MountController(*g_http, std::make_shared<CLogHttpController>(DataFolder() / "log.db"));
    // The log page's "CheckLog": it renders again when the logbook was written.
    g_http->Get(
        "/api/logbook",
        [](const HttpRequest&) {
          return HttpResponse::Json(
              200, "{\"lastWriteTick\":" + std::to_string(LogBook().LastWriteTick()) + "}");
        },
        HandlerThread::Worker);
    MountController(*g_http, std::make_shared<CVoyageRecordingsController>(
                                 RecordingsFolder(), &ProgramPlayer, OpenFolderInFileBrowser));
    // The browser user interface: live events, its REST routes and the front end's files.
    WebInterfaceOptions web;
    web.webFolder = ProgramFolder() / "web";
    web.demoDescription = [] { return DemoDescription(); };
    g_web = std::make_unique<CWebInterface>(*g_http, std::move(web));
    if (demo) RegisterDemoRoutes(*g_http);
    // The look-ahead's sweep and danger, for the chart.
    SetObstacleEventSink([](const std::string& json) {
      if (g_web) g_web->Hub()->Post("obstacle", json);
    });
    const int port = ConfiguredHttpPort();
    if (!g_http->Start("127.0.0.1", port)) {
      // Without its pages the program cannot be used: start-up ends here.
      Log("NetStart: the HTTP server cannot listen on port %d\n", port);
      Notifications().Post(
          NotificationKind::Error,
          "$AppTitle cannot serve its pages on 127.0.0.1 port " + std::to_string(port) +
              ": another program may be using it. Choose another port with the setting "
              "Network_HttpPort (tarnwick settings set Network_HttpPort " +
              std::to_string(port == 65535 ? 8213 : port + 1) + ").");
      g_web.reset();
      g_http.reset();
      return false;
    }
    Log("HTTP server: %s\n", g_http->Url().c_str());
    // Scripts of the user send the page's token too; they find it here.
    if (!WritePrivateFile(HttpTokenFile(), g_http->CsrfToken() + "\n"))
      Log("NetStart: cannot write %s\n", HttpTokenFile().c_str());
    return true;
  });
  // The live event feed, once per tick after the navigation values are updated.
  app.OnTick(TickStage::InfoPanel_OnTick, [] {
    if (g_web) g_web->Tick();
  });
  app.OnShutdownStage("Exit_ModularTcpServer", [] {
    std::error_code ignored;
    if (g_http) std::filesystem::remove(HttpTokenFile(), ignored);
    SetObstacleEventSink(nullptr);
    if (g_web) g_web->Close();  // open event streams end at once
    g_http.reset();
    g_web.reset();
  });
}

}  // namespace

std::string MainPageUrl() {
  return g_http ? g_http->Url() : std::string();
}

void RegisterModules(CApplication& app, const ModuleOptions& options) {
  app.OnStartupStage("Init Main Frame", [] {
    Notifications().SetVoiceSink(MakeSystemVoiceSink());
    return true;
  });
  app.OnShutdownStage("Exit_Voice", [] { Notifications().SetVoiceSink(nullptr); });
  // The loaded unit settings become the display indices and the sailing mode.
  app.OnStartupStage("Settings", [] {
    RefreshUnitSettings();
    return true;
  });
  RegisterRecording(app);
  // The presentation library S52PL.zip is read in "Init_ENC".
  RegisterS52Library(app);
  // The chart library from "Init_ENC" on; its folders are looked at from "Init Charts".
  RegisterCharts(app);
  // The tide and current station databases the data-product registry names.
  app.OnStartupStage("Init Tides", [] {
    TideLibrary().Load();
    return true;
  });
  // The weather forecast from "Init Weather" on; files dropped into the weather folder open.
  RegisterWeather(app);
  RegisterHttpServer(app, options.demo);
  // AIS fragments from the NMEA decoder; targets aged and assessed in "UpdateAIS".
  RegisterAis(app);
  // Instrument ports open in "Init Ports", restart when electronics.db changes
  // and stop last, in "Exit_Ports".
  RegisterPorts(app);
  // The navigation data store from "Loading instruments" on; the own-ship
  // snapshot in "UpdateNavInfo", the depth alert in "UpdateAlarms"; it goes
  // after the ports in "Exit_Ports".
  RegisterNavData(app);
  // Equipment alarms and NAVTEX messages from the decoder into the logbook and
  // onto the page, from "Loading instruments" on.
  RegisterEquipmentMessages(app);
  // The logbook's track takes its once-a-minute point from the own-ship snapshot.
  SetOwnShipSampleSource([]() -> std::optional<OwnShipSample> {
    CNavData* store = NavData();
    if (!store) return std::nullopt;
    auto snapshot = store->Snapshot();
    OwnShipSample sample;
    if (!snapshot) return sample;
    sample.positionValid = snapshot->fix.position.has_value();
    if (sample.positionValid) sample.position = *snapshot->fix.position;
    sample.sog = snapshot->sog ? snapshot->sog->value : 0;
    sample.cog = snapshot->cog ? snapshot->cog->value : 0;
    if (snapshot->headingTrue) sample.heading = snapshot->headingTrue->value;
    if (snapshot->depth) sample.depth = snapshot->depth->value;
    return sample;
  });
  // The logbook keeps sensor alarms as they start, and AIS safety messages;
  // those arrive on port threads and are written on the user-interface thread.
  SetSensorAlarmHook([](const std::string& source, const std::string& text) {
    LogSensorAlarm(LogBook(), source, text);
  });
  AisReceiver().SetSafetyMessageHook([](const AisSafetyMessage& message) {
    char mmsi[16];
    snprintf(mmsi, sizeof mmsi, "%09u", static_cast<unsigned>(message.mmsi));
    UiJobs().Post([from = std::string(mmsi), message] {
      LogAisSafetyMessage(LogBook(), from, message.fromName, message.text);
    });
  });
  // Tracks and boundary alarms follow the same snapshot. While a playback is
  // open (playing or paused) the state is the recording's, with its time, and
  // stays out of the live tracks.
  SetOwnShipProvider([]() -> std::optional<OwnShipInput> {
    CNavData* store = NavData();
    if (!store) return std::nullopt;
    OwnShipInput input = OwnShipFromSnapshot(*store->Snapshot());
    if (const VoyageDataPlayer* player = ProgramPlayer())
      input.played = player->Status().virtualUtcMs.has_value();
    if (const auto played = VirtualTime().UtcMs()) input.utcMs = *played;
    return input;
  });
  // Documents open in "Init NavObj", those named on the command line in
  // "Process startup docs"; tracks and boundaries update in "UpdateNavObjects",
  // documents are saved in "Exit_NavObjects".
  RegisterNavObjects(app, options.commandLine);
  // The active route: updated from the own-ship snapshot in "UpdateNavObjects",
  // steering sentences to the talker ports in "Autopilot_Update".
  RegisterRouteNavigation(app);
  // The demo plays its bundled recording in a loop; its folders are set up in
  // "Settings", before the player is made in "Loading instruments".
  if (options.demo) RegisterDemo(app, options.demoVoyage);
}

}  // namespace tarnwick
