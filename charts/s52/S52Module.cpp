#include "charts/s52/S52Module.h"

#include <cctype>

namespace tarnwick {

const S52ModuleField* S52Module::Find(std::string_view tag) const {
  for (const auto& field : fields)
    if (field.tag == tag) return &field;
  return nullptr;
}

int S52FixedInt(std::string_view text, int fallback) {
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  const size_t digitsStart = at;
  long value = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
    value = value * 10 + (text[at++] - '0');
    if (value > 1000000000L) return fallback;
  }
  if (at == digitsStart) return fallback;
  while (at < text.size() && text[at] == ' ') ++at;
  if (at != text.size()) return fallback;
  return static_cast<int>(negative ? -value : value);
}

S52ModuleParse ParseS52Modules(std::string_view text) {
  S52ModuleParse result;
  S52Module current;
  bool failed = false;
  auto finish = [&] {
    if (!failed && !current.fields.empty()) result.modules.push_back(std::move(current));
    current = S52Module();
    failed = false;
  };
  size_t lineNumber = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    if (line.size() < 9) {
      if (!failed && result.error.empty())
        result.error = "line " + std::to_string(lineNumber) + ": too short for a field";
      failed = true;
      continue;
    }
    const std::string_view tag = line.substr(0, 4);
    const std::string_view content = line.substr(9);
    if (tag == "****") {
      finish();
      continue;
    }
    if (tag == "0001") {
      finish();
      continue;
    }
    const int length = S52FixedInt(line.substr(4, 5), -1);
    if (length < 0 || static_cast<size_t>(length) != content.size()) {
      if (!failed && result.error.empty())
        result.error = "line " + std::to_string(lineNumber) + ": field " + std::string(tag) +
                       " declares " + std::string(line.substr(4, 5)) + " characters but holds " +
                       std::to_string(content.size());
      failed = true;
      continue;
    }
    current.fields.push_back({tag, content});
  }
  finish();
  return result;
}

std::vector<std::string_view> SplitS52Units(std::string_view content) {
  std::vector<std::string_view> units;
  size_t at = 0;
  while (at < content.size()) {
    size_t end = content.find(kS52UnitTerminator, at);
    if (end == std::string_view::npos) end = content.size();
    units.push_back(content.substr(at, end - at));
    at = end + 1;
  }
  return units;
}

}  // namespace tarnwick
