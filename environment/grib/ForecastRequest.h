#pragma once
// The two forecast requests: the text for the mail-based forecast service
// ("GFS:%d%c,%d%c,%d%c>%d%c|0.5,0.5|0,6..%d|" and the parameter names, sent
// to its fetch endpoint as "fetch?%s&6=%s" with the hex-encoded e-mail
// address; the reply is "saildocs.grb" in the weather folder) and the query
// of the vendor's weather-grid service ("WxGrid?days=%d&bbox=..&layers=";
// the reply a ".skw" file in the weather folder). Building them reaches no
// network: the navigator sends the text, and the reply dropped into the
// weather folder is opened from there.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// What a forecast is asked for.
enum class ForecastItem { Pressure, Temperature, Rain, Waves, Wind, Humidity };

// A region in degrees (north of south; east of west, across 180° allowed).
struct ForecastRegion {
  double north = 0;
  double south = 0;
  double west = 0;
  double east = 0;
};

// "pressure", "temperature", "rain", "waves", "wind", "humidity" (any case),
// separated by commas; empty when a word is none of them or nothing is chosen.
std::optional<std::vector<ForecastItem>> ParseForecastItems(std::string_view text);
// "N,S,W,E" in degrees (north -90..90 above south, west and east -180..180);
// empty when the text is not such a region.
std::optional<ForecastRegion> ParseForecastRegion(std::string_view text);

// "GFS:50N,40N,20W>10E|0.5,0.5|0,6..72|PRMSL,WIND": the region widened to
// whole degrees, forecast hours 0 to lastHour every 6 hours.
std::string MailRequestText(const ForecastRegion& region, int lastHour, const std::vector<ForecastItem>& items);
// "fetch?<request>&6=<e-mail address as %02x hex>".
std::string MailFetchQuery(const std::string& request, const std::string& email);
// "WxGrid?days=3&bbox=-20.00,40.00,10.00,50.00&layers=WIND,PRES" (west,
// south, east, north).
std::string GridRequestText(int days, const ForecastRegion& region, const std::vector<ForecastItem>& items);

// The data folder's "weather" folder, where replies and dropped forecast files go.
std::filesystem::path WeatherFolder();
// Where the replies are stored.
std::filesystem::path MailReplyPath();
std::filesystem::path GridReplyPath();

}  // namespace tarnwick
