#pragma once
// One S-57 cell as read from its base file and updated by its update files:
// the header values of DSID, DSSI and DSPM and the record tables (features,
// isolated nodes, connected nodes, edges), from which the features are
// compiled (S57Compile.cpp). Updates are applied to the stored records' raw
// fields (S57CellUpdate.cpp).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charts/iso8211/Iso8211Module.h"
#include "charts/s57/S57Feature.h"

namespace tarnwick {

struct S57CellHeader {
  std::string dsnm;     // data set name as DSID gives it ("US5HA57M.000")
  uint32_t intu = 0;    // intended usage
  uint32_t edtn = 0;    // edition
  uint32_t updn = 0;    // update number (of the base file, then of the last update applied)
  uint32_t uadt = 0;    // update application date, YYYYMMDD (0 when blank)
  uint32_t isdt = 0;    // issue date, YYYYMMDD
  float sted = 0;       // S-57 edition
  uint32_t prsp = 0;    // product specification
  float pred = 0;       // product specification edition
  uint32_t agen = 0;    // producing agency
  uint32_t aall = 0;    // lexical level of ATTF texts (1: ISO 8859-1)
  uint32_t comf = 1;    // coordinate multiplication factor, at least 1
  uint32_t somf = 1;    // sounding multiplication factor, at least 1
  uint32_t cscl = 0;    // compilation scale
  uint32_t hdat = 0, vdat = 0, sdat = 0;
};

// Records of one kind in file order, sorted by RCID the first time a lookup
// needs it (an insertion clears the sorted flag).
class CS57RecordTable {
 public:
  using Entry = std::pair<uint32_t, CIso8211Record>;

  void Append(uint32_t rcid, CIso8211Record record);
  // The record with this RCID, null when none (sorts first when needed).
  CIso8211Record* Find(uint32_t rcid);
  // Removes the record with this RCID; false when none.
  bool Erase(uint32_t rcid);
  std::vector<Entry>& Entries() { return entries_; }
  const std::vector<Entry>& Entries() const { return entries_; }
  size_t Size() const { return entries_.size(); }

 private:
  std::vector<Entry>::iterator Lookup(uint32_t rcid);
  std::vector<Entry> entries_;
  bool sorted_ = false;
};

// Outcome of applying one update file.
struct S57UpdateResult {
  bool applied = false;
  std::string userMessage;  // for the navigator when it could not apply ("" for none)
  std::string error;        // why not, for the log and the command line
};

// Record counts by primitive and kind, for reports.
struct S57CellCounts {
  size_t features = 0, isolatedNodes = 0, connectedNodes = 0, edges = 0;
};

class CS57Cell {
 public:
  CS57Cell() = default;
  CS57Cell(const CS57Cell&) = delete;
  CS57Cell& operator=(const CS57Cell&) = delete;

  // Reads the base cell. False with the reason in error when it cannot be
  // opened, is damaged, or holds no records.
  bool ReadBase(const std::filesystem::path& path, std::string& error);
  // The same from an opened module (its Name() stands for the path).
  bool ReadBase(std::unique_ptr<CIso8211Module> module, std::string& error);
  // Applies one update file (its DSID must be for this edition and the next
  // update number).
  S57UpdateResult ApplyUpdate(const std::filesystem::path& path);
  S57UpdateResult ApplyUpdate(std::unique_ptr<CIso8211Module> module);
  // Compiles every feature record, in table order, into features in
  // projected metres with their boxes (geometry faults are logged and leave
  // the feature without that geometry).
  std::vector<S57Feature> Compile();

  const S57CellHeader& Header() const { return header_; }
  const std::filesystem::path& Path() const { return path_; }
  S57CellCounts Counts() const;

  CS57RecordTable& Features() { return features_; }
  CS57RecordTable& IsolatedNodes() { return isolatedNodes_; }
  CS57RecordTable& ConnectedNodes() { return connectedNodes_; }
  CS57RecordTable& Edges() { return edges_; }

 private:
  CS57RecordTable* TableFor(int rcnm);
  bool ModifyRecord(CIso8211Record& stored, const CIso8211Record& update, std::string& why);
  CIso8211Record CloneOntoBase(const CIso8211Record& update) const;
  // Geometry of one feature record (S57Compile.cpp).
  void CompilePoint(const CIso8211Record& record, S57Feature& feature);
  void CompileSoundings(const CIso8211Record& record, S57Feature& feature);
  void CompileEdges(const CIso8211Record& record, S57Feature& feature);
  void ReadAttributes(const CIso8211Record& record, S57Feature& feature) const;

  std::filesystem::path path_;
  S57CellHeader header_;
  // The base module first, then each update applied; records point at their
  // field definitions.
  std::vector<std::unique_ptr<CIso8211Module>> modules_;
  CS57RecordTable features_, isolatedNodes_, connectedNodes_, edges_;
};

// Reads the first DSID of an 8211 file: (EDTN, UPDN); none when the file
// cannot be read or has no DSID in its first record.
std::optional<std::pair<uint32_t, uint32_t>> ReadCellEdition(const std::filesystem::path& path);

// Record names of S-57 (RCNM).
enum : int {
  kRcnmDsid = 10,
  kRcnmFeature = 100,
  kRcnmIsolatedNode = 110,
  kRcnmConnectedNode = 120,
  kRcnmEdge = 130,
  kRcnmFace = 140,
};

}  // namespace tarnwick
