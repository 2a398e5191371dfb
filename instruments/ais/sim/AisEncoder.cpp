#include "instruments/ais/sim/AisEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/Log.h"
#include "instruments/ais/AisLayouts.h"

namespace tarnwick {
namespace {

namespace L = ais_layout;

// Writes fields at their layout offsets, in layout order; the gaps (spare
// bits) stay zero.
class CFieldWriter {
 public:
  void Put(BitField field, int64_t value) {
    PadTo(field.offset);
    if (bits_.Size() != field.offset) {
      Log("AIS encoder: field at bit %d written out of order\n", field.offset);
      return;
    }
    const int64_t max = (int64_t{1} << field.width) - 1;
    bits_.AppendBits(static_cast<uint32_t>(std::clamp<int64_t>(value, 0, max)), field.width);
  }
  void PutSigned(BitField field, int64_t value) {
    PadTo(field.offset);
    if (bits_.Size() != field.offset) return;
    const int64_t limit = int64_t{1} << (field.width - 1);
    const int64_t clamped = std::clamp<int64_t>(value, -limit, limit - 1);
    bits_.AppendBits(static_cast<uint32_t>(clamped) & static_cast<uint32_t>((limit << 1) - 1),
                     field.width);
  }
  // Six-bit text padded with '@' to the field's width.
  void PutText(BitField field, const std::string& text) {
    PadTo(field.offset);
    if (bits_.Size() != field.offset) return;
    const size_t chars = static_cast<size_t>(field.width / 6);
    for (size_t i = 0; i < chars; ++i) {
      int value = 0;
      if (i < text.size()) {
        value = SixBitValue(text[i]);
        if (value < 0) value = SixBitValue(' ');
      }
      bits_.AppendBits(static_cast<uint32_t>(value), 6);
    }
  }
  void PadTo(int offset) {
    while (bits_.Size() < offset) bits_.AppendBits(0, std::min(32, offset - bits_.Size()));
  }
  AisBits& Bits() { return bits_; }

