#pragma once
// One decoded AIS message, with values as transmitted: "not available" keeps
// the standard's marker value (latitude 91, longitude 181, course 3600, speed
// 1023, heading 511, rate of turn -128, second 60).

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

inline constexpr double kAisLatNotAvailable = 91.0;
inline constexpr double kAisLonNotAvailable = 181.0;
inline constexpr int kAisCogNotAvailable = 3600;
inline constexpr int kAisSogNotAvailable = 1023;
inline constexpr int kAisHeadingNotAvailable = 511;
inline constexpr int kAisRotNotAvailable = -128;
inline constexpr int kAisSecondNotAvailable = 60;
inline constexpr int kAisNavStatusNotDefined = 15;
// A well-known placeholder MMSI (0x123456) that real equipment sends unconfigured.
inline constexpr uint32_t kAisBogusMmsi = 1193046;

// Position and motion of reports 1-3, 4/11, 9, 18, 19 and 21.
struct AisPositionReport {
  double lat = kAisLatNotAvailable;  // degrees, or 91
  double lon = kAisLonNotAvailable;  // degrees, or 181
  int accuracy = 0;                  // 1 high (< 10 m)
  int raim = 0;
  int second = kAisSecondNotAvailable;      // 0..59, 60 n/a, 61-63 special
  int navStatus = kAisNavStatusNotDefined;  // 0..15
  int rot = kAisRotNotAvailable;            // raw AIS rate of turn -127..127
  int sog = kAisSogNotAvailable;            // 0.1 kn, 1023 n/a
  int cog = kAisCogNotAvailable;            // 0.1 degree, 3600 n/a
  int heading = kAisHeadingNotAvailable;    // degrees, 511 n/a
};

// Which static fields a message carries (bit set in AisStaticData::fields).
enum AisStaticField : uint32_t {
  kAisName = 1U << 0,
  kAisCallsign = 1U << 1,
  kAisImo = 1U << 2,
  kAisShipType = 1U << 3,
  kAisDimensions = 1U << 4,
  kAisEpfd = 1U << 5,
  kAisEta = 1U << 6,
  kAisDraught = 1U << 7,
  kAisDestination = 1U << 8,
  kAisVendor = 1U << 9,
  kAisVersion = 1U << 10,
};

// Static and voyage data of messages 5, 19, 24 (and dimensions of 21).
struct AisStaticData {
  uint32_t fields = 0;                                         // AisStaticField bits present
  std::string name;                                            // up to 20 characters
  std::string callsign;                                        // up to 7 characters
  uint32_t imo = 0;                                            // 0 n/a
  int shipType = 0;                                            // 0..255, 0 n/a
  int toBow = 0, toStern = 0, toPort = 0, toStarboard = 0;     // metres, 0 n/a
  int epfd = 0;                                                // fixing device 0..15
  int etaMonth = 0, etaDay = 0, etaHour = 24, etaMinute = 60;  // 0/0/24/60 n/a
  int draught = 0;                                             // 0.1 m, 0 n/a
  std::string destination;
  std::string vendor;  // part B manufacturer id, 3 characters
  int aisVersion = 0;
};

// Messages 4 and 11: the station's UTC date and time.
struct AisBaseStationReport {
  int year = 0, month = 0, day = 0, hour = 24, minute = 60, second = 60;  // 0/0/0/24/60/60 n/a
  int epfd = 0;
};

// Message 21.
struct AisAidReport {
  int aidType = 0;   // 0..31
  std::string name;  // with the name extension appended
  bool offPosition = false;
  bool virtualAid = false;
};

// Message 9.
struct AisSarReport {
  int altitude = 4095;  // metres, 4095 n/a, 4094 = 4094 or higher
};

// DAC 1, FI 31: meteorological and hydrographic report, in natural units.
struct AisMetHydro {
  double lat = kAisLatNotAvailable, lon = kAisLonNotAvailable;  // degrees
  int day = 0, hour = 24, minute = 60;                          // UTC of the observation
  std::optional<int> windSpeed, windGust;                       // knots
  std::optional<int> windDirection, windGustDirection;          // degrees true
  std::optional<double> airTemperature;                         // deg C
  std::optional<int> humidity;                                  // percent
  std::optional<double> dewPoint;                               // deg C
  std::optional<int> pressure;                                  // hPa
  std::optional<int> pressureTendency;     // 0 steady, 1 decreasing, 2 increasing
  std::optional<double> visibility;        // nautical miles
  bool visibilityGreater = false;          // visibility is a lower bound
  std::optional<double> waterLevel;        // metres
  std::optional<int> waterLevelTrend;      // 0 steady, 1 decreasing, 2 increasing
  std::optional<double> currentSpeed;      // knots
  std::optional<int> currentDirection;     // degrees
  std::optional<double> waveHeight;        // metres
  std::optional<int> wavePeriod;           // seconds
  std::optional<int> waveDirection;        // degrees
  std::optional<double> swellHeight;       // metres
  std::optional<int> swellPeriod;          // seconds
  std::optional<int> swellDirection;       // degrees
  std::optional<int> seaState;             // Beaufort 0..12
  std::optional<double> waterTemperature;  // deg C
  std::optional<int> precipitation;        // WMO code 0..6
  std::optional<double> salinity;          // per mille
  std::optional<int> ice;                  // 0 no, 1 yes
};

// Binary messages 6, 8, 25, 26.
struct AisBinaryMessage {
  std::optional<uint32_t> destMmsi;  // addressed messages
  std::optional<int> dac;            // application id, when structured
  std::optional<int> fi;
  int dataOffset = 0;  // first bit of the application data
  int dataBits = 0;
};

struct AisMessage {
  int type = 0;    // 1..26
  int repeat = 0;  // 0..3
  uint32_t mmsi = 0;
  bool ownVessel = false;  // from a VDO sentence
  std::optional<AisPositionReport> position;
  std::optional<AisStaticData> statics;
  std::optional<int> part;  // message 24: 0 part A, 1 part B
  std::optional<AisBaseStationReport> base;
  std::optional<AisAidReport> aid;
  std::optional<AisSarReport> sar;
  std::optional<AisBinaryMessage> binary;
  std::optional<AisMetHydro> met;
  std::optional<std::string> text;   // messages 12 and 14
  std::optional<uint32_t> destMmsi;  // messages 10 and 12
};

}  // namespace tarnwick
