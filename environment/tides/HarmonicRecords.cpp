#include "environment/tides/HarmonicRecords.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "environment/tides/Constituents.h"

namespace tarnwick {
namespace {

using json = nlohmann::json;

std::optional<double> ParseNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    size_t end = at;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

template <typename T>
std::optional<T> Member(const json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || it->is_null()) return std::nullopt;
  if constexpr (std::is_same_v<T, std::string>) {
    if (it->is_string()) return it->get<std::string>();
  } else if constexpr (std::is_same_v<T, int>) {
    if (it->is_number_integer() && it->get<int64_t>() >= -1000000 && it->get<int64_t>() <= 1000000) {
      return static_cast<int>(it->get<int64_t>());
    }
  } else {
    if (it->is_number() && std::isfinite(it->get<double>())) return it->get<double>();
  }
  return std::nullopt;
}

}  // namespace

std::vector<HarmonicConstant> ParseTideconContent(std::string_view content) {
  std::vector<HarmonicConstant> constants;
  const std::vector<std::string_view> words = Words(content);
  for (size_t i = 0; i + 2 < words.size(); i += 3) {
    const auto index = FindConstituent(words[i]);
    const auto amplitude = ParseNumber(words[i + 1]);
    const auto phase = ParseNumber(words[i + 2]);
    if (!index || !amplitude || !phase) continue;
    if (constants.size() <= static_cast<size_t>(*index)) constants.resize(static_cast<size_t>(*index) + 1);
    constants[static_cast<size_t>(*index)] = {*amplitude, *phase * M_PI / 180.0};
  }
  return constants;
}

std::optional<HeightAdjustment> ParseHeightAdjustment(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  HeightAdjustment adjustment;
  if (text.empty()) return adjustment;
  if (text.front() == '*') {
    const auto m = ParseNumber(text.substr(1));
    if (!m) return std::nullopt;
    adjustment.multiplier = *m;
  } else {
    const auto a = ParseNumber(text);
    if (!a) return std::nullopt;
    adjustment.offset = *a;
  }
  return adjustment;
}

std::string HeightAdjustmentText(const HeightAdjustment& adjustment) {
  char text[48];
  if (adjustment.multiplier != 1) {
    std::snprintf(text, sizeof text, "*%.3f", adjustment.multiplier);
  } else {
    std::snprintf(text, sizeof text, "%+.3f", adjustment.offset);
  }
  return text;
}

std::optional<int> ParseMeridian(std::string_view text) {
  if (text.size() < 4 || (text[0] != '+' && text[0] != '-')) return std::nullopt;
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  int hours = 0;
  int minutes = 0;
  const auto h = std::from_chars(text.data() + 1, text.data() + colon, hours);
  const auto m = std::from_chars(text.data() + colon + 1, text.data() + text.size(), minutes);
  if (h.ec != std::errc() || h.ptr != text.data() + colon || m.ec != std::errc() ||
      m.ptr != text.data() + text.size() || hours > 24 || minutes >= 60 || hours < 0 || minutes < 0) {
    return std::nullopt;
  }
  const int total = hours * 60 + minutes;
  return text[0] == '-' ? -total : total;
}

std::string MeridianText(int minutes) {
  char text[16];
  const int magnitude = std::abs(minutes);
  std::snprintf(text, sizeof text, "%c%02d:%02d", minutes < 0 ? '-' : '+', magnitude / 60 % 100,
                magnitude % 60);
  return text;
}

