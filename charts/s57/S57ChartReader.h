#pragma once
// CS57ChartReader turns an S-57 cell (base file ".000" plus its sequential
// updates ".001", ".002", ... beside it or in the exchange-set layout
// CELL/EDITION/UPDATE/) into a SENC file and opens it. The SENC is rebuilt
// when the cell's edition or update on disk is newer than the SENC's.
// One reader may be used from one thread at a time; several readers may
// build different cells at once.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charts/s57/S57Cell.h"
#include "charts/s57/S57Chart.h"
#include "charts/s57/SencQuadtree.h"

namespace tarnwick {

// A cell read with its updates and compiled, held in memory.
struct S57CompiledCell {
  S57CellHeader header;  // after the updates applied
  S57CellCounts records;
  std::vector<S57Feature> features;  // projected, in feature-index order
  std::vector<SencNode> tree;
  std::vector<std::filesystem::path> updatesApplied;
  // The update that stopped the sequence, if any, and why.
  std::optional<std::filesystem::path> failedUpdate;
  std::string failedUpdateError;
};

class CS57ChartReader {
 public:
  // sencFolder: where SENC files are written (created when needed).
  explicit CS57ChartReader(std::filesystem::path sencFolder);

  // Progress texts ("Building SENC from US5HA57M.000", "Applying update:
  // US1AK90M.001") and texts for the navigator ("Can't apply update 3 to
  // update 1."). Called on the building thread.
  void SetProgress(std::function<void(const std::string&)> progress) { progress_ = std::move(progress); }
  void SetUserMessage(std::function<void(const std::string&)> message) { message_ = std::move(message); }

  // A check every file is put through before it is read (the exchange set's
  // checksums): it returns why a file must not be used, none when it may.
  // A base file that fails is not read; an update that fails ends the updates.
  using FileCheck = std::function<std::optional<std::string>(const std::filesystem::path&)>;
  void SetFileCheck(FileCheck check) { check_ = std::move(check); }

  const std::filesystem::path& SencFolder() const { return folder_; }
  std::filesystem::path SencPath(const std::filesystem::path& cellPath) const;

  // The chart of cellPath: its SENC when that opens (unless forceRebuild),
  // else a SENC built now. Null with the reason in error when the cell cannot
  // be read or the SENC cannot be written.
  std::unique_ptr<CS57Chart> ReadFile(const std::filesystem::path& cellPath, bool forceRebuild,
                                      std::string& error);
  // Reads the cell, applies its updates, compiles and writes the SENC. The
  // compiled cell goes to out when given.
  bool BuildSencFile(const std::filesystem::path& cellPath, std::string& error,
                     S57CompiledCell* out = nullptr);
  // True when the SENC cannot be read, when the next update after the SENC's
  // exists (and is not the one that failed before, unchanged), or when the
  // base cell is of another edition or a later update than the SENC.
  bool NeedsRebuild(const std::filesystem::path& cellPath) const;

  // Reads, updates (unless applyUpdates is false) and compiles a cell in
  // memory. None with the reason in error when the base cell cannot be read.
  std::optional<S57CompiledCell> Compile(const std::filesystem::path& cellPath, bool applyUpdates,
                                         std::string& error) const;

 private:
  std::filesystem::path folder_;
  std::function<void(const std::string&)> progress_;
  std::function<void(const std::string&)> message_;
  FileCheck check_;
};

// The file of update n of the cell at cellPath: "NAME.nnn" beside it, else
// in the exchange-set layout (the cell's folder replaced by a sibling named
// n); none when neither exists.
std::optional<std::filesystem::path> FindUpdateFile(const std::filesystem::path& cellPath,
                                                    uint32_t n);
// (EDTN, UPDN) from a SENC header; none when the file is not a SENC.
std::optional<std::pair<uint32_t, uint32_t>> ReadSencEdition(const std::filesystem::path& sencPath);
// The header values a SENC of this cell carries.
SencHeader SencHeaderOf(const S57CellHeader& cell);

}  // namespace tarnwick
