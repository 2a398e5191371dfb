#include "charts/raster/KapRows.h"

#include <algorithm>

namespace tarnwick {
namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// First byte of raster data: after 0x1A, an optional 0x00 and the bits-per-pixel byte.
std::optional<size_t> RasterStart(std::span<const uint8_t> data) {
  const auto end = std::find(data.begin(), data.end(), uint8_t{0x1A});
  if (end == data.end()) return std::nullopt;
  size_t at = static_cast<size_t>(end - data.begin()) + 1;
  if (at < data.size() && data[at] == 0) ++at;
  return at + 1;
}

// The offset just past the row starting at offset (past its zero byte), or
// none when the data ends first.
std::optional<size_t> SkipRow(std::span<const uint8_t> data, size_t at) {
  while (at < data.size() && (data[at] & 0x80)) ++at;  // row number
  if (at >= data.size()) return std::nullopt;
  ++at;
  while (at < data.size()) {
    const uint8_t first = data[at++];
    if (first == 0) return at;
    uint8_t last = first;
    while ((last & 0x80) && at < data.size()) last = data[at++];
  }
  return std::nullopt;
}

// Walks the rows from start up to end (the index table, or the trailing offset).
std::vector<uint32_t> WalkRows(std::span<const uint8_t> data, size_t start, size_t end, int height) {
  data = data.first(end);
  std::vector<uint32_t> offsets(static_cast<size_t>(height), kNoRow);
  size_t at = start;
  for (auto& offset : offsets) {
    if (at >= data.size()) break;
    offset = static_cast<uint32_t>(at);  // a row cut off by the end is decoded as far as it goes
    const auto next = SkipRow(data, at);
    if (!next) break;
    at = *next;
  }
  return offsets;
}

}  // namespace

ScanLineResult DecodeScanLine(std::span<const uint8_t> data, size_t offset, int depth,
                              std::span<uint8_t> row) {
  if (offset >= data.size() || depth < 1 || depth > 7) return ScanLineResult::kNoData;
  size_t at = offset;
  while (at < data.size() && (data[at] & 0x80)) ++at;  // row number
  if (at >= data.size()) return ScanLineResult::kTruncated;
  ++at;
  const int lengthBits = 7 - depth;
  const unsigned colourMask = (1u << depth) - 1;
  const unsigned lengthMask = (1u << lengthBits) - 1;
  const size_t width = row.size();
  size_t x = 0;
  while (x < width) {
    if (at >= data.size()) return ScanLineResult::kTruncated;
    uint8_t byte = data[at++];
    if (byte == 0) return ScanLineResult::kComplete;
    const auto colour = static_cast<uint8_t>(((byte >> lengthBits) & colourMask) - 1);
    size_t length = byte & lengthMask;
    while (byte & 0x80) {
      if (at >= data.size()) return ScanLineResult::kTruncated;
      byte = data[at++];
      // Lengths past any row width are cut below; stop growing them early.
      if (length < (size_t{1} << 40)) length = length * 128 + (byte & 0x7F);
    }
    const size_t run = std::min(length + 1, width - x);
    std::fill_n(row.begin() + static_cast<std::ptrdiff_t>(x), run, colour);
    x += run;
  }
  return ScanLineResult::kComplete;
}

std::optional<std::vector<uint32_t>> ReadRowIndex(std::span<const uint8_t> data, int height,
                                                  bool& rebuilt) {
  rebuilt = false;
  if (height <= 0) return std::nullopt;
  const auto start = RasterStart(data);
  if (!start || *start >= data.size()) return std::nullopt;
  const size_t rows = static_cast<size_t>(height);
  size_t walkEnd = data.size();
  if (data.size() >= 4) {
    const size_t table = BigEndian32(data.data() + data.size() - 4);
    if (table >= *start && table <= data.size() - 4) walkEnd = table;
    if (table >= *start && table <= data.size() - 4 && (data.size() - 4 - table) / 4 >= rows) {
      std::vector<uint32_t> offsets(rows);
      bool any = false;
      for (size_t i = 0; i < rows; ++i) {
        const uint32_t offset = BigEndian32(data.data() + table + 4 * i);
        offsets[i] = offset >= *start && offset < table ? offset : kNoRow;
        any = any || offsets[i] != kNoRow;
      }
      if (any) return offsets;
    }
  }
  rebuilt = true;
  auto offsets = WalkRows(data, *start, walkEnd, height);
  if (offsets[0] == kNoRow) return std::nullopt;
  return offsets;
}

}  // namespace tarnwick
