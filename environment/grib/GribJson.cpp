#include "environment/grib/GribJson.h"

#include <charconv>
#include <cmath>

#include "environment/grib/GribTables.h"
#include "environment/grib/GribTime.h"

namespace tarnwick {
namespace {

void AppendInt(std::string& out, long long value) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, end);
}

void AppendTime(std::string& out, const std::optional<int64_t>& time) {
  if (!time) {
    out += "null";
    return;
  }
  out += '"';
  out += FormatUtc(*time);
  out += '"';
}

void Key(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\":";
}

void AppendGrid(std::string& out, const GribGrid& g) {
  out += "{\"type\":";
  AppendInt(out, g.representation);
  if (g.Placeable()) {
    out += ",\"ni\":";
    AppendInt(out, g.ni);
    out += ",\"nj\":";
    AppendInt(out, g.nj);
    out += ",\"lat1\":";
    AppendNumber(out, g.la1);
    out += ",\"lon1\":";
    AppendNumber(out, g.lo1);
    if (g.representation == kGridPolarStereographic) {
      out += ",\"lov\":";
      AppendNumber(out, g.orientation);
      out += ",\"dx\":";
      AppendNumber(out, g.dxMetres);
      out += ",\"dy\":";
      AppendNumber(out, g.dyMetres);
      out += ",\"projection_centre\":";
      AppendInt(out, g.projectionCentre);
    } else {
      out += ",\"lat2\":";
      AppendNumber(out, g.la2);
      out += ",\"lon2\":";
      AppendNumber(out, g.lo2);
      out += ",\"di\":";
      AppendNumber(out, g.di);
      if (g.representation == kGridGaussian) {
        out += ",\"n\":";
        AppendInt(out, g.gaussianParallels);
      } else {
        out += ",\"dj\":";
        AppendNumber(out, g.dj);
      }
      if (g.representation == kGridRotatedLatLon) {
        out += ",\"south_pole_lat\":";
        AppendNumber(out, g.southPoleLat);
        out += ",\"south_pole_lon\":";
        AppendNumber(out, g.southPoleLon);
        out += ",\"rotation\":";
        AppendNumber(out, g.rotationAngle);
      }
    }
    out += ",\"scan\":";
    AppendInt(out, g.scanMode);
  }
  out += '}';
}

// Positions are written to a millionth of a degree (about 0.1 m).
double Micro(double degrees) {
  return std::round(degrees * 1e6) / 1e6;
}

// The shortest text that reads back the same: plain decimals for the
// magnitudes weather values have, an exponent only for the others.
template <typename T>
void AppendShortest(std::string& out, T value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char text[64];
  const T magnitude = std::fabs(value);
  const bool plain = magnitude == 0 || (magnitude >= T(1e-5) && magnitude < T(1e15));
  const auto end = plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr
                         : std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, end);
}

}  // namespace

void AppendNumber(std::string& out, double value) {
  AppendShortest(out, value);
}

void AppendFloat(std::string& out, float value) {
  AppendShortest(out, value);
}

void AppendGribRecordJson(std::string& out, const GribRecord& r, const CGribGeometry* geometry,
                          bool withPoints) {
  out += "{\"parameter\":";
  AppendInt(out, r.parameter);
  out += ",\"table\":";
  AppendInt(out, r.table);
  out += ",\"centre\":";
  AppendInt(out, r.centre);
  out += ",\"level_type\":";
  AppendInt(out, r.levelType);
  out += ",\"level\":";
  AppendInt(out, r.level);
  out += ',';
  Key(out, "reference");
  AppendTime(out, r.referenceTime);
  out += ',';
  Key(out, "valid");
  AppendTime(out, r.validTime);
  out += ',';
  Key(out, "weather_type");
  if (const WeatherTypeInfo* info = FindWeatherType(r.weatherType)) {
    out += '"';
    out += info->code;
    out += '"';
  } else {
    out += "null";
  }
  out += ",\"grid\":";
  AppendGrid(out, r.grid);

  const bool counted = r.pointCount > 0 || r.decoded;
  out += ",\"count\":";
  if (counted) AppendInt(out, static_cast<long long>(r.pointCount)); else out += "null";
  out += ",\"missing\":";
  if (counted) AppendInt(out, static_cast<long long>(r.missingCount)); else out += "null";
  float min = 0, max = 0;
  double sum = 0;
  size_t present = 0;
  for (float v : r.values) {
    if (v == kGribMissing) continue;
    if (present == 0 || v < min) min = v;
    if (present == 0 || v > max) max = v;
    sum += v;
    ++present;
  }
  out += ",\"min\":";
  if (present) AppendFloat(out, min); else out += "null";
  out += ",\"max\":";
  if (present) AppendFloat(out, max); else out += "null";
  out += ",\"mean\":";
  if (present) AppendNumber(out, sum / static_cast<double>(present)); else out += "null";

  if (withPoints) {
    out += ",\"points\":";
    if (!geometry || !r.decoded || geometry->Count() != r.values.size()) {
      out += "null";
    } else {
      out += '[';
      const size_t count = r.values.size();
      for (size_t k = 0; k < count; ++k) {
        double lat = 0, lon = 0;
        geometry->Point(k, lat, lon);
        if (k) out += ',';
        out += '[';
        AppendNumber(out, Micro(lat) + 0.0);
        out += ',';
        AppendNumber(out, Micro(lon) + 0.0);
        out += ',';
        if (r.values[k] == kGribMissing) out += "null"; else AppendFloat(out, r.values[k]);
        out += ']';
      }
      out += ']';
    }
  }
  out += '}';
}

}  // namespace tarnwick
