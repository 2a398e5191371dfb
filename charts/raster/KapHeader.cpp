#include "charts/raster/KapHeader.h"

#include <cctype>
#include <cmath>

#include "charts/raster/BsbText.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

constexpr const char* kPaletteNames[kKapPaletteCount] = {"RGB", "DAY", "DSK", "NGT",
                                                         "NGR", "GRY", "PRC", "PRG"};

// Largest raster side accepted, in pixels.
constexpr int kMaxSide = 1 << 20;

bool IsWhole(double v, double lo, double hi) { return v >= lo && v <= hi && v == std::floor(v); }

bool DecodePaletteEntry(const std::string& value, KapPalette& palette) {
  const auto n = ParseBsbNumbers(value);
  if (!n || n->size() < 4 || !IsWhole((*n)[0], 0, 255)) return false;
  for (int i = 1; i <= 3; ++i) {
    if (!IsWhole((*n)[i], 0, 255)) return false;
  }
  const auto index = static_cast<size_t>((*n)[0]);
  palette.colours[index] = {static_cast<uint8_t>((*n)[1]), static_cast<uint8_t>((*n)[2]),
                            static_cast<uint8_t>((*n)[3])};
  palette.present.set(index);
  return true;
}

bool DecodeReference(const std::string& value, KapHeader& header) {
  const auto n = ParseBsbNumbers(value);
  if (!n || n->size() < 5) return false;
  const double lat = (*n)[3];
  const double lon = (*n)[4];
  if (std::abs(lat) > 90 || std::abs(lon) > 360) return false;
  header.references.push_back({(*n)[1], (*n)[2], lat, lon});
  return true;
}

bool DecodeBorder(const std::string& value, KapHeader& header) {
  const auto n = ParseBsbNumbers(value);
  if (!n || n->size() < 3) return false;
  const double lat = (*n)[1];
  const double lon = (*n)[2];
  if (std::abs(lat) > 90 || std::abs(lon) > 360) return false;
  header.border.push_back({lat, lon});
  return true;
}

bool DecodeRasterSize(KapHeader& header) {
  const auto it = header.chart.find("RA");
  if (it == header.chart.end()) return true;
  const auto n = ParseBsbNumbers(it->second);
  if (!n || n->size() != 2 || !IsWhole((*n)[0], 1, kMaxSide) || !IsWhole((*n)[1], 1, kMaxSide))
    return false;
  header.width = static_cast<int>((*n)[0]);
  header.height = static_cast<int>((*n)[1]);
  return true;
}

bool DecodeDistribution(const std::string& value, KapHeader& header) {
  std::string word;
  auto flush = [&] {
    if (word == "CD") header.distribution |= kKapCd;
    else if (word == "DVD") header.distribution |= kKapDvd;
    else if (word == "WEB") header.distribution |= kKapWeb;
    else if (word == "HD") header.distribution |= kKapHd;
    word.clear();
  };
  for (char c : value) {
    if (std::isalpha(static_cast<unsigned char>(c))) {
      word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else {
      flush();
    }
  }
  flush();
  return true;
}

void SetPolynomial(const std::string& value, KapPolynomial& polynomial, KapHeader& header) {
  polynomial = DecodePolynomial(value);
  if (!polynomial.Valid()) header.invalidPolynomial = true;
}

}  // namespace

const char* KapPaletteName(KapPaletteKind kind) { return kPaletteNames[static_cast<int>(kind)]; }

std::optional<KapPaletteKind> ParseKapPaletteName(std::string_view text) {
  for (int i = 0; i < kKapPaletteCount; ++i) {
    if (text == kPaletteNames[i]) return static_cast<KapPaletteKind>(i);
  }
  return std::nullopt;
}

std::string KapHeader::Knp(const std::string& key) const {
  const auto it = knp.find(key);
  return it == knp.end() ? std::string() : it->second;
}

bool DecodeValueLine(const std::string& line, KapHeader& header) {
  const auto split = SplitBsbKeyword(line);
  if (!split) return true;
  const std::string& key = split->keyword;
  const std::string& value = split->value;
  if (const auto palette = ParseKapPaletteName(key)) {
    auto& slot = header.palettes[static_cast<size_t>(*palette)];
    if (!slot) slot.emplace();
    return DecodePaletteEntry(value, *slot);
  }
  if (key == "VER") {
    header.version = TrimBsb(value);
  } else if (key == "BSB" || key == "NOS") {
    for (auto& [k, v] : SplitBsbFields(value)) header.chart.try_emplace(k, v);
    return DecodeRasterSize(header);
  } else if (key == "KNP") {
    header.knp = SplitBsbFields(value);
  } else if (key == "KNQ") {
    header.knq = SplitBsbFields(value);
  } else if (key == "CED") {
    header.ced = SplitBsbFields(value);
  } else if (key == "NTM") {
    header.ntm = SplitBsbFields(value);
  } else if (key == "MDF") {
    header.mdf = TrimBsb(value);
  } else if (key == "CRR") {
    header.copyright = TrimBsb(value);
  } else if (key == "IFM") {
    const auto depth = ParseBsbDouble(value);
    if (!depth || !IsWhole(*depth, 1, 7)) {
      Log("Unknown NOS compression type %d\n",
          depth && std::abs(*depth) < 1e9 ? static_cast<int>(*depth) : 0);
      return false;
    }
    header.bitsPerPixel = static_cast<int>(*depth);
  } else if (key == "REF" || key == "FEF") {
    return DecodeReference(value, header);
  } else if (key == "PLY") {
    return DecodeBorder(value, header);
  } else if (key == "RPR") {
    return DecodeDistribution(value, header);
  } else if (key == "DTM") {
    const auto n = ParseBsbNumbers(value);
    if (!n || n->size() != 2) {
      Log("Invalid parameters for DTM: %s\n", value.c_str());
      return false;
    }
    header.datumShiftLat = (*n)[0] / 3600.0;
    header.datumShiftLon = (*n)[1] / 3600.0;
  } else if (key == "CPH") {
    const auto shift = ParseBsbDouble(value);
    if (!shift) return false;
    header.phaseShift = *shift;
  } else if (key == "WPX") {
    SetPolynomial(value, header.wpx, header);
  } else if (key == "WPY") {
    SetPolynomial(value, header.wpy, header);
  } else if (key == "PWX") {
    SetPolynomial(value, header.pwx, header);
  } else if (key == "PWY") {
    SetPolynomial(value, header.pwy, header);
  }
  // OST/, ERR/, NTL/, FST/, OGN/, PTC/ and keywords of other producers
  // (ADN, ARE, ...) carry nothing the chart needs.
  return true;
}

bool DecodeKapHeader(std::string_view text, const std::string& name, KapHeader& header,
                     std::string& error) {
  for (const std::string& line : SplitBsbLines(text)) {
    if (!DecodeValueLine(line, header)) {
      Log("DecodeValueLine failed; \"%s\"\n", line.c_str());
      error = "cannot decode header line \"" + line + "\"";
      return false;
    }
  }
  if (header.bitsPerPixel == 0) {
    Log("m_nCompType == 0: %s\n", name.c_str());
    error = "no IFM/ (bits per pixel) in the header";
    return false;
  }
  if (header.width == 0 || header.height == 0) {
    Log("ReadKapFile: no raster size (BSB/RA) in %s\n", name.c_str());
    error = "no raster size (BSB/RA) in the header";
    return false;
  }
  return true;
}

}  // namespace tarnwick
