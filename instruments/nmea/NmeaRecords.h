#pragma once
// What the decoder keeps from sentences that other parts of the program act
// on: a route received from another navigator, alarms of other equipment,
// text and man-overboard messages, the own AIS transponder's replies and the
// radar's target list. Plain structures, held per port in its CNavSource.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/geo/LatLon.h"

namespace tarnwick {

// A waypoint received in a WPL sentence.
struct ReceivedWaypoint {
  std::string id;
  LatLon position;  // degrees
};

// The route another navigator sends with WPL and RTE sentences.
struct ReceivedRoute {
  static constexpr size_t kMaxWaypoints = 1000;
  std::vector<ReceivedWaypoint> waypoints;    // every WPL since the last complete route, in order
  std::string routeId;                        // RTE route identifier
  char mode = 0;                              // 'C' complete, 'W' working route, 0 none yet
  std::vector<std::string> routeWaypointIds;  // waypoint ids of the RTE sentences, in order
  int sentencesExpected = 0;                  // RTE total sentence count
  int sentencesReceived = 0;                  // RTE sentences of the current route received
  bool complete = false;                      // every RTE sentence of the route arrived
  uint64_t tick = 0;                          // last WPL or RTE, ms
};

// An alarm of other equipment (ALR, ALA).
struct ReceivedAlarm {
  std::string key;  // "<alarm id>" for ALR, "<system>:<sub-system>:<instance>:<type>" for ALA
  std::string description;    // the alarm's text
  std::string timeOfDay;      // hhmmss.ss as received
  bool active = false;        // condition 'A'
  bool acknowledged = false;  // acknowledge state 'A'
  uint64_t tick = 0;          // last report, ms
};

inline constexpr const char* kAlarmAcknowledged = "Acknowledged";
inline constexpr const char* kAlarmNotAcknowledged = "Not Acknowledged";

// The link that acknowledges an alarm received on port portId
// ("acknowledge?alarm=%s&type=nmea0183&source=%u", the key percent-escaped).
std::string AlarmAcknowledgeLink(std::string_view alarmKey, unsigned portId);

// A man-overboard device report (MOB), keyed "mob:<emitter id>:mmsi:<mmsi>".
struct MobEvent {
  std::string key;
  std::string emitterId;
  char status = 0;             // 'A' active, 'T' test, 'M' manual button, 'V' not in use, 'E' error
  std::string activationTime;  // hhmmss.ss
  int positionSource = 0;      // 0 estimated, 1 GNSS, ...
  std::string positionDate;    // ddmmyy
  std::string positionTime;    // hhmmss.ss
  LatLon position;             // degrees
  bool hasPosition = false;
  double courseTrue = 0;  // degrees
  double speedKnots = 0;
  std::string mmsi;
  char battery = 0;  // '0' good, '1' low
  uint64_t tick = 0;
};

// The own AIS transponder's version reply (VER).
struct TransponderVersion {
  std::string deviceType, vendorId, uniqueId, serialNumber, modelCode, softwareRevision,
      hardwareRevision;
  uint64_t tick = 0;
};

// Ship static data (SSD).
struct TransponderStaticData {
  std::string callSign, name;
  int refA = 0, refB = 0, refC = 0, refD = 0;  // antenna position, metres
  bool dteAvailable = false;
  uint64_t tick = 0;
};

// Voyage static data (VSD).
struct TransponderVoyageData {
  int shipType = 0;
  double draughtMetres = 0;
  int personsOnBoard = 0;
  std::string destination;  // upper case, '@' replaced by blanks
  std::string etaTime;      // hhmmss.ss
  int etaDay = 0, etaMonth = 0;
  int navigationalStatus = 0;
  int regionalFlags = 0;
  uint64_t tick = 0;
};

struct TransponderRecord {
  bool seen = false;        // a VDO arrived on the port
  uint64_t aliveUntil = 0;  // tick until which an HBT says the transponder works, ms
  TransponderVersion version;
  TransponderStaticData staticData;
  TransponderVoyageData voyageData;
};

// A radar target of the radar's tracked target list (TTM, TLL, TLB).
struct RadarTarget {
  int number = 0;             // 0..kMaxTargets-1
  std::string name;           // label
  double distance = 0;        // from own ship, in distanceUnit
  double bearing = 0;         // degrees
  char bearingReference = 0;  // 'T' true, 'R' relative
  double speed = 0;           // in distanceUnit per hour
  double course = 0;          // degrees
  char courseReference = 0;
  double cpaDistance = 0;
  double tcpaMinutes = 0;
  char distanceUnit = 0;  // 'K', 'N', 'S'
  char status = 0;        // 'L' lost, 'Q' acquiring, 'T' tracking
  char reference = 0;     // 'R' reference target
  LatLon position;        // TLL, degrees
  bool hasPosition = false;
  std::string timeOfDay;
  uint64_t tick = 0;
};

struct RadarTargetList {
  static constexpr int kMaxTargets = 100;
  std::map<int, RadarTarget> targets;  // by target number
};

// The received text and man-overboard messages of a port, newest last.
struct MessageRecords {
  static constexpr size_t kMaxTexts = 100;
  std::deque<std::string> texts;              // TXT as "<identifier>:<text>"
  std::map<std::string, MobEvent> mobEvents;  // by key
};

}  // namespace tarnwick
