// `tarnwick nmea`: decode NMEA 0183 logs to JSON lines, and write single
// output sentences.

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <type_traits>

#include "app/Subcommand.h"
#include "core/JsonWriter.h"
#include "core/Log.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaOutput.h"
#include "instruments/nmea/NmeaParse.h"

namespace tarnwick {
namespace {


// Receive ticks given to the lines of a log: one line every 100 ms.
constexpr uint64_t kFirstTick = 1'000'000;
constexpr uint64_t kTickPerLine = 100;

int Usage() {
  fprintf(stderr,
          "usage: tarnwick nmea decode [FILE...]\n"
          "       tarnwick nmea format SENTENCE-TYPE [key=value...]\n"
          "types: AAM APA APB BOD BWC BWR HDG HDT HSC MWD MWV RMB RMC VHW VTG WDC WDR WPL XTE AIQ\n"
          "keys:  prefix ($EC) empty=1 lat lon decimals id origin dest xte steer=L|R valid arrived\n"
          "       perpendicular magnetic bearing bearing_origin bearing_true bearing_magnetic\n"
          "       heading heading_true heading_magnetic heading_to_steer variation range closing\n"
          "       radius distance time date sog cog cog_true cog_magnetic speed angle\n"
          "       direction_true direction_magnetic mode formatter (AIQ) *_decimals\n");
  return 2;
}

// Rounds to 9 decimals so the JSON shows the decoded value, not binary noise.
double Round(double v) {
  return std::round(v * 1e9) / 1e9;
}

// Bytes of output collected before one write: one write per line would cost
// more than decoding the line.
constexpr size_t kOutputBlock = 64 * 1024;

template <typename T>
bool SetBy(const NavValue<T>& value, uint64_t tick) {
  return value.valid && value.tick == tick;
}

// Writes key with the first of values that this sentence (tick) stored.
template <typename T>
void PutFirst(CJsonWriter& w, const char* key, std::initializer_list<const NavValue<T>*> values,
              uint64_t tick) {
  for (const NavValue<T>* value : values) {
    if (!SetBy(*value, tick)) continue;
    w.Key(key);
    if constexpr (std::is_same_v<T, double>) {
      w.Double(Round(value->value));
    } else if constexpr (std::is_same_v<T, char>) {
      w.String(std::string_view(&value->value, 1));
    } else {
      w.Int(value->value);
    }
    return;
  }
}

// What the sentence decoded at tick stored in the source, as one object.
void WriteStoredValues(CJsonWriter& w, const NavSourceData& d, uint64_t tick) {
  w.BeginObject();
  PutFirst(w, "utc_time", {&d.fix.utcTime}, tick);
  if (SetBy(d.fix.date, tick)) {
    char date[16];
    snprintf(date, sizeof date, "%06d", d.fix.date.value);
    w.Member("date", date);
  }
  PutFirst(w, "status", {&d.fix.status}, tick);
  PutFirst(w, "mode", {&d.fix.mode}, tick);
  if (SetBy(d.fix.position, tick)) {
    w.Member("lat", Round(d.fix.position.value.lat));
    w.Member("lon", Round(d.fix.position.value.lon));
  }
  PutFirst(w, "fix_quality", {&d.fix.quality}, tick);
  PutFirst(w, "satellites", {&d.fix.satellites}, tick);
  PutFirst(w, "hdop", {&d.fix.hdop, &d.gsa.hdop}, tick);
  PutFirst(w, "altitude", {&d.fix.altitude}, tick);
  PutFirst(w, "sog", {&d.sog, &d.vtgSogKnots}, tick);
  PutFirst(w, "cog", {&d.cog, &d.vtgCogTrue}, tick);
  PutFirst(w, "variation", {&d.rmcVariation, &d.heading.variation}, tick);
  PutFirst(w, "heading_true",
           {&d.heading.trueHdt, &d.heading.trueThs, &d.heading.attitudeHeading,
            &d.water.headingTrue},
           tick);
  PutFirst(w, "heading_magnetic", {&d.heading.magnetic, &d.water.headingMagnetic}, tick);
  PutFirst(w, "depth", {&d.depth.dbt, &d.depth.dpt, &d.depth.belowSurface, &d.depth.belowKeel},
           tick);
  PutFirst(w, "rate_of_turn", {&d.heading.rateOfTurn}, tick);
  PutFirst(w, "water_temp", {&d.waterTemperature, &d.meteo.waterTemperature}, tick);
  PutFirst(w, "stw", {&d.water.knots}, tick);

  // One sentence sets at most one of MWV, VWR and VWT.
  std::optional<double> windAngle, windSpeed;
  const char* windReference = nullptr;
  char mwvReference[2] = {};
  if (SetBy(d.windReference, tick)) {
    const WindReading& wind = d.windReference.value == 'T' ? d.windTrue : d.windRelative;
    windAngle = Round(wind.angle.value);
    windSpeed = Round(wind.speed.value);
    mwvReference[0] = d.windReference.value;
    windReference = mwvReference;
  }
  const std::pair<const WindSideReading*, const char*> sides[] = {{&d.vwr, "R"}, {&d.vwt, "T"}};
  for (const auto& [reading, reference] : sides) {
    if (!SetBy(reading->angle, tick) || !SetBy(reading->side, tick)) continue;
    windAngle = Round(reading->angle.value * reading->side.value);
    if (SetBy(reading->knots, tick)) windSpeed = Round(reading->knots.value);
    windReference = reference;
  }
  if (windAngle) w.Member("wind_angle", *windAngle);
  if (windSpeed) w.Member("wind_speed", *windSpeed);
  if (windReference) w.Key("wind_reference").String(std::string_view(windReference, 1));
  w.EndObject();
}

// Decodes every line of in into JSON lines on stdout; line numbers continue
// across files. Returns the number of the last line.
long DecodeStream(std::istream& in, CNavSource& source, long line) {
  std::string text, out;
  NmeaFields fields;
  CLogCapture capture;  // what the decoder logs about each line
  const auto flush = [&out] {
    fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
  };
  while (std::getline(in, text)) {
    ++line;
    const uint64_t tick = kFirstTick + static_cast<uint64_t>(line) * kTickPerLine;
    capture.Clear();
    DecodeNMEA(source, ReceiveTime{tick, 0}, text, nullptr, GetNmeaDecoderHooks(), fields);
    const bool accepted = fields.Count() > 0;

    CJsonWriter w(out);
    w.BeginObject().Member("line", static_cast<int64_t>(line)).Member("accepted", accepted);
    NmeaAddress address;
    if (accepted && SplitNmeaAddress(fields[0], address)) {
      w.Member("talker", address.talker).Member("formatter", address.formatter);
    } else {
      w.Member("talker", nullptr).Member("formatter", nullptr);
    }
    w.Key("log").BeginArray();
    for (const std::string& logged : capture.Lines()) w.String(logged);
    w.EndArray().Key("values");
    if (accepted) {
      auto lock = source.Lock();
      WriteStoredValues(w, source.Data(), tick);
    } else {
      w.BeginObject().EndObject();
    }
    w.EndObject();
    out.push_back('\n');
    if (out.size() >= kOutputBlock) flush();
  }
  flush();
  return line;
}

int Decode(const std::vector<std::string>& files) {
  CNavSource source;
  long line = 0;
  if (files.empty()) {
    DecodeStream(std::cin, source, line);
    return 0;
  }
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      fprintf(stderr, "tarnwick nmea: cannot read %s\n", file.c_str());
      return 1;
    }
    line = DecodeStream(in, source, line);
  }
  return 0;
}

