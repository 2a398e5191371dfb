#include "instruments/navdata/NmeaReplay.h"

#include <cmath>

#include "core/Log.h"
#include "instruments/nmea/NmeaParse.h"

namespace tarnwick {
namespace {

constexpr double kSecondsPerDay = 86400.0;

// "hhmmss.ss" -> seconds of the day.
std::optional<double> TimeField(std::string_view field) {
  if (field.size() < 6) return std::nullopt;
  for (size_t i = 0; i < 6; ++i) {
    if (field[i] < '0' || field[i] > '9') return std::nullopt;
  }
  const int hours = (field[0] - '0') * 10 + (field[1] - '0');
  const int minutes = (field[2] - '0') * 10 + (field[3] - '0');
  double seconds = (field[4] - '0') * 10 + (field[5] - '0');
  if (field.size() > 6) {
    if (field[6] != '.') return std::nullopt;
    double scale = 0.1;
    for (size_t i = 7; i < field.size(); ++i, scale /= 10) {
      if (field[i] < '0' || field[i] > '9') return std::nullopt;
      seconds += (field[i] - '0') * scale;
    }
  }
  if (hours > 23 || minutes > 59 || seconds >= 61) return std::nullopt;
  return hours * 3600.0 + minutes * 60.0 + seconds;
}

std::string_view WithoutLineEnd(std::string_view s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<double> FixTimeOfDay(std::string_view sentence) {
  NmeaFields fields;
  {
    CLogCapture quiet;  // the decoder reports bad sentences itself
    if (!ParseNMEA(sentence, fields)) return std::nullopt;
  }
  NmeaAddress address;
  if (fields.start != '$' || !SplitNmeaAddress(fields[0], address) || address.proprietary)
    return std::nullopt;
  const std::string_view f = address.formatter;
  if (f == "RMC" || f == "GGA" || f == "GNS") return TimeField(fields[1]);
  if (f == "GLL") return TimeField(fields[5]);
  return std::nullopt;
}

std::vector<ReplayLine> ScheduleReplay(const std::vector<std::string>& lines) {
  std::vector<ReplayLine> schedule;
  schedule.reserve(lines.size());
  for (const std::string& line : lines) {
    std::string_view text = WithoutLineEnd(line);
    if (!text.empty()) schedule.push_back({std::string(text), 0});
  }
  std::vector<std::optional<double>> times;
  times.reserve(schedule.size());
  bool anyFix = false;
  for (const ReplayLine& line : schedule) {
    times.push_back(FixTimeOfDay(line.text));
    anyFix = anyFix || times.back().has_value();
  }
  if (!anyFix) {
    for (size_t i = 0; i < schedule.size(); ++i) schedule[i].offsetMs = i * kReplayLineSpacingMs;
    return schedule;
  }
  uint64_t offset = 0;
  std::optional<double> previous;
  for (size_t i = 0; i < schedule.size(); ++i) {
    if (times[i]) {
      if (previous) {
        double delta = *times[i] - *previous;
        if (delta < -kSecondsPerDay / 2) delta += kSecondsPerDay;  // past midnight
        // A time that goes back (a new recording appended) restarts the pacing from it.
        if (delta > 0)
          offset += std::min(static_cast<uint64_t>(std::llround(delta * 1000)), kReplayMaxGapMs);
      }
      previous = times[i];
    }
    schedule[i].offsetMs = offset;
  }
  return schedule;
}

}  // namespace tarnwick
