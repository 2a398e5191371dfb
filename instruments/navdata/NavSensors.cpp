#include "instruments/navdata/NavSensors.h"

#include <cmath>

#include "core/geo/Geodesy.h"
#include "instruments/navdata/NmeaFixRules.h"
#include "instruments/nmea/NavSource.h"

namespace tarnwick {
namespace {

bool Fresh(uint64_t tick, uint64_t now, uint64_t holdMs) {
  return now >= tick && now - tick <= holdMs;
}

// The own-ship report of the sensor's port, when the receiver has one.
std::optional<AisOwnShipReport> OwnShip(const CNavSensor& sensor, const SensorContext& context) {
  if (!context.ais || !sensor.Source()) return std::nullopt;
  return context.ais->OwnShipReport(*sensor.Source());
}

std::optional<NavReading> Reading(const std::optional<double>& value, uint64_t tick) {
  if (!value) return std::nullopt;
  return NavReading{*value, tick};
}

}  // namespace

CNavSensor::CNavSensor(std::string kind, CNavSource* source, std::string portName,
                       std::string displayName, int priority, bool aisFed)
    : CSensor(std::move(kind), source, std::move(portName)),
      displayName_(std::move(displayName)),
      priority_(priority),
      aisFed_(aisFed) {}

std::optional<NavReading> CNavSensor::GetValue(NavItem, const SensorContext&) {
  return std::nullopt;
}
std::optional<NavFix> CNavSensor::GetFix(const SensorContext&) {
  return std::nullopt;
}
std::optional<HeadingData> CNavSensor::GetHeadingData(const SensorContext&) {
  return std::nullopt;
}
std::vector<Transducer> CNavSensor::GetTransducers(const SensorContext&) {
  return {};
}

std::optional<NavReading> CNavSensor::SourceValue(NavItem item,
                                                  const SensorContext& context) const {
  if (!Source()) return std::nullopt;
  auto lock = Source()->Lock();
  return NmeaSourceValue(Source()->Data(), item, context.now, context.options);
}

// --- position ---------------------------------------------------------------

CPositionSensor::CPositionSensor(CNavSource* source, std::string portName)
    : CPositionSensor("pos", source, portName, "GPS on " + portName, 0, false) {}

CPositionSensor::CPositionSensor(std::string kind, CNavSource* source, std::string portName,
                                 std::string displayName, int priority, bool aisFed)
    : CNavSensor(std::move(kind), source, std::move(portName), std::move(displayName), priority,
                 aisFed) {}

std::optional<NavReading> CPositionSensor::GetValue(NavItem item, const SensorContext& context) {
  switch (item) {
    case NavItem::Hdop:
    case NavItem::SpeedOverGround:
    case NavItem::CourseOverGround:
      return SourceValue(item, context);
    default:
      return std::nullopt;
  }
}

std::optional<NavFix> CPositionSensor::GetFix(const SensorContext& context) {
  return SourceFix(context, false);
}

std::optional<NavFix> CPositionSensor::SourceFix(const SensorContext& context, bool acceptAis) {
  std::optional<NavFix> fix;
  if (Source()) {
    auto lock = Source()->Lock();
    fix = NmeaReceiverFix(Source()->Data(), context.now);
  }
  if (!fix && acceptAis) {
    const std::optional<AisOwnShipReport> report = OwnShip(*this, context);
    if (report && report->position && Fresh(report->tick, context.now, kAisOwnShipPositionHoldMs)) {
      fix = NavFix{};
      fix->sourceKind = FixSourceKind::AisOwnShip;
      fix->ownShip = true;
      fix->quality = kFixGps;
      fix->position = *report->position;
      fix->tick = report->tick;
    }
  }
  if (fix) {
    fix->sourceName = DisplayName();
    if (fix->sourceKind == FixSourceKind::Receiver && IsSatelliteFix(fix->quality)) {
      hadFix_ = true;
      lastFix_ = *fix;
    }
    return fix;
  }
  if (!hadFix_) return std::nullopt;
  NavFix lost = lastFix_;
  lost.quality = kFixLostGps;
  lost.hdop.reset();
  return lost;
}

CAisPositionSensor::CAisPositionSensor(CNavSource* source, std::string portName)
    : CPositionSensor("pos-ais", source, portName, "AIS on " + portName, kPriority, true) {}

std::optional<NavReading> CAisPositionSensor::GetValue(NavItem item, const SensorContext& context) {
  const std::optional<AisOwnShipReport> report = OwnShip(*this, context);
  if (!report || !Fresh(report->tick, context.now, kAisOwnShipHoldMs)) return std::nullopt;
  switch (item) {
    case NavItem::SpeedOverGround:
      return Reading(report->sog, report->tick);
    case NavItem::CourseOverGround:
      return Reading(report->cog, report->tick);
    default:
      return std::nullopt;
  }
}

std::optional<NavFix> CAisPositionSensor::GetFix(const SensorContext& context) {
  return SourceFix(context, true);
}

// --- heading ----------------------------------------------------------------

CHeadingSensor::CHeadingSensor(CNavSource* source, std::string portName)
    : CHeadingSensor("hdg", source, portName, "Heading Sensor on " + portName, false) {}

CHeadingSensor::CHeadingSensor(std::string kind, CNavSource* source, std::string portName,
                               std::string displayName, bool aisFed)
    : CNavSensor(std::move(kind), source, std::move(portName), std::move(displayName), 0, aisFed) {}

std::optional<NavReading> CHeadingSensor::GetValue(NavItem item, const SensorContext& context) {
  switch (item) {
    case NavItem::HeadingTrue:
    case NavItem::HeadingMagnetic:
    case NavItem::RateOfTurn:
    case NavItem::Pitch:
    case NavItem::Roll:
      return SourceValue(item, context);
    default:
      return std::nullopt;
  }
}

std::optional<HeadingData> CHeadingSensor::GetHeadingData(const SensorContext& context) {
  auto value = [&](NavItem item) -> std::optional<double> {
    if (auto r = GetValue(item, context)) return r->value;
    return std::nullopt;
  };
  HeadingData data;
  data.headingTrue = value(NavItem::HeadingTrue);
  data.headingMagnetic = value(NavItem::HeadingMagnetic);
  data.rateOfTurn = value(NavItem::RateOfTurn);
  data.pitch = value(NavItem::Pitch);
  data.roll = value(NavItem::Roll);
  return data;
}

CAisHeadingSensor::CAisHeadingSensor(CNavSource* source, std::string portName)
    : CHeadingSensor("hdg-ais", source, portName, "AIS on " + portName, true) {}

std::optional<AisOwnShipReport> CAisHeadingSensor::CurrentReport(const SensorContext& context) {
  std::optional<AisOwnShipReport> report = OwnShip(*this, context);
  if (!report || !Fresh(report->tick, context.now, kAisOwnShipHoldMs)) return std::nullopt;
  if (report->heading) AddSample(*report->heading, report->tick);
  return report;
}

void CAisHeadingSensor::AddSample(double heading, uint64_t tick) {
  if (last_ && tick <= last_->tick) return;
  if (last_) {
    // The shorter way round: a change from 359 to 1 is +2 degrees.
    double change = std::remainder(heading - last_->heading, 360.0);
    const double minutes = static_cast<double>(tick - last_->tick) / 60000.0;
    rates_[rateNext_] = change / minutes;
    rateNext_ = (rateNext_ + 1) % kRateSamples;
    if (rateCount_ < kRateSamples) ++rateCount_;
  }
  last_ = Sample{heading, tick};
}

std::optional<double> CAisHeadingSensor::AverageRate() const {
  if (rateCount_ == 0) return std::nullopt;
  double sum = 0;
  for (size_t i = 0; i < rateCount_; ++i) sum += rates_[i];
  return sum / static_cast<double>(rateCount_);
}

std::optional<NavReading> CAisHeadingSensor::GetValue(NavItem item, const SensorContext& context) {
  const std::optional<AisOwnShipReport> report = CurrentReport(context);
  if (!report) return std::nullopt;
  switch (item) {
    case NavItem::HeadingTrue:
      return Reading(report->heading, report->tick);
    case NavItem::SpeedOverGround:
      return Reading(report->sog, report->tick);
    case NavItem::CourseOverGround:
      return Reading(report->cog, report->tick);
    case NavItem::RateOfTurn:
      return report->heading ? Reading(AverageRate(), report->tick) : std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<HeadingData> CAisHeadingSensor::GetHeadingData(const SensorContext& context) {
  const std::optional<AisOwnShipReport> report = CurrentReport(context);
  if (!report || !report->heading) return std::nullopt;
  HeadingData data;
  data.headingTrue = report->heading;
  data.rateOfTurn = AverageRate();
  return data;
}

// --- depth, speed, transponder, transducers ------------------------------------

CDepthSensor::CDepthSensor(CNavSource* source, std::string portName)
    : CNavSensor("dpt", source, portName, "Depth Sounder on " + portName, 0, false) {}

std::optional<NavReading> CDepthSensor::GetValue(NavItem item, const SensorContext& context) {
  return item == NavItem::Depth ? SourceValue(item, context) : std::nullopt;
}

CSpeedSensor::CSpeedSensor(CNavSource* source, std::string portName)
    : CNavSensor("stw", source, portName, "Speed Sensor on " + portName, 0, false) {}

std::optional<NavReading> CSpeedSensor::GetValue(NavItem item, const SensorContext& context) {
  return item == NavItem::SpeedThroughWater ? SourceValue(item, context) : std::nullopt;
}

CAisTransponderSensor::CAisTransponderSensor(CNavSource* source, std::string portName)
    : CNavSensor("ais", source, portName, "AIS Transponder on " + portName, 0, false) {}

CTransducerSensor::CTransducerSensor(CNavSource* source, std::string portName)
    : CNavSensor("xdr", source, portName, "Transducers on " + portName, 0, false) {}

std::vector<Transducer> CTransducerSensor::GetTransducers(const SensorContext& context) {
  std::vector<Transducer> current;
  if (!Source()) return current;
  auto lock = Source()->Lock();
  for (const Transducer& t : Source()->Data().transducers) {
    if (t.valid && Fresh(t.tick, context.now, kNavHoldMs)) current.push_back(t);
  }
  return current;
}

std::unique_ptr<CNavSensor> MakeSensor(std::string_view kind, CNavSource* source,
                                       std::string portName) {
  if (kind == "pos") return std::make_unique<CPositionSensor>(source, std::move(portName));
  if (kind == "pos-ais") return std::make_unique<CAisPositionSensor>(source, std::move(portName));
  if (kind == "hdg") return std::make_unique<CHeadingSensor>(source, std::move(portName));
  if (kind == "hdg-ais") return std::make_unique<CAisHeadingSensor>(source, std::move(portName));
  if (kind == "dpt") return std::make_unique<CDepthSensor>(source, std::move(portName));
  if (kind == "stw") return std::make_unique<CSpeedSensor>(source, std::move(portName));
  if (kind == "ais") return std::make_unique<CAisTransponderSensor>(source, std::move(portName));
  if (kind == "xdr") return std::make_unique<CTransducerSensor>(source, std::move(portName));
  return nullptr;
}

}  // namespace tarnwick
