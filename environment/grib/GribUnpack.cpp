#include "environment/grib/GribUnpack.h"

#include <cstring>

#include "environment/grib/GribRecord.h"

namespace tarnwick {
namespace {

// Big-endian load of up to `width` bytes at byte `at`; bytes past the end read as 0.
template <typename T>
T LoadBigEndian(const uint8_t* data, size_t size, size_t at) {
  T value = 0;
  if (at + sizeof(T) <= size) {
    std::memcpy(&value, data + at, sizeof(T));
    if constexpr (sizeof(T) == 4) return __builtin_bswap32(value);
    if constexpr (sizeof(T) == 8) return __builtin_bswap64(value);
  }
  for (size_t i = 0; i < sizeof(T); ++i) value = static_cast<T>((value << 8) | (at + i < size ? data[at + i] : 0));
  return value;
}

// The packed integer number `index` of width `bits`.
struct NarrowReader {  // up to 25 bits: one 32-bit load covers it at any bit offset
  const uint8_t* data;
  size_t size;
  int bits;
  double operator()(size_t index) const {
    const size_t bit = index * static_cast<size_t>(bits);
    const uint32_t word = LoadBigEndian<uint32_t>(data, size, bit >> 3);
    return static_cast<double>((word << (bit & 7)) >> (32 - bits));
  }
};

struct WideReader {  // 26 to 57 bits through a 64-bit load
  const uint8_t* data;
  size_t size;
  int bits;
  double operator()(size_t index) const {
    const size_t bit = index * static_cast<size_t>(bits);
    const uint64_t word = LoadBigEndian<uint64_t>(data, size, bit >> 3);
    return static_cast<double>((word << (bit & 7)) >> (64 - bits));
  }
};

struct BitReader {  // anything wider, one bit at a time
  const uint8_t* data;
  size_t size;
  int bits;
  double operator()(size_t index) const {
    size_t bit = index * static_cast<size_t>(bits);
    double value = 0;
    for (int i = 0; i < bits; ++i, ++bit) {
      const size_t at = bit >> 3;
      const int set = at < size ? (data[at] >> (7 - (bit & 7))) & 1 : 0;
      value = value * 2 + set;
    }
    return value;
  }
};

template <int Bytes>
struct ByteReader {  // whole octets: 8, 16, 24 and 32 bits
  const uint8_t* data;
  double operator()(size_t index) const {
    const uint8_t* p = data + index * Bytes;
    uint32_t value = 0;
    for (int i = 0; i < Bytes; ++i) value = (value << 8) | p[i];
    return static_cast<double>(value);
  }
};

template <typename Reader>
void Fill(Reader read, const UnpackParameters& u, const uint8_t* bitmap, float* out, size_t count) {
  // The order of operations follows the definition, (X × 2^E + R) × 10^-D.
  if (!bitmap) {
    for (size_t k = 0; k < count; ++k)
      out[k] = static_cast<float>((read(k) * u.binaryScale + u.reference) * u.decimalScale);
    return;
  }
  size_t next = 0;
  for (size_t k = 0; k < count; ++k) {
    if (bitmap[k >> 3] & (0x80 >> (k & 7))) {
      out[k] = static_cast<float>((read(next++) * u.binaryScale + u.reference) * u.decimalScale);
    } else {
      out[k] = kGribMissing;
    }
  }
}

}  // namespace

void UnpackValues(const uint8_t* packed, size_t packedBytes, const UnpackParameters& u,
                  const uint8_t* bitmap, float* out, size_t count) {
  switch (u.bits) {
    case 0: {
      const auto constant = [](size_t) { return 0.0; };
      Fill(constant, u, bitmap, out, count);
      return;
    }
    case 8: return Fill(ByteReader<1>{packed}, u, bitmap, out, count);
    case 16: return Fill(ByteReader<2>{packed}, u, bitmap, out, count);
    case 24: return Fill(ByteReader<3>{packed}, u, bitmap, out, count);
    case 32: return Fill(ByteReader<4>{packed}, u, bitmap, out, count);
    default: break;
  }
  if (u.bits <= 25) return Fill(NarrowReader{packed, packedBytes, u.bits}, u, bitmap, out, count);
  if (u.bits <= 57) return Fill(WideReader{packed, packedBytes, u.bits}, u, bitmap, out, count);
  Fill(BitReader{packed, packedBytes, u.bits}, u, bitmap, out, count);
}

}  // namespace tarnwick
