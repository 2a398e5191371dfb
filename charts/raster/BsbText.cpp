#include "charts/raster/BsbText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace tarnwick {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Keywords whose value is prose: a continuation adds words, not fields.
bool IsFreeText(std::string_view line) {
  if (line.empty() || line[0] == '!') return true;
  for (std::string_view prefix : {"CRR/", "NTL/", "ARE"}) {
    if (line.substr(0, prefix.size()) == prefix) return true;
  }
  return false;
}

void Cut(std::string& line) {
  if (line.size() > kBsbLineMax) line.resize(kBsbLineMax);
}

}  // namespace

std::string_view BsbHeaderText(std::string_view bytes) {
  const size_t end = bytes.find_first_of(std::string_view("\x1a\0", 2));
  return bytes.substr(0, end);
}

std::string TrimBsb(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> SplitBsbLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view physical = text.substr(at, end - at);
    at = end;
    while (at < text.size() && (text[at] == '\r' || text[at] == '\n')) ++at;
    if (physical.empty()) continue;
    if (IsBlank(physical[0]) && !lines.empty()) {
      size_t first = 0;
      while (first < physical.size() && IsBlank(physical[first])) ++first;
      if (first == physical.size()) continue;
      std::string& previous = lines.back();
      if (previous.size() >= kBsbLineMax) continue;
      const std::string_view more = physical.substr(first);
      if (IsFreeText(previous)) {
        previous += ' ';
      } else if (previous.back() != ',' && more.front() != ',') {
        previous += ',';
      }
      previous += more;
      Cut(previous);
      continue;
    }
    const std::string trimmed = TrimBsb(physical);
    if (trimmed.empty()) continue;
    lines.push_back(trimmed);
    Cut(lines.back());
  }
  return lines;
}

std::optional<BsbLine> SplitBsbKeyword(std::string_view line) {
  if (line.empty() || line[0] == '!') return std::nullopt;
  const size_t slash = line.find('/');
  if (slash == std::string_view::npos || slash == 0) return std::nullopt;
  BsbLine out;
  out.keyword = TrimBsb(line.substr(0, slash));
  for (char& c : out.keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  out.value = std::string(line.substr(slash + 1));
  return out;
}

std::map<std::string, std::string> SplitBsbFields(std::string_view value) {
  std::map<std::string, std::string> fields;
  std::string* current = nullptr;
  bool currentIsNew = false;
  size_t at = 0;
  while (at <= value.size()) {
    size_t comma = value.find(',', at);
    if (comma == std::string_view::npos) comma = value.size();
    const std::string_view piece = value.substr(at, comma - at);
    at = comma + 1;
    const size_t equals = piece.find('=');
    if (equals != std::string_view::npos) {
      std::string key = TrimBsb(piece.substr(0, equals));
      for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      auto [it, inserted] = fields.try_emplace(key, TrimBsb(piece.substr(equals + 1)));
      current = &it->second;
      currentIsNew = inserted;
    } else if (current && currentIsNew) {
      *current += ',';
      *current += TrimBsb(piece);
    }
  }
  return fields;
}

std::optional<double> ParseBsbDouble(std::string_view text) {
  const std::string trimmed = TrimBsb(text);
  if (trimmed.empty()) return std::nullopt;
  const char* begin = trimmed.data();
  const char* end = begin + trimmed.size();
  if (*begin == '+') ++begin;
  double value = 0.0;
  const auto result = std::from_chars(begin, end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::vector<double>> ParseBsbNumbers(std::string_view value) {
  while (!value.empty() && (value.back() == ',' || std::isspace(static_cast<unsigned char>(value.back()))))
    value.remove_suffix(1);
  std::vector<double> numbers;
  size_t at = 0;
  while (at <= value.size()) {
    size_t comma = value.find(',', at);
    if (comma == std::string_view::npos) comma = value.size();
    const auto number = ParseBsbDouble(value.substr(at, comma - at));
    if (!number) return std::nullopt;
    numbers.push_back(*number);
    at = comma + 1;
  }
  return numbers;
}

}  // namespace tarnwick
