#include "charts/s52/S52Lookup.h"

#include "charts/s52/S52Module.h"

namespace tarnwick {

const char* S52CategoryName(S52Category category) {
  switch (category) {
    case S52Category::DisplayBase: return "DISPLAYBASE";
    case S52Category::Standard: return "STANDARD";
    case S52Category::Other: return "OTHER";
    case S52Category::MarinersStandard: return "MARINERS STANDARD";
    case S52Category::MarinersOther: return "MARINERS OTHER";
  }
  return "OTHER";
}

std::optional<S52Category> ParseS52Category(std::string_view text) {
  for (auto category : {S52Category::DisplayBase, S52Category::Standard, S52Category::Other,
                        S52Category::MarinersStandard, S52Category::MarinersOther})
    if (text == S52CategoryName(category)) return category;
  return std::nullopt;
}

int S52DisplayPriority(std::string_view field) {
  const int value = S52FixedInt(field, 0);
  if (value <= 0) return 10;
  return value < 10 ? value * 10 : value;
}

namespace {

// The double-quoted fields of a line; blanks and tabs after a comma are skipped.
std::vector<std::string_view> QuotedFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t at = 0;
  while (at < line.size() && line[at] == '"') {
    const size_t close = line.find('"', at + 1);
    if (close == std::string_view::npos) {
      fields.push_back(line.substr(at + 1));
      break;
    }
    fields.push_back(line.substr(at + 1, close - at - 1));
    at = close + 1;
    if (at >= line.size() || line[at] != ',') break;
    ++at;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  }
  return fields;
}

}  // namespace

void CS52LookupTable::AddLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.empty() || line.front() == '*') return;
  S52LookupEntry entry;
  if (line.front() == '"') {
    const auto fields = QuotedFields(line);
    if (!fields.empty()) entry.className = std::string(fields[0]);
    if (fields.size() > 1) {
      std::string_view combination = fields[1];
      size_t at = 0;
      while (at < combination.size()) {
        size_t end = combination.find('|', at);
        if (end == std::string_view::npos) end = combination.size();
        const std::string_view condition = combination.substr(at, end - at);
        at = end + 1;
        if (condition.empty()) continue;
        entry.conditions.push_back({std::string(condition.substr(0, 6)),
                                    condition.size() > 6 ? std::string(condition.substr(6)) : ""});
      }
    }
    if (fields.size() > 2) {
      entry.instruction = std::string(fields[2]);
      entry.program = CompileS52Instruction(entry.instruction);
    }
    entry.priority = S52DisplayPriority(fields.size() > 3 ? fields[3] : "");
    entry.overRadar = !(fields.size() > 4 && fields[4] == "S");
    if (fields.size() > 5)
      entry.category = ParseS52Category(fields[5]).value_or(S52Category::Other);
    if (fields.size() > 6) entry.viewingGroup = S52FixedInt(fields[6], 0);
  }
  if (!entry.className.empty()) firstOfClass_.emplace(entry.className, entries_.size());
  entries_.push_back(std::move(entry));
}

void CS52LookupTable::AddText(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    AddLine(text.substr(at, end - at));
    at = end + 1;
  }
}

bool CS52LookupTable::HasClass(std::string_view className) const {
  return firstOfClass_.find(className) != firstOfClass_.end();
}

bool S52ConditionHolds(const S52Condition& condition, const IS52Feature& feature) {
  const auto value = feature.Attribute(condition.attribute);
  if (!value || value->empty()) return condition.value == "?";
  return condition.value.empty() || condition.value == *value;
}

const S52LookupEntry* CS52LookupTable::Find(const IS52Feature& feature, bool* classFound) const {
  if (entries_.empty()) return nullptr;
  const auto it = firstOfClass_.find(feature.Acronym());
  if (classFound) *classFound = it != firstOfClass_.end();
  if (it == firstOfClass_.end()) return &entries_.front();
  const S52LookupEntry& fallback = entries_[it->second];
  for (size_t i = it->second + 1; i < entries_.size() && entries_[i].className == fallback.className; ++i) {
    const S52LookupEntry& entry = entries_[i];
    bool holds = true;
    for (const auto& condition : entry.conditions) {
      if (!S52ConditionHolds(condition, feature)) {
        holds = false;
        break;
      }
    }
    if (holds) return &entry;
  }
  return &fallback;
}

}  // namespace tarnwick
