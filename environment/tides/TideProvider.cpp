#include "environment/tides/TideProvider.h"

#include <cctype>

namespace tarnwick {
namespace {

bool IsName(std::string_view text) {
  if (text.empty() || text.size() > 80) return false;
  for (char c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.') return false;
  }
  return true;
}

}  // namespace

const char* TideStationKindName(TideStationKind kind) {
  return kind == TideStationKind::Current ? "current" : "tide";
}

std::string MakeStationUrl(TideStationKind kind, std::string_view provider, std::string_view key) {
  return std::string(TideStationKindName(kind)) + "://" + std::string(provider) + "/" +
         std::string(key);
}

std::optional<StationUrl> ParseStationUrl(std::string_view url) {
  StationUrl parsed;
  if (url.substr(0, 7) == "tide://") {
    parsed.kind = TideStationKind::Tide;
    url.remove_prefix(7);
  } else if (url.substr(0, 10) == "current://") {
    parsed.kind = TideStationKind::Current;
    url.remove_prefix(10);
  } else {
    return std::nullopt;
  }
  if (!url.empty() && url.back() == '/') url.remove_suffix(1);
  const size_t slash = url.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  parsed.provider = std::string(url.substr(0, slash));
  parsed.key = std::string(url.substr(slash + 1));
  if (!IsName(parsed.provider) || !IsName(parsed.key)) return std::nullopt;
  return parsed;
}

}  // namespace tarnwick
