#include "instruments/ais/AisJson.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "core/JsonWriter.h"
#include "instruments/ais/AisTexts.h"

namespace tarnwick {
namespace {

template <typename T>
void OrNull(CJsonWriter& w, std::string_view key, bool available, T value) {
  if (available)
    w.Member(key, value);
  else
    w.Member(key, nullptr);
}

// Rounds to the given decimals so that 12.299999 prints as 12.3.
double Round(double value, int decimals) {
  static constexpr double kScale[] = {1.0, 10.0, 100.0, 1000.0, 1e4, 1e5, 1e6, 1e7};
  const double scale = kScale[decimals];
  return std::round(value * scale) / scale;
}

void TextOrNull(CJsonWriter& w, std::string_view key, const std::string& text) {
  OrNull(w, key, !text.empty(), std::string_view(text));
}

void Eta(CJsonWriter& w, int month, int day, int hour, int minute) {
  if (month == 0 && day == 0 && hour == 24 && minute == 60) {
    w.Member("eta", nullptr);
    return;
  }
  char text[32];
  snprintf(text, sizeof text, "%02d-%02dT%02d:%02dZ", month, day, hour, minute);
  w.Member("eta", text);
}

void PutPosition(CJsonWriter& w, double lat, double lon) {
  OrNull(w, "lat", lat != kAisLatNotAvailable, Round(lat, 7));
  OrNull(w, "lon", lon != kAisLonNotAvailable, Round(lon, 7));
}

void PutMotion(CJsonWriter& w, int sog, int cog) {
  OrNull(w, "sog", sog != kAisSogNotAvailable, sog / 10.0);
  OrNull(w, "cog", cog < kAisCogNotAvailable, cog / 10.0);
}

void PutHeading(CJsonWriter& w, int heading) {
  OrNull(w, "heading", heading != kAisHeadingNotAvailable, heading);
}

void PutNavStatus(CJsonWriter& w, int navStatus, int rot) {
  OrNull(w, "rot", rot != kAisRotNotAvailable, rot);
  const char* text = NavStatusText(navStatus);
  OrNull(w, "nav_status", *text != '\0', navStatus);
  OrNull(w, "nav_status_text", *text != '\0', text);
}

void PutDimensions(CJsonWriter& w, int bow, int stern, int port, int starboard) {
  OrNull(w, "to_bow", bow != 0, bow);
  OrNull(w, "to_stern", stern != 0, stern);
  OrNull(w, "to_port", port != 0, port);
  OrNull(w, "to_starboard", starboard != 0, starboard);
}

void PutShipType(CJsonWriter& w, int shipType) {
  OrNull(w, "ship_type", shipType != 0, shipType);
  w.Member("ship_type_text", ShipTypeText(shipType));
}

void Rounded(CJsonWriter& w, std::string_view key, const std::optional<double>& value,
             int decimals) {
  OrNull(w, key, value.has_value(), value ? Round(*value, decimals) : 0.0);
}

void PutMet(CJsonWriter& w, const AisMetHydro& m) {
  w.Key("met").BeginObject();
  PutPosition(w, m.lat, m.lon);
  w.Member("day", m.day).Member("hour", m.hour).Member("minute", m.minute);
  w.Member("wind_speed", m.windSpeed).Member("wind_gust", m.windGust);
  w.Member("wind_direction", m.windDirection).Member("wind_gust_direction", m.windGustDirection);
  Rounded(w, "air_temperature", m.airTemperature, 1);
  w.Member("humidity", m.humidity);
  Rounded(w, "dew_point", m.dewPoint, 1);
  w.Member("pressure", m.pressure).Member("pressure_tendency", m.pressureTendency);
  Rounded(w, "visibility", m.visibility, 1);
  w.Member("visibility_greater", m.visibilityGreater);
  Rounded(w, "water_level", m.waterLevel, 2);
  w.Member("water_level_trend", m.waterLevelTrend);
  Rounded(w, "current_speed", m.currentSpeed, 1);
  w.Member("current_direction", m.currentDirection);
  Rounded(w, "wave_height", m.waveHeight, 1);
  w.Member("wave_period", m.wavePeriod).Member("wave_direction", m.waveDirection);
  Rounded(w, "swell_height", m.swellHeight, 1);
  w.Member("swell_period", m.swellPeriod).Member("swell_direction", m.swellDirection);
  w.Member("sea_state", m.seaState);
  Rounded(w, "water_temperature", m.waterTemperature, 1);
  w.Member("precipitation", m.precipitation);
  Rounded(w, "salinity", m.salinity, 1);
  w.Member("ice", m.ice);
  w.EndObject();
}

void PutStatic(CJsonWriter& w, const AisStaticData& s) {
  if (s.fields & kAisVersion) w.Member("ais_version", s.aisVersion);
  if (s.fields & kAisImo) OrNull(w, "imo", s.imo != 0, s.imo);
  if (s.fields & kAisName) TextOrNull(w, "name", s.name);
  if (s.fields & kAisCallsign) TextOrNull(w, "callsign", s.callsign);
  if (s.fields & kAisVendor) TextOrNull(w, "vendor", s.vendor);
  if (s.fields & kAisShipType) PutShipType(w, s.shipType);
  if (s.fields & kAisDimensions) PutDimensions(w, s.toBow, s.toStern, s.toPort, s.toStarboard);
  if (s.fields & kAisEpfd) w.Member("epfd", s.epfd);
  if (s.fields & kAisEta) Eta(w, s.etaMonth, s.etaDay, s.etaHour, s.etaMinute);
  if (s.fields & kAisDraught) OrNull(w, "draught", s.draught != 0, s.draught / 10.0);
  if (s.fields & kAisDestination) TextOrNull(w, "destination", s.destination);
}

}  // namespace

void AppendAisMessageJson(std::string& out, const AisMessage& m) {
  CJsonWriter w(out);
  w.BeginObject();
  w.Member("type", m.type).Member("repeat", m.repeat).Member("mmsi", m.mmsi);
  if (m.ownVessel) w.Member("own_vessel", true);
  if (m.position) {
    const AisPositionReport& p = *m.position;
    PutPosition(w, p.lat, p.lon);
    if (m.type <= 3 || m.type == 9 || m.type == 18 || m.type == 19) PutMotion(w, p.sog, p.cog);
    if (m.type <= 3 || m.type == 18 || m.type == 19) PutHeading(w, p.heading);
    if (m.type <= 3) PutNavStatus(w, p.navStatus, p.rot);
    w.Member("accuracy", p.accuracy);
    if (!m.base) OrNull(w, "second", p.second != kAisSecondNotAvailable, p.second);
    w.Member("raim", p.raim);
  }
  if (m.base) {
    const AisBaseStationReport& b = *m.base;
    char utc[40];
    snprintf(utc, sizeof utc, "%04d-%02d-%02dT%02d:%02d:%02dZ", b.year, b.month, b.day, b.hour,
             b.minute, b.second);
    OrNull(w, "utc", b.year != 0, utc);
    w.Member("epfd", b.epfd);
  }
  if (m.sar) OrNull(w, "altitude", m.sar->altitude != 4095, m.sar->altitude);
  if (m.aid) {
    w.Member("aid_type", m.aid->aidType);
    TextOrNull(w, "aid_name", m.aid->name);
    w.Member("off_position", m.aid->offPosition).Member("virtual_aid", m.aid->virtualAid);
  }
  if (m.part) w.Member("part", *m.part);
  if (m.statics) PutStatic(w, *m.statics);
  // The destination is named once; an addressed binary message's own wins.
  if (m.binary && m.binary->destMmsi)
    w.Member("dest_mmsi", m.binary->destMmsi.value_or(0));
  else if (m.destMmsi)
    w.Member("dest_mmsi", m.destMmsi.value_or(0));
  if (m.binary) {
    w.Member("dac", m.binary->dac).Member("fi", m.binary->fi);
    w.Member("data_bits", m.binary->dataBits);
  }
  if (m.met) PutMet(w, *m.met);
  if (m.text) w.Member("text", *m.text);
  w.EndObject();
}

std::string AisMessageJson(const AisMessage& message) {
  std::string out;
  AppendAisMessageJson(out, message);
  return out;
}

void AppendAisTargetJson(std::string& out, const CAisTarget& t) {
  CJsonWriter w(out);
  w.BeginObject();
  w.Member("mmsi", t.mmsi).Member("kind", t.FeatureName());
  if (t.transponderClass)
    w.Member("class", std::string_view(&t.transponderClass, 1));
  else
    w.Member("class", nullptr);
  if (t.ownVessel) w.Member("own_vessel", true);
  w.Member("last_type", t.lastMessageType);
  PutPosition(w, t.lat, t.lon);
  PutMotion(w, t.sog, t.cog);
  PutHeading(w, t.heading);
  PutNavStatus(w, t.navStatus, t.rot);
  w.Member("accuracy", t.accuracy);
  OrNull(w, "second", t.second != kAisSecondNotAvailable, t.second);
  TextOrNull(w, "name", t.name);
  TextOrNull(w, "callsign", t.callsign);
  OrNull(w, "imo", t.imo != 0, t.imo);
  PutShipType(w, t.shipType);
  PutDimensions(w, t.toBow, t.toStern, t.toPort, t.toStarboard);
  OrNull(w, "draught", t.draught != 0, t.draught / 10.0);
  TextOrNull(w, "destination", t.destination);
  Eta(w, t.etaMonth, t.etaDay, t.etaHour, t.etaMinute);
  if (t.baseStation) w.Member("feature", t.FeatureKey());
  if (t.aid) {
    w.Member("aid_type", t.aid->aidType);
    TextOrNull(w, "aid_name", t.aid->name);
  }
  if (t.sar) OrNull(w, "altitude", t.sar->altitude != 4095, t.sar->altitude);
  if (t.met) PutMet(w, *t.met);
  w.Member("state", static_cast<int>(t.state)).Member("hidden", t.hidden);
  w.Member("bearing", t.bearing);
  Rounded(w, "range", t.range, 3);
  Rounded(w, "cpa", t.cpa, 3);
  w.Member("tcpa", t.tcpa);
  w.EndObject();
}

std::string AisTargetJson(const CAisTarget& target) {
  std::string out;
  AppendAisTargetJson(out, target);
  return out;
}

}  // namespace tarnwick
