#include "charts/library/ChartScanner.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "charts/s57/S57Cell.h"
#include "charts/s57/S57ChartReader.h"

namespace tarnwick {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsBelow(const std::filesystem::path& path, const std::filesystem::path& folder) {
  const auto [f, p] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return f == folder.end();
}

std::string FileStamp(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return "";
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return "";
  return std::to_string(size) + "@" + std::to_string(time.time_since_epoch().count());
}

}  // namespace

std::optional<ChartKind> ChartKindOfFile(const std::filesystem::path& path) {
  const std::string ext = Upper(path.extension().string());
  if (ext == ".000") return ChartKind::kVector;
  if (ext == ".KAP") return ChartKind::kKap;
  if (ext == ".TIF" || ext == ".TIFF") return ChartKind::kGeoTiff;
  return std::nullopt;
}

std::string ChartNameOf(const std::filesystem::path& path, ChartKind kind) {
  return kind == ChartKind::kVector ? Upper(path.stem().string()) : path.stem().string();
}

FoundCharts FindCharts(const std::filesystem::path& source, bool folder) {
  FoundCharts found;
  if (!folder) {
    const auto kind = ChartKindOfFile(source);
    std::error_code ec;
    if (kind && std::filesystem::is_regular_file(source, ec))
      found.charts.push_back({source, *kind, ChartNameOf(source, *kind), nullptr});
    return found;
  }
  std::vector<std::filesystem::path> catalogueFolders;
  std::vector<FoundChart> files;
  std::error_code ec;
  found.folders.push_back(source);
  for (std::filesystem::recursive_directory_iterator
           it(source, std::filesystem::directory_options::skip_permission_denied, ec),
       stop;
       !ec && it != stop; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) {
      if (!it->is_symlink(typeError)) found.folders.push_back(it->path());
      continue;
    }
    if (!it->is_regular_file(typeError)) continue;
    const std::filesystem::path& path = it->path();
    if (Upper(path.filename().string()) == "CATALOG.031") {
      catalogueFolders.push_back(path.parent_path());
      continue;
    }
    if (const auto kind = ChartKindOfFile(path))
      files.push_back({path.lexically_normal(), *kind, ChartNameOf(path, *kind), nullptr});
  }
  if (ec) found.problems.push_back(source.string() + ": " + ec.message());

  std::set<std::filesystem::path> inSets;
  for (const std::filesystem::path& catalogueFolder : catalogueFolders) {
    auto set = std::make_shared<const CExchangeSet>(CExchangeSet::Scan(catalogueFolder));
    for (const std::string& problem : set->Problems()) found.problems.push_back(problem);
    for (const ExchangeSetCell& cell : set->Cells()) {
      const std::filesystem::path path = cell.base.lexically_normal();
      if (!inSets.insert(path).second) continue;
      found.charts.push_back(
          {path, ChartKind::kVector, ChartNameOf(path, ChartKind::kVector), set});
    }
  }
  for (FoundChart& file : files) {
    if (file.kind == ChartKind::kVector) {
      // A cell below a catalogue belongs to its exchange set, which lists it or leaves it out.
      const bool underCatalogue =
          std::any_of(catalogueFolders.begin(), catalogueFolders.end(),
                      [&](const std::filesystem::path& f) { return IsBelow(file.path, f); });
      if (underCatalogue) continue;
    }
    found.charts.push_back(std::move(file));
  }
  std::sort(found.charts.begin(), found.charts.end(),
            [](const FoundChart& a, const FoundChart& b) { return a.path < b.path; });
  return found;
}

std::string ChartSignature(const std::filesystem::path& path, ChartKind kind) {
  std::string signature = FileStamp(path);
  if (signature.empty() || kind != ChartKind::kVector) return signature;
  const auto edition = ReadCellEdition(path);
  if (!edition) return signature;
  signature += ";e" + std::to_string(edition->first) + "u" + std::to_string(edition->second);
  for (uint32_t n = edition->second + 1; n <= 999; ++n) {
    const auto update = FindUpdateFile(path, n);
    if (!update) break;
    signature += ";" + std::to_string(n) + ":" + FileStamp(*update);
  }
  return signature;
}

}  // namespace tarnwick
