// Proprietary sentences: Garmin and Hemisphere receivers store values; the
// device sentences of other makers are checked and handed on.

#include <array>
#include <cmath>
#include <string>

#include "core/Log.h"
#include "instruments/nmea/NmeaDecodeContext.h"
#include "instruments/nmea/NmeaFieldReaders.h"
#include "instruments/nmea/NmeaRouted.h"

namespace tarnwick {
namespace {

constexpr double kLitresPerGallon = 3.7854117891320316;

// Whole address fields that belong to device handlers.
constexpr std::array<std::string_view, 10> kDeviceAddresses = {
    "PSLIR", "PMARS", "CPAUX", "NDAUX", "PKSNTEK", "FRSES", "FRPOS", "FRERR", "FRRET", "FRVAL"};

// PBVE payloads spell each half byte as a letter 'A' (0) to 'P' (15).
int PbveNibble(char c) {
  return c >= 'A' && c <= 'P' ? c - 'A' : -1;
}

void RoutePbve(const RoutedSentence& sentence, INmeaRoutedSentences* routed) {
  const std::vector<std::string_view>& f = *sentence.fields;
  if (f.size() != 2) return;
  std::string_view payload = f[1];
  for (char c : payload) {
    if (PbveNibble(c) < 0) {
      LogDebug("PBVE: invalid character\n");
      return;
    }
  }
  if (payload.empty() || payload.size() % 2 != 0) {
    LogDebug("PBVE: invalid length\n");
    return;
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(payload.size() / 2);
  for (size_t i = 0; i < payload.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(PbveNibble(payload[i]) * 16 + PbveNibble(payload[i + 1])));
  }
  if (!routed || !routed->OnPbvePayload(sentence, bytes)) LogDebug("PBVE: unknown product code\n");
}

// Litres from a quantity and its unit letter ('G' US gallons, else litres).
double Litres(double value, char unit) {
  return unit == 'G' ? value * kLitresPerGallon : value;
}

}  // namespace

bool IsDeviceAddress(std::string_view address) {
  for (std::string_view a : kDeviceAddresses) {
    // The first letter rules out nearly every address without a comparison.
    if (a.size() == address.size() && a[0] == address[0] && a == address) return true;
  }
  return false;
}

void DecodeGarmin(NmeaDecodeContext& c) {
  ReceiverValues& r = c.data.receiver;
  if (c.address.formatter == "E") {
    // Estimated errors in metres, read until the first field that is not a number.
    NavValue<double>* targets[] = {&r.hpe, &r.vpe, &r.spe};
    for (size_t i = 0; i < 3; ++i) {
      std::optional<double> value = NmeaNumber(c.F(1 + 2 * i));
      if (!value) break;
      targets[i]->Set(*value, c.tick);
    }
  } else if (c.address.formatter == "M") {
    if (c.Count() < 2) {
      LogDebug("\tGRMM: Wrong param count!\n");
      return;
    }
    r.datum = NmeaUnescape(c.F(1));
  } else if (c.address.formatter == "Z") {
    std::optional<double> altitude = NmeaNumber(c.F(1));
    if (!altitude) return;
    r.altitudeFeet.Set(*altitude, c.tick);
    r.altitudeDimension.Set(NmeaInteger(c.F(3)), c.tick);
  }
}

void DecodeSatHpr(NmeaDecodeContext& c) {
  // $PSAT,HPR,time,heading,pitch,roll,type
  if (c.F(1) != "HPR" || c.Count() < 6) return;
  HeadingValues& h = c.data.heading;
  std::optional<double> heading = NmeaNumber(c.F(3));
  if (heading) {
    h.attitudeHeading.Set(c.Corrected(*heading), c.tick);
    c.Want(SensorKind::Hdg);
  } else {
    h.attitudeHeading.SetInvalid(c.tick);
  }
  h.pitch.Set(NmeaNumber(c.F(4)), c.tick);
  h.roll.Set(NmeaNumber(c.F(5)), c.tick);
}

void DecodeEMIFM(NmeaDecodeContext& c) {
  // $EMIFM,rpm,flow rate,flow unit,fuel total,total unit,... (11 fields);
  // quantities in US gallons ('G') are kept in litres.
  if (c.Count() < 11) return;
  EngineValues& e = c.data.engine;
  e.rpm.Set(NmeaNumber(c.F(1)), c.tick);
  std::optional<double> rate = NmeaNumber(c.F(2));
  if (rate)
    e.fuelFlowRate.Set(Litres(*rate, NmeaChar(c.F(3))), c.tick);
  else
    e.fuelFlowRate.SetInvalid(c.tick);
  std::optional<double> total = NmeaNumber(c.F(4));
  if (total)
    e.fuelTotal.Set(Litres(*total, NmeaChar(c.F(5))), c.tick);
  else
    e.fuelTotal.SetInvalid(c.tick);
}

void RouteManufacturerSentence(const NmeaAddress& address, const RoutedSentence& sentence,
                               INmeaRoutedSentences* routed) {
  const std::string_view maker = address.talker;
  const std::string_view formatter = address.formatter;
  const std::vector<std::string_view>& f = *sentence.fields;
  if (maker == "BVE") {
    RoutePbve(sentence, routed);
  } else if (maker == "JRC") {
    if (!routed || !routed->OnDeviceSentence(sentence)) {
      LogDebug("Unknown JRC Proprietary NMEA Sentence: %s\n",
               std::string(sentence.sentence).c_str());
    }
  } else if (maker == "KOD") {
    LogDebug("Koden: %s\n", std::string(sentence.sentence).c_str());
    if (f.size() == 32 && routed) routed->OnDeviceSentence(sentence);
  } else if (maker == "FEC") {
    const std::string_view record = f.size() > 1 ? f[1] : "";
    if (f.size() >= 5 && routed &&
        (record == "GPwpl" || record == "GPrtc" || record == "GPxfr" || record == "GPatt")) {
      routed->OnDeviceSentence(sentence);
    }
  } else if (maker == "MAR") {
    if (routed && ((formatter == "OUT" && f.size() >= 4) || formatter == "ATT")) {
      routed->OnDeviceSentence(sentence);
    }
  } else if (maker == "MGN") {
    if (routed && f.size() >= 2 &&
        (formatter == "NOL" || formatter == "NML" || formatter == "NTI" || formatter == "SHI")) {
      routed->OnDeviceSentence(sentence);
    }
  }
}

}  // namespace tarnwick
