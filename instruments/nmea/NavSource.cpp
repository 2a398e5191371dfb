#include "instruments/nmea/NavSource.h"

namespace tarnwick {

const char* SensorKindName(SensorKind kind) {
  switch (kind) {
    case SensorKind::Pos:
      return "pos";
    case SensorKind::Hdg:
      return "hdg";
    case SensorKind::Dpt:
      return "dpt";
    case SensorKind::Stw:
      return "stw";
    case SensorKind::Xdr:
      return "xdr";
    case SensorKind::Ais:
      return "ais";
    case SensorKind::PosAis:
      return "pos-ais";
    case SensorKind::HdgAis:
      return "hdg-ais";
  }
  return "";
}

NavSourceData CNavSource::Snapshot() const {
  auto lock = Lock();
  return data_;
}

CSensor* CNavSource::Sensor(SensorKind kind) const {
  return sensors_[static_cast<int>(kind)].load(std::memory_order_acquire);
}

bool CNavSource::SensorRequested(SensorKind kind) const {
  return (requested_.load(std::memory_order_acquire) & (1u << static_cast<int>(kind))) != 0;
}

void CNavSource::SetSensor(SensorKind kind, CSensor* sensor) {
  sensors_[static_cast<int>(kind)].store(sensor, std::memory_order_release);
  requested_.fetch_or(1u << static_cast<int>(kind), std::memory_order_acq_rel);
}

bool CNavSource::Registered() const {
  return registered_.load(std::memory_order_acquire);
}

bool CNavSource::MarkRegistered() {
  return !registered_.exchange(true, std::memory_order_acq_rel);
}

}  // namespace tarnwick
