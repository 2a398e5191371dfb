#include "instruments/ais/AisJson.h"

#include <cmath>
#include <cstdio>

#include "instruments/ais/AisTexts.h"

namespace tarnwick {
namespace {

using Json = nlohmann::ordered_json;

template <typename T>
Json OrNull(bool available, T value) {
  return available ? Json(value) : Json(nullptr);
}

// Rounds to the given decimals so that 12.299999 prints as 12.3.
double Round(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

Json TextOrNull(const std::string& text) {
  return OrNull(!text.empty(), text);
}

Json EtaJson(int month, int day, int hour, int minute) {
  if (month == 0 && day == 0 && hour == 24 && minute == 60) return nullptr;
  char text[32];
  snprintf(text, sizeof text, "%02d-%02dT%02d:%02dZ", month, day, hour, minute);
  return text;
}

void PutPosition(Json& j, double lat, double lon) {
  j["lat"] = OrNull(lat != kAisLatNotAvailable, Round(lat, 7));
  j["lon"] = OrNull(lon != kAisLonNotAvailable, Round(lon, 7));
}

void PutMotion(Json& j, int sog, int cog) {
  j["sog"] = OrNull(sog != kAisSogNotAvailable, sog / 10.0);
  j["cog"] = OrNull(cog < kAisCogNotAvailable, cog / 10.0);
}

void PutHeading(Json& j, int heading) {
  j["heading"] = OrNull(heading != kAisHeadingNotAvailable, heading);
}

void PutNavStatus(Json& j, int navStatus, int rot) {
  j["rot"] = OrNull(rot != kAisRotNotAvailable, rot);
  const char* text = NavStatusText(navStatus);
  j["nav_status"] = OrNull(*text != '\0', navStatus);
  j["nav_status_text"] = OrNull(*text != '\0', std::string(text));
}

void PutDimensions(Json& j, int bow, int stern, int port, int starboard) {
  j["to_bow"] = OrNull(bow != 0, bow);
  j["to_stern"] = OrNull(stern != 0, stern);
  j["to_port"] = OrNull(port != 0, port);
  j["to_starboard"] = OrNull(starboard != 0, starboard);
}

void PutShipType(Json& j, int shipType) {
  j["ship_type"] = OrNull(shipType != 0, shipType);
  j["ship_type_text"] = ShipTypeText(shipType);
}

template <typename T>
Json Optional(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json OptionalRounded(const std::optional<double>& value, int decimals) {
  return value ? Json(Round(*value, decimals)) : Json(nullptr);
}

Json MetJson(const AisMetHydro& m) {
  Json j;
  PutPosition(j, m.lat, m.lon);
  j["day"] = m.day;
  j["hour"] = m.hour;
  j["minute"] = m.minute;
  j["wind_speed"] = Optional(m.windSpeed);
  j["wind_gust"] = Optional(m.windGust);
  j["wind_direction"] = Optional(m.windDirection);
  j["wind_gust_direction"] = Optional(m.windGustDirection);
  j["air_temperature"] = OptionalRounded(m.airTemperature, 1);
  j["humidity"] = Optional(m.humidity);
  j["dew_point"] = OptionalRounded(m.dewPoint, 1);
  j["pressure"] = Optional(m.pressure);
  j["pressure_tendency"] = Optional(m.pressureTendency);
  j["visibility"] = OptionalRounded(m.visibility, 1);
  j["visibility_greater"] = m.visibilityGreater;
  j["water_level"] = OptionalRounded(m.waterLevel, 2);
  j["water_level_trend"] = Optional(m.waterLevelTrend);
  j["current_speed"] = OptionalRounded(m.currentSpeed, 1);
  j["current_direction"] = Optional(m.currentDirection);
  j["wave_height"] = OptionalRounded(m.waveHeight, 1);
  j["wave_period"] = Optional(m.wavePeriod);
  j["wave_direction"] = Optional(m.waveDirection);
  j["swell_height"] = OptionalRounded(m.swellHeight, 1);
  j["swell_period"] = Optional(m.swellPeriod);
  j["swell_direction"] = Optional(m.swellDirection);
  j["sea_state"] = Optional(m.seaState);
  j["water_temperature"] = OptionalRounded(m.waterTemperature, 1);
  j["precipitation"] = Optional(m.precipitation);
  j["salinity"] = OptionalRounded(m.salinity, 1);
  j["ice"] = Optional(m.ice);
  return j;
}

void PutStatic(Json& j, const AisStaticData& s) {
  if (s.fields & kAisVersion) j["ais_version"] = s.aisVersion;
  if (s.fields & kAisImo) j["imo"] = OrNull(s.imo != 0, s.imo);
  if (s.fields & kAisName) j["name"] = TextOrNull(s.name);
  if (s.fields & kAisCallsign) j["callsign"] = TextOrNull(s.callsign);
  if (s.fields & kAisVendor) j["vendor"] = TextOrNull(s.vendor);
  if (s.fields & kAisShipType) PutShipType(j, s.shipType);
  if (s.fields & kAisDimensions) PutDimensions(j, s.toBow, s.toStern, s.toPort, s.toStarboard);
  if (s.fields & kAisEpfd) j["epfd"] = s.epfd;
  if (s.fields & kAisEta) j["eta"] = EtaJson(s.etaMonth, s.etaDay, s.etaHour, s.etaMinute);
  if (s.fields & kAisDraught) j["draught"] = OrNull(s.draught != 0, s.draught / 10.0);
  if (s.fields & kAisDestination) j["destination"] = TextOrNull(s.destination);
}

}  // namespace

Json AisMessageJson(const AisMessage& m) {
  Json j;
  j["type"] = m.type;
  j["repeat"] = m.repeat;
  j["mmsi"] = m.mmsi;
  if (m.ownVessel) j["own_vessel"] = true;
  if (m.position) {
    const AisPositionReport& p = *m.position;
    PutPosition(j, p.lat, p.lon);
    if (m.type <= 3 || m.type == 9 || m.type == 18 || m.type == 19) PutMotion(j, p.sog, p.cog);
    if (m.type <= 3 || m.type == 18 || m.type == 19) PutHeading(j, p.heading);
    if (m.type <= 3) PutNavStatus(j, p.navStatus, p.rot);
    j["accuracy"] = p.accuracy;
    if (!m.base) j["second"] = OrNull(p.second != kAisSecondNotAvailable, p.second);
    j["raim"] = p.raim;
  }
  if (m.base) {
    const AisBaseStationReport& b = *m.base;
    char utc[40];
    snprintf(utc, sizeof utc, "%04d-%02d-%02dT%02d:%02d:%02dZ", b.year, b.month, b.day, b.hour,
             b.minute, b.second);
    j["utc"] = OrNull(b.year != 0, std::string(utc));
    j["epfd"] = b.epfd;
  }
  if (m.sar) j["altitude"] = OrNull(m.sar->altitude != 4095, m.sar->altitude);
  if (m.aid) {
    j["aid_type"] = m.aid->aidType;
    j["aid_name"] = TextOrNull(m.aid->name);
    j["off_position"] = m.aid->offPosition;
    j["virtual_aid"] = m.aid->virtualAid;
  }
  if (m.part) j["part"] = *m.part;
  if (m.statics) PutStatic(j, *m.statics);
  if (m.destMmsi) j["dest_mmsi"] = *m.destMmsi;
  if (m.binary) {
    if (m.binary->destMmsi) j["dest_mmsi"] = *m.binary->destMmsi;
    j["dac"] = Optional(m.binary->dac);
    j["fi"] = Optional(m.binary->fi);
    j["data_bits"] = m.binary->dataBits;
  }
  if (m.met) j["met"] = MetJson(*m.met);
  if (m.text) j["text"] = *m.text;
  return j;
}

Json AisTargetJson(const CAisTarget& t) {
  Json j;
  j["mmsi"] = t.mmsi;
  j["kind"] = t.FeatureName();
  j["class"] = t.transponderClass ? Json(std::string(1, t.transponderClass)) : Json(nullptr);
  if (t.ownVessel) j["own_vessel"] = true;
  j["last_type"] = t.lastMessageType;
  PutPosition(j, t.lat, t.lon);
  PutMotion(j, t.sog, t.cog);
  PutHeading(j, t.heading);
  PutNavStatus(j, t.navStatus, t.rot);
  j["accuracy"] = t.accuracy;
  j["second"] = OrNull(t.second != kAisSecondNotAvailable, t.second);
  j["name"] = TextOrNull(t.name);
  j["callsign"] = TextOrNull(t.callsign);
  j["imo"] = OrNull(t.imo != 0, t.imo);
  PutShipType(j, t.shipType);
  PutDimensions(j, t.toBow, t.toStern, t.toPort, t.toStarboard);
  j["draught"] = OrNull(t.draught != 0, t.draught / 10.0);
  j["destination"] = TextOrNull(t.destination);
  j["eta"] = EtaJson(t.etaMonth, t.etaDay, t.etaHour, t.etaMinute);
  if (t.baseStation) j["feature"] = t.FeatureKey();
  if (t.aid) {
    j["aid_type"] = t.aid->aidType;
    j["aid_name"] = TextOrNull(t.aid->name);
  }
  if (t.sar) j["altitude"] = OrNull(t.sar->altitude != 4095, t.sar->altitude);
  if (t.met) j["met"] = MetJson(*t.met);
  j["state"] = static_cast<int>(t.state);
  j["hidden"] = t.hidden;
  j["bearing"] = Optional(t.bearing);
  j["range"] = OptionalRounded(t.range, 3);
  j["cpa"] = OptionalRounded(t.cpa, 3);
  j["tcpa"] = Optional(t.tcpa);
  return j;
}

}  // namespace tarnwick
