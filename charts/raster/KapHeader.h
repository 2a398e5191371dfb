#pragma once
// The text header of a KAP raster chart file: what each keyword line keeps,
// decoded from the header text alone (no raster data, no file).

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charts/raster/KapPolynomial.h"
#include "core/geo/LatLon.h"

namespace tarnwick {

// The eight palettes a KAP file may carry, in this order.
enum class KapPaletteKind : uint8_t { RGB, DAY, DSK, NGT, NGR, GRY, PRC, PRG };
inline constexpr int kKapPaletteCount = 8;
// "RGB", "DAY", ... for a kind.
const char* KapPaletteName(KapPaletteKind kind);
// The kind named by text (exact, upper case), none for any other text.
std::optional<KapPaletteKind> ParseKapPaletteName(std::string_view text);

struct KapColour {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const KapColour&, const KapColour&) = default;
};

// Entries are numbered as in the file (1 upwards; 0 is accepted too).
struct KapPalette {
  std::array<KapColour, 256> colours{};
  std::bitset<256> present;
  int Count() const { return static_cast<int>(present.count()); }
};

// `REF/` point: pixel position (x right, y down, as in the file) and position
// in the chart's datum, degrees.
struct KapRefPoint {
  double x = 0.0;
  double y = 0.0;
  double lat = 0.0;
  double lon = 0.0;
};

// `RPR/` distribution flags.
enum KapDistribution : unsigned { kKapCd = 1, kKapDvd = 2, kKapWeb = 4, kKapHd = 8 };

struct KapHeader {
  std::string version;                        // VER/
  std::map<std::string, std::string> chart;   // BSB/ or NOS/: NA, NU, RA, DU...
  std::map<std::string, std::string> knp;     // KNP/: SC, GD, PR, PP, SK, UN, SD...
  std::map<std::string, std::string> knq;     // KNQ/
  std::map<std::string, std::string> ced;     // CED/: SE, RE, ED
  std::map<std::string, std::string> ntm;     // NTM/: NE, ND
  std::string mdf;                            // MDF/
  std::string copyright;                      // CRR/
  int bitsPerPixel = 0;                       // IFM/, 1..7; 0 when absent
  int width = 0;                              // BSB/RA, pixels
  int height = 0;
  std::array<std::optional<KapPalette>, kKapPaletteCount> palettes;
  std::vector<KapRefPoint> references;        // REF/ (and FEF/)
  std::vector<LatLon> border;                 // PLY/, degrees in the chart's datum
  unsigned distribution = 0;                  // RPR/ flags
  double datumShiftLat = 0.0;                 // DTM/, degrees (file: seconds of arc)
  double datumShiftLon = 0.0;
  double phaseShift = 0.0;                    // CPH/; non-zero marks a shifted chart
  KapPolynomial wpx, wpy;                     // geographic -> pixel x, y
  KapPolynomial pwx, pwy;                     // pixel -> longitude, latitude
  bool invalidPolynomial = false;             // a polynomial line was refused

  const KapPalette* Palette(KapPaletteKind kind) const {
    const auto& p = palettes[static_cast<size_t>(kind)];
    return p ? &*p : nullptr;
  }
  // A KNP/ value ("" when absent).
  std::string Knp(const std::string& key) const;
};

// Decodes one logical line into header. Unknown keywords and comments are
// accepted and ignored. False (the line fails) for a known keyword whose value
// does not decode: IFM/ outside 1..7 also logs "Unknown NOS compression type
// %d\n"; a DTM/ that is not two numbers logs "Invalid parameters for DTM:
// %s\n". A refused polynomial does not fail the line: it is cleared and
// invalidPolynomial set.
bool DecodeValueLine(const std::string& line, KapHeader& header);

// Decodes the whole header text (up to 0x1A). A failing line logs
// "DecodeValueLine failed; \"%s\"\n"; a header without IFM/ logs
// "m_nCompType == 0: %s\n" (with name); a header without a raster size
// (BSB/RA) is refused too. On failure error holds the reason and header is
// partly filled.
bool DecodeKapHeader(std::string_view text, const std::string& name, KapHeader& header,
                     std::string& error);

}  // namespace tarnwick
