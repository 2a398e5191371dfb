#pragma once
// Look-up tables: which symbology instruction, display priority, radar flag,
// display category and viewing group a feature gets, chosen by its class and
// attribute values. Tables are read from the text form of the presentation
// library's .dic files: one entry a line, seven double-quoted fields
// separated by commas (class, attribute combination, instruction, display
// priority, radar, display category, viewing group), e.g.
//   "BOYLAT","BOYSHP2|CATLAM1|","SY(BOYLAT13)","8","O","STANDARD","27010"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "charts/s52/S52Feature.h"
#include "charts/s52/S52Instruction.h"

namespace tarnwick {

// Hashing that lets string-keyed maps be searched with a string_view.
struct S52TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

enum class S52Category { DisplayBase, Standard, Other, MarinersStandard, MarinersOther };

// "DISPLAYBASE", "STANDARD", "OTHER", "MARINERS STANDARD", "MARINERS OTHER".
const char* S52CategoryName(S52Category category);
std::optional<S52Category> ParseS52Category(std::string_view text);

// One attribute condition: the feature's value must equal value exactly; an
// empty value accepts any given value; "?" asks for the attribute to be absent
// or empty.
struct S52Condition {
  std::string attribute;  // acronym, 6 characters
  std::string value;
};

struct S52LookupEntry {
  std::string className;               // empty for a line that could not be read
  std::vector<S52Condition> conditions;
  std::string instruction;
  S52Program program;                  // the compiled instruction
  int priority = 10;                   // display priority: 1..9 stored × 10, empty or 0 as 10
  bool overRadar = true;               // radar field other than "S"
  S52Category category = S52Category::Other;
  int viewingGroup = 0;
};

// Display priority of a table field: "5" → 50, "12" → 12, "" or "0" → 10.
int S52DisplayPriority(std::string_view field);

class CS52LookupTable {
 public:
  // name: the table's file name, e.g. "psymreft.dic".
  explicit CS52LookupTable(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }

  // Reads one line of a .dic file. Empty lines and lines beginning with "*"
  // are skipped; a line that does not begin with a double quote is kept as an
  // empty entry (counted, never matched).
  void AddLine(std::string_view line);
  // Reads every line of a .dic text.
  void AddText(std::string_view text);

  size_t Size() const { return entries_.size(); }
  const S52LookupEntry& Entry(size_t index) const { return entries_[index]; }
  bool HasClass(std::string_view className) const;

  // The look-up: the first entry of the feature's class is the default; the
  // entries of the class that follow it are walked in order and the first
  // without conditions, or whose conditions all hold, is taken; none taken
  // gives the default. A class without entries gives the table's first entry
  // (with classFound false). Null for an empty table.
  const S52LookupEntry* Find(const IS52Feature& feature, bool* classFound = nullptr) const;

 private:
  std::string name_;
  std::vector<S52LookupEntry> entries_;
  std::unordered_map<std::string, size_t, S52TextHash, std::equal_to<>> firstOfClass_;
};

// Whether condition holds for feature.
bool S52ConditionHolds(const S52Condition& condition, const IS52Feature& feature);

}  // namespace tarnwick
