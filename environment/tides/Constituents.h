#pragma once
// The fixed table of 124 harmonic constituents. A constituent's index in this
// table is its number in every harmonic database record (YEARDATA blobs,
// TIDECON contents).

#include <array>
#include <optional>
#include <string_view>

namespace tarnwick {

inline constexpr int kConstituentCount = 124;

struct Constituent {
  const char* name;
  double degreesPerHour;  // angular speed
};

extern const std::array<Constituent, kConstituentCount> kConstituents;

// Angular speed of constituent index (0..123) in radians per second.
double ConstituentSpeed(int index);

// Index of a constituent name as harmonic databases write it: exact table
// names, plus "LDA2" for LAM2 and "RHO1" for RHO. Unknown names: empty.
std::optional<int> FindConstituent(std::string_view name);

}  // namespace tarnwick
