#include "instruments/nmea/DecodeNmea.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "core/Clock.h"
#include "core/Log.h"
#include "instruments/nmea/AisSentenceSink.h"
#include "instruments/nmea/NmeaDecodeContext.h"
#include "instruments/nmea/NmeaFieldReaders.h"
#include "instruments/nmea/NmeaOutput.h"
#include "instruments/nmea/NmeaPortContext.h"
#include "instruments/nmea/NmeaRouted.h"
#include "instruments/nmea/SensorRegistry.h"

namespace tarnwick {
namespace {

std::atomic<IAisSentenceSink*> gAis{nullptr};
std::atomic<ISensorRegistry*> gSensors{nullptr};
std::atomic<INmeaRoutedSentences*> gRouted{nullptr};

// The queries sent to an AIS transponder the first time it is seen on a port.
constexpr const char* kTransponderQueries[] = {"VER", "VSD", "SSD"};

std::string_view WithoutLineEnd(std::string_view s) {
  if (size_t nul = s.find('\0'); nul != std::string_view::npos) s = s.substr(0, nul);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Makes the source known to the store, asks it for every sensor kind the
// sentence supplied for the first time on this port, and reports new
// transducers. Runs without the source lock.
void RegisterSensors(CNavSource& source, INmeaPortContext* port, const NmeaDeferred& deferred,
                     ISensorRegistry* sensors) {
  if (!sensors) return;
  if (!source.Registered() && source.MarkRegistered()) sensors->RegisterSource(source);
  for (int k = 0; k < kSensorKindCount; ++k) {
    const auto kind = static_cast<SensorKind>(k);
    if (!(deferred.sensors & (1u << k)) || source.SensorRequested(kind)) continue;
    source.SetSensor(kind, sensors->ObtainSensor(source, port, SensorKindName(kind)));
  }
  for (const NmeaDeferred::NewTransducer& t : deferred.transducers) {
    sensors->OnNewTransducer(source, t.id, t.type);
  }
}

// Sends the version and static data queries to a transponder seen for the
// first time, and registers the replies as outstanding requests.
void QueryTransponder(INmeaPortContext* port, uint64_t tick) {
  for (const char* formatter : kTransponderQueries) {
    port->Requests().Add(std::string("nak:") + formatter, tick);
    port->WriteSentence(FormatAisQuery(formatter));
  }
}

void DecodeAis(CNavSource& source, const ReceiveTime& received, const NmeaFields& fields,
               std::string_view formatter, std::string_view sentence, INmeaPortContext* port,
               const NmeaDecoderHooks& hooks, uint64_t tick) {
  if (fields.Count() < 7) {
    LogDebug("\t%s: Wrong param count: %s\n", std::string(formatter).c_str(),
             std::string(sentence).c_str());
    return;
  }
  std::optional<int> count = NmeaInteger(fields[1]);
  std::optional<int> number = NmeaInteger(fields[2]);
  std::optional<int> sequence = fields[3].empty() ? std::optional(0) : NmeaInteger(fields[3]);
  std::optional<int> fill = fields[6].empty() ? std::optional(0) : NmeaInteger(fields[6]);
  if (!count || !number || !sequence || !fill || *count < 1 || *number < 1 || *number > *count ||
      *sequence < 0 || *sequence > 9 || *fill < 0 || *fill > 7) {
    return;
  }
  VdmFragment fragment;
  fragment.count = *count;
  fragment.number = *number;
  fragment.sequenceId = *sequence;
  fragment.channel = NmeaFirstChar(fields[4]);
  fragment.payload = fields[5];
  fragment.fillBits = *fill;
  fragment.ownVessel = formatter == "VDO";

  CSensor* aisSensor = nullptr;
  if (fragment.ownVessel) {
    NmeaDeferred deferred;
    for (SensorKind kind : {SensorKind::Ais, SensorKind::PosAis, SensorKind::HdgAis}) {
      deferred.sensors |= 1u << static_cast<int>(kind);
    }
    RegisterSensors(source, port, deferred, hooks.sensors);
    aisSensor = source.Sensor(SensorKind::Ais);
    bool firstSeen = false;
    {
      auto lock = source.Lock();
      firstSeen = !source.Data().transponder.seen;
      source.Data().transponder.seen = true;
    }
    if (firstSeen && port) QueryTransponder(port, tick);
  }
  if (hooks.ais) hooks.ais->DecodeVDM(aisSensor, received, fragment);
}

// Runs a row (or another value-storing decoder) under the source's lock, then
// the work it left for after the lock.
void RunLocked(CNavSource& source, const NmeaFields& fields, const NmeaAddress& address,
               uint64_t tick, INmeaPortContext* port, const NmeaDecoderHooks& hooks,
               bool needsHeadingCorrection, NmeaRowDecoder decode) {
  const double correction =
      needsHeadingCorrection && hooks.sensors ? hooks.sensors->HeadingCorrection(source, port) : 0.0;
  NmeaDeferred deferred;
  {
    auto lock = source.Lock();
    NmeaDecodeContext context{source.Data(), fields, address, tick, correction, port, {}};
    decode(context);
    deferred = std::move(context.deferred);
  }
  RegisterSensors(source, port, deferred, hooks.sensors);
  if (deferred.navtexComplete && hooks.routed) {
    hooks.routed->OnNavtexMessage(port, deferred.navtexCode, deferred.navtexText);
  }
  if (hooks.routed) {
    for (const ReceivedAlarm& alarm : deferred.raisedAlarms)
      hooks.routed->OnAlarmRaised(port, alarm);
  }
}

void DecodeDollar(CNavSource& source, const ReceiveTime& received, const NmeaFields& fields,
                  const NmeaAddress& address, std::string_view sentence, INmeaPortContext* port,
                  const NmeaDecoderHooks& hooks, uint64_t tick) {
  const RoutedSentence routed{port, received, sentence, &fields.field};
  const std::string_view whole = fields[0];
  if (IsDeviceAddress(whole)) {
    if (hooks.routed) hooks.routed->OnDeviceSentence(routed);
    return;
  }
  if (whole == "EMIFM") {
    RunLocked(source, fields, address, tick, port, hooks, false, DecodeEMIFM);
    return;
  }
  if (address.proprietary) {
    if (address.talker == "GRM") {
      RunLocked(source, fields, address, tick, port, hooks, false, DecodeGarmin);
    } else if (address.talker == "SAT") {
      RunLocked(source, fields, address, tick, port, hooks, true, DecodeSatHpr);
    } else {
      RouteManufacturerSentence(address, routed, hooks.routed);
    }
    return;
  }
  const NmeaSentenceRow* row = FindNmeaSentence(address.formatter);
  if (!row) return;
  if (static_cast<int>(fields.Count()) < row->minFields) {
    if (row->shortMessage) LogDebug(row->shortMessage, static_cast<int>(fields.Count()));
    return;
  }
  if (row->route != NmeaRoute::None) {
    if (!hooks.routed) return;
    switch (row->route) {
      case NmeaRoute::Dsc:
        hooks.routed->OnDsc(routed);
        break;
      case NmeaRoute::Edm:
        hooks.routed->OnEdm(routed);
        break;
      case NmeaRoute::SafetyMessage:
        hooks.routed->OnSafetyMessage(routed);
        break;
      case NmeaRoute::RadarTargetData:
        hooks.routed->OnRadarTargetData(routed);
        break;
      case NmeaRoute::None:
        break;
    }
    return;
  }
  if (row->decode) RunLocked(source, fields, address, tick, port, hooks, row->heading, row->decode);
}

}  // namespace

void SetNmeaDecoderHooks(const NmeaDecoderHooks& hooks) {
  gAis.store(hooks.ais);
  gSensors.store(hooks.sensors);
  gRouted.store(hooks.routed);
}

NmeaDecoderHooks GetNmeaDecoderHooks() {
  return NmeaDecoderHooks{gAis.load(), gSensors.load(), gRouted.load()};
}

void DecodeNMEA(CNavSource& source, const ReceiveTime& received, std::string_view sentence,
                INmeaPortContext* port) {
  DecodeNMEA(source, received, sentence, port, GetNmeaDecoderHooks());
}

void DecodeNMEA(CNavSource& source, const ReceiveTime& received, std::string_view sentence,
                INmeaPortContext* port, const NmeaDecoderHooks& hooks) {
  NmeaFields fields;
  DecodeNMEA(source, received, sentence, port, hooks, fields);
}

void DecodeNMEA(CNavSource& source, const ReceiveTime& received, std::string_view sentence,
                INmeaPortContext* port, const NmeaDecoderHooks& hooks, NmeaFields& fields) {
  const std::string_view line = WithoutLineEnd(sentence);
  LogDebug("DecodeNMEA: %.*s\n", static_cast<int>(std::min(line.size(), kLogLineMax)), line.data());
  if (!ParseNMEA(sentence, fields)) return;

  const std::string_view whole = fields[0];
  if (whole.size() == 4 && whole.starts_with("STR")) {
    if (hooks.routed) hooks.routed->OnSeetrac(RoutedSentence{port, received, line, &fields.field});
    return;
  }
  NmeaAddress address;
  if (!SplitNmeaAddress(whole, address)) {
    LogDebug("Malformed sentance: %s\n", std::string(line.substr(0, kLogLineMax)).c_str());
    return;
  }
  if (port) {
    if (INmeaDeviceDriver* driver = port->DeviceDriver()) driver->OnSentence(line, fields.field);
  }
  const uint64_t tick = received.tickMs != 0 ? received.tickMs : TickCount();
  {
    auto lock = source.Lock();
    source.Data().lastSentenceTick = tick;
  }

  if (fields.start == '!') {
    if (address.formatter == "EDM") {
      if (hooks.routed) hooks.routed->OnEdm(RoutedSentence{port, received, line, &fields.field});
    } else if (address.formatter == "VDM" || address.formatter == "VDO") {
      DecodeAis(source, received, fields, address.formatter, line, port, hooks, tick);
    }
  } else {
    DecodeDollar(source, received, fields, address, line, port, hooks, tick);
  }

  if (port && address.talker != "EC") {
    port->Requests().Answer(std::string("nak:") + std::string(address.formatter), tick);
  }
}

}  // namespace tarnwick
