#include "instruments/ais/VdmSentence.h"

#include <array>

namespace tarnwick {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A small non-negative number field; -1 when not a number, def when empty.
int SmallNumber(std::string_view field, int def) {
  if (field.empty()) return def;
  if (field.size() > 2) return -1;
  int value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::optional<VdmFragment> ParseVdmSentence(std::string_view line) {
  // Skip a tag block and any noise before the start character.
  if (!line.empty() && line.front() == '\\') {
    const size_t close = line.find('\\', 1);
    if (close == std::string_view::npos) return std::nullopt;
    line.remove_prefix(close + 1);
  }
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) {
    line.remove_suffix(1);
  }
  if (line.size() < 7 || (line[0] != '!' && line[0] != '$')) return std::nullopt;

  std::string_view body = line.substr(1);
  const size_t star = body.rfind('*');
  if (star != std::string_view::npos) {
    // Some receivers append their own fields (",s28089,d-103,...") after the checksum.
    if (star + 3 > body.size() || (star + 3 < body.size() && body[star + 3] != ',')) {
      return std::nullopt;
    }
    const int high = HexDigit(body[star + 1]);
    const int low = HexDigit(body[star + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    int sum = 0;
    for (char c : body.substr(0, star)) sum ^= static_cast<unsigned char>(c);
    if (sum != high * 16 + low) return std::nullopt;
    body = body.substr(0, star);
  }

  std::array<std::string_view, 7> fields;
  size_t count = 0;
  size_t start = 0;
  while (count < fields.size()) {
    const size_t comma = body.find(',', start);
    fields[count++] =
        body.substr(start, comma == std::string_view::npos ? body.npos : comma - start);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (count != fields.size() || body.find(',', start) != std::string_view::npos)
    return std::nullopt;
  const std::string_view address = fields[0];
  if (address.size() != 5) return std::nullopt;
  const std::string_view formatter = address.substr(2);
  if (formatter != "VDM" && formatter != "VDO") return std::nullopt;

  VdmFragment f;
  f.count = SmallNumber(fields[1], -1);
  f.number = SmallNumber(fields[2], -1);
  f.sequenceId = SmallNumber(fields[3], 0);
  if (fields[4].size() > 1) return std::nullopt;
  f.channel = fields[4].empty() ? 0 : fields[4][0];
  f.payload = fields[5];
  f.fillBits = SmallNumber(fields[6], 0);
  f.ownVessel = formatter == "VDO";
  if (f.count < 1 || f.number < 1 || f.number > f.count || f.sequenceId < 0 || f.sequenceId > 9 ||
      f.fillBits < 0 || f.fillBits > 7) {
    return std::nullopt;
  }
  return f;
}

}  // namespace tarnwick
