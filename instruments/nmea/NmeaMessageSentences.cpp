// Alarms, acknowledgements, text and NAVTEX messages, man-overboard reports
// and the replies of the own AIS transponder.

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/Log.h"
#include "instruments/nmea/MobReports.h"
#include "instruments/nmea/NmeaDecodeContext.h"
#include "instruments/nmea/NmeaFieldReaders.h"
#include "instruments/nmea/NmeaPortContext.h"

namespace tarnwick {
namespace {

void StoreAlarm(NmeaDecodeContext& c, ReceivedAlarm alarm) {
  std::vector<ReceivedAlarm>& alarms = c.data.alarms;
  auto it = std::find_if(alarms.begin(), alarms.end(),
                         [&](const ReceivedAlarm& a) { return a.key == alarm.key; });
  // An alarm is raised when it turns active, not on each repetition.
  if (alarm.active && (it == alarms.end() || !it->active)) c.deferred.raisedAlarms.push_back(alarm);
  if (it != alarms.end()) {
    *it = std::move(alarm);
    return;
  }
  if (alarms.size() >= NavSourceData::kMaxAlarms) alarms.erase(alarms.begin());
  alarms.push_back(std::move(alarm));
}

}  // namespace

std::string AlarmAcknowledgeLink(std::string_view alarmKey, unsigned portId) {
  std::string link = "acknowledge?alarm=";
  for (char ch : alarmKey) {
    const unsigned char u = static_cast<unsigned char>(ch);
    if (std::isalnum(u) || ch == '-' || ch == '_' || ch == '.' || ch == ':') {
      link.push_back(ch);
    } else {
      char escaped[4];
      snprintf(escaped, sizeof escaped, "%%%02X", u);
      link += escaped;
    }
  }
  link += "&type=nmea0183&source=" + std::to_string(portId);
  return link;
}

void DecodeALR(NmeaDecodeContext& c) {
  ReceivedAlarm alarm;
  alarm.timeOfDay = std::string(c.F(1));
  alarm.key = std::string(c.F(2));
  alarm.active = NmeaChar(c.F(3)) == 'A';
  alarm.acknowledged = NmeaChar(c.F(4)) == 'A';
  alarm.description = NmeaUnescape(c.F(5));
  alarm.tick = c.tick;
  StoreAlarm(c, std::move(alarm));
}

void DecodeALA(NmeaDecodeContext& c) {
  ReceivedAlarm alarm;
  alarm.timeOfDay = std::string(c.F(1));
  alarm.key = std::string(c.F(2)) + ":" + std::string(c.F(3)) + ":" + std::string(c.F(4)) + ":" +
              std::string(c.F(5));
  const char condition = NmeaChar(c.F(6));
  alarm.active = condition != 0 && condition != 'N' && condition != 'V';
  alarm.acknowledged = NmeaChar(c.F(7)) == 'A';
  alarm.description = NmeaUnescape(c.F(8));
  alarm.tick = c.tick;
  StoreAlarm(c, std::move(alarm));
}

void DecodeABK(NmeaDecodeContext& c) {
  if (!c.port) return;
  std::optional<int> sequence = NmeaInteger(c.F(4));
  if (!sequence) return;
  const std::string key = "aismsg:" + std::to_string(*sequence);
  // Acknowledgement types 1 (no acknowledgement from the addressee) and
  // 2 (could not be broadcast) are failures; the others confirm.
  const int type = NmeaInteger(c.F(5)).value_or(0);
  if (type == 1 || type == 2) {
    c.port->Requests().Refuse(key, c.tick, type, "");
  } else {
    c.port->Requests().Answer(key, c.tick);
  }
}

void DecodeNAK(NmeaDecodeContext& c) {
  if (c.F(1) != "EC" || !c.port) return;
  const std::string key = "nak:" + std::string(c.F(2));
  c.port->Requests().Refuse(key, c.tick, NmeaInteger(c.F(4)).value_or(0), NmeaUnescape(c.F(5)));
}

void DecodeMOB(NmeaDecodeContext& c) {
  MobEvent event;
  event.emitterId = std::string(c.F(1));
  event.status = NmeaChar(c.F(2));
  event.activationTime = std::string(c.F(3));
  event.positionSource = NmeaInteger(c.F(4)).value_or(0);
  event.positionDate = std::string(c.F(5));
  event.positionTime = std::string(c.F(6));
  event.hasPosition = !c.F(7).empty() && !c.F(9).empty();
  event.position = LatLon{NmeaAngle(c.F(7), c.F(8)), NmeaAngle(c.F(9), c.F(10))};
  event.courseTrue = NmeaNumber(c.F(11)).value_or(0.0);
  event.speedKnots = NmeaNumber(c.F(12)).value_or(0.0);
  event.mmsi = std::string(c.F(13));
  event.battery = NmeaChar(c.F(14));
  event.tick = c.tick;
  event.key = "mob:" + event.emitterId + ":mmsi:" + event.mmsi;
  MobReports().Add(event);
  c.data.messages.mobEvents[event.key] = std::move(event);
}

void DecodeHBT(NmeaDecodeContext& c) {
  if (c.address.talker != "AI") return;
  std::optional<double> interval = NmeaNumber(c.F(1));
  if (!interval || *interval < 0) return;
  c.data.transponder.aliveUntil = c.tick + static_cast<uint64_t>(*interval * 1000.0);
  c.Want(SensorKind::Ais);
}

void DecodeVER(NmeaDecodeContext& c) {
  TransponderVersion& v = c.data.transponder.version;
  v.deviceType = std::string(c.F(4));
  v.vendorId = std::string(c.F(5));
  v.uniqueId = std::string(c.F(6));
  v.serialNumber = std::string(c.F(7));
  v.modelCode = std::string(c.F(8));
  v.softwareRevision = std::string(c.F(9));
  v.hardwareRevision = std::string(c.F(10));
  v.tick = c.tick;
  c.Want(SensorKind::Ais);
}

void DecodeSSD(NmeaDecodeContext& c) {
  TransponderStaticData& s = c.data.transponder.staticData;
  s.callSign = NmeaUnescape(c.F(1));
  s.name = NmeaUnescape(c.F(2));
  s.refA = NmeaInteger(c.F(3)).value_or(0);
  s.refB = NmeaInteger(c.F(4)).value_or(0);
  s.refC = NmeaInteger(c.F(5)).value_or(0);
  s.refD = NmeaInteger(c.F(6)).value_or(0);
  s.dteAvailable = NmeaChar(c.F(7)) == '0';
  s.tick = c.tick;
  c.Want(SensorKind::Ais);
}

void DecodeVSD(NmeaDecodeContext& c) {
  TransponderVoyageData& v = c.data.transponder.voyageData;
  v.shipType = NmeaInteger(c.F(1)).value_or(0);
  v.draughtMetres = NmeaNumber(c.F(2)).value_or(0.0);
  v.personsOnBoard = NmeaInteger(c.F(3)).value_or(0);
  v.destination = NmeaUnescape(c.F(4));
  for (char& ch : v.destination) {
    ch = ch == '@' ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  }
  v.etaTime = std::string(c.F(5));
  v.etaDay = NmeaInteger(c.F(6)).value_or(0);
  v.etaMonth = NmeaInteger(c.F(7)).value_or(0);
  v.navigationalStatus = NmeaInteger(c.F(8)).value_or(0);
  v.regionalFlags = NmeaInteger(c.F(9)).value_or(0);
  v.tick = c.tick;
  c.Want(SensorKind::Ais);
}

void DecodeTXT(NmeaDecodeContext& c) {
  std::deque<std::string>& texts = c.data.messages.texts;
  if (texts.size() >= MessageRecords::kMaxTexts) texts.pop_front();
  texts.push_back(std::string(c.F(3)) + ":" + NmeaUnescape(c.F(4)));
}

void DecodeNRX(NmeaDecodeContext& c) {
  NavtexAssembly& n = c.data.navtex;
  const int total = NmeaInteger(c.F(1)).value_or(1);
  const int number = NmeaInteger(c.F(2)).value_or(1);
  const int sequence = NmeaInteger(c.F(3)).value_or(0);
  if (number <= 1 || sequence != n.sequenceId) {
    n.parts.clear();
    n.code = std::string(c.F(4));
    n.sequenceId = sequence;
  }
  n.expected = total;
  // The body is the last field.
  if (n.parts.size() < 1000) n.parts.push_back(NmeaUnescape(c.F(c.Count() - 1)));
  if (number < total) return;
  std::string text;
  for (size_t i = 0; i < n.parts.size(); ++i) {
    if (i) text += "\r\n";
    text += n.parts[i];
  }
  c.deferred.navtexComplete = true;
  c.deferred.navtexCode = n.code;
  c.deferred.navtexText = std::move(text);
  n.parts.clear();
  n.sequenceId = -1;
}

}  // namespace tarnwick
