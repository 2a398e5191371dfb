#pragma once
// The World Magnetic Model coefficient sets the program carries (generated
// tables, see core/geo/wmm/).

#include <span>

namespace tarnwick {

// One Gauss coefficient pair of degree n and order m with its secular variation.
struct WmmTerm {
  int n;
  int m;
  double g;     // nT
  double h;     // nT
  double gDot;  // nT per year
  double hDot;  // nT per year
};

struct WmmCoefficientSet {
  double epoch;  // decimal year the coefficients apply to
  const char* name;
  std::span<const WmmTerm> terms;  // n = 1..12, m = 0..n, in that order
};

extern const WmmCoefficientSet kWmm2015;  // WMM-2015v2
extern const WmmCoefficientSet kWmm2020;
extern const WmmCoefficientSet kWmm2025;

}  // namespace tarnwick
