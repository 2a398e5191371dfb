#include "navobjects/files/TrackPointText.h"

#include <cmath>
#include <cstdio>

#include "core/units/PositionText.h"
#include "core/units/UnitFormat.h"
#include "navobjects/model/FileTime.h"

namespace tarnwick {
namespace {

// "%d.%06d %c" of |degrees| with the fraction truncated to six digits. The
// tiny allowance keeps a value read back from its own text (47.599999 is
// stored as 47.59999899...) on the same micro-degree.
void AppendAngle(std::string& out, double degrees, char positive, char negative) {
  const double magnitude = std::fabs(degrees);
  const long long micro = static_cast<long long>(std::floor(magnitude * 1e6 + 1e-6));
  char text[48];
  snprintf(text, sizeof text, "%lld.%06lld %c", micro / 1000000, micro % 1000000,
           degrees < 0 ? negative : positive);
  out += text;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

void AppendTrackPointText(std::string& out, const TrackPoint& point) {
  if (point.time.IsSet()) out += FormatCompactTime(point.time, false);
  out += ' ';
  AppendAngle(out, point.position.lat, 'N', 'S');
  out += ' ';
  AppendAngle(out, point.position.lon, 'E', 'W');
  if (point.depthMetres != 0) {
    out += " dpt=";
    out += FormatNumber(point.depthMetres, 6);
    out += 'm';
  }
  out += ';';
}

std::optional<TrackPoint> ParseTrackPointText(std::string_view text) {
  TrackPoint point;
  // The time runs up to the first blank, tab or ';'; a text that starts with
  // a blank has none.
  size_t end = 0;
  while (end < text.size() && !IsBlank(text[end]) && text[end] != ';') ++end;
  if (end > 0) {
    if (auto time = ParseCompactTime(text.substr(0, end))) {
      point.time = *time;
      text.remove_prefix(end);
    }
  }
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  std::string_view position = text;
  const size_t depthAt = text.find("dpt=");
  if (depthAt != std::string_view::npos) {
    position = text.substr(0, depthAt);
    std::string_view depth = text.substr(depthAt + 4);
    size_t depthEnd = 0;
    while (depthEnd < depth.size() && static_cast<unsigned char>(depth[depthEnd]) > ' ' &&
           depth[depthEnd] != ';')
      ++depthEnd;
    const Length length = ParseLength(depth.substr(0, depthEnd));
    if (length.IsValid() && std::isfinite(length.value)) point.depthMetres = length.Metres();
  }
  while (!position.empty() && IsBlank(position.back())) position.remove_suffix(1);
  auto where = ParseLatLon(position);
  if (!where) return std::nullopt;
  point.position = *where;
  return point;
}

}  // namespace tarnwick
