#pragma once
// Makes the archive "S52PL.zip" from the presentation library's DAI file
// (the digital exchange form of the IHO Presentation Library) and the inland
// look-up tables: one module file per symbol (.sym), complex line style
// (.lin), pattern (.pat) and colour table (.col), and the maritime look-up
// tables written from the DAI's LUPT modules in the .dic text form.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct S52ArchiveEntry {
  std::string name;     // e.g. "BOYLAT13.sym", "DAY.col", "psymreft.dic"
  std::string content;
};

struct S52DaiConversion {
  std::vector<S52ArchiveEntry> entries;
  size_t symbols = 0, lineStyles = 0, patterns = 0, colourTables = 0, lookups = 0;
  std::string error;  // empty on success
};

// Splits a DAI text into archive entries. Look-up modules go into the table
// their TNAM names (SIMPLIFIED "psymrefs.dic", PAPER_CHART "psymreft.dic",
// LINES "lsymrefs.dic", PLAIN_BOUNDARIES "asymrefs.dic",
// SYMBOLIZED_BOUNDARIES "asymreft.dic"). A DAI that cannot be read gives an error.
S52DaiConversion ConvertS52Dai(std::string_view dai);

// The .dic line of one look-up module's values.
std::string S52DicLine(std::string_view className, std::string_view attributes, std::string_view instruction,
                       int priority, char radar, std::string_view category, std::string_view viewingGroup);

// Writes entries into a new zip archive at path (deflated), replacing the file.
bool WriteS52Archive(const std::filesystem::path& path, const std::vector<S52ArchiveEntry>& entries,
                     std::string& error);

}  // namespace tarnwick
