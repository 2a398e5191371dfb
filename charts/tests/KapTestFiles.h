#pragma once
// Hand-made KAP files for the raster chart tests: a header text, rows of run
// bytes, and the row index table at the end, laid out as real files are.

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::testing {

// header + 0x1A 0x00 + depth byte, then each row (its bytes as given, which
// start with the row number), then the table of row offsets and its offset.
inline std::string MakeKap(const std::string& header, int depth,
                           const std::vector<std::vector<uint8_t>>& rows) {
  std::string bytes = header;
  bytes += '\x1a';
  bytes += '\0';
  bytes += static_cast<char>(depth);
  std::vector<uint32_t> offsets;
  for (const auto& row : rows) {
    offsets.push_back(static_cast<uint32_t>(bytes.size()));
    bytes.append(row.begin(), row.end());
  }
  auto put32 = [&bytes](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((v >> shift) & 0xFF);
  };
  const auto table = static_cast<uint32_t>(bytes.size());
  for (uint32_t offset : offsets) put32(offset);
  put32(table);
  return bytes;
}

}  // namespace tarnwick::testing
