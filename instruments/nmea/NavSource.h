#pragma once
// CNavSource: what one NMEA port's sentences said, value by value, each with
// the tick of the sentence that set it. The decoder writes on the port thread;
// readers lock the source and judge freshness from the ticks.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/geo/LatLon.h"
#include "instruments/nmea/NmeaRecords.h"

namespace tarnwick {

class CSensor;

// How long a value stays current after the sentence that set it, ms.
inline constexpr uint64_t kNavHoldMs = 5000;

// One decoded value: its last value, the tick of the sentence that last wrote
// it (valid or not) and whether that sentence gave a usable value.
template <typename T>
struct NavValue {
  T value{};
  uint64_t tick = 0;
  bool valid = false;

  void Set(T v, uint64_t t) {
    value = v;
    tick = t;
    valid = true;
  }
  void SetInvalid(uint64_t t) {
    tick = t;
    valid = false;
  }
  void Set(const std::optional<T>& v, uint64_t t) {
    if (v)
      Set(*v, t);
    else
      SetInvalid(t);
  }
  // True when valid and no older than holdMs at tick now.
  bool Current(uint64_t now, uint64_t holdMs = kNavHoldMs) const {
    return valid && now >= tick && now - tick <= holdMs;
  }
};

// The last accepted fix of one sentence type (RMC, GGA, GLL, GNS).
struct PositionReport {
  uint64_t tick = 0;       // 0: never
  LatLon position;         // degrees
  double utcSeconds = -1;  // seconds of the day, -1 when absent
  char status = 0;         // 'A', 'V', 0 when absent
  char mode = 0;           // FAA mode; GNS: the GPS mode character
  char mode2 = 0;          // GNS: the GLONASS mode character
  int quality = -1;        // GGA fix quality, -1 when absent
  int decimals = 0;        // digits after the point of the latitude field
  bool Current(uint64_t now) const { return tick != 0 && now >= tick && now - tick <= kNavHoldMs; }
};

// The position fix as the latest position sentence gave it.
struct FixValues {
  NavValue<double> utcTime;   // seconds of the day
  NavValue<char> status;      // 'A', 'V'
  NavValue<char> mode;        // FAA mode 'A','D','E','M','S','N'
  NavValue<LatLon> position;  // degrees
  NavValue<int> quality;      // GGA fix quality
  NavValue<int> satellites;   // GGA satellites in use
  NavValue<double> hdop;
  NavValue<double> altitude;         // antenna altitude, metres
  NavValue<double> geoidSeparation;  // metres
  NavValue<double> diffAge;          // seconds, 0 when absent
  NavValue<int> diffStation;         // 0 when absent
  NavValue<int> date;                // ddmmyy as received
};

struct HeadingValues {
  NavValue<double> trueHdt;          // HDT, corrected, degrees
  NavValue<double> trueThs;          // THS, corrected, degrees
  NavValue<char> thsMode;            // THS mode ('A','E','M','S','V')
  NavValue<double> magnetic;         // HDG/HDM magnetic sensor heading, corrected, degrees
  NavValue<double> deviation;        // HDG, degrees, East positive
  NavValue<double> variation;        // HDG, degrees, East positive
  NavValue<double> rateOfTurn;       // ROT, degrees per minute, negative to port
  NavValue<double> attitudeHeading;  // PSAT,HPR true heading, corrected, degrees
  NavValue<double> pitch;            // PSAT,HPR, degrees, bow up positive
  NavValue<double> roll;             // degrees
};

struct RpmValues {
  int source = 0;          // 1 shaft, 2 engine, 0 unknown
  NavValue<double> speed;  // revolutions per minute
  NavValue<double> pitch;  // percent
  char status = 0;
};

struct DepthValues {
  NavValue<double> dbt;           // DBT depth below transducer, metres
  NavValue<double> feet;          // DBT feet as received
  NavValue<double> fathoms;       // DBT fathoms as received
  NavValue<double> dpt;           // DPT depth below transducer, metres
  NavValue<double> offset;        // DPT transducer offset, metres
  NavValue<double> belowSurface;  // DBS, metres
  NavValue<double> belowKeel;     // DBK, metres
};

struct WaterSpeedValues {
  NavValue<double> headingTrue;                         // VHW, corrected, degrees
  NavValue<double> headingMagnetic;                     // VHW, corrected, degrees
  NavValue<double> knots;                               // VHW
  NavValue<double> kmh;                                 // VHW
  NavValue<double> waterLongitudinal, waterTransverse;  // VBW, knots
  NavValue<double> groundLongitudinal, groundTransverse;
  NavValue<double> sternWaterTransverse, sternGroundTransverse;
  NavValue<double> totalDistance;  // VLW, nautical miles
  NavValue<double> distanceSinceReset;
};

struct WindReading {
  NavValue<double> angle;  // degrees, relative to the bow or true
  NavValue<double> speed;  // knots
};

struct WindSideReading {   // VWR / VWT
  NavValue<double> angle;  // degrees off the bow, 0..180
  NavValue<int> side;      // -1 port (L), +1 starboard (R)
  NavValue<double> knots, metresPerSecond, kmh;
};

struct MeteoValues {  // MDA
  NavValue<double> pressureInches, pressureBars, airTemperature, waterTemperature, relativeHumidity,
      absoluteHumidity, dewPoint, windDirectionTrue, windDirectionMagnetic, windSpeedKnots,
      windSpeedMetres;
};

struct ZdaValues {
  uint64_t tick = 0;
  int16_t hours = -1, minutes = -1;
  float seconds = -1;
  int day = 0, month = 0, year = 0;
  int zoneHours = 0, zoneMinutes = 0;
  bool hasDay = false, hasMonth = false, hasYear = false, hasZoneHours = false,
       hasZoneMinutes = false;
};

struct GsaValues {
  NavValue<int> selectionMode;         // 1 automatic, 2 manual, 0 other
  NavValue<int> fixType;               // 1 none, 2 2D, 3 3D
  std::array<int, 12> satelliteIds{};  // 0 when empty
  NavValue<double> pdop, hdop, vdop;
};

struct SatelliteInView {
  int id = 0;
  int elevation = 0;  // degrees
  int azimuth = 0;    // degrees true
  int snr = 0;        // dB-Hz, 0 when not tracked
  uint64_t tick = 0;
};

struct GsvValues {
  static constexpr int kMaxSatellites = 36;
  NavValue<int> inView;
  std::array<SatelliteInView, kMaxSatellites> satellites{};
};

struct Transducer {
  std::string id;  // "unknown" when the sentence left it empty
  char type = 0;   // 'C' temperature, 'P' pressure, 'A' angle, ...
  double value = 0;
  bool valid = false;
  char unit = 0;
  uint64_t tick = 0;
};

// The route an external navigator is following (RMB).
struct ExternalRouteValues {
  NavValue<char> status;
  NavValue<double> crossTrackError;  // nautical miles
  NavValue<int> steer;               // -1 left, +1 right, 0 unknown
  std::string originId, destinationId;
  NavValue<LatLon> destination;           // degrees
  NavValue<double> range;                 // nautical miles
  NavValue<double> bearing;               // degrees true
  NavValue<double> closingVelocity;       // knots
  NavValue<char> arrival;                 // 'A' arrived, 'V' not
  NavValue<double> bodTrue, bodMagnetic;  // BOD, degrees
  std::string bodDestinationId, bodOriginId;
  NavValue<double> timeFromOrigin;  // ZFO, seconds
  NavValue<double> timeToGo;        // ZTG, seconds
  std::string zfoId, ztgId;
};

struct RadarSystemValues {                   // RSD
  std::array<NavValue<double>, 11> numbers;  // fields 1..11
  NavValue<char> rangeUnits;                 // 'K', 'N', 'S'
  NavValue<char> rotation;                   // 'C', 'H', 'N'
};

struct CurrentValues {           // VDR
  NavValue<double> setTrue;      // degrees
  NavValue<double> setMagnetic;  // degrees
  NavValue<double> drift;        // knots
};

struct ReceiverValues {              // proprietary receiver sentences
  NavValue<double> hpe, vpe, spe;    // PGRME estimated errors, metres
  NavValue<double> altitudeFeet;     // PGRMZ
  NavValue<int> altitudeDimension;   // PGRMZ 2 = user altitude, 3 = GPS altitude
  std::string datum;                 // PGRMM
  NavValue<std::string> localDatum;  // DTM field 1
  bool datumAlert = false;           // DTM reports a datum other than WGS 84
};

struct EngineValues {             // EMIFM
  NavValue<double> rpm;           // revolutions per minute
  NavValue<double> fuelFlowRate;  // litres per hour
  NavValue<double> fuelTotal;     // litres
};

struct NavtexAssembly {  // NRX fragments of the message being received
  int expected = 0;
  int sequenceId = -1;
  std::string code;
  std::vector<std::string> parts;
};

// Every value of the data model. Read and written only under CNavSource's lock.
struct NavSourceData {
  uint64_t lastSentenceTick = 0;  // tick of the last sentence decoded
  uint64_t rangeLogTick = 0;      // last "out of range" log line of this source (one a minute)

