#include "instruments/navdata/NavDataModule.h"

#include <memory>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/Notifications.h"
#include "instruments/ais/AisModule.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/navdata/AisReceiverOwnShip.h"
#include "instruments/navdata/DepthAlert.h"
#include "instruments/navdata/NavData.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/ports/PortList.h"

namespace tarnwick {
namespace {

constexpr const char* kDepthAlarmSource = "Depth Sounder";

SensorAlarmHook g_sensorAlarmHook;

struct NavDataModule {
  CAisReceiverOwnShip ownShip{AisReceiver()};
  CNavData store;
  std::string depthAlertText;  // what the depth alert said in this tick
  CDepthAlert depthAlert{[this](const std::string& text, bool voice) {
    if (voice)
      Notifications().Speak(text);
    else
      Notifications().Post(NotificationKind::Warning, text);
    depthAlertText = text;
  }};
  std::function<std::optional<double>(const LatLon&)> chartedDepth;
};

std::unique_ptr<NavDataModule> g_module;

// The own-ship kinematics the AIS assessment uses: the store's snapshot.
OwnShipKinematics SnapshotKinematics() {
  OwnShipKinematics own;
  if (!g_module) return own;
  const auto snapshot = g_module->store.Snapshot();
  own.position = snapshot->fix.position;
  if (snapshot->cog) own.cog = snapshot->cog->value;
  if (snapshot->sog) own.sog = snapshot->sog->value;
  if (snapshot->headingTrue) own.heading = snapshot->headingTrue->value;
  own.tickMs = snapshot->tickMs - snapshot->fix.ageMs;
  return own;
}

void CheckDepth() {
  if (!g_module) return;
  const auto snapshot = g_module->store.Snapshot();
  std::optional<double> sounder;
  if (snapshot->depth) sounder = snapshot->depth->value;
  std::optional<double> charted;
  if (g_module->chartedDepth && snapshot->fix.position)
    charted = g_module->chartedDepth(*snapshot->fix.position);
  const bool wasActive = g_module->depthAlert.Active();
  g_module->depthAlertText.clear();
  g_module->depthAlert.Update(sounder, charted, DepthAlertLimitsFromSettings(), TickCount());
  // An alert that starts, or a lost reading, is an alarm; a repetition is not.
  const std::string& said = g_module->depthAlertText;
  if (g_sensorAlarmHook && !said.empty() && (!wasActive || !g_module->depthAlert.Active()))
    g_sensorAlarmHook(kDepthAlarmSource, said);
}

}  // namespace

void SetSensorAlarmHook(SensorAlarmHook hook) {
  g_sensorAlarmHook = std::move(hook);
}

void SetChartedDepthProvider(std::function<std::optional<double>(const LatLon&)> provider) {
  if (g_module) g_module->chartedDepth = std::move(provider);
}

void RegisterNavData(CApplication& app) {
  app.OnStartupStage("Loading instruments", [] {
    g_module = std::make_unique<NavDataModule>();
    CNavData& store = g_module->store;
    store.SetAisOwnShipSource(&g_module->ownShip);
    store.SetTalkerOutput([](std::string_view sentence) { PortList().WriteToTalkers(sentence); });
    InstallNavData(&store);
    NmeaDecoderHooks hooks = GetNmeaDecoderHooks();
    hooks.sensors = &store;
    SetNmeaDecoderHooks(hooks);
    SetAisOwnShipProvider(SnapshotKinematics);
    return true;
  });
  app.OnTick(TickStage::UpdateNavInfo, [] {
    if (g_module) g_module->store.UpdateNavInfo();
  });
  app.OnTick(TickStage::UpdateAlarms, CheckDepth);
  // Registered after the ports: they are stopped (and forget their sensors) first.
  app.OnShutdownStage("Exit_Ports", [] {
    if (!g_module) return;
    SetAisOwnShipProvider(nullptr);
    NmeaDecoderHooks hooks = GetNmeaDecoderHooks();
    if (hooks.sensors == &g_module->store) hooks.sensors = nullptr;
    SetNmeaDecoderHooks(hooks);
    InstallNavData(nullptr);
    g_module.reset();
  });
}

}  // namespace tarnwick
