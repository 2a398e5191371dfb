#include "charts/s52/S52ArchiveBuilder.h"

#include <minizip/zip.h>

#include <cstdio>
#include <map>

#include "charts/s52/S52Module.h"

namespace tarnwick {
namespace {

// The module's lines in the exchange form, between "0001" and "****" lines.
std::string ModuleText(const S52Module& module, int recordId) {
  char head[32];
  std::snprintf(head, sizeof head, "0001    5%05d\r\n", recordId % 100000);
  std::string text = head;
  for (const auto& field : module.fields) {
    char length[8];
    std::snprintf(length, sizeof length, "%5zu", field.content.size());
    text.append(field.tag).append(length).append(field.content).append("\r\n");
  }
  text += "****    0\r\n";
  return text;
}

std::string_view StripTerminator(std::string_view text) {
  while (!text.empty() && text.back() == kS52UnitTerminator) text.remove_suffix(1);
  return text;
}

const char* TableFile(std::string_view tableName) {
  if (tableName == "SIMPLIFIED") return "psymrefs.dic";
  if (tableName == "PAPER_CHART") return "psymreft.dic";
  if (tableName == "LINES") return "lsymrefs.dic";
  if (tableName == "PLAIN_BOUNDARIES") return "asymrefs.dic";
  if (tableName == "SYMBOLIZED_BOUNDARIES") return "asymreft.dic";
  return nullptr;
}

}  // namespace

std::string S52DicLine(std::string_view className, std::string_view attributes, std::string_view instruction,
                       int priority, char radar, std::string_view category, std::string_view viewingGroup) {
  std::string line = "\"";
  line.append(className).append("\",\"").append(attributes).append("\",\"").append(instruction);
  line.append("\",\"").append(std::to_string(priority)).append("\",\"").append(1, radar);
  line.append("\",\"").append(category).append("\",\"").append(viewingGroup).append("\"");
  return line;
}

S52DaiConversion ConvertS52Dai(std::string_view dai) {
  S52DaiConversion result;
  const S52ModuleParse parse = ParseS52Modules(dai);
  if (!parse.error.empty()) {
    result.error = parse.error;
    return result;
  }
  std::map<std::string, std::string> tables;
  int recordId = 0;
  for (const auto& module : parse.modules) {
    ++recordId;
    const S52ModuleField* definition = nullptr;
    const char* extension = nullptr;
    if ((definition = module.Find("SYMD"))) {
      extension = ".sym";
      ++result.symbols;
    } else if ((definition = module.Find("LIND"))) {
      extension = ".lin";
      ++result.lineStyles;
    } else if ((definition = module.Find("PATD"))) {
      extension = ".pat";
      ++result.patterns;
    }
    if (extension) {
      if (definition->content.size() < 8) {
        result.error = "module " + std::to_string(recordId) + ": definition too short";
        return result;
      }
      result.entries.push_back({std::string(definition->content.substr(0, 8)) + extension,
                                ModuleText(module, recordId)});
      continue;
    }
    if (const S52ModuleField* cols = module.Find("COLS")) {
      if (cols->content.size() < 10) {
        result.error = "COLS module " + std::to_string(recordId) + " too short";
        return result;
      }
      result.entries.push_back(
          {std::string(StripTerminator(cols->content.substr(10))) + ".col", ModuleText(module, recordId)});
      ++result.colourTables;
      continue;
    }
    const S52ModuleField* lupt = module.Find("LUPT");
    if (!lupt) continue;  // LBID and other modules carry nothing the program reads
    // LUPT: module id (2), record id (5), status (3), class (6), primitive (1),
    // display priority (5), radar (1), table name.
    const std::string_view head = StripTerminator(lupt->content);
    if (head.size() < 24) {
      result.error = "LUPT module " + std::to_string(recordId) + " too short";
      return result;
    }
    const char* file = TableFile(head.substr(23));
    if (!file) continue;
    std::string attributes;
    if (const auto* attc = module.Find("ATTC"))
      for (std::string_view unit : SplitS52Units(attc->content))
        if (!unit.empty()) attributes.append(unit).append("|");
    auto textOf = [&](const char* tag) -> std::string_view {
      const auto* field = module.Find(tag);
      return field ? StripTerminator(field->content) : std::string_view();
    };
    std::string& table = tables[file];
    table += S52DicLine(head.substr(10, 6), attributes, textOf("INST"), S52FixedInt(head.substr(17, 5), 0),
                        head[22], textOf("DISC"), textOf("LUCM"));
    table += "\r\n";
    ++result.lookups;
  }
  for (auto& [file, lines] : tables)
    result.entries.push_back({file, "* Look-up table made from the IHO Presentation Library DAI file\r\n" + lines});
  return result;
}

bool WriteS52Archive(const std::filesystem::path& path, const std::vector<S52ArchiveEntry>& entries,
                     std::string& error) {
  const std::filesystem::path partial = path.string() + ".new";
  zipFile zip = zipOpen64(partial.c_str(), APPEND_STATUS_CREATE);
  if (!zip) {
    error = "cannot create " + partial.string();
    return false;
  }
  bool ok = true;
  for (const auto& entry : entries) {
    zip_fileinfo info{};
    // A fixed date keeps the archive the same from build to build.
    info.tmz_date.tm_year = 2014;
    info.tmz_date.tm_mon = 8;
    info.tmz_date.tm_mday = 1;
    if (zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_BEST_COMPRESSION, 0) != ZIP_OK ||
        zipWriteInFileInZip(zip, entry.content.data(), static_cast<unsigned>(entry.content.size())) != ZIP_OK ||
        zipCloseFileInZip(zip) != ZIP_OK) {
      error = "cannot write " + entry.name + " into " + partial.string();
      ok = false;
      break;
    }
  }
  if (zipClose(zip, nullptr) != ZIP_OK && ok) {
    error = "cannot finish " + partial.string();
    ok = false;
  }
  std::error_code ec;
  if (ok) {
    std::filesystem::rename(partial, path, ec);
    if (ec) {
      error = "cannot rename " + partial.string() + ": " + ec.message();
      ok = false;
    }
  }
  if (!ok) std::filesystem::remove(partial, ec);
  return ok;
}

}  // namespace tarnwick