  FixValues fix;
  PositionReport rmc, gga, gll, gns;
  // The last two positions of RMC, GGA and GLL, newest first (jump filter).
  std::array<LatLon, 2> history{};
  int historyCount = 0;

  NavValue<double> sog;           // RMC speed over ground, knots
  NavValue<double> cog;           // RMC course over ground, degrees true
  double smoothedSog = 0;         // knots
  NavValue<double> rmcVariation;  // degrees, West positive
  NavValue<double> vtgCogTrue, vtgCogMagnetic, vtgSogKnots, vtgSogKmh;

  HeadingValues heading;
  NavValue<double> rudderStarboard, rudderPort;  // degrees, status 'A' only
  std::array<RpmValues, 5> rpm;
  DepthValues depth;
  WaterSpeedValues water;
  WindReading windTrue, windRelative;  // MWV
  NavValue<char> windReference;        // last MWV reference 'T' / 'R'
  WindSideReading vwr, vwt;
  MeteoValues meteo;
  NavValue<double> waterTemperature;  // MTW, degrees Celsius
  ZdaValues zda;
  GsaValues gsa;
  GsvValues gsv;
  std::vector<Transducer> transducers;  // at most kMaxTransducers
  ExternalRouteValues route;
  RadarSystemValues radar;
  CurrentValues current;
  ReceiverValues receiver;
  EngineValues engine;

