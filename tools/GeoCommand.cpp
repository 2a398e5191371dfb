// `tarnwick geo`: the navigation mathematics and unit formatting from the
// command line, one computation at a time or as a JSON-lines batch.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "app/Subcommand.h"
#include "core/geo/Datum.h"
#include "core/geo/Geodesy.h"
#include "core/geo/MagneticVariation.h"
#include "core/geo/Mercator.h"
#include "core/units/Length.h"
#include "core/units/PositionText.h"
#include "core/units/UnitFormat.h"
#include "core/units/UnitSystem.h"

namespace tarnwick {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* kUsage =
    "OP ARGS... | --batch\n"
    "  distance|bearing|rhumb_distance LAT1 LON1 LAT2 LON2 [--sailing great-circle|mercator]\n"
    "  destination LAT LON NM DEG\n"
    "  xte LAT1 LON1 LAT2 LON2 LAT LON [--sailing S]\n"
    "  mercator LAT LON | inverse_mercator X Y\n"
    "  magvar LAT LON [--date YYYY-MM-DD] [--height-km H]\n"
    "  to_datum DATUM LAT LON | parse_latlon TEXT\n"
    "  format_lat|format_lon DEG [--style "
    "degrees-minutes-and-seconds|degrees-and-minutes|degrees]\n"
    "  format_distance NM [--units Units_Distance keyword]\n"
    "  parse_length TEXT [--units U] | format_length VALUE UNITCODE [--long]";

// A failed request: the message goes into {"error": ...}.
struct RequestError {
  std::string message;
};

double Number(const json& request, const char* key) {
  const auto it = request.find(key);
  if (it == request.end()) throw RequestError{std::string("missing \"") + key + "\""};
  if (!it->is_number()) throw RequestError{std::string("\"") + key + "\" must be a number"};
  const double value = it->get<double>();
  if (!std::isfinite(value)) throw RequestError{std::string("\"") + key + "\" must be finite"};
  return value;
}

std::string Text(const json& request, const char* key) {
  const auto it = request.find(key);
  if (it == request.end()) throw RequestError{std::string("missing \"") + key + "\""};
  if (!it->is_string()) throw RequestError{std::string("\"") + key + "\" must be a string"};
  return it->get<std::string>();
}

LatLon Position(const json& request, const char* key) {
  const auto it = request.find(key);
  if (it == request.end()) throw RequestError{std::string("missing \"") + key + "\""};
  if (!it->is_array() || it->size() != 2 || !(*it)[0].is_number() || !(*it)[1].is_number())
    throw RequestError{std::string("\"") + key + "\" must be [lat, lon]"};
  const LatLon pos{(*it)[0].get<double>(), (*it)[1].get<double>()};
  if (!(pos.lat >= -90.0 && pos.lat <= 90.0) || !std::isfinite(pos.lon))
    throw RequestError{std::string("\"") + key + "\" is not a position"};
  return pos;
}

Sailing SailingOf(const json& request) {
  if (!request.contains("sailing")) return SailingMode();
  const std::optional<int> index = ChoiceIndex(UnitSetting::Sailing, Text(request, "sailing"));
  if (!index) throw RequestError{"\"sailing\" must be \"great-circle\" or \"mercator\""};
  return *index == 1 ? Sailing::GreatCircle : Sailing::RhumbLine;
}

int ChoiceOf(const json& request, const char* key, UnitSetting which) {
  if (!request.contains(key)) return UnitIndex(which);
  const std::optional<int> index = ChoiceIndex(which, Text(request, key));
  if (!index) throw RequestError{std::string("unknown \"") + key + "\""};
  return *index;
}

// "YYYY-MM-DD" -> Julian day number.
long JulianDayOf(const std::string& date) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (date.size() != 10 || std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3 ||
      m < 1 || m > 12 || d < 1)
    throw RequestError{"\"date\" must be YYYY-MM-DD"};
  const int mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (d > mdays[m - 1] + (m == 2 && leap ? 1 : 0))
    throw RequestError{"\"date\" is not a calendar date"};
  return JulianDayNumber(y, m, d);
}

json PositionJson(const LatLon& p) {
  return json::array({p.lat, p.lon});
}

