#pragma once
// The presentation library's colour tables: one per colour scheme ("DAY",
// "DUSK", "NIGHT"), each a list of colour tokens ("DEPDW", "CHBLK", ...) with
// their CIE x, y, L values and the sRGB colour made from them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charts/s52/S52Module.h"

namespace tarnwick {

enum class S52Scheme : int { Day = 0, Dusk = 1, Night = 2 };
inline constexpr int kS52SchemeCount = 3;

// "DAY", "DUSK", "NIGHT".
const char* S52SchemeName(S52Scheme scheme);
// The scheme of a table name (case-insensitive), or none for any other name.
std::optional<S52Scheme> ParseS52Scheme(std::string_view name);

struct S52Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const S52Rgb&) const = default;
};

// "#rrggbb".
std::string S52RgbHex(S52Rgb rgb);

// CIE chromaticity x, y (0..1) and luminance L (0..100) of the library's
// white point to sRGB: the chromaticities are brought to D65 (x * 1.1167858,
// y * 1.0612903), made into XYZ with Y = L / 100, turned into linear sRGB by
// the IEC 61966-2-1 matrix, gamma-encoded, clamped to 0..1 and scaled to
// 0..255 (rounded). A y of 0 gives black.
S52Rgb S52CieToRgb(double x, double y, double luminance);

struct S52Colour {
  std::string token;  // 5 characters
  double x = 0;
  double y = 0;
  double luminance = 0;
  std::string name;   // "pale_blue"
  S52Rgb rgb;
};

class CS52ColourTables {
 public:
  // Reads one COLS module with its CCIE fields. A table of another name than
  // the three schemes is ignored (true, nothing stored); a malformed module
  // gives false and error. A second table of the same scheme replaces the first.
  bool AddModule(const S52Module& module, std::string& error);

  // The colour of token in scheme, or none when the token is unknown.
  std::optional<S52Rgb> Find(S52Scheme scheme, std::string_view token) const;
  // Every colour of a scheme, sorted by token.
  const std::vector<S52Colour>& Colours(S52Scheme scheme) const {
    return tables_[static_cast<int>(scheme)];
  }
  bool Empty() const;

 private:
  std::vector<S52Colour> tables_[kS52SchemeCount];
};

}  // namespace tarnwick