// The key=value arguments of `nmea format`.
class CFormatKeys {
 public:
  bool Parse(const std::vector<std::string>& args, size_t first) {
    for (size_t i = first; i < args.size(); ++i) {
      size_t eq = args[i].find('=');
      if (eq == std::string::npos || eq == 0) {
        fprintf(stderr, "tarnwick nmea: expected key=value, got '%s'\n", args[i].c_str());
        return false;
      }
      values_[args[i].substr(0, eq)] = args[i].substr(eq + 1);
    }
    return true;
  }
  std::string Text(const char* key, const char* fallback = "") {
    used_[key] = true;
    auto it = values_.find(key);
    return it == values_.end() ? fallback : it->second;
  }
  std::optional<double> Number(const char* key) {
    std::string text = Text(key);
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    double value = strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) {
      bad_ = key;
      return std::nullopt;
    }
    return value;
  }
  double Real(const char* key, double fallback) { return Number(key).value_or(fallback); }
  int Int(const char* key, int fallback) {
    return static_cast<int>(Number(key).value_or(fallback));
  }
  bool Flag(const char* key) {
    std::string t = Text(key);
    return t == "1" || t == "true" || t == "yes" || t == "A";
  }
  bool Has(const char* key) const { return values_.count(key) != 0; }
  // The first key given but never read, or a key whose number did not parse.
  std::optional<std::string> Problem() const {
    if (!bad_.empty()) return "not a number: " + bad_;
    for (const auto& [key, value] : values_) {
      if (!used_.count(key)) return "unknown key for this sentence: " + key;
    }
    return std::nullopt;
  }

 private:
  std::map<std::string, std::string> values_;
  std::map<std::string, bool> used_;
  std::string bad_;
};

