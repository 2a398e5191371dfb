#pragma once
// The GRIB edition 1 record parser: finds the next record in a byte range,
// reads its product definition, grid description, bit map and binary data
// sections, and unpacks the values. Pure: no I/O, no allocation beyond the
// record it fills.

#include <cstddef>
#include <cstdint>
#include <string>

#include "environment/grib/GribRecord.h"

namespace tarnwick {

enum class GribParseStatus {
  Decoded,       // a record; its values are in the record when asked for
  NoRecord,      // no "GRIB" within 100 bytes (after zero padding): the end of the file's records
  OtherEdition,  // a record of another edition, stepped over by its length
  Skipped,       // an edition 1 record this system does not read (its grid or packing); stepped over
  Corrupt,       // the record's framing or sections do not hold together; reading ends
};

struct GribParseResult {
  GribParseStatus status = GribParseStatus::NoRecord;
  size_t consumed = 0;  // bytes from the start of the range to the end of the record; 0 for NoRecord and Corrupt
  std::string reason;   // why a record was skipped or is corrupt
};

enum class GribDecode {
  Header,  // the sections' fields only
  Values,  // and the unpacked values
};

// Parses the record whose indicator "GRIB" starts within the first 100 bytes
// of [data, data + size), not counting zero bytes of padding before them.
// fileOffset is the offset of data in its file (for record.offset). The record
// is reset first; on Decoded and Skipped its header fields are filled.
GribParseResult ParseGribRecord(const uint8_t* data, size_t size, size_t fileOffset,
                                GribRecord& record, GribDecode decode = GribDecode::Values);

// An IBM System/360 single-precision float (sign, excess-64 base-16 exponent,
// 24-bit mantissa) as a double.
double IbmFloat(uint32_t bits);

}  // namespace tarnwick
