#include "environment/grib/GribParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "environment/grib/GribTables.h"
#include "environment/grib/GribTime.h"
#include "environment/grib/GribUnpack.h"

namespace tarnwick {
namespace {

constexpr size_t kIndicatorSearch = 100;  // the indicator is looked for within this many bytes
constexpr size_t kIndicatorLength = 8;
constexpr size_t kMinPds = 28;
constexpr size_t kMinBds = 11;
constexpr size_t kMinBms = 6;
constexpr size_t kEndLength = 4;  // "7777"
constexpr int kMissingOctet = 255;
// The most points a record may have (a 0.05° global grid has 26 million):
// a constant field needs no data octets, so the grid alone would set the size.
constexpr size_t kMaxGridPoints = size_t{32} << 20;
// The most parallels between a pole and the equator of a Gaussian grid read
// (N1280, about 0.07°, is the finest in use).
constexpr int kMaxGaussianParallels = 2048;

uint32_t U16(const uint8_t* p) {
  return (uint32_t{p[0]} << 8) | p[1];
}
uint32_t U24(const uint8_t* p) {
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}
uint32_t U32(const uint8_t* p) {
  return (U24(p) << 8) | p[3];
}
// Sign and magnitude, as GRIB1 writes signed numbers.
int S16(const uint8_t* p) {
  const int magnitude = static_cast<int>(U16(p) & 0x7fff);
  return (p[0] & 0x80) ? -magnitude : magnitude;
}
int S24(const uint8_t* p) {
  const int magnitude = static_cast<int>(U24(p) & 0x7fffff);
  return (p[0] & 0x80) ? -magnitude : magnitude;
}
// Millidegrees as degrees, divided so that 7270 reads 7.27 exactly as printed.
double Millidegrees(const uint8_t* p) {
  return S24(p) / 1000.0;
}

GribParseResult Corrupt(std::string reason) {
  return {GribParseStatus::Corrupt, 0, std::move(reason)};
}

// The forecast amount in the record's time unit: P1, P1 and P2 as one number
// for indicator 10, and the end of the period (P2) for values over a period
// (2 range, 3 average, 4 accumulation, 5 difference), complete only then.
int64_t ForecastAmount(const GribRecord& r) {
  if (r.timeRange == 10) return r.p1 * 256 + r.p2;
  if (r.timeRange >= 2 && r.timeRange <= 5 && r.p2 >= r.p1) return r.p2;
  return r.p1;
}

void ReadTimes(GribRecord& r) {
  const bool missing = r.month == kMissingOctet || r.day == kMissingOctet ||
                       r.hour == kMissingOctet || r.minute == kMissingOctet;
  if (missing || r.year < 1) return;
  r.referenceTime = UtcSeconds(r.year, r.month, r.day, r.hour, r.minute);
  if (!r.referenceTime) return;
  r.validTime = AddForecastTime(*r.referenceTime, r.timeUnit, ForecastAmount(r));
  r.offsetHours = static_cast<double>(*r.validTime - *r.referenceTime) / 3600.0;
}

void ReadPds(const uint8_t* p, size_t length, GribRecord& r) {
  r.table = p[3];
  r.centre = p[4];
  r.process = p[5];
  r.gridId = p[6];
  r.parameter = p[8];
  r.levelType = p[9];
  r.level = static_cast<int>(U16(p + 10));
  const int yearOfCentury = p[12];
  r.month = p[13];
  r.day = p[14];
  r.hour = p[15];
  r.minute = p[16];
  r.timeUnit = p[17];
  r.p1 = p[18];
  r.p2 = p[19];
  r.timeRange = p[20];
  const int century = p[24];
  r.subCentre = p[25];
  r.decimalScale = S16(p + 26);
  if (yearOfCentury != kMissingOctet && century != kMissingOctet)
    r.year = (century - 1) * 100 + yearOfCentury;
  if (length > kMinPds) r.extraPds.assign(p + kMinPds, p + length);
  ReadTimes(r);
  if (auto mapping = WeatherTypeOfParameter(r.centre, r.table, r.parameter)) {
    r.weatherType = mapping->type;
    r.weatherScale = mapping->scale;
  }
}

// Reads the grid description; false when the section is too short for its type.
bool ReadGds(const uint8_t* p, size_t length, GribGrid& g) {
  g.representation = p[5];
  const bool latLonFamily = g.representation == kGridLatLon || g.representation == kGridGaussian ||
                            g.representation == kGridRotatedLatLon;
  if (!latLonFamily && g.representation != kGridPolarStereographic) return true;
  if (length < 28) return false;
  g.ni = static_cast<int>(U16(p + 6));
  g.nj = static_cast<int>(U16(p + 8));
  g.la1 = Millidegrees(p + 10);
  g.lo1 = Millidegrees(p + 13);
  g.resolutionFlags = p[16];
  if (g.representation == kGridPolarStereographic) {
    g.orientation = Millidegrees(p + 17);
    g.dxMetres = U24(p + 20);
    g.dyMetres = U24(p + 23);
    g.projectionCentre = p[26];
    g.scanMode = p[27];
    return true;
  }
  g.la2 = Millidegrees(p + 17);
  g.lo2 = Millidegrees(p + 20);
  const uint32_t di = U16(p + 23);
  const uint32_t dj = U16(p + 25);
  if (di != 0xffff) g.di = di / 1000.0;
  if (g.representation == kGridGaussian) {
    g.gaussianParallels = static_cast<int>(dj);
  } else if (dj != 0xffff) {
    g.dj = dj / 1000.0;
  }
  g.scanMode = p[27];
  if (g.representation == kGridRotatedLatLon) {
    if (length < 42) return false;
    g.southPoleLat = Millidegrees(p + 32);
    g.southPoleLon = Millidegrees(p + 35);
    g.rotationAngle = IbmFloat(U32(p + 38));
  }
  return true;
}

size_t CountOnes(const uint8_t* bits, size_t count) {
  size_t ones = 0;
  const size_t whole = count / 8;
  for (size_t i = 0; i < whole; ++i) ones += static_cast<size_t>(__builtin_popcount(bits[i]));
  const size_t rest = count % 8;
  if (rest) ones += static_cast<size_t>(__builtin_popcount(bits[whole] >> (8 - rest)));
  return ones;
}

}  // namespace

double IbmFloat(uint32_t bits) {
  const uint32_t mantissa = bits & 0xffffff;
  if (mantissa == 0) return 0;
  const int exponent = static_cast<int>((bits >> 24) & 0x7f) - 64;
  const double value = std::ldexp(static_cast<double>(mantissa), 4 * exponent - 24);
  return (bits & 0x80000000u) ? -value : value;
}

bool GribGrid::Placeable() const {
  const bool kind = representation == kGridLatLon || representation == kGridGaussian ||
                    representation == kGridRotatedLatLon || representation == kGridPolarStereographic;
  // 0xffff along a row marks a quasi-regular (reduced) grid.
  return kind && ni > 0 && nj > 0 && ni != 0xffff && nj != 0xffff && PointCount() <= kMaxGridPoints &&
         (representation != kGridGaussian || (gaussianParallels > 0 && gaussianParallels <= kMaxGaussianParallels &&
                                               nj <= 2 * gaussianParallels)) &&
         (representation != kGridPolarStereographic || (dxMetres > 0 && dyMetres > 0));
}

GribParseResult ParseGribRecord(const uint8_t* data, size_t size, size_t fileOffset,
                                GribRecord& record, GribDecode decode) {
  {
    std::vector<float> values = std::move(record.values);
    std::vector<uint8_t> extra = std::move(record.extraPds);
    values.clear();
    extra.clear();
    record = GribRecord{};
    record.values = std::move(values);
    record.extraPds = std::move(extra);
  }
  // Records may be padded with zeros to fixed-size blocks (of 120 bytes in
  // some archives); the window for the indicator starts after the padding.
  size_t start = 0;
  while (start < size && data[start] == 0) ++start;
  const size_t searchEnd = size < start + 4 ? 0 : std::min(start + kIndicatorSearch, size - 3);
  while (start < searchEnd && std::memcmp(data + start, "GRIB", 4) != 0) ++start;
  if (start >= searchEnd) return {GribParseStatus::NoRecord, 0, {}};
  const uint8_t* is = data + start;
  const size_t available = size - start;
  if (available < kIndicatorLength) return Corrupt("the file ends inside the indicator section");
  const int edition = is[7];
  record.offset = fileOffset + start;
  if (edition == 2) {
    if (available < 16) return Corrupt("the file ends inside an edition 2 indicator section");
    uint64_t total = 0;
    for (int i = 8; i < 16; ++i) total = (total << 8) | is[i];
    if (total < 16 || total > available) return Corrupt("an edition 2 message runs past the end of the file");
    return {GribParseStatus::OtherEdition, start + total, "GRIB edition 2 is not read"};
  }
  if (edition != 1) return Corrupt("GRIB edition " + std::to_string(edition) + " is not read");

  const size_t total = U24(is + 4);
  record.length = total;
  if (total > available) return Corrupt("the record runs past the end of the file");
  if (total < kIndicatorLength + kMinPds + kMinBds + kEndLength || std::memcmp(is + total - 4, "7777", 4) != 0)
    return Corrupt("the record's length does not end at \"7777\"");
  const size_t end = total - kEndLength;  // sections must lie before the end marker
  size_t at = kIndicatorLength;

  const size_t pdsLength = U24(is + at);
  if (pdsLength < kMinPds || at + pdsLength > end) return Corrupt("bad product definition section length");
  const uint8_t* pds = is + at;
  const int flags = pds[7];
  ReadPds(pds, pdsLength, record);
  at += pdsLength;

  if (flags & 0x80) {
    if (at + 6 > end) return Corrupt("the grid description section is cut short");
    const size_t gdsLength = U24(is + at);
    if (gdsLength < 6 || at + gdsLength > end) return Corrupt("bad grid description section length");
    if (!ReadGds(is + at, gdsLength, record.grid)) return Corrupt("the grid description section is too short for its grid");
    at += gdsLength;
  }

  const uint8_t* bitmap = nullptr;
  size_t bitmapBits = 0;
  bool predefinedBitmap = false;
  if (flags & 0x40) {
    if (at + kMinBms > end) return Corrupt("the bit map section is cut short");
    const size_t bmsLength = U24(is + at);
    if (bmsLength < kMinBms || at + bmsLength > end) return Corrupt("bad bit map section length");
    const uint8_t* bms = is + at;
    const size_t unused = bms[3];
    predefinedBitmap = U16(bms + 4) != 0;
    if ((bmsLength - kMinBms) * 8 < unused) return Corrupt("bad bit map section length");
    bitmapBits = (bmsLength - kMinBms) * 8 - unused;
    bitmap = bms + kMinBms;
    record.hasBitmap = true;
    at += bmsLength;
  }

  if (at + kMinBds > end) return Corrupt("the binary data section is cut short");
  const size_t bdsLength = U24(is + at);
  if (bdsLength < kMinBds || at + bdsLength > end) return Corrupt("bad binary data section length");
  const uint8_t* bds = is + at;
  const int bdsFlags = bds[3] >> 4;
  const size_t unusedBits = bds[3] & 0x0f;
  record.binaryScale = S16(bds + 4);
  record.referenceValue = IbmFloat(U32(bds + 6));
  record.bitsPerValue = bds[10];
  const uint8_t* packed = bds + kMinBds;
  const size_t packedBytes = bdsLength - kMinBds;

  const GribParseResult skipped{GribParseStatus::Skipped, start + total, {}};
  auto skip = [&](std::string reason) {
    GribParseResult result = skipped;
    result.reason = std::move(reason);
    return result;
  };
  const bool described = flags & 0x80;
  if (described && !record.grid.Placeable()) {
    return skip("grid type " + std::to_string(record.grid.representation) +
                (record.grid.ni == 0xffff ? " (quasi-regular)" : "") + " is not read");
  }
  if (bdsFlags & 0x8) return skip("spherical harmonic coefficients are not read");
  if (bdsFlags & 0x4) return skip("second-order packing is not read");
  if (predefinedBitmap) return skip("a predefined bit map is not read");

  // The number of points: the grid's; without a grid description the bit
  // map's bits, or without either the values the data section holds.
  size_t gridPoints = record.grid.PointCount();
  if (!described) {
    const size_t dataBits = packedBytes * 8;
    if (bitmap) gridPoints = bitmapBits;
    else if (record.bitsPerValue > 0 && dataBits >= unusedBits) gridPoints = (dataBits - unusedBits) / record.bitsPerValue;
    if (gridPoints == 0 || gridPoints > kMaxGridPoints) return skip("no grid description and no count of points");
  }
  if (bitmap && bitmapBits < gridPoints) return skip("the bit map is shorter than the grid");
  const size_t present = bitmap ? CountOnes(bitmap, gridPoints) : gridPoints;
  if (record.bitsPerValue > 0) {
    const size_t dataBits = packedBytes * 8;
    const size_t available = dataBits >= unusedBits ? (dataBits - unusedBits) / record.bitsPerValue : 0;
    // A section padded to an even length may hold part of one more value.
    const bool padding = available > present && (available - present) * record.bitsPerValue < 16;
    if (available != present && !padding) {
      return skip("the data section holds " + std::to_string(available + (gridPoints - present)) +
                  " points, the grid " + std::to_string(gridPoints));
    }
  }
  record.pointCount = gridPoints;
  record.missingCount = gridPoints - present;
  if (decode == GribDecode::Header) return {GribParseStatus::Decoded, start + total, {}};

  record.values.resize(gridPoints);
  UnpackParameters unpack;
  unpack.reference = record.referenceValue;
  unpack.binaryScale = std::ldexp(1.0, record.binaryScale);
  unpack.decimalScale = std::pow(10.0, -record.decimalScale);
  unpack.bits = record.bitsPerValue;
  UnpackValues(packed, packedBytes, unpack, bitmap, record.values.data(), gridPoints);
  record.decoded = true;
  return {GribParseStatus::Decoded, start + total, {}};
}

}  // namespace tarnwick
