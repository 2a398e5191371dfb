#include "instruments/ais/AisModule.h"

#include "core/Application.h"
#include "instruments/ais/AisAssessmentSettings.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/nmea/DecodeNmea.h"

namespace tarnwick {
namespace {

OwnShipProvider& Provider() {
  static OwnShipProvider provider;
  return provider;
}

}  // namespace

void SetAisOwnShipProvider(OwnShipProvider provider) {
  Provider() = std::move(provider);
}

void RunAisUpdate() {
  const AisAssessmentSettings settings = ReadAisAssessmentSettings();
  if (!settings.showVessels) return;
  // The own-ship snapshot is taken before the receiver lock (store, then receiver).
  const OwnShipKinematics own = Provider() ? Provider()() : AisReceiver().OwnShipFromTransponder();
  AisReceiver().Update(own, settings);
}

void RegisterAis(CApplication& app) {
  app.OnStartupStage("Loading instruments", [] {
    NmeaDecoderHooks hooks = GetNmeaDecoderHooks();
    hooks.ais = &AisReceiver();
    SetNmeaDecoderHooks(hooks);
    return true;
  });
  app.OnTick(TickStage::UpdateAIS, [] { RunAisUpdate(); });
}

}  // namespace tarnwick
