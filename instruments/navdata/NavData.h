#pragma once
// CNavData: the single own-ship navigation data store. It keeps the registry
// of sensors (created by the NMEA decoder on first use of a kind on a port),
// answers data items by asking the right sensor, selects the position sensor
// (by hand, automatically by priority, HDOP and quality, dead reckoning, or
// the simulator) and publishes the own-ship state once per tick.
//
// Locking: one store lock for every request and registration; sensors take
// their source's lock inside it (store, then source). Talker output and
// snapshot readers never hold the store lock.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "instruments/navdata/AisOwnShipSource.h"
#include "instruments/navdata/NavFix.h"
#include "instruments/navdata/NavItems.h"
#include "instruments/navdata/NavSensors.h"
#include "instruments/navdata/OwnShipSnapshot.h"
#include "instruments/navdata/Simulator.h"
#include "instruments/nmea/SensorRegistry.h"

namespace tarnwick {

// A provider of the items no port sensor kind owns (wind, temperatures,
// rudder, weather), asked in order after the ports' own sources.
class INavFeatureProvider {
 public:
  virtual ~INavFeatureProvider() = default;
  // The current value of item at tick now (ms), or empty.
  virtual std::optional<NavReading> GetValue(NavItem item, uint64_t now) = 0;
};

// The sensor kinds that are selected like the depth sounder.
enum class SelectedKind { Heading, Depth, SpeedThroughWater, Ais };

// The fix and the state the status display shows.
struct FixState {
  std::optional<NavFix> fix;  // a usable fix (quality >= 1), or empty
  int quality = kFixNoGps;    // of the fix, or the best a sensor reported
  std::string text;           // "GPS FIX", "D.R.", "AIS FIX", "LOST GPS", "NO GPS"...
  std::string source;         // display name of the source, "" when none
  bool deadReckoning = false;
  bool simulated = false;
};

// One line of the position part of the boat's menu.
struct PositionSensorEntry {
  std::string name;            // display name
  std::optional<double> hdop;  // with a fix of quality >= 1
  bool hasFix = false;
  bool selected = false;
  std::string label;  // name + " (HDOP=%.2f)" or " (No Fix)"
};

inline constexpr const char* kAutoSelectPositionText = "Auto Select Position Sensor";
inline constexpr const char* kDeadReckoningMenuText = "Dead Reckoning";
inline constexpr const char* kDeadReckoningConfirmText =
    "This will start Dead Reckoning mode and stop using the GPS position. To resume using the "
    "GPS, right-click on the Boat and select a GPS from the menu.";

class CNavData final : public ISensorRegistry {
 public:
  // Reads the selections from the settings PositionSensor, HeadingSensor,
  // DepthSensor and AisSensor.
  CNavData();
  ~CNavData() override;
  CNavData(const CNavData&) = delete;
  CNavData& operator=(const CNavData&) = delete;

  // ISensorRegistry: port threads, without the source's lock.
  CSensor* ObtainSensor(CNavSource& source, INmeaPortContext* port, std::string_view kind) override;
  double HeadingCorrection(const CNavSource& source, const INmeaPortContext* port) override;
  void RegisterSource(CNavSource& source) override;
  void OnNewTransducer(CNavSource& source, std::string_view id, char type) override;

  // Creates and registers the sensor of kind for source, labelled portLabel;
  // an existing sensor of that kind and source is returned as it is. Unknown
  // kinds are refused with "CreateSensor: Unknown sensor type: %s\n".
  CNavSensor* CreateSensor(CNavSource& source, std::string_view kind, const std::string& portLabel);
  // Appends sensor to the registry and returns it.
  CNavSensor* RegisterSensor(std::unique_ptr<CNavSensor> sensor);
  // Removes every sensor of source (its port is going away).
  void ForgetSource(const CNavSource& source) override;
  // Registered sensors' display names, in registration order.
  std::vector<std::string> SensorNames();

  // Item by id (NavItems.h); empty when there is no current value or no such id.
  std::optional<NavReading> GetValue(int item);
  std::optional<NavReading> GetValue(NavItem item) { return GetValue(static_cast<int>(item)); }
  // The usable fix (quality >= 1), or empty.
  std::optional<NavFix> GetFix();
  // The fix with the status the navigator sees.
  FixState GetFixState();

  // Position sensor selection. index: among the position sensors ("pos" and
  // "pos-ais") in registration order; it may name a sensor not yet
  // registered. Each choice is kept in the setting PositionSensor.
  void SelectPositionSensor(size_t index);
  void SelectAutomaticPosition();
  // Starts dead reckoning from the last fix, with the last course and speed
  // over ground (else heading and speed through water). Returns false when no
  // fix was known yet: the estimate then starts at the first fix seen.
  bool SelectDeadReckoning();
  bool AutomaticPositionSelection();
  std::vector<PositionSensorEntry> PositionSensors();