std::optional<HarmonicStationContent> ParseStationContent(std::string_view text,
                                                          std::string& error) {
  const json object = json::parse(text, nullptr, false);
  if (object.is_discarded() || !object.is_object()) {
    error = "the station content is not a JSON object";
    return std::nullopt;
  }
  HarmonicStationContent c;
  if (auto units = Member<std::string>(object, "units")) c.units = *units;
  if (c.units != "feet" && c.units != "meters" && c.units != "knots" && c.units != "knots^2") {
    error = "unknown units \"" + c.units + "\"";
    return std::nullopt;
  }
  if (auto meridian = Member<std::string>(object, "time-meridian")) {
    const auto minutes = ParseMeridian(*meridian);
    if (!minutes) {
      error = "bad time-meridian \"" + *meridian + "\"";
      return std::nullopt;
    }
    c.meridianMinutes = *minutes;
  }
  c.meanLevel = Member<double>(object, "mean-tide-level").value_or(0);
  c.datum = Member<std::string>(object, "datum").value_or("");
  c.timezone = Member<std::string>(object, "timezone").value_or("");
  c.notes = Member<std::string>(object, "notes").value_or("");
  c.referenceId = Member<std::string>(object, "reference-station-id").value_or("");
  c.floodDirection = Member<int>(object, "average-direction-flood");
  c.ebbDirection = Member<int>(object, "average-direction-ebb");
  c.averageSpeedFlood = Member<double>(object, "average-speed-flood");
  c.averageSpeedEbb = Member<double>(object, "average-speed-ebb");
  if (c.Current()) {
    c.highTimeMinutes = Member<int>(object, "flood-time-adjustment").value_or(0);
    c.lowTimeMinutes = Member<int>(object, "ebb-time-adjustment").value_or(0);
    c.high.multiplier = Member<double>(object, "flood-speed-ratio").value_or(1);
    c.low.multiplier = Member<double>(object, "ebb-speed-ratio").value_or(1);
    c.floodBeginsMinutes = Member<int>(object, "minimum-before-flood-time-adjustment");
    c.ebbBeginsMinutes = Member<int>(object, "minimum-before-ebb-time-adjustment");
  } else {
    c.highTimeMinutes = Member<int>(object, "high-tide-time-adjustment").value_or(0);
    c.lowTimeMinutes = Member<int>(object, "low-tide-time-adjustment").value_or(0);
    for (auto [key, target] : {std::pair{"high-tide-height-adjustment", &c.high},
                               std::pair{"low-tide-height-adjustment", &c.low}}) {
      if (auto adjustment = Member<std::string>(object, key)) {
        const auto parsed = ParseHeightAdjustment(*adjustment);
        if (!parsed) {
          error = std::string("bad ") + key + " \"" + *adjustment + "\"";
          return std::nullopt;
        }
        *target = *parsed;
      }
    }
  }
  return c;
}

std::string StationContentJson(const HarmonicStationContent& c, bool current) {
  json object = json::object();
  object["units"] = c.units;
  object["time-meridian"] = MeridianText(c.meridianMinutes);
  object["mean-tide-level"] = c.meanLevel;
  if (!c.datum.empty()) object["datum"] = c.datum;
  if (!c.timezone.empty()) object["timezone"] = c.timezone;
  if (!c.notes.empty()) object["notes"] = c.notes;
  if (c.floodDirection) object["average-direction-flood"] = *c.floodDirection;
  if (c.ebbDirection) object["average-direction-ebb"] = *c.ebbDirection;
  if (c.averageSpeedFlood) object["average-speed-flood"] = *c.averageSpeedFlood;
  if (c.averageSpeedEbb) object["average-speed-ebb"] = *c.averageSpeedEbb;
  if (c.Subordinate()) {
    object["reference-station-id"] = c.referenceId;
    if (current) {
      object["flood-time-adjustment"] = c.highTimeMinutes;
      object["ebb-time-adjustment"] = c.lowTimeMinutes;
      object["flood-speed-ratio"] = c.high.multiplier;
      object["ebb-speed-ratio"] = c.low.multiplier;
      if (c.floodBeginsMinutes) object["minimum-before-flood-time-adjustment"] = *c.floodBeginsMinutes;
      if (c.ebbBeginsMinutes) object["minimum-before-ebb-time-adjustment"] = *c.ebbBeginsMinutes;
    } else {
      object["high-tide-time-adjustment"] = c.highTimeMinutes;
      object["low-tide-time-adjustment"] = c.lowTimeMinutes;
      object["high-tide-height-adjustment"] = HeightAdjustmentText(c.high);
      object["low-tide-height-adjustment"] = HeightAdjustmentText(c.low);
    }
  }
  return object.dump();
}

SubordinateCorrections CorrectionsOf(const HarmonicStationContent& c) {
  SubordinateCorrections s;
  s.highTimeOffset = int64_t{c.highTimeMinutes} * 60;
  s.lowTimeOffset = int64_t{c.lowTimeMinutes} * 60;
  s.highMultiplier = c.high.multiplier;
  s.highOffset = c.high.offset;
  s.lowMultiplier = c.low.multiplier;
  s.lowOffset = c.low.offset;
  const int64_t mean = (s.highTimeOffset + s.lowTimeOffset) / 2;
  s.floodBeginsOffset = c.floodBeginsMinutes ? int64_t{*c.floodBeginsMinutes} * 60 : mean;
  s.ebbBeginsOffset = c.ebbBeginsMinutes ? int64_t{*c.ebbBeginsMinutes} * 60 : mean;
  return s;
}

}  // namespace tarnwick
