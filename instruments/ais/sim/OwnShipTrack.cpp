#include "instruments/ais/sim/OwnShipTrack.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

constexpr int64_t kDayMs = 86'400'000;
constexpr int64_t kLineStepMs = 50;
constexpr int64_t kMaxLineOffsetMs = 950;

std::vector<std::string_view> Fields(std::string_view line) {
  const size_t star = line.find('*');
  if (star != std::string_view::npos) line = line.substr(0, star);
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t comma = line.find(',', start);
    fields.push_back(
        line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

std::optional<double> Number(std::string_view field) {
  if (field.empty()) return std::nullopt;
  const std::string text(field);
  char* end = nullptr;
  const double value = strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// "hhmmss[.ss]" as ms since midnight.
std::optional<int64_t> TimeOfDay(std::string_view field) {
  if (field.size() < 6) return std::nullopt;
  const auto value = Number(field);
  if (!value || *value < 0) return std::nullopt;
  const int hhmmss = static_cast<int>(*value);
  const int h = hhmmss / 10000, m = hhmmss / 100 % 100, s = hhmmss % 100;
  if (h > 23 || m > 59 || s > 60) return std::nullopt;
  const double fraction = *value - hhmmss;
  return (h * 3600 + m * 60 + s) * int64_t{1000} + std::llround(fraction * 1000);
}

// "ddmm.mmm" / "dddmm.mmm" with its hemisphere letter as degrees.
std::optional<double> Angle(std::string_view value, std::string_view hemisphere, double limit) {
  const auto raw = Number(value);
  if (!raw || *raw < 0 || hemisphere.size() != 1) return std::nullopt;
  const double degrees = std::floor(*raw / 100.0);
  const double minutes = *raw - degrees * 100.0;
  if (minutes >= 60.0) return std::nullopt;
  double result = degrees + minutes / 60.0;
  if (hemisphere == "S" || hemisphere == "W")
    result = -result;
  else if (hemisphere != "N" && hemisphere != "E")
    return std::nullopt;
  if (std::fabs(result) > limit) return std::nullopt;
  return result;
}

std::string_view Formatter(std::string_view address) {
  return address.size() == 6 ? address.substr(3) : std::string_view();
}

double PerpendicularNm(const LatLon& start, const LatLon& end, const LatLon& point) {
  if (Distance(start, end) < 1e-9) return Distance(start, point);
  return AbsoluteCrossTrackDistance(start, end, point);
}

void Reduce(const std::vector<OwnShipFix>& track, size_t first, size_t last, double toleranceNm,
            std::vector<bool>& keep) {
  if (last <= first + 1) return;
  double worst = -1;
  size_t worstAt = first;
  for (size_t i = first + 1; i < last; ++i) {
    const double d =
        PerpendicularNm(track[first].position, track[last].position, track[i].position);
    if (d > worst) {
      worst = d;
      worstAt = i;
    }
  }
  if (worst <= toleranceNm) return;
  keep[worstAt] = true;
  Reduce(track, first, worstAt, toleranceNm, keep);
  Reduce(track, worstAt, last, toleranceNm, keep);
}

}  // namespace

OwnShipLog ReadOwnShipLog(std::istream& in, int64_t dayStartUtcMs) {
  OwnShipLog log;
  std::vector<size_t> untimed;  // lines before the first time of day
  std::optional<int64_t> current;
  int64_t dayOffset = 0;
  int64_t sinceTime = 0;
  double cog = 0, sog = 0;
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    const auto fields = Fields(line);
    const std::string_view kind = Formatter(fields[0]);
    std::optional<int64_t> timeOfDay;
    std::optional<LatLon> position;
    if (kind == "GLL" && fields.size() >= 7 && fields[6] == "A") {
      timeOfDay = TimeOfDay(fields[5]);
      const auto lat = Angle(fields[1], fields[2], 90), lon = Angle(fields[3], fields[4], 180);
      if (lat && lon) position = LatLon{*lat, *lon};
    } else if (kind == "RMC" && fields.size() >= 9 && fields[2] == "A") {
      timeOfDay = TimeOfDay(fields[1]);
      const auto lat = Angle(fields[3], fields[4], 90), lon = Angle(fields[5], fields[6], 180);
      if (lat && lon) position = LatLon{*lat, *lon};
      if (auto s = Number(fields[7])) sog = *s;
      if (auto c = Number(fields[8])) cog = *c;
    } else if (kind == "ZDA" && fields.size() >= 2) {
      timeOfDay = TimeOfDay(fields[1]);
    } else if (kind == "VTG" && fields.size() >= 6) {
      if (auto c = Number(fields[1])) cog = *c;
      if (auto s = Number(fields[5])) sog = *s;
    }
    if (timeOfDay) {
      int64_t absolute = dayStartUtcMs + dayOffset + *timeOfDay;
      if (current && absolute < *current - kDayMs / 2) {
        dayOffset += kDayMs;
        absolute += kDayMs;
      } else if (current && absolute > *current + kDayMs / 2) {
        absolute -= kDayMs;  // a late time of the day before midnight
      }
      // Time never runs backwards within the log.
      if (!current || absolute > *current) {
        current = absolute;
        sinceTime = 0;
      }
    }
    if (!current) {
      untimed.push_back(log.lines.size());
      log.lines.push_back({0, line});
      continue;
    }
    const int64_t at = *current + std::min(sinceTime * kLineStepMs, kMaxLineOffsetMs);
    ++sinceTime;
    log.lines.push_back({at, line});
    if (position)
      log.fixes.push_back({*current, *position, NormalizeBearing(cog), std::max(0.0, sog)});
  }
  if (current) {
    const int64_t first = log.lines[untimed.empty() ? 0 : untimed.size()].utcMs;
    for (size_t index : untimed) log.lines[index].utcMs = first;
  } else {
    log.lines.clear();
  }
  return log;
}

OwnShipFix OwnShipAt(const std::vector<OwnShipFix>& track, int64_t utcMs) {
  if (utcMs <= track.front().utcMs) return track.front();
  if (utcMs >= track.back().utcMs) return track.back();
  const auto after =
      std::lower_bound(track.begin(), track.end(), utcMs,
                       [](const OwnShipFix& fix, int64_t t) { return fix.utcMs < t; });
  const OwnShipFix& b = *after;
  const OwnShipFix& a = *(after - 1);
  if (b.utcMs == a.utcMs) return b;
  const double f = static_cast<double>(utcMs - a.utcMs) / static_cast<double>(b.utcMs - a.utcMs);
  OwnShipFix fix;
  fix.utcMs = utcMs;
  fix.position = {a.position.lat + (b.position.lat - a.position.lat) * f,
                  a.position.lon + (b.position.lon - a.position.lon) * f};
  double turn = b.cogDeg - a.cogDeg;
  if (turn > 180) turn -= 360;
  if (turn < -180) turn += 360;
  fix.cogDeg = NormalizeBearing(a.cogDeg + turn * f);
  fix.sogKn = a.sogKn + (b.sogKn - a.sogKn) * f;
  return fix;
}

std::vector<LatLon> SimplifyTrack(const std::vector<OwnShipFix>& track, double toleranceNm,
                                  size_t maxPoints) {
  std::vector<LatLon> points;
  if (track.empty()) return points;
  maxPoints = std::max<size_t>(maxPoints, 2);
  double tolerance = std::max(toleranceNm, 1e-6);
  for (;;) {
    std::vector<bool> keep(track.size(), false);
    keep.front() = keep.back() = true;
    Reduce(track, 0, track.size() - 1, tolerance, keep);
    if (static_cast<size_t>(std::count(keep.begin(), keep.end(), true)) <= maxPoints) {
      for (size_t i = 0; i < track.size(); ++i)
        if (keep[i]) points.push_back(track[i].position);
      return points;
    }
    tolerance *= 2;
  }
}

}  // namespace tarnwick
