#pragma once
// The georeferencing polynomials of a KAP header (`WPX/`, `WPY/`, `PWX/`,
// `PWY/`) and the same form fitted by least squares to reference points.
//
// Terms, in coefficient order: 1, u, v, u², uv, v², u³, u²v, uv², v³, then u⁴
// (order 4) and u⁵ (order 5). For `WPX/`/`WPY/` u is the longitude and v the
// latitude in degrees and the value a pixel coordinate; for `PWX/`/`PWY/` u, v
// are the pixel x and y and the value the longitude or latitude.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnwick {

// Number of coefficients of a polynomial of the given order (1..5), 0 otherwise.
int KapPolynomialTermCount(int order);

struct KapPolynomial {
  int order = 0;                       // 1..5; 0 when absent or refused
  std::array<double, 12> coefficients{};
  // Subtracted from u and v, then divided by scale, before the terms are
  // formed: 0 and 1 for header polynomials, centring for fitted ones.
  double uOffset = 0.0;
  double vOffset = 0.0;
  double scale = 1.0;

  bool Valid() const { return order >= 1 && order <= 5; }
  double Evaluate(double u, double v) const;
};

// Decodes a header polynomial value "order,c0,c1,...". An order outside 1..5
// logs "CRasterChart::DecodePolynomial: invalid order: %d\n"; a coefficient
// count other than KapPolynomialTermCount(order) logs
// "CRasterChart::DecodePolynomial: Wrong number of terms!\n". Both give an
// empty (cleared) polynomial, as does text that is not a list of numbers.
KapPolynomial DecodePolynomial(const std::string& value);

// One observation for a fit: value observed at (u, v).
struct PolynomialSample {
  double u = 0.0;
  double v = 0.0;
  double value = 0.0;
};

// Least-squares fit of a polynomial of order 1..3 to the samples (at least
// KapPolynomialTermCount(order) of them). None when the samples do not
// determine the terms (too few, or all on a line for order 1).
std::optional<KapPolynomial> FitPolynomial(std::span<const PolynomialSample> samples, int order);

// The order a fit to n reference points uses: 2 from 6 points, 1 from 3, none
// below 3. Never 3: a cubic through scattered points runs wild in the corners
// of the raster beyond them.
std::optional<int> FitOrderForPointCount(size_t n);

}  // namespace tarnwick
