#pragma once
// Internals of the decoder shared by its sentence files: the state of one
// decode and the row type of the sentence tables.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaParse.h"

namespace tarnwick {

class INmeaPortContext;
class INmeaRoutedSentences;

// Work a sentence leaves for after the source's lock is released.
struct NmeaDeferred {
  uint32_t sensors = 0;  // bit per SensorKind to obtain from the store
  struct NewTransducer {
    std::string id;
    char type = 0;
  };
  std::vector<NewTransducer> transducers;
  std::string navtexCode, navtexText;  // a completed NAVTEX message
  bool navtexComplete = false;
  std::vector<ReceivedAlarm> raisedAlarms;  // equipment alarms that became active
};

// One sentence being decoded; the source's lock is held while a row runs.
struct NmeaDecodeContext {
  NavSourceData& data;
  const NmeaFields& fields;
  NmeaAddress address;
  uint64_t tick = 0;             // receive tick, ms
  double headingCorrection = 0;  // degrees added to every heading
  INmeaPortContext* port = nullptr;
  NmeaDeferred deferred;

  size_t Count() const { return fields.Count(); }
  std::string_view F(size_t i) const { return fields[i]; }
  void Want(SensorKind kind) { deferred.sensors |= 1u << static_cast<int>(kind); }
  // heading + correction, in 0..360 degrees.
  double Corrected(double heading) const;
  // Logs (at most once a minute per source) that what this sentence carried
  // is out of range and is dropped.
  void LogOutOfRange(const char* what);
};

// Limits of values from instruments: beyond them a value is garbage, not a fix.
inline constexpr double kMaxSpeedKnots = 150;
// value when it lies within [low, high]; empty otherwise and when empty.
std::optional<double> InRange(std::optional<double> value, double low, double high);
// A position within +-90 degrees of latitude and +-180 of longitude.
bool IsValidPosition(const LatLon& p);

using NmeaRowDecoder = void (*)(NmeaDecodeContext&);

// Families handed on without decoding.
enum class NmeaRoute { None, Dsc, Edm, SafetyMessage, RadarTargetData };

// One row of the standard sentence table.
struct NmeaSentenceRow {
  std::string_view formatter;
  int minFields;             // fields including the address
  const char* shortMessage;  // debug line when fewer fields (may take the count); nullptr: silent
  NmeaRowDecoder decode;     // nullptr: recognised and ignored (or routed)
  bool heading = false;      // needs the heading sensor's correction
  NmeaRoute route = NmeaRoute::None;
};

// The row of a standard formatter, or nullptr.
const NmeaSentenceRow* FindNmeaSentence(std::string_view formatter);

// Position and time sentences.
void DecodeRMC(NmeaDecodeContext& c);
void DecodeGGA(NmeaDecodeContext& c);
void DecodeGLL(NmeaDecodeContext& c);
void DecodeGNS(NmeaDecodeContext& c);
void DecodeGSA(NmeaDecodeContext& c);
void DecodeGSV(NmeaDecodeContext& c);
void DecodeVTG(NmeaDecodeContext& c);
void DecodeZDA(NmeaDecodeContext& c);
void DecodeDTM(NmeaDecodeContext& c);
// Instrument sentences.
void DecodeHDT(NmeaDecodeContext& c);
void DecodeTHS(NmeaDecodeContext& c);
void DecodeHDG(NmeaDecodeContext& c);
void DecodeHDM(NmeaDecodeContext& c);
void DecodeROT(NmeaDecodeContext& c);
void DecodeRSA(NmeaDecodeContext& c);
void DecodeRPM(NmeaDecodeContext& c);
void DecodeDBT(NmeaDecodeContext& c);
void DecodeDPT(NmeaDecodeContext& c);
void DecodeDBS(NmeaDecodeContext& c);
void DecodeDBK(NmeaDecodeContext& c);
void DecodeVHW(NmeaDecodeContext& c);
void DecodeVBW(NmeaDecodeContext& c);
void DecodeVLW(NmeaDecodeContext& c);
void DecodeVDR(NmeaDecodeContext& c);
void DecodeMWV(NmeaDecodeContext& c);
void DecodeVWR(NmeaDecodeContext& c);
void DecodeVWT(NmeaDecodeContext& c);
void DecodeMDA(NmeaDecodeContext& c);
void DecodeMTW(NmeaDecodeContext& c);
void DecodeXDR(NmeaDecodeContext& c);
// Sentences of other navigators and the radar.
void DecodeRMB(NmeaDecodeContext& c);
void DecodeBOD(NmeaDecodeContext& c);
void DecodeRSD(NmeaDecodeContext& c);
void DecodeWPL(NmeaDecodeContext& c);
void DecodeRTE(NmeaDecodeContext& c);
void DecodeZFO(NmeaDecodeContext& c);
void DecodeZTG(NmeaDecodeContext& c);
void DecodeTTM(NmeaDecodeContext& c);
void DecodeTLL(NmeaDecodeContext& c);
void DecodeTLB(NmeaDecodeContext& c);
// Alarms, acknowledgements, messages and the own transponder.
void DecodeALR(NmeaDecodeContext& c);
void DecodeALA(NmeaDecodeContext& c);
void DecodeABK(NmeaDecodeContext& c);
void DecodeNAK(NmeaDecodeContext& c);
void DecodeMOB(NmeaDecodeContext& c);
void DecodeHBT(NmeaDecodeContext& c);
void DecodeVER(NmeaDecodeContext& c);
void DecodeSSD(NmeaDecodeContext& c);
void DecodeVSD(NmeaDecodeContext& c);
void DecodeTXT(NmeaDecodeContext& c);
void DecodeNRX(NmeaDecodeContext& c);
// Proprietary sentences that store values: PGRME, PGRMM, PGRMZ, PSAT,HPR, EMIFM.
void DecodeGarmin(NmeaDecodeContext& c);
void DecodeSatHpr(NmeaDecodeContext& c);
void DecodeEMIFM(NmeaDecodeContext& c);
// True for the whole addresses handed to device handlers ("PSLIR", "FRPOS"...).
bool IsDeviceAddress(std::string_view address);
// Proprietary sentences of the manufacturers BVE, JRC, FEC, KOD, MAR and MGN,
// checked and handed to routed (which may be nullptr).
void RouteManufacturerSentence(const NmeaAddress& address, const struct RoutedSentence& sentence,
                               INmeaRoutedSentences* routed);

}  // namespace tarnwick
