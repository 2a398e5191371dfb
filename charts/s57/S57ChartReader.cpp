#include "charts/s57/S57ChartReader.h"

#include <cstdio>
#include <exception>
#include <fstream>

#include "charts/s57/SencFolder.h"
#include "charts/s57/SencWriter.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

constexpr uint32_t kLastUpdate = 999;

std::string UpdateFileName(const std::filesystem::path& cellPath, uint32_t n) {
  char extension[8];
  std::snprintf(extension, sizeof extension, ".%03u", n);
  return cellPath.stem().string() + extension;
}

bool IsNumber(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::optional<std::filesystem::path> FindUpdateFile(const std::filesystem::path& cellPath,
                                                    uint32_t n) {
  std::error_code ec;
  const std::string name = UpdateFileName(cellPath, n);
  const std::filesystem::path beside = cellPath.parent_path() / name;
  if (std::filesystem::is_regular_file(beside, ec)) return beside;
  // Exchange-set layout: CELL/EDITION/UPDATE/CELL.nnn, the base in UPDATE 0
  // (or the update of a re-issue).
  const std::filesystem::path folder = cellPath.parent_path();
  if (IsNumber(folder.filename().string())) {
    const std::filesystem::path layout = folder.parent_path() / std::to_string(n) / name;
    if (std::filesystem::is_regular_file(layout, ec)) return layout;
  }
  return std::nullopt;
}

std::optional<std::pair<uint32_t, uint32_t>> ReadSencEdition(const std::filesystem::path& sencPath) {
  std::ifstream in(sencPath, std::ios::binary);
  char head[senc::kHeaderSize4] = {};
  in.read(head, sizeof head);
  const auto got = static_cast<size_t>(in.gcount());
  if (got < 4) return std::nullopt;
  const auto* p = reinterpret_cast<const uint8_t*>(head);
  const uint32_t version = senc::Load32(p);
  if (version == senc::kVersion4 && got >= senc::kHeaderSize4)
    return std::make_pair(senc::Load32(p + senc::kOffEdtn), senc::Load32(p + senc::kOffUpdn));
  if (version == senc::kVersion3 && got >= senc::kHeaderSize3)
    return std::make_pair(senc::Load32(p + senc::kV3OffEdtn), senc::Load32(p + senc::kV3OffUpdn));
  return std::nullopt;
}

SencHeader SencHeaderOf(const S57CellHeader& cell) {
  SencHeader h;
  h.cscl = cell.cscl;
  h.intu = cell.intu;
  h.edtn = cell.edtn;
  h.updn = cell.updn;
  h.uadt = cell.uadt;
  h.isdt = cell.isdt;
  h.sted = cell.sted;
  h.prsp = cell.prsp;
  h.pred = cell.pred;
  h.agen = cell.agen;
  h.hdat = cell.hdat;
  h.vdat = cell.vdat;
  h.sdat = cell.sdat;
  // The title comes from a chart catalogue; none is installed with the cells.
  return h;
}

CS57ChartReader::CS57ChartReader(std::filesystem::path sencFolder) : folder_(std::move(sencFolder)) {}

std::filesystem::path CS57ChartReader::SencPath(const std::filesystem::path& cellPath) const {
  return SencPathFor(folder_, cellPath);
}

std::optional<S57CompiledCell> CS57ChartReader::Compile(const std::filesystem::path& cellPath,
                                                        bool applyUpdates,
                                                        std::string& error) const {
  if (check_) {
    if (auto why = check_(cellPath)) {
      error = *why;
      return std::nullopt;
    }
  }
  CS57Cell cell;
  if (!cell.ReadBase(cellPath, error)) return std::nullopt;
  S57CompiledCell out;
  for (uint32_t n = cell.Header().updn + 1; applyUpdates && n <= kLastUpdate; ++n) {
    const auto update = FindUpdateFile(cellPath, n);
    if (!update) break;
    if (progress_) progress_(ExpandMessage("Applying update: $1", {update->filename().string()}));
    if (auto why = check_ ? check_(*update) : std::nullopt) {
      Log("%s\n", why->c_str());
      out.failedUpdate = *update;
      out.failedUpdateError = *why;
      break;
    }
    const S57UpdateResult result = cell.ApplyUpdate(*update);
    if (!result.applied) {
      if (!result.userMessage.empty() && message_) message_(result.userMessage);
      out.failedUpdate = *update;
      out.failedUpdateError = result.userMessage.empty() ? result.error : result.userMessage;
      break;
    }
    out.updatesApplied.push_back(*update);
  }
  out.header = cell.Header();
  out.records = cell.Counts();
  out.features = cell.Compile();
  std::vector<ProjectedBox> boxes;
  boxes.reserve(out.features.size());
  for (const S57Feature& f : out.features) boxes.push_back(f.box);
  out.tree = BuildSencQuadtree(boxes);
  return out;
}

bool CS57ChartReader::BuildSencFile(const std::filesystem::path& cellPath, std::string& error,
                                    S57CompiledCell* out) {
  const std::filesystem::path sencPath = SencPath(cellPath);
  Log("Building SENC from: \"%s\"\n", cellPath.c_str());
  if (progress_) progress_("Building SENC from " + cellPath.filename().string());
  try {
    auto compiled = Compile(cellPath, true, error);
    if (!compiled) {
      Log("%s\n", error.c_str());
      return false;
    }
    if (!EnsureFolder(folder_)) {
      error = "cannot create the SENC folder " + folder_.string();
      Log("%s\n", error.c_str());
      return false;
    }
    const std::string bytes =
        SerializeSenc(SencHeaderOf(compiled->header), compiled->features, compiled->tree);
    if (!WriteSencFile(sencPath, bytes)) {
      error = "cannot write " + sencPath.string();
      return false;
    }
    const auto failed = compiled->failedUpdate
                            ? DescribeUpdateFile(*compiled->failedUpdate, compiled->header.updn + 1)
                            : std::nullopt;
    if (failed) {
      WriteFailedUpdate(sencPath, *failed);
    } else {
      ClearFailedUpdate(sencPath);
    }
    if (out) *out = std::move(*compiled);
    return true;
  } catch (const std::exception& e) {
    Log("%s: Exception caught while creating SENC\n", sencPath.c_str());
    error = sencPath.string() + ": " + e.what();
    return false;
  }
}

bool CS57ChartReader::NeedsRebuild(const std::filesystem::path& cellPath) const {
  const std::filesystem::path sencPath = SencPath(cellPath);
  const auto senc = ReadSencEdition(sencPath);
  if (!senc) return true;
  const auto [edition, update] = *senc;
  const auto cell = ReadCellEdition(cellPath);
  if (cell && (cell->first != edition || cell->second > update)) return true;
  const auto next = FindUpdateFile(cellPath, update + 1);
  if (!next) return false;
  // The update that failed before is not tried again until its file changes.
  const auto failed = ReadFailedUpdate(sencPath);
  const auto now = DescribeUpdateFile(*next, update + 1);
  return !(failed && now && failed->update == now->update && failed->size == now->size &&
           failed->modifiedNs == now->modifiedNs);
}

std::unique_ptr<CS57Chart> CS57ChartReader::ReadFile(const std::filesystem::path& cellPath,
                                                     bool forceRebuild, std::string& error) {
  const std::filesystem::path sencPath = SencPath(cellPath);
  if (!forceRebuild) {
    std::string why;
    if (auto chart = CS57Chart::Open(sencPath, why)) return chart;
  }
  if (!BuildSencFile(cellPath, error)) return nullptr;
  return CS57Chart::Open(sencPath, error);
}

}  // namespace tarnwick
