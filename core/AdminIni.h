#pragma once
// Reading the administrator's "Admin.ini": the entries of one INI section, as
// the Windows private-profile reader returns them.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct IniEntry {
  std::string name;
  std::string value;
};

// The "name=value" entries of [section] (section name compared without case),
// in file order, whitespace trimmed, within maxBytes of "entry\0" texts.
// Entries starting with "#" and lines without "=" are skipped.
std::vector<IniEntry> ReadIniSection(const std::filesystem::path& path, std::string_view section,
                                     size_t maxBytes = 4096);

// The places Admin.ini is read from, lowest precedence first: the program
// folder, then /etc/tarnwick-ecs.
std::vector<std::filesystem::path> AdminIniPaths();

// Writes the Admin.ini template: "[Default Options]\r\n" then "%s=%s\r\n" with
// every setting's name and default text. False when the file cannot be written.
bool ExportAdminTemplate(const std::filesystem::path& path);

}  // namespace tarnwick
