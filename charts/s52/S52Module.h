#pragma once
// The module records of the presentation library's exchange form: one field
// per line, a 4-character tag, a 5-digit field length and the content, whose
// subfields end with the unit terminator 0x1F. A module runs from its "0001"
// line (optional) to its "****" line; a whole library file (the DAI) is a
// sequence of modules.

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

inline constexpr char kS52UnitTerminator = '\x1f';

// One field line. Views into the text given to ParseS52Modules.
struct S52ModuleField {
  std::string_view tag;      // "SYMD", "CCIE", ...
  std::string_view content;  // without the line end
};

// The fields of one module in file order, without the "0001" and "****" lines.
struct S52Module {
  std::vector<S52ModuleField> fields;
  // The content of the first field with this tag, or nullptr.
  const S52ModuleField* Find(std::string_view tag) const;
};

struct S52ModuleParse {
  std::vector<S52Module> modules;
  std::string error;  // first problem met (the module holding it is left out); empty when none
};

// Splits text into modules. Lines end in LF or CR LF. A field whose declared
// length differs from its content, or whose length is not a number, makes its
// module fail (reported in error, parsing goes on at the next module). Blank
// lines are skipped. The views point into text, which must outlive the result.
S52ModuleParse ParseS52Modules(std::string_view text);

// The subfields of a field content, split at 0x1F; a trailing terminator does
// not add an empty last unit.
std::vector<std::string_view> SplitS52Units(std::string_view content);

// The integer in text (an optional sign, digits, blanks allowed around), or
// fallback when text holds anything else.
int S52FixedInt(std::string_view text, int fallback = 0);

}  // namespace tarnwick