json Evaluate(const json& request) {
  if (!request.is_object()) throw RequestError{"a request must be a JSON object"};
  const std::string op = Text(request, "op");
  if (op == "distance")
    return {
        {"nm", Distance(Position(request, "from"), Position(request, "to"), SailingOf(request))}};
  if (op == "bearing")
    return {
        {"deg", Bearing(Position(request, "from"), Position(request, "to"), SailingOf(request))}};
  if (op == "rhumb_distance")
    return {{"nm", RhumbLineDistance(Position(request, "from"), Position(request, "to"))}};
  if (op == "destination")
    return {{"to", PositionJson(DestinationPoint(Position(request, "from"), Number(request, "nm"),
                                                 Number(request, "deg")))}};
  if (op == "xte")
    return {{"nm", CrossTrackDistance(Position(request, "start"), Position(request, "end"),
                                      Position(request, "point"), SailingOf(request))}};
  if (op == "mercator") {
    const LatLon pos = Position(request, "pos");
    const MercatorPoint p = MercatorForward(pos.lat, pos.lon);
    return {{"x", p.x}, {"y", p.y}};
  }
  if (op == "inverse_mercator") {
    const std::optional<LatLon> pos = MercatorInverse(Number(request, "x"), Number(request, "y"));
    if (!pos) return {{"error", "the inverse projection does not converge"}};
    return {{"pos", PositionJson(*pos)}};
  }
  if (op == "magvar") {
    const LatLon pos = Position(request, "pos");
    const long day = request.contains("date") ? JulianDayOf(Text(request, "date")) : 0;
    const double height = request.contains("height_km") ? Number(request, "height_km") : 0.0;
    return {{"deg",
             MagneticVariation(pos.lat * kDegToRad, pos.lon * kDegToRad, height, day) * kRadToDeg}};
  }
  if (op == "to_datum") {
    const std::optional<CDatum> from = FindDatum(Text(request, "from_datum"));
    if (!from) throw RequestError{"unknown datum"};
    return {{"pos", PositionJson(Wgs84Datum().ToDatum(*from, Position(request, "pos")))}};
  }
  if (op == "parse_latlon") {
    const std::optional<LatLon> pos = ParseLatLon(Text(request, "text"));
    if (!pos) return {{"error", "not a position"}};
    return {{"pos", PositionJson(*pos)}};
  }
  if (op == "format_lat" || op == "format_lon") {
    const double deg = Number(request, "deg");
    const int style = ChoiceOf(request, "style", UnitSetting::LocationFormat);
    return {
        {"text", op == "format_lat" ? FormatLatitude(deg, style) : FormatLongitude(deg, style)}};
  }
  if (op == "format_distance")
    return {{"text", FormatDistanceShort(Number(request, "nm"),
                                         ChoiceOf(request, "units", UnitSetting::Distance))}};
  if (op == "parse_length") {
    const Length l =
        ParseLength(Text(request, "text"), ChoiceOf(request, "units", UnitSetting::Distance));
    return {{"value", l.value}, {"unit", static_cast<int>(l.unit)}};
  }
  if (op == "format_length") {
    const double code = Number(request, "unit");
    if (code != std::floor(code) || code < -1 || code > 9)
      throw RequestError{"\"unit\" must be a code -1..9"};
    const auto it = request.find("long");
    if (it != request.end() && !it->is_boolean())
      throw RequestError{"\"long\" must be true or false"};
    const bool longNames = it != request.end() && it->get<bool>();
    return {{"text", FormatLength(Length{Number(request, "value"),
                                         LengthUnitFromCode(static_cast<int>(code))},
                                  longNames)}};
  }
  throw RequestError{"unknown op \"" + op + "\""};
}

json Answer(const json& request) {
  json answer;
  try {
    answer = Evaluate(request);
  } catch (const RequestError& e) {
    answer = {{"error", e.message}};
  } catch (const json::exception& e) {
    answer = {{"error", e.what()}};
  }
  if (request.is_object() && request.contains("id")) answer["id"] = request["id"];
  return answer;
}

