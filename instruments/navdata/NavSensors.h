#pragma once
// The sensor objects of the navigation data store, one per kind of data and
// per port. Each reads its port's CNavSource under the source's lock (the
// store's lock is already held: store first, then source) and judges
// freshness from the ticks.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "instruments/navdata/AisOwnShipSource.h"
#include "instruments/navdata/NavFix.h"
#include "instruments/navdata/NavItems.h"
#include "instruments/navdata/NmeaValueRules.h"
#include "instruments/nmea/Sensor.h"

namespace tarnwick {

// What a sensor needs besides its source to answer.
struct SensorContext {
  uint64_t now = 0;                        // tick, ms
  NmeaValueOptions options;                // from the Nav_ settings
  const IAisOwnShipSource* ais = nullptr;  // the own-ship reports, or none
};

// The headings a heading sensor reports (degrees, degrees per minute).
struct HeadingData {
  std::optional<double> headingTrue, headingMagnetic, rateOfTurn, pitch, roll;
};

class CNavSensor : public CSensor {
 public:
  // priority: lower is preferred when position sensors are ranked.
  CNavSensor(std::string kind, CNavSource* source, std::string portName, std::string displayName,
             int priority, bool aisFed);

  const std::string& DisplayName() const { return displayName_; }
  int Priority() const { return priority_; }
  // Fed by the own-ship AIS report rather than by the port's sentences.
  bool IsAisFed() const { return aisFed_; }

  // The current value of item, or empty. Called with the store's lock held.
  virtual std::optional<NavReading> GetValue(NavItem item, const SensorContext& context);
  // The sensor's fix (its quality may be below 1), or empty when it has none.
  virtual std::optional<NavFix> GetFix(const SensorContext& context);
  // Headings of a heading sensor; empty for other kinds.
  virtual std::optional<HeadingData> GetHeadingData(const SensorContext& context);
  // The current readings of a transducer sensor; empty for other kinds.
  virtual std::vector<Transducer> GetTransducers(const SensorContext& context);

 protected:
  // The port's value rule for item, read under the source's lock.
  std::optional<NavReading> SourceValue(NavItem item, const SensorContext& context) const;

 private:
  std::string displayName_;
  int priority_;
  bool aisFed_;
};

// "pos": position, speed and course over ground, HDOP of a receiver.
class CPositionSensor : public CNavSensor {
 public:
  CPositionSensor(CNavSource* source, std::string portName);
  std::optional<NavReading> GetValue(NavItem item, const SensorContext& context) override;
  std::optional<NavFix> GetFix(const SensorContext& context) override;
  // True once the source gave a fix of quality 1 to 5.
  bool HadFix() const { return hadFix_; }

 protected:
  CPositionSensor(std::string kind, CNavSource* source, std::string portName,
                  std::string displayName, int priority, bool aisFed);
  // The fix rules of the source; acceptAis: the own-ship report may stand in.
  std::optional<NavFix> SourceFix(const SensorContext& context, bool acceptAis);

 private:
  bool hadFix_ = false;
  NavFix lastFix_;  // the last fix of quality 1 to 5
};

// "pos-ais": the same rules with the own AIS transponder's position as the
// last resort; speed and course come from the own-ship report.
class CAisPositionSensor final : public CPositionSensor {
 public:
  // Ranked after every receiver of the same HDOP.
  static constexpr int kPriority = 1;
  CAisPositionSensor(CNavSource* source, std::string portName);
  std::optional<NavReading> GetValue(NavItem item, const SensorContext& context) override;
  std::optional<NavFix> GetFix(const SensorContext& context) override;
};

// "hdg": headings, rate of turn, pitch and roll of a compass or heading sensor.
class CHeadingSensor : public CNavSensor {
 public:
  CHeadingSensor(CNavSource* source, std::string portName);
  std::optional<NavReading> GetValue(NavItem item, const SensorContext& context) override;
  std::optional<HeadingData> GetHeadingData(const SensorContext& context) override;
  // Degrees added to every heading the port reports (applied by the decoder).
  double Correction() const { return correction_; }
  void SetCorrection(double degrees) { correction_ = degrees; }

 protected:
  CHeadingSensor(std::string kind, CNavSource* source, std::string portName,
                 std::string displayName, bool aisFed);

 private:
  double correction_ = 0;
};

// "hdg-ais": heading, speed and course from the own-ship report while it is at
// most 5000 ms old, and a rate of turn averaged over the last 30 heading changes.
class CAisHeadingSensor final : public CHeadingSensor {
 public:
  static constexpr size_t kRateSamples = 30;
  CAisHeadingSensor(CNavSource* source, std::string portName);
  std::optional<NavReading> GetValue(NavItem item, const SensorContext& context) override;
  std::optional<HeadingData> GetHeadingData(const SensorContext& context) override;

 private:
  std::optional<AisOwnShipReport> CurrentReport(const SensorContext& context);
  void AddSample(double heading, uint64_t tick);
  std::optional<double> AverageRate() const;

  struct Sample {
    double heading = 0;  // degrees
    uint64_t tick = 0;   // ms
  };
  std::optional<Sample> last_;
  std::array<double, kRateSamples> rates_{};  // degrees per minute
  size_t rateCount_ = 0, rateNext_ = 0;
};

// "dpt": depth of a sounder.
class CDepthSensor final : public CNavSensor {
 public:
  CDepthSensor(CNavSource* source, std::string portName);
  std::optional<NavReading> GetValue(NavItem item, const SensorContext& context) override;
};

// "stw": speed through water of a log.
class CSpeedSensor final : public CNavSensor {
 public:
  CSpeedSensor(CNavSource* source, std::string portName);
  std::optional<NavReading> GetValue(NavItem item, const SensorContext& context) override;
};

// "ais": the own AIS transponder.
class CAisTransponderSensor final : public CNavSensor {
 public:
  CAisTransponderSensor(CNavSource* source, std::string portName);
};

// "xdr": the port's XDR transducers.
class CTransducerSensor final : public CNavSensor {
 public:
  CTransducerSensor(CNavSource* source, std::string portName);
  std::vector<Transducer> GetTransducers(const SensorContext& context) override;
};

// Builds the sensor of kind for a port, or nullptr for an unknown kind.
std::unique_ptr<CNavSensor> MakeSensor(std::string_view kind, CNavSource* source,
                                       std::string portName);

}  // namespace tarnwick
