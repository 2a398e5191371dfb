#include "environment/grib/ForecastRequest.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Paths.h"

namespace tarnwick {
namespace {

struct ItemName {
  ForecastItem item;
  const char* word;
  const char* mail;  // the mail service's parameter, or null
  const char* grid;  // the weather-grid service's layers, or null
};

constexpr ItemName kItems[] = {
    {ForecastItem::Pressure, "pressure", "PRMSL", "PRES"},
    {ForecastItem::Temperature, "temperature", "SFCTMP", "TEMP"},
    {ForecastItem::Rain, "rain", "RAIN", "PRCP"},
    {ForecastItem::Waves, "waves", "WAVES", "SWHT,PWDR,PWPR"},
    {ForecastItem::Wind, "wind", "WIND", "WIND"},
    {ForecastItem::Humidity, "humidity", nullptr, "RHMD"},
};

const ItemName& Names(ForecastItem item) {
  for (const ItemName& n : kItems)
    if (n.item == item) return n;
  return kItems[0];
}

std::string Lower(std::string_view text) {
  std::string out;
  for (char c : text) out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return out;
}

std::string Trim(std::string_view text) {
  const size_t a = text.find_first_not_of(" \t");
  if (a == std::string_view::npos) return {};
  return std::string(text.substr(a, text.find_last_not_of(" \t") - a + 1));
}

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ',') {
      parts.push_back(Trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  return parts;
}

// A whole degree with its hemisphere letter: 50N, 20W, 0E.
std::string Degrees(int value, char positive, char negative) {
  return std::to_string(std::abs(value)) + (value < 0 ? negative : positive);
}

}  // namespace

std::optional<std::vector<ForecastItem>> ParseForecastItems(std::string_view text) {
  std::vector<ForecastItem> items;
  for (const std::string& word : Split(text)) {
    if (word.empty()) continue;
    bool known = false;
    for (const ItemName& n : kItems) {
      if (Lower(word) == n.word) {
        known = true;
        bool seen = false;
        for (ForecastItem i : items) seen = seen || i == n.item;
        if (!seen) items.push_back(n.item);
      }
    }
    if (!known) return std::nullopt;
  }
  if (items.empty()) return std::nullopt;
  return items;
}

std::optional<ForecastRegion> ParseForecastRegion(std::string_view text) {
  const std::vector<std::string> parts = Split(text);
  if (parts.size() != 4) return std::nullopt;
  double v[4];
  for (int i = 0; i < 4; ++i) {
    char* end = nullptr;
    v[i] = std::strtod(parts[static_cast<size_t>(i)].c_str(), &end);
    if (parts[static_cast<size_t>(i)].empty() || *end != '\0' || !std::isfinite(v[i])) return std::nullopt;
  }
  ForecastRegion r{v[0], v[1], v[2], v[3]};
  if (r.north > 90 || r.south < -90 || r.north <= r.south) return std::nullopt;
  if (std::fabs(r.west) > 180 || std::fabs(r.east) > 180 || r.west == r.east) return std::nullopt;
  return r;
}

std::string MailRequestText(const ForecastRegion& region, int lastHour, const std::vector<ForecastItem>& items) {
  const int north = static_cast<int>(std::ceil(region.north));
  const int south = static_cast<int>(std::floor(region.south));
  const int west = static_cast<int>(std::floor(region.west));
  const int east = static_cast<int>(std::ceil(region.east));
  char head[96];
  std::snprintf(head, sizeof head, "GFS:%s,%s,%s>%s|0.5,0.5|0,6..%d|", Degrees(north, 'N', 'S').c_str(),
                Degrees(south, 'N', 'S').c_str(), Degrees(west, 'E', 'W').c_str(), Degrees(east, 'E', 'W').c_str(),
                lastHour);
  std::string text = head;
  bool first = true;
  for (ForecastItem item : items) {
    if (!Names(item).mail) continue;
    text += (first ? "" : ",");
    text += Names(item).mail;
    first = false;
  }
  return text;
}

std::string MailFetchQuery(const std::string& request, const std::string& email) {
  std::string hex;
  char two[3];
  for (unsigned char c : email) {
    std::snprintf(two, sizeof two, "%02x", c);
    hex += two;
  }
  return "fetch?" + request + "&6=" + hex;
}

std::string GridRequestText(int days, const ForecastRegion& region, const std::vector<ForecastItem>& items) {
  char head[128];
  std::snprintf(head, sizeof head, "WxGrid?days=%d&bbox=%.2f,%.2f,%.2f,%.2f&layers=", days, region.west,
                region.south, region.east, region.north);
  std::string text = head;
  bool first = true;
  for (ForecastItem item : items) {
    if (!Names(item).grid) continue;
    text += (first ? "" : ",");
    text += Names(item).grid;
    first = false;
  }
  return text;
}

std::filesystem::path WeatherFolder() {
  return DataFolder() / "weather";
}

std::filesystem::path MailReplyPath() {
  return WeatherFolder() / "saildocs.grb";
}

std::filesystem::path GridReplyPath() {
  return WeatherFolder() / "wxgrid.skw";
}

}  // namespace tarnwick