SteeringValues Steering(CFormatKeys& k) {
  SteeringValues s;
  s.valid = !k.Has("valid") || k.Flag("valid");
  s.crossTrackNm = std::fabs(k.Real("xte", 0));
  s.steer = k.Text("steer", "L") == "R" ? 'R' : 'L';
  s.xteDecimals = k.Int("xte_decimals", 3);
  s.arrivalCircleEntered = k.Flag("arrived");
  s.perpendicularPassed = k.Flag("perpendicular");
  s.bearingOriginToDestination = k.Number("bearing_origin");
  s.bearingsMagnetic = k.Flag("magnetic");
  s.originId = k.Text("origin");
  s.destinationId = k.Text("dest");
  s.bearingToDestination = k.Number("bearing");
  s.headingToSteer = k.Number("heading_to_steer");
  if (k.Has("lat") || k.Has("lon")) s.destination = LatLon{k.Real("lat", 0), k.Real("lon", 0)};
  s.rangeNm = k.Number("range");
  s.closingKnots = k.Number("closing");
  s.latLonDecimals = k.Int("decimals", 3);
  return s;
}

std::optional<std::string> FormatSentence(const std::string& type, CFormatKeys& k) {
  const std::string prefix = k.Text("prefix", "$EC");
  const bool empty = k.Flag("empty");
  if (type == "AAM") {
    if (empty) return FormatAAM(prefix, std::nullopt);
    return FormatAAM(prefix, AamValues{k.Flag("arrived"), k.Flag("perpendicular"),
                                       k.Real("radius", 0), k.Int("decimals", 2), k.Text("id")});
  }
  if (type == "APA") return FormatAPA(prefix, empty ? std::nullopt : std::optional(Steering(k)));
  if (type == "APB") return FormatAPB(prefix, empty ? std::nullopt : std::optional(Steering(k)));
  if (type == "RMB") return FormatRMB(prefix, Steering(k));
  if (type == "XTE") return FormatXTE(prefix, Steering(k));
  if (type == "BOD") {
    return FormatBOD(prefix, k.Number("bearing_true"), k.Number("bearing_magnetic"), k.Text("dest"),
                     k.Text("origin"));
  }
  if (type == "BWC" || type == "BWR") {
    BearingDistanceValues v;
    const int time = k.Int("time", 0);
    v.hours = time / 10000;
    v.minutes = time / 100 % 100;
    v.seconds = time % 100;
    v.waypoint = LatLon{k.Real("lat", 0), k.Real("lon", 0)};
    v.latLonDecimals = k.Int("decimals", 3);
    v.bearingTrue = k.Number("bearing_true");
    v.bearingMagnetic = k.Number("bearing_magnetic");
    v.distanceNm = k.Real("distance", 0);
    v.distanceDecimals = k.Int("distance_decimals", 2);
    v.waypointId = k.Text("id");
    return type == "BWC" ? FormatBWC(prefix, v) : FormatBWR(prefix, v);
  }
  if (type == "HDG") return FormatHDG(prefix, k.Number("heading"), k.Number("variation"));
  if (type == "HDT") return FormatHDT(prefix, k.Number("heading"));
  if (type == "HSC")
    return FormatHSC(prefix, k.Number("heading_true"), k.Number("heading_magnetic"));
  if (type == "MWD") {
    if (empty) return FormatMWD(prefix, std::nullopt);
    return FormatMWD(prefix, WindValues{k.Real("direction_true", 0),
                                        k.Real("direction_magnetic", 0), k.Real("speed", 0)});
  }
  if (type == "MWV") return FormatMWV(prefix, k.Number("angle"), k.Number("speed"));
  if (type == "RMC") {
    RmcValues v;
    const double time = k.Real("time", 0);
    v.hours = static_cast<int>(time / 10000);
    v.minutes = static_cast<int>(time / 100) % 100;
    v.seconds = time - v.hours * 10000 - v.minutes * 100;
    v.valid = !k.Has("valid") || k.Flag("valid");
    v.position = LatLon{k.Real("lat", 0), k.Real("lon", 0)};
    v.latLonDecimals = k.Int("decimals", 4);
    v.sogKnots = k.Real("sog", 0);
    v.cogTrue = k.Number("cog");
    const int date = k.Int("date", 10100);
    v.day = date / 10000;
    v.month = date / 100 % 100;
    v.year = date % 100;
    v.variation = k.Number("variation");
    v.mode = k.Text("mode", "A")[0];
    return FormatRMC(prefix, v);
  }
  if (type == "VHW") {
    return FormatVHW(prefix, k.Number("heading_true"), k.Number("heading_magnetic"),
                     k.Number("speed"), k.Int("speed_decimals", 1));
  }
  if (type == "VTG") {
    return FormatVTG(prefix, k.Number("cog_true"), k.Number("cog_magnetic"), k.Real("sog", 0),
                     k.Int("speed_decimals", 1));
  }
  if (type == "WDC" || type == "WDR") {
    const double distance = k.Real("distance", 0);
    const std::string id = k.Text("id");
    const int decimals = k.Int("distance_decimals", 2);
    return type == "WDC" ? FormatWDC(prefix, distance, id, decimals)
                         : FormatWDR(prefix, distance, id, decimals);
  }
  if (type == "WPL") {
    return FormatWPL(prefix, LatLon{k.Real("lat", 0), k.Real("lon", 0)}, k.Text("id"),
                     k.Int("decimals", 3));
  }
  if (type == "AIQ") return FormatAisQuery(k.Text("formatter", "VER"));
  return std::nullopt;
}

