#pragma once
// Builds GRIB1 records byte by byte for the parser's tests: the sections with
// the fields a test names, packed values of any width, an optional bit map.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::testing {

struct TestRecord {
  int edition = 1;
  int table = 2, centre = 7, parameter = 2, levelType = 1, level = 0;
  int year = 2024, month = 6, day = 1, hour = 0, minute = 0;
  int timeUnit = 1, p1 = 0, p2 = 0, timeRange = 0;
  int decimalScale = 0;
  bool gds = true;
  int representation = 0, ni = 3, nj = 2, scan = 0, resolutionFlags = 0x80;
  int la1 = 60000, lo1 = 0, la2 = 59000, lo2 = 2000, di = 1000, dj = 1000;  // millidegrees
  int southPoleLat = 0, southPoleLon = 0;  // rotated grids, millidegrees
  std::optional<std::vector<bool>> bitmap{};
  int bits = 16, binaryScale = 0;
  double reference = 0;
  std::vector<uint64_t> packed{};  // X of each point present
};

inline void Put(std::vector<uint8_t>& out, uint64_t value, int octets) {
  for (int i = octets - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void PutSigned(std::vector<uint8_t>& out, int value, int octets) {
  const uint64_t magnitude = static_cast<uint64_t>(std::abs(value));
  Put(out, magnitude | (value < 0 ? uint64_t{1} << (8 * octets - 1) : 0), octets);
}
inline void PutLength(std::vector<uint8_t>& out, size_t at) {
  const size_t length = out.size() - at;
  out[at] = static_cast<uint8_t>(length >> 16);
  out[at + 1] = static_cast<uint8_t>(length >> 8);
  out[at + 2] = static_cast<uint8_t>(length);
}

// The IBM single-precision float nearest a double (for reference values).
inline uint32_t IbmBits(double x) {
  if (x == 0) return 0;
  const uint32_t sign = x < 0 ? 0x80000000u : 0;
  x = std::fabs(x);
  int exponent = 64;
  while (x >= 1) x /= 16, ++exponent;
  while (x < 1.0 / 16) x *= 16, --exponent;
  const auto mantissa = static_cast<uint32_t>(std::lround(x * 16777216.0));
  return sign | (static_cast<uint32_t>(exponent) << 24) | (mantissa & 0xffffff);
}

inline std::vector<uint8_t> BuildRecord(const TestRecord& r) {
  std::vector<uint8_t> out = {'G', 'R', 'I', 'B', 0, 0, 0, static_cast<uint8_t>(r.edition)};
  size_t at = out.size();
  Put(out, 0, 3);
  const int century = (r.year - 1) / 100 + 1;
  const int yearOfCentury = r.year - (century - 1) * 100;
  const int flags = (r.gds ? 0x80 : 0) | (r.bitmap ? 0x40 : 0);
  for (int v : {r.table, r.centre, 0, 255, flags, r.parameter, r.levelType}) Put(out, static_cast<uint64_t>(v), 1);
  Put(out, static_cast<uint64_t>(r.level), 2);
  for (int v : {yearOfCentury, r.month, r.day, r.hour, r.minute, r.timeUnit, r.p1, r.p2, r.timeRange, 0, 0, 0, century, 0})
    Put(out, static_cast<uint64_t>(v), 1);
  PutSigned(out, r.decimalScale, 2);
  PutLength(out, at);
  if (r.gds) {
    at = out.size();
    Put(out, 0, 3);
    Put(out, 0, 1);
    Put(out, 255, 1);
    Put(out, static_cast<uint64_t>(r.representation), 1);
    Put(out, static_cast<uint64_t>(r.ni), 2);
    Put(out, static_cast<uint64_t>(r.nj), 2);
    PutSigned(out, r.la1, 3);
    PutSigned(out, r.lo1, 3);
    Put(out, static_cast<uint64_t>(r.resolutionFlags), 1);
    PutSigned(out, r.la2, 3);
    PutSigned(out, r.lo2, 3);
    Put(out, static_cast<uint64_t>(r.di), 2);
    Put(out, static_cast<uint64_t>(r.dj), 2);
    Put(out, static_cast<uint64_t>(r.scan), 1);
    Put(out, 0, 4);
    if (r.representation == 10) {
      PutSigned(out, r.southPoleLat, 3);
      PutSigned(out, r.southPoleLon, 3);
      Put(out, 0, 4);
    }
    PutLength(out, at);
  }
  if (r.bitmap) {
    at = out.size();
    const size_t bytes = (r.bitmap->size() + 7) / 8 + ((r.bitmap->size() + 7) / 8 % 2);  // even length
    Put(out, 0, 3);
    Put(out, bytes * 8 - r.bitmap->size(), 1);
    Put(out, 0, 2);
    std::vector<uint8_t> bits(bytes, 0);
    for (size_t i = 0; i < r.bitmap->size(); ++i)
      if ((*r.bitmap)[i]) bits[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    out.insert(out.end(), bits.begin(), bits.end());
    PutLength(out, at);
  }
  at = out.size();
  const size_t dataBits = r.packed.size() * static_cast<size_t>(r.bits);
  size_t dataBytes = (dataBits + 7) / 8;
  if ((11 + dataBytes) % 2) ++dataBytes;  // sections of even length
  Put(out, 0, 3);
  Put(out, dataBytes * 8 - dataBits, 1);
  PutSigned(out, r.binaryScale, 2);
  Put(out, IbmBits(r.reference), 4);
  Put(out, static_cast<uint64_t>(r.bits), 1);
  std::vector<uint8_t> data(dataBytes, 0);
  size_t bit = 0;
  for (uint64_t x : r.packed) {
    for (int i = r.bits - 1; i >= 0; --i, ++bit)
      if ((x >> i) & 1) data[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
  }
  out.insert(out.end(), data.begin(), data.end());
  PutLength(out, at);
  out.insert(out.end(), {'7', '7', '7', '7'});
  out[4] = static_cast<uint8_t>(out.size() >> 16);
  out[5] = static_cast<uint8_t>(out.size() >> 8);
  out[6] = static_cast<uint8_t>(out.size());
  return out;
}

// Packs values (in scanning order) into layout with 24 bits and 3 decimals.
inline void PackValues(const std::vector<double>& values, TestRecord& layout, double (*ibm)(uint32_t)) {
  double low = values.empty() ? 0 : values[0];
  for (double v : values) low = std::min(low, v);
  layout.decimalScale = 3;
  layout.bits = 24;
  layout.binaryScale = 0;
  layout.reference = ibm(IbmBits(low * 1000));
  layout.packed.clear();
  for (double v : values) layout.packed.push_back(static_cast<uint64_t>(std::llround(v * 1000 - layout.reference)));
}

// An edition 2 message of the given total length (only its indicator holds together).
inline std::vector<uint8_t> Edition2Message(size_t length = 32) {
  std::vector<uint8_t> out = {'G', 'R', 'I', 'B', 0, 0, 0, 2};
  Put(out, length, 8);
  out.resize(length - 4, 0);
  out.insert(out.end(), {'7', '7', '7', '7'});
  return out;
}

}  // namespace tarnwick::testing
