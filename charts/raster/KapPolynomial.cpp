#include "charts/raster/KapPolynomial.h"

#include <algorithm>
#include <cmath>

#include "charts/raster/BsbText.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

// The terms at (u, v), as many as the order has.
int Terms(int order, double u, double v, std::array<double, 12>& t) {
  const int count = KapPolynomialTermCount(order);
  t[0] = 1.0;
  t[1] = u;
  t[2] = v;
  if (count > 3) {
    t[3] = u * u;
    t[4] = u * v;
    t[5] = v * v;
  }
  if (count > 6) {
    t[6] = u * u * u;
    t[7] = u * u * v;
    t[8] = u * v * v;
    t[9] = v * v * v;
  }
  if (count > 10) t[10] = t[3] * t[3];
  if (count > 11) t[11] = t[10] * u;
  return count;
}

// Solves min |A x - b| by Householder QR. a is rows x cols, row-major, and is
// overwritten. False when A's columns are (numerically) dependent.
bool SolveLeastSquares(std::vector<double>& a, std::vector<double>& b, size_t rows, size_t cols,
                       std::span<double> x) {
  double largest = 0.0;
  for (size_t k = 0; k < cols; ++k) {
    double norm = 0.0;
    for (size_t i = k; i < rows; ++i) norm += a[i * cols + k] * a[i * cols + k];
    norm = std::sqrt(norm);
    largest = std::max(largest, norm);
    if (norm == 0.0 || norm <= largest * 1e-9) return false;
    const double alpha = a[k * cols + k] > 0 ? -norm : norm;
    // v = column k below the diagonal with v[k] -= alpha; reflect the rest.
    a[k * cols + k] -= alpha;
    double vv = 0.0;
    for (size_t i = k; i < rows; ++i) vv += a[i * cols + k] * a[i * cols + k];
    for (size_t j = k + 1; j < cols; ++j) {
      double dot = 0.0;
      for (size_t i = k; i < rows; ++i) dot += a[i * cols + k] * a[i * cols + j];
      const double f = 2.0 * dot / vv;
      for (size_t i = k; i < rows; ++i) a[i * cols + j] -= f * a[i * cols + k];
    }
    double dot = 0.0;
    for (size_t i = k; i < rows; ++i) dot += a[i * cols + k] * b[i];
    const double f = 2.0 * dot / vv;
    for (size_t i = k; i < rows; ++i) b[i] -= f * a[i * cols + k];
    a[k * cols + k] = alpha;  // R's diagonal
  }
  for (size_t k = cols; k-- > 0;) {
    double sum = b[k];
    for (size_t j = k + 1; j < cols; ++j) sum -= a[k * cols + j] * x[j];
    x[k] = sum / a[k * cols + k];
  }
  return true;
}

}  // namespace

int KapPolynomialTermCount(int order) {
  static constexpr int kCounts[] = {0, 3, 6, 10, 11, 12};
  return order >= 1 && order <= 5 ? kCounts[order] : 0;
}

double KapPolynomial::Evaluate(double u, double v) const {
  std::array<double, 12> t;
  const int count = Terms(order, (u - uOffset) / scale, (v - vOffset) / scale, t);
  double sum = 0.0;
  for (int i = 0; i < count; ++i) sum += coefficients[i] * t[i];
  return sum;
}

KapPolynomial DecodePolynomial(const std::string& value) {
  const auto numbers = ParseBsbNumbers(value);
  if (!numbers || numbers->empty()) return {};
  const double orderValue = (*numbers)[0];
  const int order = orderValue >= 0 && orderValue <= 100 ? static_cast<int>(orderValue) : -1;
  if (order < 1 || order > 5 || order != orderValue) {
    Log("CRasterChart::DecodePolynomial: invalid order: %d\n", order);
    return {};
  }
  if (static_cast<int>(numbers->size()) - 1 != KapPolynomialTermCount(order)) {
    Log("CRasterChart::DecodePolynomial: Wrong number of terms!\n");
    return {};
  }
  KapPolynomial polynomial;
  polynomial.order = order;
  std::copy(numbers->begin() + 1, numbers->end(), polynomial.coefficients.begin());
  return polynomial;
}

std::optional<KapPolynomial> FitPolynomial(std::span<const PolynomialSample> samples, int order) {
  const int count = KapPolynomialTermCount(order);
  if (order < 1 || order > 3 || samples.size() < static_cast<size_t>(count)) return std::nullopt;
  KapPolynomial fit;
  fit.order = order;
  for (const auto& s : samples) {
    fit.uOffset += s.u;
    fit.vOffset += s.v;
  }
  fit.uOffset /= static_cast<double>(samples.size());
  fit.vOffset /= static_cast<double>(samples.size());
  double spread = 0.0;
  for (const auto& s : samples) {
    spread = std::max({spread, std::abs(s.u - fit.uOffset), std::abs(s.v - fit.vOffset)});
  }
  fit.scale = spread > 0 ? spread : 1.0;

  const size_t rows = samples.size();
  const size_t cols = static_cast<size_t>(count);
  std::vector<double> a(rows * cols);
  std::vector<double> b(rows);
  std::array<double, 12> t;
  for (size_t i = 0; i < rows; ++i) {
    Terms(order, (samples[i].u - fit.uOffset) / fit.scale, (samples[i].v - fit.vOffset) / fit.scale,
          t);
    std::copy_n(t.begin(), cols, a.begin() + static_cast<std::ptrdiff_t>(i * cols));
    b[i] = samples[i].value;
  }
  if (!SolveLeastSquares(a, b, rows, cols, std::span(fit.coefficients).first(cols)))
    return std::nullopt;
  return fit;
}

std::optional<int> FitOrderForPointCount(size_t n) {
  if (n >= 6) return 2;
  if (n >= 3) return 1;
  return std::nullopt;
}

}  // namespace tarnwick