int Format(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage();
  CFormatKeys keys;
  if (!keys.Parse(args, 2)) return 2;
  std::optional<std::string> sentence = FormatSentence(args[1], keys);
  if (!sentence) {
    fprintf(stderr,
            "tarnwick nmea: unknown sentence type '%s' (AAM APA APB BOD BWC BWR HDG HDT HSC MWD "
            "MWV RMB RMC VHW VTG WDC WDR WPL XTE AIQ)\n",
            args[1].c_str());
    return 2;
  }
  if (std::optional<std::string> problem = keys.Problem()) {
    fprintf(stderr, "tarnwick nmea: %s\n", problem->c_str());
    return 2;
  }
  fputs(sentence->c_str(), stdout);
  return 0;
}

int NmeaMain(CArguments& args) {
  if (auto unknown = args.UnknownOption()) {
    fprintf(stderr, "tarnwick nmea: unknown option %s\n", unknown->c_str());
    return 2;
  }
  if (args.Size() < 1) return Usage();
  if (args[0] == "decode") {
    return Decode(std::vector<std::string>(args.Rest().begin() + 1, args.Rest().end()));
  }
  if (args[0] == "format") return Format(args.Rest());
  return Usage();
}

const CSubcommand kNmea("nmea", "decode [FILE...] | format SENTENCE-TYPE [key=value...]",
                        "decode NMEA 0183 sentences to JSON lines, or write one output sentence",
                        NmeaMain);

}  // namespace
}  // namespace tarnwick
