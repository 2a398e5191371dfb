#include "instruments/navdata/AisReceiverOwnShip.h"

#include "instruments/ais/AisReceiver.h"
#include "instruments/nmea/NavSource.h"

namespace tarnwick {

std::optional<AisOwnShipReport> CAisReceiverOwnShip::OwnShipReport(const CNavSource& source) const {
  const AisOwnShipRecord record = receiver_.OwnShip();
  if (!record.sensor || record.sensor != source.Sensor(SensorKind::Ais)) return std::nullopt;
  AisOwnShipReport report;
  report.position = record.position;
  if (record.heading) report.heading = *record.heading;
  report.cog = record.cog;
  report.sog = record.sog;
  report.tick = record.received.tickMs;
  return report;
}

}  // namespace tarnwick