int Batch() {
  std::string line;
  std::string out;
  while (std::getline(std::cin, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    const json request = json::parse(line, nullptr, false);
    const json answer = request.is_discarded() ? json{{"error", "not JSON"}} : Answer(request);
    out = answer.dump(-1, ' ', false, json::error_handler_t::replace);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

std::optional<double> ParseNumber(const std::string& text) {
  double value = 0.0;
  const char* begin = text.data();
  if (!text.empty() && text[0] == '+') ++begin;
  const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// One command-line computation as a request; false with a message when the
// arguments do not fit the op.
bool BuildRequest(CArguments& args, json& request) {
  std::string op = args[0];
  for (char& c : op)
    if (c == '-') c = '_';
  request = {{"op", op}};
  if (auto sailing = args.TakeOption("--sailing")) request["sailing"] = *sailing;
  if (auto date = args.TakeOption("--date")) request["date"] = *date;
  if (auto h = args.TakeOption("--height-km")) {
    const auto v = ParseNumber(*h);
    if (!v) return false;
    request["height_km"] = *v;
  }
  if (auto style = args.TakeOption("--style")) request["style"] = *style;
  if (auto units = args.TakeOption("--units")) request["units"] = *units;
  if (args.TakeFlag("--long")) request["long"] = true;
  if (args.UnknownOption()) return false;

  const std::vector<std::string>& a = args.Rest();
  std::vector<double> n;
  auto numbers = [&](size_t from, size_t count) {
    if (a.size() != from + count) return false;
    for (size_t i = from; i < a.size(); ++i) {
      const auto v = ParseNumber(a[i]);
      if (!v) return false;
      n.push_back(*v);
    }
    return true;
  };
  if (op == "distance" || op == "bearing" || op == "rhumb_distance") {
    if (!numbers(1, 4)) return false;
    request["from"] = {n[0], n[1]};
    request["to"] = {n[2], n[3]};
  } else if (op == "destination") {
    if (!numbers(1, 4)) return false;
    request["from"] = {n[0], n[1]};
    request["nm"] = n[2];
    request["deg"] = n[3];
  } else if (op == "xte") {
    if (!numbers(1, 6)) return false;
    request["start"] = {n[0], n[1]};
    request["end"] = {n[2], n[3]};
    request["point"] = {n[4], n[5]};
  } else if (op == "mercator" || op == "magvar") {
    if (!numbers(1, 2)) return false;
    request["pos"] = {n[0], n[1]};
  } else if (op == "inverse_mercator") {
    if (!numbers(1, 2)) return false;
    request["x"] = n[0];
    request["y"] = n[1];
  } else if (op == "to_datum") {
    if (a.size() != 4 || !numbers(2, 2)) return false;
    request["from_datum"] = a[1];
    request["pos"] = {n[0], n[1]};
  } else if (op == "parse_latlon" || op == "parse_length") {
    if (a.size() < 2) return false;
    std::string text = a[1];
    for (size_t i = 2; i < a.size(); ++i) text += " " + a[i];
    request["text"] = text;
  } else if (op == "format_lat" || op == "format_lon") {
    if (!numbers(1, 1)) return false;
    request["deg"] = n[0];
  } else if (op == "format_distance") {
    if (!numbers(1, 1)) return false;
    request["nm"] = n[0];
  } else if (op == "format_length") {
    if (!numbers(1, 2)) return false;
    request["value"] = n[0];
    request["unit"] = n[1];
  } else {
    return false;
  }
  return true;
}

std::string Plain(const json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number_float()) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value.get<double>());
    return buffer;
  }
  if (value.is_array()) {
    std::string s;
    for (const json& v : value) s += (s.empty() ? "" : " ") + Plain(v);
    return s;
  }
  return value.dump();
}

int Geo(CArguments& args) {
  if (args.TakeFlag("--batch")) {
    if (args.Size() != 0) {
      std::fprintf(stderr, "tarnwick geo: --batch takes its requests on standard input\n");
      return 2;
    }
    return Batch();
  }
  if (args.Size() == 0) {
    std::fprintf(stderr, "usage: tarnwick geo %s\n", kUsage);
    return 2;
  }
  json request;
  if (!BuildRequest(args, request)) {
    std::fprintf(stderr, "usage: tarnwick geo %s\n", kUsage);
    return 2;
  }
  const json answer = Answer(request);
  if (answer.contains("error")) {
    std::fprintf(stderr, "tarnwick geo: %s\n", answer["error"].get<std::string>().c_str());
    return 1;
  }
  std::string line;
  for (const auto& [key, value] : answer.items()) line += (line.empty() ? "" : " ") + Plain(value);
  std::printf("%s\n", line.c_str());
  return 0;
}

const CSubcommand kGeo("geo", kUsage, "navigation mathematics, projection and unit formatting",
                       Geo);

}  // namespace
}  // namespace tarnwick