 private:
  AisBits bits_;
};

// Degrees as 1/10000 minute; the "not available" markers keep their values.
int64_t RawAngle(double degrees) {
  return std::llround(degrees * 600000.0);
}

void PutHeader(CFieldWriter& w, const AisMessage& m) {
  w.Put(L::kType, m.type);
  w.Put(L::kRepeat, m.repeat);
  w.Put(L::kMmsi, m.mmsi);
}

void EncodePositionA(CFieldWriter& w, const AisPositionReport& p) {
  w.Put(L::pos_a::kNavStatus, p.navStatus);
  w.PutSigned(L::pos_a::kRot, p.rot);
  w.Put(L::pos_a::kSog, p.sog);
  w.Put(L::pos_a::kAccuracy, p.accuracy);
  w.PutSigned(L::pos_a::kLon, RawAngle(p.lon));
  w.PutSigned(L::pos_a::kLat, RawAngle(p.lat));
  w.Put(L::pos_a::kCog, p.cog);
  w.Put(L::pos_a::kHeading, p.heading);
  w.Put(L::pos_a::kSecond, p.second);
  w.Put(L::pos_a::kRaim, p.raim);
  w.PadTo(L::pos_a::kRadio.offset + L::pos_a::kRadio.width);
}

void EncodeStaticVoyage(CFieldWriter& w, const AisStaticData& s) {
  w.Put(L::static_voyage::kAisVersion, s.aisVersion);
  w.Put(L::static_voyage::kImo, s.imo);
  w.PutText(L::static_voyage::kCallsign, s.callsign);
  w.PutText(L::static_voyage::kName, s.name);
  w.Put(L::static_voyage::kShipType, s.shipType);
  w.Put(L::static_voyage::kToBow, s.toBow);
  w.Put(L::static_voyage::kToStern, s.toStern);
  w.Put(L::static_voyage::kToPort, s.toPort);
  w.Put(L::static_voyage::kToStarboard, s.toStarboard);
  w.Put(L::static_voyage::kEpfd, s.epfd);
  w.Put(L::static_voyage::kEtaMonth, s.etaMonth);
  w.Put(L::static_voyage::kEtaDay, s.etaDay);
  w.Put(L::static_voyage::kEtaHour, s.etaHour);
  w.Put(L::static_voyage::kEtaMinute, s.etaMinute);
  w.Put(L::static_voyage::kDraught, s.draught);
  w.PutText(L::static_voyage::kDestination, s.destination);
  w.PadTo(L::static_voyage::kSpare.offset + L::static_voyage::kSpare.width);
}

void EncodePositionB(CFieldWriter& w, const AisPositionReport& p) {
  w.Put(L::pos_b::kSog, p.sog);
  w.Put(L::pos_b::kAccuracy, p.accuracy);
  w.PutSigned(L::pos_b::kLon, RawAngle(p.lon));
  w.PutSigned(L::pos_b::kLat, RawAngle(p.lat));
  w.Put(L::pos_b::kCog, p.cog);
  w.Put(L::pos_b::kHeading, p.heading);
  w.Put(L::pos_b::kSecond, p.second);
  w.Put(L::pos_b::kCsUnit, 1);  // a carrier-sense (CS) unit, as most class B sets are
  w.Put(L::pos_b::kRaim, p.raim);
  w.PadTo(L::pos_b::kRadio.offset + L::pos_b::kRadio.width);
}

void EncodeAid(CFieldWriter& w, const AisAidReport& a, const AisPositionReport& p,
               const AisStaticData& s) {
  constexpr size_t kNameChars = L::aid::kName.width / 6;
  constexpr size_t kExtensionChars = 14;  // 84 of the 88 extension bits
  w.Put(L::aid::kAidType, a.aidType);
  w.PutText(L::aid::kName, a.name.substr(0, std::min(a.name.size(), kNameChars)));
  w.Put(L::aid::kAccuracy, p.accuracy);
  w.PutSigned(L::aid::kLon, RawAngle(p.lon));
  w.PutSigned(L::aid::kLat, RawAngle(p.lat));
  w.Put(L::aid::kToBow, s.toBow);
  w.Put(L::aid::kToStern, s.toStern);
  w.Put(L::aid::kToPort, s.toPort);
  w.Put(L::aid::kToStarboard, s.toStarboard);
  w.Put(L::aid::kEpfd, s.epfd);
  w.Put(L::aid::kSecond, p.second);
  w.Put(L::aid::kOffPosition, a.offPosition ? 1 : 0);
  w.Put(L::aid::kRaim, p.raim);
  w.Put(L::aid::kVirtual, a.virtualAid ? 1 : 0);
  w.PadTo(L::aid::kNameExtension);
  if (a.name.size() > kNameChars) {
    const std::string extension = a.name.substr(kNameChars, kExtensionChars);
    w.PutText({L::aid::kNameExtension, static_cast<int>(extension.size()) * 6}, extension);
  }
}

void EncodeStaticB(CFieldWriter& w, int part, uint32_t mmsi, const AisStaticData& s) {
  w.Put(L::static_b::kPart, part);
  if (part == 0) {
    w.PutText(L::static_b::kName, s.name);
    return;
  }
  w.Put(L::static_b::kShipType, s.shipType);
  w.PutText(L::static_b::kVendor, s.vendor);
  w.PadTo(L::static_b::kCallsign.offset);  // model and serial number: not given
  w.PutText(L::static_b::kCallsign, s.callsign);
  if (mmsi / 10000000 == 98) {
    w.PadTo(L::static_b::kEpfd.offset);  // an auxiliary craft: no mother ship given
  } else {
    w.Put(L::static_b::kToBow, s.toBow);
    w.Put(L::static_b::kToStern, s.toStern);
    w.Put(L::static_b::kToPort, s.toPort);
    w.Put(L::static_b::kToStarboard, s.toStarboard);
  }
  w.Put(L::static_b::kEpfd, s.epfd);
  w.PadTo(L::static_b::kSpare.offset + L::static_b::kSpare.width);
}

}  // namespace

std::optional<AisBits> EncodeAisMessage(const AisMessage& m) {
  CFieldWriter w;
  PutHeader(w, m);
  switch (m.type) {
    case 1:
    case 2:
    case 3:
      if (!m.position) return std::nullopt;
      EncodePositionA(w, *m.position);
      break;
    case 5:
      if (!m.statics) return std::nullopt;
      EncodeStaticVoyage(w, *m.statics);
      break;
    case 18:
      if (!m.position) return std::nullopt;
      EncodePositionB(w, *m.position);
      break;
    case 21:
      if (!m.position || !m.aid) return std::nullopt;
      EncodeAid(w, *m.aid, *m.position, m.statics.value_or(AisStaticData{}));
      break;
    case 24:
      if (!m.statics || !m.part || (*m.part != 0 && *m.part != 1)) return std::nullopt;
      EncodeStaticB(w, *m.part, m.mmsi, *m.statics);
      break;
    default:
      return std::nullopt;
  }
  return w.Bits();
}

}  // namespace tarnwick
