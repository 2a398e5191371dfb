#pragma once
// The SENC ("System ENC") file: one compiled S-57 cell, little-endian,
// read by memory mapping without parsing. Version 4 is written; versions 3
// and 4 are read.
//
//   header          328 bytes (version 4) or 312 bytes (version 3)
//   offset table    one 32-bit file offset per feature, in feature-index
//                   order; 0 for a feature that is not in the tree
//   tree            52-byte node records in pre-order, each followed by its
//                   32-bit feature indices; the root comes first
//   feature records written in the order the tree visits them
//
// Node record: box (north, west, south, east as doubles), four 32-bit child
// offsets (0 for none), 32-bit count of the feature indices that follow.
//
// Feature record: flags word (bits 0-9 class code, 10-11 PRIM, 12-19
// attribute count, 20-31 part count), 32-bit feature index, box (four
// doubles), 32-bit length of the attribute text; attribute count x (16-bit
// ATTL, 16-bit offset into the text); the attribute text (NUL-terminated
// values) padded with zeros to a multiple of 4; then each part: a header word
// (bits 0-3 QUAPOS, bit 4 depths, bits 5-30 point count, bit 31 interior),
// count x (x, y) doubles, and count x depth doubles when bit 4 is set.

#include <cstdint>
#include <cstring>
#include <string>

namespace tarnwick {

// The header values of a SENC, as read from the cell's DSID and DSPM.
struct SencHeader {
  uint32_t version = 4;
  uint32_t cscl = 0;  // compilation scale denominator
  uint32_t intu = 0;  // intended usage (navigational purpose) 1..9
  uint32_t edtn = 0;  // edition
  uint32_t updn = 0;  // last update applied
  uint32_t uadt = 0;  // update application date, YYYYMMDD
  uint32_t isdt = 0;  // issue date, YYYYMMDD
  float sted = 0;     // S-57 edition (3.1)
  uint32_t prsp = 0;  // product specification (1 for ENC)
  float pred = 0;     // product specification edition
  uint32_t agen = 0;  // producing agency
  uint32_t hdat = 0;  // horizontal datum (HORDAT value)
  uint32_t vdat = 0;  // vertical datum (VERDAT value)
  uint32_t sdat = 0;  // sounding datum (VERDAT value)
  std::string title;  // at most 255 bytes
  uint32_t featureCount = 0;
};

namespace senc {

inline constexpr uint32_t kVersion3 = 3;
inline constexpr uint32_t kVersion4 = 4;
inline constexpr uint32_t kHeaderSize3 = 312;
inline constexpr uint32_t kHeaderSize4 = 328;
inline constexpr uint32_t kTitleSize = 256;
inline constexpr uint32_t kNodeSize = 52;
inline constexpr uint32_t kFeatureHeadSize = 44;

// Version 4 header offsets.
inline constexpr size_t kOffVersion = 0;
inline constexpr size_t kOffHeaderSize = 4;
inline constexpr size_t kOffCscl = 8;
inline constexpr size_t kOffIntu = 12;
inline constexpr size_t kOffEdtn = 16;
inline constexpr size_t kOffUpdn = 20;
inline constexpr size_t kOffUadt = 24;
inline constexpr size_t kOffIsdt = 28;
inline constexpr size_t kOffSted = 32;
inline constexpr size_t kOffPrsp = 36;
inline constexpr size_t kOffPred = 40;
inline constexpr size_t kOffAgen = 44;
inline constexpr size_t kOffHdat = 48;
inline constexpr size_t kOffVdat = 52;
inline constexpr size_t kOffSdat = 56;
inline constexpr size_t kOffReserved = 60;
inline constexpr size_t kOffTitle = 68;
inline constexpr size_t kOffFeatureCount = 324;

// Version 3 header offsets (no header-size word, no STED, PRSP or PRED).
inline constexpr size_t kV3OffCscl = 4;
inline constexpr size_t kV3OffIntu = 8;
inline constexpr size_t kV3OffEdtn = 12;
inline constexpr size_t kV3OffUpdn = 16;
inline constexpr size_t kV3OffUadt = 20;
inline constexpr size_t kV3OffIsdt = 24;
inline constexpr size_t kV3OffAgen = 28;
inline constexpr size_t kV3OffHdat = 32;
inline constexpr size_t kV3OffVdat = 36;
inline constexpr size_t kV3OffSdat = 40;
inline constexpr size_t kV3OffTitle = 52;
inline constexpr size_t kV3OffFeatureCount = 308;

// Flags word of a feature record.
inline constexpr uint32_t kClassBits = 0x3FF;
inline constexpr unsigned kPrimShift = 10;
inline constexpr unsigned kAttrCountShift = 12;
inline constexpr unsigned kPartCountShift = 20;
inline constexpr uint32_t kMaxAttributes = 255;
inline constexpr uint32_t kMaxParts = 4095;

// Header word of a geometry part.
inline constexpr uint32_t kQuaposBits = 0xF;
inline constexpr uint32_t kDepthsBit = 1u << 4;
inline constexpr unsigned kCountShift = 5;
inline constexpr uint32_t kMaxPartPoints = (1u << 26) - 1;
inline constexpr uint32_t kInteriorBit = 1u << 31;

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline double LoadDouble(const uint8_t* p) {
  double v;
  std::memcpy(&v, p, 8);
  return v;
}
inline float LoadFloat(const uint8_t* p) {
  float v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace senc
}  // namespace tarnwick
