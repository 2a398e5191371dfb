#include "instruments/ais/AisDecode.h"

#include <algorithm>

#include "instruments/ais/AisBinaryPayload.h"
#include "instruments/ais/AisLayouts.h"

namespace tarnwick {
namespace {

namespace L = ais_layout;

int U(const AisBits& bits, BitField field) {
  return static_cast<int>(bits.Unsigned(field));
}

// A report at exactly 0,0 comes from a receiver without a fix.
bool AtNullIsland(const AisPositionReport& p) {
  return p.lat == 0.0 && p.lon == 0.0;
}

bool DecodePositionA(const AisBits& bits, AisMessage& m) {
  if (bits.Size() != 168 && bits.Size() != 204) return false;
  AisPositionReport p;
  p.navStatus = U(bits, L::pos_a::kNavStatus);
  p.rot = bits.Signed(L::pos_a::kRot);
  p.sog = U(bits, L::pos_a::kSog);
  p.accuracy = U(bits, L::pos_a::kAccuracy);
  p.lon = AisLongitude(bits.Signed(L::pos_a::kLon));
  p.lat = AisLatitude(bits.Signed(L::pos_a::kLat));
  p.cog = U(bits, L::pos_a::kCog);
  p.heading = U(bits, L::pos_a::kHeading);
  p.second = U(bits, L::pos_a::kSecond);
  p.raim = U(bits, L::pos_a::kRaim);
  if (AtNullIsland(p)) return false;
  m.position = p;
  return true;
}

bool DecodeBaseStation(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < 168) return false;
  AisBaseStationReport b;
  b.year = U(bits, L::base::kYear);
  b.month = U(bits, L::base::kMonth);
  b.day = U(bits, L::base::kDay);
  b.hour = U(bits, L::base::kHour);
  b.minute = U(bits, L::base::kMinute);
  b.second = U(bits, L::base::kSecond);
  b.epfd = U(bits, L::base::kEpfd);
  AisPositionReport p;
  p.accuracy = U(bits, L::base::kAccuracy);
  p.lon = AisLongitude(bits.Signed(L::base::kLon));
  p.lat = AisLatitude(bits.Signed(L::base::kLat));
  p.raim = U(bits, L::base::kRaim);
  if (AtNullIsland(p)) return false;
  m.base = b;
  m.position = p;
  return true;
}

bool DecodeStaticVoyage(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < 420) return false;  // some transponders leave off the last spare bits
  AisStaticData s;
  s.fields = kAisVersion | kAisImo | kAisCallsign | kAisName | kAisShipType | kAisDimensions |
             kAisEpfd | kAisEta | kAisDraught | kAisDestination;
  s.aisVersion = U(bits, L::static_voyage::kAisVersion);
  s.imo = bits.Unsigned(L::static_voyage::kImo);
  s.callsign = bits.Text(L::static_voyage::kCallsign);
  s.name = bits.Text(L::static_voyage::kName);
  s.shipType = U(bits, L::static_voyage::kShipType);
  s.toBow = U(bits, L::static_voyage::kToBow);
  s.toStern = U(bits, L::static_voyage::kToStern);
  s.toPort = U(bits, L::static_voyage::kToPort);
  s.toStarboard = U(bits, L::static_voyage::kToStarboard);
  s.epfd = U(bits, L::static_voyage::kEpfd);
  s.etaMonth = U(bits, L::static_voyage::kEtaMonth);
  s.etaDay = U(bits, L::static_voyage::kEtaDay);
  s.etaHour = U(bits, L::static_voyage::kEtaHour);
  s.etaMinute = U(bits, L::static_voyage::kEtaMinute);
  s.draught = U(bits, L::static_voyage::kDraught);
  s.destination = bits.Text(L::static_voyage::kDestination);
  m.statics = s;
  return true;
}

// Binary messages: routes a structured payload to the application decoders.
void DecodeApplication(const AisBits& bits, AisMessage& m, int dac, int fi, int dataOffset,
                       int dataEnd) {
  AisBinaryMessage& b = *m.binary;
  b.dac = dac;
  b.fi = fi;
  b.dataOffset = dataOffset;
  b.dataBits = dataEnd > dataOffset ? dataEnd - dataOffset : 0;
  m.met = DecodeBinaryPayload(bits, dac, fi, dataOffset, b.dataBits);
}

bool DecodeAddressedBinary(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < L::addressed_binary::kData) return false;
  m.binary = AisBinaryMessage{};
  m.binary->destMmsi = bits.Unsigned(L::addressed_binary::kDestMmsi);
  DecodeApplication(bits, m, U(bits, L::addressed_binary::kDac), U(bits, L::addressed_binary::kFi),
                    L::addressed_binary::kData, bits.Size());
  return true;
}

bool DecodeBroadcastBinary(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < L::broadcast_binary::kData) return false;
  m.binary = AisBinaryMessage{};
  DecodeApplication(bits, m, U(bits, L::broadcast_binary::kDac), U(bits, L::broadcast_binary::kFi),
                    L::broadcast_binary::kData, bits.Size());
  return true;
}

