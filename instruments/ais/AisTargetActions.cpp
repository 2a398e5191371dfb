#include "instruments/ais/AisTargetActions.h"

#include "core/ControlRequests.h"
#include "core/Log.h"
#include "instruments/ais/AisReceiver.h"

namespace tarnwick {
namespace {

std::string Named(const CAisTarget& target) {
  return target.DisplayName() + " (" + std::to_string(target.mmsi) + ")";
}

nlohmann::json Answer(const AisActionResult& result) {
  if (result.status == 200) return {{"ok", true}, {"text", result.text}};
  return {{"error", result.text}, {"status", result.status}};
}

std::optional<uint32_t> MmsiOf(const nlohmann::json& request) {
  const auto it = request.find("mmsi");
  if (it == request.end() || !it->is_number_unsigned()) return std::nullopt;
  const auto mmsi = it->get<uint64_t>();
  if (mmsi == 0 || mmsi > 999999999) return std::nullopt;
  return static_cast<uint32_t>(mmsi);
}

const nlohmann::json kBadMmsi = {{"error", "Give the target's MMSI (1 to 999999999)."},
                                 {"status", 400}};

}  // namespace

AisActionResult AcknowledgeAisWarning(CAisReceiver& receiver, uint32_t mmsi) {
  const auto target = receiver.Target(mmsi);
  if (!target) return {404, "No AIS target " + std::to_string(mmsi) + "."};
  if (target->state == AisTargetState::DangerousWarned)
    return {200, "The warning of " + Named(*target) + " was acknowledged already."};
  if (!receiver.AcknowledgeDanger(mmsi))
    return {409, Named(*target) + " has no collision warning to acknowledge."};
  Log("AIS: warning of %u acknowledged\n", mmsi);
  return {200, "Warning of " + Named(*target) + " acknowledged."};
}

AisActionResult SetAisTargetAside(CAisReceiver& receiver, uint32_t mmsi, bool aside) {
  const auto target = receiver.Target(mmsi);
  if (!target || !receiver.SetHidden(mmsi, aside))
    return {404, "No AIS target " + std::to_string(mmsi) + "."};
  Log("AIS: target %u %s\n", mmsi, aside ? "set aside" : "taken back");
  return {200, Named(*target) + (aside ? " is set aside: it is not shown or assessed until it "
                                         "is taken back or lost and heard again."
                                       : " is shown and assessed again.")};
}

AisActionResult ResetAisTargets(CAisReceiver& receiver) {
  const size_t count = receiver.TargetCount();
  receiver.Reset();
  Log("ResetAIS: %zu targets\n", count);
  return {200, "The AIS table was reset: " + std::to_string(count) +
                   " targets are hidden until they are heard again."};
}

void RegisterAisControlCommands() {
  RegisterControlCommand("ais-acknowledge", [](const nlohmann::json& request) {
    const auto mmsi = MmsiOf(request);
    return mmsi ? Answer(AcknowledgeAisWarning(AisReceiver(), *mmsi)) : kBadMmsi;
  });
  RegisterControlCommand("ais-aside", [](const nlohmann::json& request) {
    const auto mmsi = MmsiOf(request);
    const auto aside = request.find("aside");
    if (!mmsi) return kBadMmsi;
    return Answer(
        SetAisTargetAside(AisReceiver(), *mmsi,
                          aside == request.end() || !aside->is_boolean() || aside->get<bool>()));
  });
  RegisterControlCommand(
      "ais-reset", [](const nlohmann::json&) { return Answer(ResetAisTargets(AisReceiver())); });
}

}  // namespace tarnwick
