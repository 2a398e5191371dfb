#include "charts/raster/KapGeoref.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "charts/raster/BsbText.h"
#include "core/Log.h"
#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::optional<double> Field(const std::map<std::string, std::string>& fields,
                            const std::string& key) {
  const auto it = fields.find(key);
  return it == fields.end() ? std::nullopt : ParseBsbDouble(it->second);
}

double WrapLongitude(double lon) {
  return lon > 180.0 || lon < -180.0 ? std::remainder(lon, 360.0) : lon;
}

}  // namespace

std::string KapPlaneDefinition(const KapHeader& header) {
  const std::string projection = Upper(header.Knp("PR"));
  double meanLat = 0.0;
  double meanLon = 0.0;
  if (!header.references.empty()) {
    std::vector<LatLon> points;
    for (const auto& r : header.references) points.push_back({r.lat, r.lon});
    UnwrapLongitudes(points);
    for (const auto& p : points) {
      meanLat += p.lat / static_cast<double>(points.size());
      meanLon += p.lon / static_cast<double>(points.size());
    }
  }
  const double centralMeridian =
      WrapLongitude(Field(header.knp, "PP").value_or(WrapLongitude(meanLon)));
  const std::string tail = " +ellps=WGS84 +units=m +no_defs +type=crs";
  if (projection.find("TRANSVERSE MERCATOR") != std::string::npos ||
      projection == "UTM" || projection.find("UNIVERSAL TRANSVERSE") != std::string::npos) {
    const bool utm = projection.find("UNIVERSAL") != std::string::npos || projection == "UTM";
    return "+proj=tmerc +lon_0=" + Number(centralMeridian) + " +k=" + (utm ? "0.9996" : "1") + tail;
  }
  if (projection.find("POLYCONIC") != std::string::npos) {
    return "+proj=poly +lon_0=" + Number(centralMeridian) + tail;
  }
  if (projection.find("LAMBERT") != std::string::npos) {
    const auto p2 = Field(header.knq, "P2");
    const auto p3 = Field(header.knq, "P3");
    const bool parallels = p2 && p3 && std::abs(*p2) <= 90 && std::abs(*p3) <= 90;
    const double lat1 = parallels ? *p2 : meanLat;
    const double lat2 = parallels ? *p3 : meanLat;
    return "+proj=lcc +lon_0=" + Number(centralMeridian) + " +lat_1=" + Number(lat1) +
           " +lat_2=" + Number(lat2) + tail;
  }
  return "";
}

std::optional<CKapGeoref> CKapGeoref::Create(const KapHeader& header, std::string& error) {
  CKapGeoref georef;
  georef.dtmLat_ = header.datumShiftLat;
  georef.dtmLon_ = header.datumShiftLon;
  std::string why;
  if (georef.SetUpPolynomials(header, why)) return georef;
  georef.polynomialRejection_ = why;
  if (!why.empty()) Log("Invalid georeferencing: %s\n", why.c_str());
  if (georef.SetUpFit(header, error)) return georef;
  if (!why.empty()) error = why + "; " + error;
  return std::nullopt;
}

bool CKapGeoref::SetUpPolynomials(const KapHeader& header, std::string& why) {
  if (!header.wpx.Valid() || !header.wpy.Valid() || !header.pwx.Valid() || !header.pwy.Valid())
    return false;
  method_ = Method::kPolynomial;
  order_ = header.pwx.order;
  toX_ = header.wpx;
  toY_ = header.wpy;
  toU_ = header.pwx;
  toV_ = header.pwy;
  const double polynomialCentre = toU_.Evaluate(header.width / 2.0, header.height / 2.0);
  if (!std::isfinite(polynomialCentre)) {
    why = "the header polynomials give no centre longitude";
    return false;
  }
  double bestShift = 0.0;
  double bestResidual = 0.0;
  std::vector<double> shifts{0.0};
  if (header.phaseShift != 0.0) {
    shifts.push_back(header.phaseShift);
    shifts.push_back(-header.phaseShift);
  }
  for (size_t i = 0; i < shifts.size(); ++i) {
    polynomialShift_ = shifts[i];
    centreLon_ = polynomialCentre - polynomialShift_;
    const double residual = Residual(header);
    if (i == 0 || residual < bestResidual) {
      bestResidual = residual;
      bestShift = shifts[i];
    }
  }
  polynomialShift_ = bestShift;
  centreLon_ = polynomialCentre - polynomialShift_;
  maxResidual_ = bestResidual;
  if (header.references.size() >= 3 && !(bestResidual <= kPolynomialTolerance)) {
    why = "the header polynomials miss the reference points by " + Number(bestResidual) +
          " pixels";
    return false;
  }
  return true;
}

