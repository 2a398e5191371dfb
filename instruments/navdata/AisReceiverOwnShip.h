#pragma once
// The AIS receiver's own-ship record as the navigation data store's own-ship
// reports: a record belongs to the port whose own-transponder sensor
// delivered it, so the "pos-ais" and "hdg-ais" sensors of that port (and no
// other) can stand in with our transponder's position and motion.

#include "instruments/navdata/AisOwnShipSource.h"

namespace tarnwick {

class CAisReceiver;

class CAisReceiverOwnShip final : public IAisOwnShipSource {
 public:
  // receiver must outlive this object.
  explicit CAisReceiverOwnShip(const CAisReceiver& receiver) : receiver_(receiver) {}
  // Takes the receiver's lock (the store's lock may be held: store, then receiver).
  std::optional<AisOwnShipReport> OwnShipReport(const CNavSource& source) const override;

 private:
  const CAisReceiver& receiver_;
};

}  // namespace tarnwick