  // Selection of the heading, depth, speed and AIS transponder sensors:
  // index among the sensors of that kind, or empty for automatic selection.
  void SelectSensor(SelectedKind kind, std::optional<size_t> index);
  // The selected sensor's display name, "" when none.
  std::string SelectedSensorName(SelectedKind kind);

  // Degrees added to the headings of the port labelled portLabel; false when
  // it has no heading sensor.
  bool SetHeadingCorrection(std::string_view portLabel, double degrees);

  // Simulator: position degrees, course degrees true, speed knots.
  void StartSimulator(const LatLon& position, double course, double speed);
  void StopSimulator();
  void SetSimulatorCourse(double course);
  void SetSimulatorSpeed(double speed);
  void SetSimulatorSteering(SimulatorSteering steering);
  bool SimulatorRunning();

  // Where the own AIS transponder's reports come from (nullptr: none). The
  // source must outlive the store or be removed first.
  void SetAisOwnShipSource(const IAisOwnShipSource* source);
  // Adds a provider of other items; it must outlive the store or be removed.
  void AddFeatureProvider(INavFeatureProvider* provider);
  void RemoveFeatureProvider(INavFeatureProvider* provider);
  // Receives the program's own sentences (the simulator's RMC) for talker ports.
  void SetTalkerOutput(std::function<void(std::string_view sentence)> output);

  // "UpdateNavInfo": advances dead reckoning and the simulator, builds the
  // own-ship snapshot and publishes it. User-interface thread.
  void UpdateNavInfo();
  // The last published snapshot (an empty state before the first tick). Any thread.
  std::shared_ptr<const OwnShipSnapshot> Snapshot() const;

 private:
  struct Selection {
    bool automatic = true;
    std::optional<size_t> index;  // manual choice
    CNavSensor* selected = nullptr;
    std::string appliedText;  // the setting's text last applied
  };
  enum class PositionMode { Automatic, Manual, DeadReckoning };

  SensorContext ContextLocked(uint64_t now) const;
  std::vector<CNavSensor*> SensorsOfLocked(SelectedKind kind) const;
  std::vector<CNavSensor*> PositionSensorsLocked() const;
  CNavSensor* FindLocked(const CNavSource& source, std::string_view kind) const;
  void RememberSourceLocked(const CNavSource* source);
  std::optional<NavReading> GetValueLocked(NavItem item, const SensorContext& context);
  std::optional<NavReading> SelectedValueLocked(SelectedKind kind, NavItem item,
                                                const SensorContext& context);
  std::optional<NavReading> PositionValueLocked(NavItem item, const SensorContext& context);
  std::optional<NavReading> OtherValueLocked(NavItem item, const SensorContext& context);
  FixState FixStateLocked(const SensorContext& context);
  FixState ReceiverFixLocked(const SensorContext& context);
  void StartDeadReckoningLocked(const LatLon& from, const SensorContext& context);
  void SteerDeadReckoningLocked(const SensorContext& context);
  void ApplySettingsLocked();
  void ApplyPositionSettingLocked(const std::string& text);
  Selection& SelectionOf(SelectedKind kind);

  mutable std::mutex mutex_;  // the store lock
  std::vector<std::unique_ptr<CNavSensor>> sensors_;
  // Every port source known to the store, in registration order: asked for
  // the items no sensor kind owns.
  std::vector<const CNavSource*> sources_;
  std::vector<INavFeatureProvider*> providers_;
  const IAisOwnShipSource* ais_ = nullptr;

  PositionMode positionMode_ = PositionMode::Automatic;
  std::optional<size_t> positionIndex_;   // manual choice
  CNavSensor* positionSensor_ = nullptr;  // the selected position sensor
  std::string positionApplied_;           // PositionSensor text last applied
  Selection heading_, depth_, speed_, aisSensor_;

  CDeadReckoning deadReckoning_;
  CNavSimulator simulator_;
  std::optional<NavFix> lastFix_;  // the last usable fix from a sensor
  std::function<void(std::string_view)> talkerOutput_;

  mutable std::mutex snapshotMutex_;  // guards only the pointer below
  std::shared_ptr<const OwnShipSnapshot> snapshot_;
  uint64_t sequence_ = 0;
};

// The process-wide store, or nullptr before start-up and after shutdown.
CNavData* NavData();
// Installs the process-wide store (nullptr removes it).
void InstallNavData(CNavData* store);

}  // namespace tarnwick
