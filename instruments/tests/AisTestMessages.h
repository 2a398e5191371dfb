#pragma once
// Builds armoured AIS payloads field by field for the AIS tests.

#include <cmath>
#include <cstdint>
#include <string>

#include "instruments/ais/AisBits.h"
#include "instruments/ais/AisMessage.h"
#include "instruments/nmea/AisSentenceSink.h"

namespace tarnwick::testing {

struct AisPayload {
  std::string text;
  int fillBits = 0;
};

class AisMessageBuilder {
 public:
  AisMessageBuilder& Put(uint32_t value, int width) {
    bits_.AppendBits(value, width);
    return *this;
  }
  AisMessageBuilder& PutSigned(int32_t value, int width) {
    return Put(static_cast<uint32_t>(value) & (width == 32 ? ~0U : (1U << width) - 1), width);
  }
  AisMessageBuilder& PutText(const std::string& text, int chars) {
    for (int i = 0; i < chars; ++i) {
      Put(i < static_cast<int>(text.size()) ? static_cast<uint32_t>(SixBitValue(text[i])) : 0, 6);
    }
    return *this;
  }
  const AisBits& Bits() const { return bits_; }
  AisPayload Payload() const {
    const int fill = (6 - bits_.Size() % 6) % 6;
    return {bits_.Armoured(0, bits_.Size()), fill};
  }

 private:
  AisBits bits_;
};

// A class A position report (168 bits). Degrees, knots; NaN course or speed
// sends "not available".
inline AisMessageBuilder PositionA(uint32_t mmsi, double lat, double lon, double sog, double cog,
                                   int heading = 511, int type = 1) {
  AisMessageBuilder b;
  b.Put(type, 6).Put(0, 2).Put(mmsi, 30).Put(0, 4).PutSigned(-128, 8);
  b.Put(std::isnan(sog) ? 1023 : static_cast<uint32_t>(std::lround(sog * 10)), 10).Put(1, 1);
  b.PutSigned(static_cast<int32_t>(std::lround(lon * 600000)), 28);
  b.PutSigned(static_cast<int32_t>(std::lround(lat * 600000)), 27);
  b.Put(std::isnan(cog) ? 3600 : static_cast<uint32_t>(std::lround(cog * 10)), 12);
  b.Put(static_cast<uint32_t>(heading), 9).Put(30, 6).Put(0, 2).Put(0, 3).Put(0, 1).Put(0, 19);
  return b;
}

// A class A static and voyage data report (424 bits).
inline AisMessageBuilder StaticVoyage(uint32_t mmsi, const std::string& name, int shipType) {
  AisMessageBuilder b;
  b.Put(5, 6).Put(0, 2).Put(mmsi, 30).Put(0, 2).Put(9134270, 30).PutText("3FOF8", 7);
  b.PutText(name, 20).Put(static_cast<uint32_t>(shipType), 8);
  b.Put(225, 9).Put(70, 9).Put(1, 6).Put(31, 6).Put(1, 4);
  b.Put(5, 4)
      .Put(15, 5)
      .Put(14, 5)
      .Put(0, 6)
      .Put(122, 8)
      .PutText("NEW YORK", 20)
      .Put(0, 1)
      .Put(0, 1);
  return b;
}

// One fragment of a sentence with the payload p.
inline VdmFragment Fragment(const AisPayload& p, int count = 1, int number = 1, int id = 0,
                            char channel = 'A', bool own = false) {
  VdmFragment f;
  f.count = count;
  f.number = number;
  f.sequenceId = id;
  f.channel = channel;
  f.payload = p.text;
  f.fillBits = number == count ? p.fillBits : 0;
  f.ownVessel = own;
  return f;
}

}  // namespace tarnwick::testing
