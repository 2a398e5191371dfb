#include "charts/s52/S52Library.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cctype>

#include "core/Log.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

constexpr uLong kMaxEntryBytes = 16u << 20;  // no library file comes near this

std::string LowerExtension(std::string_view fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(fileName.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

std::string LowerBaseName(std::string_view fileName) {
  const size_t slash = fileName.find_last_of("/\\");
  std::string base(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
  for (char& c : base) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return base;
}

// The program's own symbol for sensor positions: a ring with a cross.
S52VectorModule SensorSymbol() {
  S52VectorModule sensor;
  sensor.kind = S52ModuleKind::Symbol;
  sensor.name = "SENSORXX";
  sensor.boxX = -230;
  sensor.boxY = -230;
  sensor.boxWidth = 460;
  sensor.boxHeight = 460;
  sensor.exposition = "position of a sensor of own ship";
  sensor.colours = {{'A', "CHMGD"}};
  sensor.vectors = "SPA;SW2;PU0,0;CI200;PU-230,0;PD-100,0;PU100,0;PD230,0;PU0,-230;PD0,-100;PU0,100;PD0,230;"
                   "PU0,0;PM0;CI40;PM2;FP;";
  return sensor;
}

}  // namespace

CS52Library::CS52Library() = default;

void CS52Library::Clear() {
  loaded_ = false;
  colours_ = CS52ColourTables();
  symbols_.clear();
  lineStyles_.clear();
  patterns_.clear();
  questionMark_ = nullptr;
  tables_.clear();
}

CS52LookupTable& CS52Library::TableFor(std::string_view fileName) {
  for (auto& table : tables_)
    if (table->Name() == fileName) return *table;
  tables_.push_back(std::make_unique<CS52LookupTable>(std::string(fileName)));
  return *tables_.back();
}

bool CS52Library::AddEntry(std::string_view fileName, std::string_view content, std::string& error) {
  const std::string extension = LowerExtension(fileName);
  if (extension == "dic") {
    TableFor(LowerBaseName(fileName)).AddText(content);
    return true;
  }
  if (extension != "sym" && extension != "lin" && extension != "pat" && extension != "col") return true;
  const S52ModuleParse parse = ParseS52Modules(content);
  if (!parse.error.empty()) {
    error = std::string(fileName) + ": " + parse.error;
    return false;
  }
  for (const auto& module : parse.modules) {
    if (extension == "col") {
      if (!colours_.AddModule(module, error)) {
        error = std::string(fileName) + ": " + error;
        return false;
      }
      continue;
    }
    S52LibraryModule entry;
    if (!ParseS52VectorModule(module, entry.module, error)) {
      error = std::string(fileName) + ": " + error;
      return false;
    }
    ModuleMap& map = entry.module.kind == S52ModuleKind::Symbol      ? symbols_
                     : entry.module.kind == S52ModuleKind::LineStyle ? lineStyles_
                                                                     : patterns_;
    std::string name = entry.module.name;
    map.insert_or_assign(std::move(name), std::move(entry));
  }
  return true;
}

void CS52Library::Finish() {
  if (symbols_.find("SENSORXX") == symbols_.end()) symbols_.emplace("SENSORXX", S52LibraryModule{SensorSymbol(), ""});
  const S52ModuleResolver resolver = [this](std::string_view name) -> const S52VectorModule* {
    const auto* symbol = Symbol(name);
    return symbol ? &symbol->module : nullptr;
  };
  for (ModuleMap* map : {&symbols_, &lineStyles_, &patterns_}) {
    for (auto& [name, entry] : *map) {
      const S52Drawing drawing = S52VectorToDrawing(entry.module, resolver);
      entry.drawing = drawing.text;
      if (!drawing.warning.empty()) LogDebug("S52: %s\n", drawing.warning.c_str());
    }
  }
  questionMark_ = Symbol("QUESMRK1");
  if (!questionMark_) Log("S52: the library has no QUESMRK1 symbol\n");
  loaded_ = true;
}

bool CS52Library::LoadArchive(const std::filesystem::path& archive, std::string& error) {
  Clear();
  unzFile zip = unzOpen64(archive.c_str());
  if (!zip) {
    Log("Cannot find S52PL.zip!\n");
    error = "cannot open " + archive.string();
    return false;
  }
  size_t entries = 0;
  size_t failed = 0;
  int status = unzGoToFirstFile(zip);
  while (status == UNZ_OK) {
    char name[512];
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    std::string content;
    std::string entryError;
    if (info.uncompressed_size > kMaxEntryBytes) {
      entryError = "too large";
    } else if (unzOpenCurrentFile(zip) != UNZ_OK) {
      entryError = "cannot open";
    } else {
      content.resize(info.uncompressed_size);
      const int read = content.empty() ? 0 : unzReadCurrentFile(zip, content.data(), static_cast<unsigned>(content.size()));
      if (unzCloseCurrentFile(zip) != UNZ_OK || read != static_cast<int>(content.size()))
        entryError = "damaged";
    }
    if (entryError.empty() && !AddEntry(name, content, entryError)) {
      // AddEntry names the file itself
    } else if (!entryError.empty()) {
      entryError = std::string(name) + ": " + entryError;
    }
    if (!entryError.empty()) {
      Log("S52: skipping %s\n", entryError.c_str());
      ++failed;
    }
    ++entries;
    status = unzGoToNextFile(zip);
  }
  unzClose(zip);
  if (entries == 0) {
    Log("Cannot find S52PL.zip!\n");
    error = archive.string() + " holds no entries";
    return false;
  }
  Finish();
  LogDebug("S52: %zu entries (%zu skipped), %zu symbols, %zu line styles, %zu patterns, %zu tables\n",
           entries, failed, symbols_.size(), lineStyles_.size(), patterns_.size(), tables_.size());
  return true;
}

const S52LibraryModule* CS52Library::Symbol(std::string_view name) const {
  auto it = symbols_.find(name);
  return it == symbols_.end() ? nullptr : &it->second;
}
const S52LibraryModule* CS52Library::LineStyle(std::string_view name) const {
  auto it = lineStyles_.find(name);
  return it == lineStyles_.end() ? nullptr : &it->second;
}
const S52LibraryModule* CS52Library::Pattern(std::string_view name) const {
  auto it = patterns_.find(name);
  return it == patterns_.end() ? nullptr : &it->second;
}

std::vector<const S52LibraryModule*> CS52Library::Modules() const {
  std::vector<const S52LibraryModule*> modules;
  for (const ModuleMap* map : {&symbols_, &lineStyles_, &patterns_})
    for (const auto& [name, entry] : *map) modules.push_back(&entry);
  return modules;
}

const CS52LookupTable* CS52Library::Table(std::string_view fileName) const {
  for (const auto& table : tables_)
    if (table->Name() == fileName) return table.get();
  return nullptr;
}

std::string CS52Library::TableTitle(std::string_view fileName) {
  static const std::pair<const char*, const char*> kTitles[] = {
      {"psymrefs.dic", "SIMPLIFIED"},        {"psymreft.dic", "PAPER_CHART"},
      {"lsymrefs.dic", "LINES"},             {"asymrefs.dic", "PLAIN_BOUNDARIES"},
      {"asymreft.dic", "SYMBOLIZED_BOUNDARIES"}, {"pienc24s.dic", "IENC_SIMPLIFIED"},
      {"pienc24t.dic", "IENC_PAPER_CHART"},  {"lienc24.dic", "IENC_LINES"},
      {"aienc24s.dic", "IENC_SYMBOLIZED_BOUNDARIES"}};
  for (const auto& [file, title] : kTitles)
    if (fileName == file) return title;
  return std::string(fileName);
}

S52TableSet CS52Library::SelectTables(bool inland, bool simplifiedPoints, bool symbolizedBoundaries) const {
  S52TableSet set;
  if (inland) {
    set.points = Table(simplifiedPoints ? "pienc24s.dic" : "pienc24t.dic");
    set.lines = Table("lienc24.dic");
    set.areas = Table("aienc24s.dic");
  } else {
    set.points = Table(simplifiedPoints ? "psymrefs.dic" : "psymreft.dic");
    set.lines = Table("lsymrefs.dic");
    set.areas = Table(symbolizedBoundaries ? "asymreft.dic" : "asymrefs.dic");
  }
  return set;
}

S52LookupResult CS52Library::Lookup(const IS52Feature& feature, const S52TableSet& tables) const {
  S52LookupResult result;
  const CS52LookupTable* table = nullptr;
  const char* fallbackName = nullptr;
  switch (feature.Primitive()) {
    case S52Primitive::Point: table = tables.points; fallbackName = "psymreft.dic"; break;
    case S52Primitive::Line: table = tables.lines; fallbackName = "lsymrefs.dic"; break;
    case S52Primitive::Area: table = tables.areas; fallbackName = "asymrefs.dic"; break;
    case S52Primitive::None: return result;
  }
  if (!table) table = Table(fallbackName);
  if (!table) return result;
  result.table = table;
  result.entry = table->Find(feature, &result.classFound);
  if (!result.classFound && table->Name() != fallbackName) {
    if (const CS52LookupTable* fallback = Table(fallbackName)) {
      bool found = false;
      const S52LookupEntry* entry = fallback->Find(feature, &found);
      if (found) {
        result.entry = entry;
        result.table = fallback;
        result.classFound = true;
      }
    }
  }
  return result;
}

CS52Library& S52Library() {
  static CS52Library library;
  return library;
}

bool LoadS52LibraryFromProgramFolder() {
  std::string error;
  const bool ok = S52Library().LoadArchive(ProgramFolder() / kS52ArchiveName, error);
  if (!ok) Log("S52: %s; vector charts draw without symbology\n", error.c_str());
  return ok;
}

}  // namespace tarnwick
