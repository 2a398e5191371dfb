#include "core/AdminIni.h"

#include <fstream>

#include "core/Paths.h"
#include "core/Setting.h"

namespace tarnwick {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<IniEntry> ReadIniSection(const std::filesystem::path& path, std::string_view section,
                                     size_t maxBytes) {
  std::vector<IniEntry> entries;
  std::ifstream in(path, std::ios::binary);
  if (!in) return entries;
  std::string line;
  bool inSection = false;
  size_t used = 0;
  while (std::getline(in, line)) {
    std::string_view text = Trim(line);
    if (!text.empty() && text.front() == '[') {
      size_t close = text.find(']');
      inSection = close != std::string_view::npos &&
                  EqualsIgnoreCase(Trim(text.substr(1, close - 1)), section);
      continue;
    }
    if (!inSection || text.empty() || text.front() == ';') continue;
    // The section reader hands back at most maxBytes of NUL-terminated entries.
    if (used + text.size() + 1 >= maxBytes) break;
    used += text.size() + 1;
    if (text.front() == '#') continue;
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    entries.push_back({std::string(Trim(text.substr(0, equals))),
                       std::string(Trim(text.substr(equals + 1)))});
  }
  return entries;
}

std::vector<std::filesystem::path> AdminIniPaths() {
  return {ProgramFolder() / "Admin.ini", std::filesystem::path("/etc") / kAppFolderName / "Admin.ini"};
}

bool ExportAdminTemplate(const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << "[Default Options]\r\n";
  for (const CSetting* setting : AllSettings())
    out << setting->Name() << '=' << setting->DefaultText() << "\r\n";
  return static_cast<bool>(out.flush());
}

}  // namespace tarnwick
