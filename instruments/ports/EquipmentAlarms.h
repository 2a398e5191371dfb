#pragma once
// Alarms of other equipment (ALR, ALA) as the running ports received them,
// and their acknowledgement: an "$ECACK" sentence to the device that raised
// the alarm, asked for through the alarm's acknowledgement link
// ("acknowledge?alarm=%s&type=nmea0183&source=%u").

#include <string>
#include <string_view>
#include <vector>

#include "instruments/nmea/NmeaRecords.h"

namespace tarnwick {

struct EquipmentAlarm {
  unsigned portId = 0;  // the port's number (the link's "source")
  std::string port;     // the port's label
  ReceivedAlarm alarm;
  std::string link;  // the acknowledgement link
};

// Every alarm the running ports hold, port by port in the order received.
std::vector<EquipmentAlarm> ListEquipmentAlarms();

// The acknowledgement sentence of an ALR alarm id: "$ECACK,<id>*hh\r\n"; empty
// when the id is not an ALR alarm number (1 to 3 digits).
std::string FormatAlarmAcknowledgement(std::string_view alarmId);

enum class AlarmAcknowledgement {
  Sent,          // the ACK went out to the port
  BadRequest,    // not an "nmea0183" link, or no alarm or source
  UnknownPort,   // no running port with that number (the ports restarted?)
  UnknownAlarm,  // the port holds no such alarm
  NotALR,        // an ALA alarm: acknowledged at its equipment
  NotSent,       // the port could not send
};

// Carries out an acknowledgement link's parameters (alarm, type, source).
AlarmAcknowledgement AcknowledgeEquipmentAlarm(std::string_view alarm, std::string_view type,
                                               std::string_view source);
// What to tell the navigator about an outcome.
const char* AlarmAcknowledgementText(AlarmAcknowledgement outcome);

}  // namespace tarnwick
