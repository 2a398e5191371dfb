#include "charts/raster/BsbChartInfo.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "charts/raster/BsbText.h"
#include "core/Log.h"

namespace tarnwick {

// Fills a CBSBChartInfo from the file's lines.
struct BsbLoader {
  static bool IsPanelKeyword(const std::string& keyword) {
    return keyword.size() == 3 && keyword[0] == 'K' && std::isdigit(static_cast<unsigned char>(keyword[1])) &&
           std::isdigit(static_cast<unsigned char>(keyword[2]));
  }

  // A file name that stays in the BSB file's folder.
  static bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string::npos && name.find('\0') == std::string::npos;
  }

  // folder/name, or the entry of folder whose name matches without regard to
  // case (chart sets are often written on systems that ignore it).
  static std::filesystem::path FindBeside(const std::filesystem::path& folder,
                                          const std::string& name) {
    const auto exact = folder / name;
    std::error_code ec;
    if (std::filesystem::exists(exact, ec)) return exact;
    auto lower = [](std::string s) {
      for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return s;
    };
    const std::string wanted = lower(name);
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (lower(it->path().filename().string()) == wanted) return it->path();
    }
    return exact;
  }

  static bool ReadLine(CBSBChartInfo& info, const std::string& line) {
    const auto split = SplitBsbKeyword(line);
    if (!split) return true;
    const std::string& key = split->keyword;
    auto set = [&info](const char* name, const std::string& value) {
      if (!value.empty()) info.properties_[name] = value;
    };
    if (IsPanelKeyword(key)) {
      auto fields = SplitBsbFields(split->value);
      BsbPanel panel;
      panel.entry = key;
      panel.name = fields["NA"];
      panel.number = fields["NU"];
      panel.type = fields["TY"];
      panel.fileName = fields["FN"];
      if (!IsPlainFileName(panel.fileName)) return false;
      info.panels_.push_back(std::move(panel));
    } else if (key == "CHT") {
      auto fields = SplitBsbFields(split->value);
      set("Name", fields["NA"]);
      set("Number", fields["NU"]);
    } else if (key == "CHF") {
      set("Type", TrimBsb(split->value));
    } else if (key == "CED") {
      auto fields = SplitBsbFields(split->value);
      set("Base Chart Version", fields["SE"]);
      set("Base Chart Date", fields["ED"]);
    } else if (key == "NTM") {
      auto fields = SplitBsbFields(split->value);
      set("NTM Edition", fields["NE"]);
      set("NTM Date", fields["ND"]);
    } else if (key == "ORG") {
      set("Agency", TrimBsb(split->value));
    } else if (key == "MFR") {
      set("Manufacturer", TrimBsb(split->value));
    } else if (key == "RGN") {
      set("Region", TrimBsb(split->value));
    } else if (key == "VER") {
      set("Version", TrimBsb(split->value));
    } else if (key == "CRR") {
      set("Copyright", TrimBsb(split->value));
    }
    // MDF/, CHK/, CGD/, PTC/, RAP/ and the N.../ note records are accepted as they are.
    return true;
  }

  static void CheckEditions(CBSBChartInfo& info) {
    const auto& p = info.properties_;
    const auto se = p.find("Base Chart Version");
    const auto ed = p.find("Base Chart Date");
    for (const BsbPanel& panel : info.panels_) {
      if (!panel.chart) continue;
      const auto& ced = panel.chart->Header().ced;
      const auto kapSe = ced.find("SE");
      const auto kapEd = ced.find("ED");
      const bool differs =
          (se != p.end() && kapSe != ced.end() && se->second != kapSe->second) ||
          (ed != p.end() && kapEd != ced.end() && ed->second != kapEd->second);
      if (differs) {
        const std::string text = "Edition information differs for Chart BSB & KAP files.";
        Log("%s %s\n", text.c_str(), panel.path.c_str());
        info.warnings_.push_back(text);
        return;
      }
    }
  }

  static std::unique_ptr<CBSBChartInfo> Load(const std::filesystem::path& path, BsbOpenError& error);
};

std::unique_ptr<CBSBChartInfo> BsbLoader::Load(const std::filesystem::path& path,
                                               BsbOpenError& error) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  if (!in || std::filesystem::is_directory(path, ec)) {
    const int code = in ? EISDIR : errno;
    Log("LoadBsbFile: cannot open file \"%s\" (%d)\n", path.c_str(), code);
    char message[64];
    std::snprintf(message, sizeof message, "Cannot open this file (error code %d)", code);
    error = {"Cannot open file", message, std::strerror(code)};
    return nullptr;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string text = bytes.str();
  auto info = std::make_unique<CBSBChartInfo>();
  info->path_ = path;
  const BsbOpenError invalid{"Invalid BSB file", "This is not a valid BSB file", ""};
  for (const std::string& line : SplitBsbLines(BsbHeaderText(text))) {
    if (!ReadLine(*info, line)) {
      Log("Error in BSB %s; line: \"%s\"\n", path.c_str(), line.c_str());
      error = invalid;
      error.detail = "cannot read the line \"" + line + "\"";
      return nullptr;
    }
  }
  if (info->panels_.empty()) {
    Log("ERROR: LoadBsbChart(\"%s\"): no chart references found!\n", path.c_str());
    error = invalid;
    error.detail = "no chart panels (K01/...) listed";
    return nullptr;
  }
  size_t opened = 0;
  for (BsbPanel& panel : info->panels_) {
    panel.path = FindBeside(path.parent_path(), panel.fileName);
    panel.chart = CRasterChart::ReadKapFile(panel.path, panel.error);
    if (panel.chart) {
      ++opened;
    } else {
      Log("ERROR: LoadBsbChart(\"%s\"):ReadKapFile(\"%s\") failed!\n", path.c_str(),
          panel.path.c_str());
    }
  }
  if (opened == 0) {
    error = invalid;
    error.detail = "none of the " + std::to_string(info->panels_.size()) + " panels opens";
    return nullptr;
  }
  CheckEditions(*info);
  return info;
}

std::unique_ptr<CBSBChartInfo> LoadBsbFile(const std::filesystem::path& path, BsbOpenError& error) {
  return BsbLoader::Load(path, error);
}

}  // namespace tarnwick