  ReceivedRoute receivedRoute;
  std::vector<ReceivedAlarm> alarms;
  MessageRecords messages;
  TransponderRecord transponder;
  RadarTargetList radarTargets;
  NavtexAssembly navtex;

  static constexpr size_t kMaxTransducers = 32;
  static constexpr size_t kMaxAlarms = 200;
};

// The sensor kinds a port's sentences can register with the navigation data store.
enum class SensorKind { Pos, Hdg, Dpt, Stw, Xdr, Ais, PosAis, HdgAis };
inline constexpr int kSensorKindCount = 8;
// "pos", "hdg", "dpt", "stw", "xdr", "ais", "pos-ais", "hdg-ais".
const char* SensorKindName(SensorKind kind);

class CNavSource {
 public:
  CNavSource() = default;
  CNavSource(const CNavSource&) = delete;
  CNavSource& operator=(const CNavSource&) = delete;

  // The source's lock: hold it while reading or writing Data().
  std::unique_lock<std::mutex> Lock() const { return std::unique_lock(mutex_); }
  NavSourceData& Data() { return data_; }
  const NavSourceData& Data() const { return data_; }
  // A copy of every value, taken under the lock.
  NavSourceData Snapshot() const;

  // The sensor of kind the store gave this port, or nullptr.
  CSensor* Sensor(SensorKind kind) const;
  // True once the decoder asked the store for this kind.
  bool SensorRequested(SensorKind kind) const;
  void SetSensor(SensorKind kind, CSensor* sensor);
  // True once the decoder made the source known to the store; the first
  // caller of MarkRegistered gets true, every later one false.
  bool Registered() const;
  bool MarkRegistered();

 private:
  mutable std::mutex mutex_;
  NavSourceData data_;
  std::array<std::atomic<CSensor*>, kSensorKindCount> sensors_{};
  std::atomic<uint32_t> requested_{0};
  std::atomic<bool> registered_{false};
};

}  // namespace tarnwick