bool DecodeSlotBinary(const AisBits& bits, AisMessage& m) {
  const int end = bits.Size() - (m.type == 26 ? L::slot_binary::kRadio26 : 0);
  const bool addressed = U(bits, L::slot_binary::kAddressed) != 0;
  const bool structured = U(bits, L::slot_binary::kStructured) != 0;
  int start = L::slot_binary::kUnaddressed;
  m.binary = AisBinaryMessage{};
  if (addressed) {
    if (end < L::slot_binary::kAfterAddress) return false;
    m.binary->destMmsi = bits.Unsigned(L::slot_binary::kDestMmsi);
    start = L::slot_binary::kAfterAddress;
  }
  if (end < start) return false;
  if (structured) {
    if (end < start + L::slot_binary::kAppIdBits) return false;
    const int dac =
        U(bits, {start + L::slot_binary::kAppDac.offset, L::slot_binary::kAppDac.width});
    const int fi = U(bits, {start + L::slot_binary::kAppFi.offset, L::slot_binary::kAppFi.width});
    DecodeApplication(bits, m, dac, fi, start + L::slot_binary::kAppIdBits, end);
  } else {
    m.binary->dataOffset = start;
    m.binary->dataBits = end - start;
  }
  return true;
}

bool DecodeSar(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < 168) return false;
  AisSarReport s;
  s.altitude = U(bits, L::sar::kAltitude);
  AisPositionReport p;
  // Aircraft report their speed in whole knots; kept in tenths like the others.
  const int knots = U(bits, L::sar::kSog);
  p.sog = knots == kAisSogNotAvailable ? kAisSogNotAvailable : knots * 10;
  p.accuracy = U(bits, L::sar::kAccuracy);
  p.lon = AisLongitude(bits.Signed(L::sar::kLon));
  p.lat = AisLatitude(bits.Signed(L::sar::kLat));
  p.cog = U(bits, L::sar::kCog);
  p.second = U(bits, L::sar::kSecond);
  p.raim = U(bits, L::sar::kRaim);
  if (AtNullIsland(p)) return false;
  m.sar = s;
  m.position = p;
  return true;
}

bool DecodeSafetyText(const AisBits& bits, AisMessage& m, int textOffset) {
  if (bits.Size() < textOffset) return false;
  m.text = bits.Text({textOffset, bits.Size() - textOffset});
  return true;
}

bool DecodePositionB(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < 168) return false;
  AisPositionReport p;
  p.sog = U(bits, L::pos_b::kSog);
  p.accuracy = U(bits, L::pos_b::kAccuracy);
  p.lon = AisLongitude(bits.Signed(L::pos_b::kLon));
  p.lat = AisLatitude(bits.Signed(L::pos_b::kLat));
  p.cog = U(bits, L::pos_b::kCog);
  p.heading = U(bits, L::pos_b::kHeading);
  p.second = U(bits, L::pos_b::kSecond);
  p.raim = U(bits, L::pos_b::kRaim);
  if (AtNullIsland(p)) return false;
  m.position = p;
  return true;
}

bool DecodePositionBExtended(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < 312) return false;
  AisPositionReport p;
  p.sog = U(bits, L::pos_b_ext::kSog);
  p.accuracy = U(bits, L::pos_b_ext::kAccuracy);
  p.lon = AisLongitude(bits.Signed(L::pos_b_ext::kLon));
  p.lat = AisLatitude(bits.Signed(L::pos_b_ext::kLat));
  p.cog = U(bits, L::pos_b_ext::kCog);
  p.heading = U(bits, L::pos_b_ext::kHeading);
  p.second = U(bits, L::pos_b_ext::kSecond);
  p.raim = U(bits, L::pos_b_ext::kRaim);
  if (AtNullIsland(p)) return false;
  AisStaticData s;
  s.fields = kAisName | kAisShipType | kAisDimensions | kAisEpfd;
  s.name = bits.Text(L::pos_b_ext::kName);
  s.shipType = U(bits, L::pos_b_ext::kShipType);
  s.toBow = U(bits, L::pos_b_ext::kToBow);
  s.toStern = U(bits, L::pos_b_ext::kToStern);
  s.toPort = U(bits, L::pos_b_ext::kToPort);
  s.toStarboard = U(bits, L::pos_b_ext::kToStarboard);
  s.epfd = U(bits, L::pos_b_ext::kEpfd);
  m.position = p;
  m.statics = s;
  return true;
}

