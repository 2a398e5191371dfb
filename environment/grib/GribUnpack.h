#pragma once
// Unpacking of the n-bit integers of a GRIB1 binary data section into values:
// Y = (R + X × 2^E) × 10^-D for each packed X, most significant bit first.

#include <cstddef>
#include <cstdint>

namespace tarnwick {

struct UnpackParameters {
  double reference = 0;     // R
  double binaryScale = 1;   // 2^E
  double decimalScale = 1;  // 10^-D
  int bits = 0;             // bits per packed value, 0 for a constant field
};

// Fills out[0, count). With a bit map, a point whose bit is 0 gets
// kGribMissing and takes no packed value. The caller makes sure packed holds
// a value for every point present (packedBytes × 8 >= present × bits).
void UnpackValues(const uint8_t* packed, size_t packedBytes, const UnpackParameters& parameters,
                  const uint8_t* bitmap, float* out, size_t count);

}  // namespace tarnwick
