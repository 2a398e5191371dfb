#include "instruments/ais/AisTargetActions.h"

#include "core/Log.h"
#include "instruments/ais/AisReceiver.h"

namespace tarnwick {
namespace {

std::string Named(const CAisTarget& target) {
  return target.DisplayName() + " (" + std::to_string(target.mmsi) + ")";
}

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

}  // namespace tarnwick
