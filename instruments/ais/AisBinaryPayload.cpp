#include "instruments/ais/AisBinaryPayload.h"

#include "instruments/ais/AisDecode.h"
#include "instruments/ais/AisLayouts.h"

namespace tarnwick {
namespace {

namespace M = ais_layout::met_hydro;

// Reads fields relative to the start of the application data.
struct PayloadReader {
  const AisBits& bits;
  int offset;
  int U(BitField f) const { return static_cast<int>(bits.Unsigned({offset + f.offset, f.width})); }
  int S(BitField f) const { return bits.Signed({offset + f.offset, f.width}); }
};

// The value unless it is at or above the first "not available" code.
std::optional<int> Below(int raw, int notAvailable) {
  return raw < notAvailable ? std::optional<int>(raw) : std::nullopt;
}

std::optional<double> Scaled(std::optional<int> raw, double scale, double add = 0.0) {
  return raw ? std::optional<double>(*raw * scale + add) : std::nullopt;
}

AisMetHydro DecodeMetHydro(const PayloadReader& r) {
  AisMetHydro m;
  m.lon = AisLongitude(r.S(M::kLon), 60000.0);
  m.lat = AisLatitude(r.S(M::kLat), 60000.0);
  m.day = r.U(M::kDay);
  m.hour = r.U(M::kHour);
  m.minute = r.U(M::kMinute);
  m.windSpeed = Below(r.U(M::kWindSpeed), 127);
  m.windGust = Below(r.U(M::kWindGust), 127);
  m.windDirection = Below(r.U(M::kWindDirection), 360);
  m.windGustDirection = Below(r.U(M::kWindGustDirection), 360);
  const int air = r.S(M::kAirTemperature);
  if (air != -1024) m.airTemperature = air * 0.1;
  m.humidity = Below(r.U(M::kHumidity), 101);
  const int dew = r.S(M::kDewPoint);
  if (dew != 501) m.dewPoint = dew * 0.1;
  // 0 means 799 hPa or less, 1..401 are 800..1200 hPa, 402 is 1201 or more.
  const std::optional<int> pressure = Below(r.U(M::kPressure), 403);
  if (pressure) m.pressure = *pressure + 799;
  m.pressureTendency = Below(r.U(M::kPressureTendency), 3);
  m.visibilityGreater = r.U(M::kVisibilityGreater) != 0;
  m.visibility = Scaled(Below(r.U(M::kVisibility), 127), 0.1);
  m.waterLevel = Scaled(Below(r.U(M::kWaterLevel), 4001), 0.01, -10.0);
  m.waterLevelTrend = Below(r.U(M::kWaterLevelTrend), 3);
  m.currentSpeed = Scaled(Below(r.U(M::kCurrentSpeed), 251), 0.1);
  m.currentDirection = Below(r.U(M::kCurrentDirection), 360);
  m.waveHeight = Scaled(Below(r.U(M::kWaveHeight), 251), 0.1);
  m.wavePeriod = Below(r.U(M::kWavePeriod), 61);
  m.waveDirection = Below(r.U(M::kWaveDirection), 360);
  m.swellHeight = Scaled(Below(r.U(M::kSwellHeight), 251), 0.1);
  m.swellPeriod = Below(r.U(M::kSwellPeriod), 61);
  m.swellDirection = Below(r.U(M::kSwellDirection), 360);
  m.seaState = Below(r.U(M::kSeaState), 13);
  const int water = r.S(M::kWaterTemperature);
  if (water != 501 && water >= -100 && water <= 500) m.waterTemperature = water * 0.1;
  m.precipitation = Below(r.U(M::kPrecipitation), 7);
  m.salinity = Scaled(Below(r.U(M::kSalinity), 501), 0.1);
  m.ice = Below(r.U(M::kIce), 2);
  return m;
}

}  // namespace

std::optional<AisMetHydro> DecodeBinaryPayload(const AisBits& bits, int dac, int fi, int offset,
                                               int dataBits) {
  if (dac == kAisDacInternational && fi == kAisFiMetHydro && dataBits >= M::kBits) {
    return DecodeMetHydro(PayloadReader{bits, offset});
  }
  return std::nullopt;
}

}  // namespace tarnwick
