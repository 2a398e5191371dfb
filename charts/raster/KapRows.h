#pragma once
// The raster part of a KAP file: run-length coded rows of palette indices and
// the table of row offsets at the end of the file. Pure functions over the
// file's bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnwick {

enum class ScanLineResult {
  kComplete,   // ended by its zero byte or by filling the row
  kTruncated,  // the data ended inside the row (decoded as far as it went)
  kNoData,     // the offset lies outside the data
};

// Decodes the row that starts at data[offset] into row (width = row.size()),
// for bits per pixel depth 1..7: skips the row number (7-bit groups, most
// significant first, bit 7 set while more follow), then reads runs until a
// zero byte or a full row. From a run's first byte b the colour is
// (b >> (7 - depth)) & (2^depth - 1) and the length starts as
// b & (2^(7 - depth) - 1); while the byte just read has bit 7 set, the next
// byte's low 7 bits are appended (length = length * 128 + low bits). The run
// covers length + 1 pixels, each stored as colour - 1 (so colour 0 gives 255);
// a run past the row's end is cut there. Pixels after an early end keep their
// previous values.
ScanLineResult DecodeScanLine(std::span<const uint8_t> data, size_t offset, int depth,
                              std::span<uint8_t> row);

// Where each row of a height-row raster starts. From the big-endian 4-byte
// offset in the file's last four bytes to a table of one big-endian 4-byte
// offset per row; when that table does not lie inside the file, the rows are
// found by walking them (each ends with a zero byte) from the first byte after
// the header's 0x1A 0x00 and the repeated bits-per-pixel byte. Rows that lie
// outside the file, or that the walk does not reach, get kNoRow. Returns none
// when neither way finds a single row; rebuilt tells which way was used.
inline constexpr uint32_t kNoRow = 0xFFFFFFFFu;
std::optional<std::vector<uint32_t>> ReadRowIndex(std::span<const uint8_t> data, int height,
                                                  bool& rebuilt);

}  // namespace tarnwick