bool DecodeAid(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < 272) return false;
  AisAidReport a;
  a.aidType = U(bits, L::aid::kAidType);
  a.name = bits.Text(L::aid::kName);
  const int extensionBits = std::min(bits.Size() - L::aid::kNameExtension, 88);
  if (extensionBits >= 6) a.name += bits.Text({L::aid::kNameExtension, extensionBits});
  a.offPosition = U(bits, L::aid::kOffPosition) != 0;
  a.virtualAid = U(bits, L::aid::kVirtual) != 0;
  AisPositionReport p;
  p.accuracy = U(bits, L::aid::kAccuracy);
  p.lon = AisLongitude(bits.Signed(L::aid::kLon));
  p.lat = AisLatitude(bits.Signed(L::aid::kLat));
  p.second = U(bits, L::aid::kSecond);
  p.raim = U(bits, L::aid::kRaim);
  if (AtNullIsland(p)) return false;
  AisStaticData s;
  s.fields = kAisDimensions | kAisEpfd;
  s.toBow = U(bits, L::aid::kToBow);
  s.toStern = U(bits, L::aid::kToStern);
  s.toPort = U(bits, L::aid::kToPort);
  s.toStarboard = U(bits, L::aid::kToStarboard);
  s.epfd = U(bits, L::aid::kEpfd);
  m.aid = a;
  m.position = p;
  m.statics = s;
  return true;
}

bool DecodeStaticB(const AisBits& bits, AisMessage& m) {
  if (bits.Size() < 160) return false;
  const int part = U(bits, L::static_b::kPart);
  AisStaticData s;
  if (part == 0) {
    s.fields = kAisName;
    s.name = bits.Text(L::static_b::kName);
  } else if (part == 1) {
    if (bits.Size() < 168) return false;
    s.fields = kAisShipType | kAisVendor | kAisCallsign;
    s.shipType = U(bits, L::static_b::kShipType);
    s.vendor = bits.Text(L::static_b::kVendor);
    s.callsign = bits.Text(L::static_b::kCallsign);
    // An auxiliary craft (MMSI 98xxxxxxx) sends its mother ship's MMSI in
    // place of the dimensions.
    if (m.mmsi / 10000000 != 98) {
      s.fields |= kAisDimensions;
      s.toBow = U(bits, L::static_b::kToBow);
      s.toStern = U(bits, L::static_b::kToStern);
      s.toPort = U(bits, L::static_b::kToPort);
      s.toStarboard = U(bits, L::static_b::kToStarboard);
    }
  } else {
    return false;
  }
  m.part = part;
  m.statics = s;
  return true;
}

}  // namespace

double AisLatitude(int32_t raw, double perDegree) {
  const double lat = raw / perDegree;
  return lat < -90.0 || lat > 90.0 ? kAisLatNotAvailable : lat;
}

double AisLongitude(int32_t raw, double perDegree) {
  const double lon = raw / perDegree;
  return lon < -180.0 || lon > 180.0 ? kAisLonNotAvailable : lon;
}

std::optional<AisMessage> DecodeAisMessage(const AisBits& bits, bool ownVessel) {
  if (bits.Size() < 6) return std::nullopt;
  AisMessage m;
  m.type = U(bits, L::kType);
  if (m.type < 1 || m.type > 26 || bits.Size() < L::kMmsi.offset + L::kMmsi.width) {
    return std::nullopt;
  }
  m.repeat = U(bits, L::kRepeat);
  m.mmsi = bits.Unsigned(L::kMmsi);
  m.ownVessel = ownVessel;
  if (m.mmsi == kAisBogusMmsi || (m.mmsi == 0 && !ownVessel)) return std::nullopt;

  bool ok = true;
  switch (m.type) {
    case 1:
    case 2:
    case 3:
      ok = DecodePositionA(bits, m);
      break;
    case 4:
    case 11:
      ok = DecodeBaseStation(bits, m);
      break;
    case 5:
      ok = DecodeStaticVoyage(bits, m);
      break;
    case 6:
      ok = DecodeAddressedBinary(bits, m);
      break;
    case 8:
      ok = DecodeBroadcastBinary(bits, m);
      break;
    case 9:
      ok = DecodeSar(bits, m);
      break;
    case 10:
      ok = bits.Size() == 72;
      if (ok) m.destMmsi = bits.Unsigned(L::utc_inquiry::kDestMmsi);
      break;
    case 12:
      ok = DecodeSafetyText(bits, m, L::addressed_safety::kText);
      if (ok) m.destMmsi = bits.Unsigned(L::addressed_safety::kDestMmsi);
      break;
    case 14:
      ok = DecodeSafetyText(bits, m, L::broadcast_safety::kText);
      break;
    case 18:
      ok = DecodePositionB(bits, m);
      break;
    case 19:
      ok = DecodePositionBExtended(bits, m);
      break;
    case 21:
      ok = DecodeAid(bits, m);
      break;
    case 24:
      ok = DecodeStaticB(bits, m);
      break;
    case 25:
    case 26:
      ok = DecodeSlotBinary(bits, m);
      break;
    default:
      break;  // acknowledgements, interrogations, DGNSS, slot management: header only
  }
  if (!ok) return std::nullopt;
  return m;
}

}  // namespace tarnwick
