#pragma once
// A small ISO/IEC 8211 writer for the tests: data descriptive records from
// field descriptions and data records from field bytes, with the leader and
// directory computed. Crafted files (cells, updates, damaged files) are
// built with it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::testing {

inline constexpr char kUT = 0x1F;
inline constexpr char kFT = 0x1E;

struct FieldDescription {
  std::string tag;
  std::string controls;    // "1600;&   "
  std::string name;
  std::string descriptor;  // "*ATTL!ATVL"
  std::string formats;     // "(b12,A)"
};

// Little-endian binary values.
inline std::string U8(uint32_t v) { return std::string(1, static_cast<char>(v & 0xFF)); }
inline std::string U16(uint32_t v) { return U8(v) + U8(v >> 8); }
inline std::string U32(uint32_t v) { return U16(v) + U16(v >> 16); }
inline std::string I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
// Text ended by the unit terminator.
inline std::string Ut(const std::string& text) { return text + kUT; }

inline std::string Padded(size_t value, size_t width) {
  std::string text = std::to_string(value);
  return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

inline size_t DigitCount(size_t value) { return std::to_string(value).size(); }

// A record: leader (identifier id), directory and field area. Field data are
// given without their field terminators; descriptive adds the DDR's leader
// items (field control length 09, extended character set " ! ").
inline std::string WriteRecord(const std::vector<std::pair<std::string, std::string>>& fields,
                               char id, bool descriptive) {
  std::string area;
  std::vector<std::pair<size_t, size_t>> spans;
  for (const auto& [tag, data] : fields) {
    spans.push_back({area.size(), data.size() + 1});
    area += data;
    area += kFT;
  }
  size_t maxLength = 1;
  for (const auto& span : spans) maxLength = std::max(maxLength, span.second);
  const size_t sizeLength = std::max<size_t>(DigitCount(maxLength), 3);
  const size_t sizePosition = std::max<size_t>(DigitCount(area.size()), 4);
  std::string directory;
  for (size_t i = 0; i < fields.size(); ++i)
    directory += fields[i].first + Padded(spans[i].second, sizeLength) +
                 Padded(spans[i].first, sizePosition);
  directory += kFT;
  const size_t base = 24 + directory.size();
  std::string leader = Padded(base + area.size(), 5);
  leader += descriptive ? "3LE1 09" : std::string(" ") + id + "     ";
  leader += Padded(base, 5);
  leader += descriptive ? " ! " : "   ";
  leader += std::to_string(sizeLength) + std::to_string(sizePosition) + "04";
  if (descriptive) leader[6] = id;
  return leader + directory + area;
}

// The data descriptive record of these fields, after the file control field.
inline std::string WriteDdr(const std::vector<FieldDescription>& fields, char id = 'L') {
  std::vector<std::pair<std::string, std::string>> out;
  out.push_back({"0000", std::string("0000;&   ") + kUT});
  for (const FieldDescription& f : fields)
    out.push_back({f.tag, f.controls + f.name + kUT + f.descriptor + kUT + f.formats});
  return WriteRecord(out, id, true);
}

inline std::string WriteDr(const std::vector<std::pair<std::string, std::string>>& fields,
                           char id = 'D') {
  return WriteRecord(fields, id, false);
}

}  // namespace tarnwick::testing
