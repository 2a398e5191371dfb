#pragma once
// Harmonic prediction for one station: the level (or current speed) as a sum
// of cosines over the constituents, with the year's node factors and
// equilibrium arguments, smoothly blended across 1 January; its highs and lows
// (maximum flood and ebb, and slack water for currents); and subordinate
// stations derived from a reference by time and level offsets per event.
// Not thread-safe: each object caches the loaded year and a pair of events.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "environment/tides/HarmonicYears.h"
#include "environment/tides/TideEvent.h"
#include "environment/tides/ZeroSearch.h"

namespace tarnwick {

struct HarmonicConstant {
  double amplitude = 0;  // station units (knots squared for a hydraulic current)
  double phase = 0;      // radians
};

// Offsets of a subordinate station from its reference. Low applies to low
// water and maximum ebb, high to high water and maximum flood; the slack
// offsets to the turns of a current (to flood, to ebb).
struct SubordinateCorrections {
  double lowMultiplier = 1;
  double lowOffset = 0;
  double highMultiplier = 1;
  double highOffset = 0;
  int64_t lowTimeOffset = 0;  // seconds
  int64_t highTimeOffset = 0;
  int64_t floodBeginsOffset = 0;
  int64_t ebbBeginsOffset = 0;
};

// The span of levels a graph needs (station units).
struct LevelRange {
  double upper = 0;
  double lower = 0;
  double mid = 0;
  double halfRange = 0;
};

class HarmonicStation {
 public:
  // constants[c] belongs to constituent c (at most kConstituentCount);
  // datum: mean level added to every prediction (station units; knots for a
  // hydraulic current); meridianOffset: seconds added to the time before the
  // phase is taken; hydraulic: amplitudes are in knots squared; current: the
  // station predicts a current (slack events too).
  HarmonicStation(std::shared_ptr<CHarmonicYears> years, std::vector<HarmonicConstant> constants,
                  double datum, int64_t meridianOffset, bool hydraulic, bool current);

  void SetSubordinate(const SubordinateCorrections& corrections);
  bool IsSubordinate() const { return subordinate_; }
  bool IsCurrent() const { return current_; }
  bool IsHydraulic() const { return hydraulic_; }
  double Datum() const { return datum_; }
  const CHarmonicYears& Years() const { return *years_; }

  // The normalised value (about -1..1) or its derivative of order 0..3 (per
  // second^order) at t (seconds since 1970); 0 outside the table's years.
  double Normalised(int64_t t, int order);
  // The largest sum of amplitude x node factor over the table's years.
  double MaxAmplitude();
  // 1.1 x the largest sum of normalised amplitude x speed^order (order 1..3).
  double DerivativeBound(int order);

  // The level (station units) or current (knots, flood positive) at t; for a
  // subordinate station interpolated between its events. Empty outside the
  // table's years.
  std::optional<double> Level(int64_t t);
  // The reference curve's level at t, before any subordinate offsets.
  std::optional<double> ReferenceLevel(int64_t t);
  // Events with start <= time <= end, ordered by time.
  std::vector<TideEvent> Events(int64_t start, int64_t end);
  LevelRange Range();

 private:
  struct LoadedYear {
    int year = 0;
    int64_t start = 0;
    std::vector<double> weight;    // w[c] per active constituent
    std::vector<double> argument;  // V0+u - phase per active constituent, radians
  };

  const LoadedYear* Load(int year);
  // Derivatives 0..maxOrder of one year's sum at t.
  void YearSums(const LoadedYear& year, int64_t t, int maxOrder, double* out) const;
  // Derivatives 0..maxOrder of the blended sum at t; false outside the years.
  bool Sums(int64_t t, int maxOrder, double* out);
  double Denormalise(double value);
  std::vector<TideEvent> ReferenceEvents(int64_t start, int64_t end);
  void AddZeros(std::vector<TideEvent>& events, const ZeroFunction& f, int64_t start, int64_t end,
                int risingType, int fallingType);
  std::optional<double> SubordinateLevel(int64_t t);

  std::shared_ptr<CHarmonicYears> years_;
  std::vector<int> active_;          // constituents with an amplitude
  std::vector<double> amplitude_;    // per active constituent
  std::vector<double> phase_;        // per active constituent, radians
  std::vector<double> speed_;        // per active constituent, radians per second
  double datum_;
  int64_t meridianOffset_;
  bool hydraulic_;
  bool current_;
  bool subordinate_ = false;
  SubordinateCorrections corrections_;

  double maxAmplitude_ = 0;                     // 0 = not yet computed
  std::array<double, 4> derivativeBound_{};     // [1..3]; 0 = not yet computed
  std::array<LoadedYear, 2> loaded_{};          // the two most recent years
  size_t nextSlot_ = 0;
  std::optional<std::pair<TideEvent, TideEvent>> bracket_;  // subordinate interpolation
};

}  // namespace tarnwick