bool CKapGeoref::SetUpFit(const KapHeader& header, std::string& error) {
  method_ = Method::kReferenceFit;
  std::vector<LatLon> points;
  for (const auto& r : header.references) points.push_back({r.lat, r.lon});
  const auto order = FitOrderForPointCount(points.size());
  if (!order) {
    error = "fewer than 3 reference points (REF/) and no usable polynomials";
    return false;
  }
  UnwrapLongitudes(points);
  centreLon_ = 0.0;
  for (const auto& p : points) centreLon_ += p.lon / static_cast<double>(points.size());

  const std::string definition = KapPlaneDefinition(header);
  plane_.reset();
  planeName_ = "MERCATOR";
  if (!definition.empty()) {
    std::string why;
    plane_ = CProjPlane::Create(definition, why);
    if (plane_) {
      planeName_ = definition;
    } else {
      Log("Invalid georeferencing: %s; fitting in Mercator\n", why.c_str());
    }
  }
  std::vector<PolynomialSample> toX, toY, toU, toV;
  for (size_t i = 0; i < points.size(); ++i) {
    const auto& r = header.references[i];
    const auto planar = ToPlane(points[i]);
    if (!planar) {
      error = "a reference point lies outside the chart's projection";
      return false;
    }
    toX.push_back({planar->x, planar->y, r.x});
    toY.push_back({planar->x, planar->y, r.y});
    toU.push_back({r.x, r.y, planar->x});
    toV.push_back({r.x, r.y, planar->y});
  }
  for (int o = *order; o >= 1; --o) {
    auto x = FitPolynomial(toX, o);
    auto y = FitPolynomial(toY, o);
    auto u = FitPolynomial(toU, o);
    auto v = FitPolynomial(toV, o);
    if (x && y && u && v) {
      toX_ = *x;
      toY_ = *y;
      toU_ = *u;
      toV_ = *v;
      order_ = o;
      maxResidual_ = Residual(header);
      return true;
    }
  }
  error = "the reference points (REF/) lie on a line";
  return false;
}

double CKapGeoref::Continuous(double lon) const {
  return centreLon_ + std::remainder(lon - centreLon_, 360.0);
}

std::optional<PlanePoint> CKapGeoref::ToPlane(LatLon chartDatum) const {
  if (plane_) return plane_->Forward(chartDatum);
  return PlanePoint{kChartEarthA * Continuous(chartDatum.lon) * kDegToRad,
                    MercatorForward(chartDatum.lat, 0.0).y};
}

std::optional<LatLon> CKapGeoref::FromPlane(PlanePoint point) const {
  if (plane_) return plane_->Inverse(point);
  const auto position = MercatorInverse(0.0, point.y);
  if (!position) return std::nullopt;
  return LatLon{position->lat, point.x / kChartEarthA * kRadToDeg};
}

double CKapGeoref::Residual(const KapHeader& header) const {
  double worst = 0.0;
  for (const auto& r : header.references) {
    const auto pixel = GeoToPixel({r.lat + dtmLat_, r.lon + dtmLon_});
    if (!pixel) return HUGE_VAL;
    const double d = std::hypot(pixel->x - r.x, pixel->y - r.y);
    if (!(d <= worst)) worst = d;  // NaN counts as worst
  }
  return worst;
}

std::optional<LatLon> CKapGeoref::PixelToGeo(PixelPoint pixel) const {
  LatLon chart;
  if (method_ == Method::kPolynomial) {
    chart = {toV_.Evaluate(pixel.x, pixel.y), toU_.Evaluate(pixel.x, pixel.y) - polynomialShift_};
  } else {
    const auto position = FromPlane({toU_.Evaluate(pixel.x, pixel.y), toV_.Evaluate(pixel.x, pixel.y)});
    if (!position) return std::nullopt;
    chart = *position;
  }
  const LatLon out{chart.lat + dtmLat_, WrapLongitude(chart.lon + dtmLon_)};
  if (!std::isfinite(out.lat) || !std::isfinite(out.lon) || std::abs(out.lat) > 90)
    return std::nullopt;
  return out;
}

std::optional<PixelPoint> CKapGeoref::GeoToPixel(LatLon position) const {
  const LatLon chart{position.lat - dtmLat_, Continuous(position.lon - dtmLon_)};
  PixelPoint pixel;
  if (method_ == Method::kPolynomial) {
    const double lon = chart.lon + polynomialShift_;
    pixel = {toX_.Evaluate(lon, chart.lat), toY_.Evaluate(lon, chart.lat)};
  } else {
    const auto planar = ToPlane(chart);
    if (!planar) return std::nullopt;
    pixel = {toX_.Evaluate(planar->x, planar->y), toY_.Evaluate(planar->x, planar->y)};
  }
  if (!std::isfinite(pixel.x) || !std::isfinite(pixel.y)) return std::nullopt;
  return pixel;
}

std::optional<PixelPoint> CKapGeoref::MercatorToPixel(MercatorPoint point) const {
  if (method_ == Method::kReferenceFit && !plane_ && dtmLat_ == 0.0 && dtmLon_ == 0.0) {
    const double centreX = kChartEarthA * centreLon_ * kDegToRad;
    const double x = centreX + std::remainder(point.x - centreX, kMercatorWorldWidth);
    return PixelPoint{toX_.Evaluate(x, point.y), toY_.Evaluate(x, point.y)};
  }
  const auto position = MercatorInverse(point.x, point.y);
  if (!position) return std::nullopt;
  return GeoToPixel(*position);
}

}  // namespace tarnwick
