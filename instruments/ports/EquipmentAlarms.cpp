#include "instruments/ports/EquipmentAlarms.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "core/Log.h"
#include "instruments/nmea/NmeaOutput.h"
#include "instruments/ports/PortList.h"
#include "instruments/ports/PortManager.h"

namespace tarnwick {

std::vector<EquipmentAlarm> ListEquipmentAlarms() {
  std::vector<EquipmentAlarm> list;
  PortManager().ForEach([&list](const CNmeaPort& port) {
    std::vector<ReceivedAlarm> alarms;
    {
      auto lock = port.NavSource().Lock();
      alarms = port.NavSource().Data().alarms;
    }
    for (ReceivedAlarm& alarm : alarms) {
      EquipmentAlarm entry;
      entry.portId = port.PortId();
      entry.port = port.Label();
      entry.link = AlarmAcknowledgeLink(alarm.key, entry.portId);
      entry.alarm = std::move(alarm);
      list.push_back(std::move(entry));
    }
  });
  return list;
}

std::string FormatAlarmAcknowledgement(std::string_view alarmId) {
  if (alarmId.empty() || alarmId.size() > 3 ||
      !std::all_of(alarmId.begin(), alarmId.end(),
                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
    return {};
  return FinishNmeaSentence("$ECACK," + std::string(alarmId));
}

AlarmAcknowledgement AcknowledgeEquipmentAlarm(std::string_view alarm, std::string_view type,
                                               std::string_view source) {
  unsigned portId = 0;
  const auto [end, ec] = std::from_chars(source.data(), source.data() + source.size(), portId);
  if (alarm.empty() || type != "nmea0183" || ec != std::errc() ||
      end != source.data() + source.size())
    return AlarmAcknowledgement::BadRequest;
  bool portFound = false, alarmFound = false;
  PortManager().ForEach([&](const CNmeaPort& port) {
    if (port.PortId() != portId) return;
    portFound = true;
    auto lock = port.NavSource().Lock();
    const auto& alarms = port.NavSource().Data().alarms;
    alarmFound = std::any_of(alarms.begin(), alarms.end(),
                             [&](const ReceivedAlarm& a) { return a.key == alarm; });
  });
  if (!portFound) return AlarmAcknowledgement::UnknownPort;
  if (!alarmFound) return AlarmAcknowledgement::UnknownAlarm;
  const std::string sentence = FormatAlarmAcknowledgement(alarm);
  if (sentence.empty()) return AlarmAcknowledgement::NotALR;
  const std::optional<bool> written = PortList().WriteToPort(portId, sentence);
  if (!written) return AlarmAcknowledgement::UnknownPort;
  if (!*written) return AlarmAcknowledgement::NotSent;
  Log("Alarm %.*s acknowledged to port %u\n", static_cast<int>(alarm.size()), alarm.data(), portId);
  return AlarmAcknowledgement::Sent;
}

const char* AlarmAcknowledgementText(AlarmAcknowledgement outcome) {
  switch (outcome) {
    case AlarmAcknowledgement::Sent:
      return "The acknowledgement was sent to the equipment.";
    case AlarmAcknowledgement::BadRequest:
      return "Give the alarm, type=nmea0183 and the source port's number.";
    case AlarmAcknowledgement::UnknownPort:
      return "That port is not running any more; reload the alarm list.";
    case AlarmAcknowledgement::UnknownAlarm:
      return "The port holds no such alarm.";
    case AlarmAcknowledgement::NotALR:
      return "This alarm (ALA) is acknowledged at its equipment.";
    case AlarmAcknowledgement::NotSent:
      return "The port cannot send now.";
  }
  return "";
}

}  // namespace tarnwick
