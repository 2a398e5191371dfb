#pragma once
// Pixel <-> geographic conversion of a KAP panel.
//
// With all four header polynomials (WPX/, WPY/, PWX/, PWY/) the conversion
// uses them, provided they reproduce the chart's REF/ points within
// kPolynomialTolerance pixels (a non-zero CPH/ phase shift is tried as a
// longitude offset of the polynomials when they do not). Otherwise the REF/
// points are projected into the chart's plane (the chart Mercator for
// MERCATOR and unknown projections; PROJ's transverse Mercator, UTM, polyconic
// and Lambert conformal conic with the KNP/ and KNQ/ parameters) and
// polynomials pixel <-> plane are fitted to them by least squares, of order 1
// from 3 points and 2 from 6 (FitOrderForPointCount). Skewed charts need nothing more: the
// polynomials carry the rotation.
//
// Header positions are in the chart's datum; the DTM/ shift is added on the
// way out (WGS 84 = chart datum + shift) and taken off on the way in.
// Longitudes are made continuous around the chart's centre, so panels across
// the antimeridian convert as any other.

#include <memory>
#include <optional>
#include <string>

#include "charts/raster/GeoRaster.h"
#include "charts/raster/KapHeader.h"
#include "charts/raster/KapPolynomial.h"
#include "charts/raster/ProjPlane.h"

namespace tarnwick {

class CKapGeoref {
 public:
  enum class Method { kPolynomial, kReferenceFit };

  // Largest distance, in pixels, between a REF/ point and where the header
  // polynomials put it before they are set aside for a fit.
  static constexpr double kPolynomialTolerance = 5.0;

  // Sets up the conversion. None, with the reason in error, when neither the
  // polynomials nor the reference points can give one.
  static std::optional<CKapGeoref> Create(const KapHeader& header, std::string& error);

  std::optional<LatLon> PixelToGeo(PixelPoint pixel) const;
  std::optional<PixelPoint> GeoToPixel(LatLon position) const;
  std::optional<PixelPoint> MercatorToPixel(MercatorPoint point) const;

  Method GetMethod() const { return method_; }
  // Order of the fitted polynomials, or of the header's PWX/.
  int Order() const { return order_; }
  // The plane of a fit: "MERCATOR", or the PROJ definition.
  const std::string& Plane() const { return planeName_; }
  // Largest distance, pixels, between a REF/ point and its converted position
  // (0 without REF/ points).
  double MaxResidual() const { return maxResidual_; }
  // Longitude offset applied to the header polynomials (0 or +-CPH/).
  double PolynomialLongitudeShift() const { return polynomialShift_; }
  // Why the header polynomials were set aside ("" when used or absent).
  const std::string& PolynomialRejection() const { return polynomialRejection_; }

 private:
  CKapGeoref() = default;
  bool SetUpPolynomials(const KapHeader& header, std::string& why);
  bool SetUpFit(const KapHeader& header, std::string& error);
  double Residual(const KapHeader& header) const;
  std::optional<PlanePoint> ToPlane(LatLon chartDatum) const;
  std::optional<LatLon> FromPlane(PlanePoint point) const;
  double Continuous(double lon) const;

  Method method_ = Method::kPolynomial;
  int order_ = 0;
  KapPolynomial toX_, toY_;      // geographic or plane -> pixel
  KapPolynomial toU_, toV_;      // pixel -> geographic (lon, lat) or plane (x, y)
  double dtmLat_ = 0.0, dtmLon_ = 0.0;
  double centreLon_ = 0.0;       // chart datum, continuous reference
  double polynomialShift_ = 0.0;
  std::string planeName_;
  std::shared_ptr<const CProjPlane> plane_;  // null for the chart Mercator
  double maxResidual_ = 0.0;
  std::string polynomialRejection_;
};

// The PROJ definition of a KAP chart's plane from its KNP/ and KNQ/ values,
// or "" for the chart Mercator (MERCATOR, and projections PROJ is not given).
std::string KapPlaneDefinition(const KapHeader& header);

}  // namespace tarnwick
