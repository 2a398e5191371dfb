#pragma once
// The presentation library as the program holds it: colour tables, symbols,
// complex line styles, area patterns and the nine look-up tables, read from
// the archive "S52PL.zip" (one module file per symbol ".sym", line style
// ".lin", pattern ".pat" and colour table ".col"; look-up tables as ".dic"
// text) through minizip, and the look-up with its table selection and
// fallback.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "charts/s52/S52Colours.h"
#include "charts/s52/S52Feature.h"
#include "charts/s52/S52Lookup.h"
#include "charts/s52/S52VectorDrawing.h"
#include "charts/s52/S52VectorModule.h"

namespace tarnwick {

inline constexpr const char* kS52ArchiveName = "S52PL.zip";

// A symbol, line style or pattern with its drawing (see S52VectorDrawing.h).
struct S52LibraryModule {
  S52VectorModule module;
  std::string drawing;
};

// The tables a feature is looked up in, by primitive.
struct S52TableSet {
  const CS52LookupTable* points = nullptr;
  const CS52LookupTable* lines = nullptr;
  const CS52LookupTable* areas = nullptr;
};

struct S52LookupResult {
  const S52LookupEntry* entry = nullptr;  // null: no table for the primitive, or the table is empty
  const CS52LookupTable* table = nullptr; // the table the entry comes from
  bool classFound = false;                // false: the entry is a table's first (default) entry
};

class CS52Library {
 public:
  CS52Library();

  // Reads every entry of the archive in its order. A missing or unreadable
  // archive logs "Cannot find S52PL.zip!\n" and gives false; an entry that
  // cannot be read is logged and skipped. Replaces what was loaded before.
  bool LoadArchive(const std::filesystem::path& archive, std::string& error);
  // Adds one archive entry, dispatched by the file name's extension (case-
  // insensitive): sym, lin, pat, col or dic; other names are ignored.
  bool AddEntry(std::string_view fileName, std::string_view content, std::string& error);
  // Adds the symbols the loader provides itself (SENSORXX) and resolves the
  // drawings of every module. Called by LoadArchive; tests that use AddEntry call it last.
  void Finish();

  bool Loaded() const { return loaded_; }

  const CS52ColourTables& Colours() const { return colours_; }
  const S52LibraryModule* Symbol(std::string_view name) const;
  const S52LibraryModule* LineStyle(std::string_view name) const;
  const S52LibraryModule* Pattern(std::string_view name) const;
  // The question-mark symbol, or null when the library lacks it.
  const S52LibraryModule* QuestionMark() const { return questionMark_; }

  // The table of a .dic file name, or null.
  const CS52LookupTable* Table(std::string_view fileName) const;
  // The presentation library's name of a table ("PAPER_CHART", "LINES",
  // "PLAIN_BOUNDARIES", ...; "IENC_" before the inland ones).
  static std::string TableTitle(std::string_view fileName);

  // The tables for a cell: maritime points from "psymrefs.dic" (simplified)
  // or "psymreft.dic", lines "lsymrefs.dic", areas "asymreft.dic" (symbolized
  // boundaries) or "asymrefs.dic"; inland points "pienc24s.dic" or
  // "pienc24t.dic", lines "lienc24.dic", areas "aienc24s.dic".
  S52TableSet SelectTables(bool inland, bool simplifiedPoints, bool symbolizedBoundaries) const;

  // Looks feature up in the set's table for its primitive; when its class has
  // no entry there, again in the fallback table ("psymreft.dic" for points,
  // "lsymrefs.dic" for lines, "asymrefs.dic" for areas) unless that was the
  // table searched. A class found nowhere gives the searched table's first entry.
  S52LookupResult Lookup(const IS52Feature& feature, const S52TableSet& tables) const;

  // Every symbol, line style and pattern, in no particular order.
  std::vector<const S52LibraryModule*> Modules() const;

  // Counts for reports: symbols, line styles, patterns, look-up entries.
  size_t SymbolCount() const { return symbols_.size(); }
  size_t LineStyleCount() const { return lineStyles_.size(); }
  size_t PatternCount() const { return patterns_.size(); }
  const std::vector<std::unique_ptr<CS52LookupTable>>& Tables() const { return tables_; }

 private:
  using ModuleMap = std::unordered_map<std::string, S52LibraryModule, S52TextHash, std::equal_to<>>;
  void Clear();
  CS52LookupTable& TableFor(std::string_view fileName);

  bool loaded_ = false;
  CS52ColourTables colours_;
  ModuleMap symbols_;
  ModuleMap lineStyles_;
  ModuleMap patterns_;
  const S52LibraryModule* questionMark_ = nullptr;
  std::vector<std::unique_ptr<CS52LookupTable>> tables_;
};

// The process-wide library, loaded at start-up from the program folder
// ("Init_ENC"); empty until then.
CS52Library& S52Library();
// Loads S52Library() from the program folder's S52PL.zip. False when it is
// missing or unreadable (logged); vector charts then draw without symbology.
bool LoadS52LibraryFromProgramFolder();

}  // namespace tarnwick
