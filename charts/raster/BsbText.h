#pragma once
// The text layer shared by BSB chart-set files and KAP headers: logical lines
// with their continuation lines, "KEY/value" splitting and the comma-separated
// "NA=...,NU=..." field lists of both formats.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Longest logical line kept, in characters; longer lines are cut.
inline constexpr size_t kBsbLineMax = 1023;

// The header part of a KAP file, or a whole BSB file: from the start up to the
// first byte 0x1A or 0 (the whole text when there is none).
std::string_view BsbHeaderText(std::string_view bytes);

// Splits text into logical lines. Lines end at CR or LF (a run of them counts
// once); a line that begins with a space or tab continues the previous logical
// line. Continuations are joined with a space after free-text keywords (`CRR/`,
// `NTL/`, comments) and with a comma elsewhere, where they carry more fields of
// a comma-separated list; leading blanks of the continuation are dropped.
// Empty lines are skipped; each logical line is cut at kBsbLineMax.
std::vector<std::string> SplitBsbLines(std::string_view text);

// A logical line split at its first '/': "REF/1,2,3" -> {"REF", "1,2,3"}.
// Lines without '/' (comments beginning with '!', stray text) give none.
struct BsbLine {
  std::string keyword;
  std::string value;
};
std::optional<BsbLine> SplitBsbKeyword(std::string_view line);

// "NA=LITTLE RIVER,NU=536,RA=2296,1230" -> {NA: "LITTLE RIVER", NU: "536",
// RA: "2296,1230"}: a comma-separated piece without '=' belongs to the value
// before it. Keys are upper-cased and trimmed; values trimmed. Pieces before
// the first key are dropped; a repeated key keeps its first value.
std::map<std::string, std::string> SplitBsbFields(std::string_view value);

// The comma-separated numbers of value ("1,1319,922,36.16,-76.26"): none when
// a piece is not wholly a finite number.
std::optional<std::vector<double>> ParseBsbNumbers(std::string_view value);

// Whole-text number parse with surrounding blanks allowed; none otherwise.
std::optional<double> ParseBsbDouble(std::string_view text);

std::string TrimBsb(std::string_view text);

}  // namespace tarnwick
