#include "charts/s57/S57Cell.h"

#include <algorithm>
#include <fstream>

#include "core/Log.h"

namespace tarnwick {
namespace {

uint32_t UInt(const CIso8211Field& field, std::string_view label, uint32_t fallback = 0) {
  const auto value = field.Int(label);
  return value && *value >= 0 && *value <= UINT32_MAX ? static_cast<uint32_t>(*value) : fallback;
}

float Float(const CIso8211Field& field, std::string_view label) {
  const auto value = field.Real(label);
  return value ? static_cast<float>(*value) : 0.0f;
}

// The tag of the record's first field after the record identifier.
std::string_view RecordKind(const CIso8211Record& record) {
  if (record.FieldCount() == 0) return {};
  return record.Field(record.FieldCount() > 1 ? 1 : 0).Tag();
}

}  // namespace

void CS57RecordTable::Append(uint32_t rcid, CIso8211Record record) {
  if (sorted_ && !entries_.empty() && entries_.back().first > rcid) sorted_ = false;
  entries_.emplace_back(rcid, std::move(record));
}

std::vector<CS57RecordTable::Entry>::iterator CS57RecordTable::Lookup(uint32_t rcid) {
  if (!sorted_) {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.first < b.first; });
    sorted_ = true;
  }
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), rcid,
                                   [](const Entry& e, uint32_t id) { return e.first < id; });
  return it != entries_.end() && it->first == rcid ? it : entries_.end();
}

CIso8211Record* CS57RecordTable::Find(uint32_t rcid) {
  const auto it = Lookup(rcid);
  return it == entries_.end() ? nullptr : &it->second;
}

bool CS57RecordTable::Erase(uint32_t rcid) {
  const auto it = Lookup(rcid);
  if (it == entries_.end()) return false;
  entries_.erase(it);
  return true;
}

CS57RecordTable* CS57Cell::TableFor(int rcnm) {
  switch (rcnm) {
    case kRcnmFeature:
      return &features_;
    case kRcnmIsolatedNode:
      return &isolatedNodes_;
    case kRcnmConnectedNode:
      return &connectedNodes_;
    case kRcnmEdge:
      return &edges_;
    default:
      return nullptr;
  }
}

bool CS57Cell::ReadBase(const std::filesystem::path& path, std::string& error) {
  auto module = CIso8211Module::Open(path, error);
  if (!module) return false;
  return ReadBase(std::move(module), error);
}

bool CS57Cell::ReadBase(std::unique_ptr<CIso8211Module> module, std::string& error) {
  path_ = module->Name();
  CIso8211Record record;
  size_t records = 0;
  while (module->ReadRecord(record, error)) {
    ++records;
    const std::string_view kind = RecordKind(record);
    if (kind == "DSID") {
      const CIso8211Field dsid = *record.FindField("DSID");
      header_.dsnm = dsid.Text("DSNM").value_or("");
      header_.intu = UInt(dsid, "INTU");
      header_.edtn = UInt(dsid, "EDTN");
      header_.updn = UInt(dsid, "UPDN");
      header_.uadt = UInt(dsid, "UADT");
      header_.isdt = UInt(dsid, "ISDT");
      header_.sted = Float(dsid, "STED");
      header_.prsp = UInt(dsid, "PRSP");
      header_.pred = Float(dsid, "PRED");
      header_.agen = UInt(dsid, "AGEN");
      if (header_.prsp != 1 && header_.prsp != 10 && header_.prsp != 200)
        Log("This is not an ENC product (PRSP=%u)!\n", header_.prsp);
      if (const auto dssi = record.FindField("DSSI")) header_.aall = UInt(*dssi, "AALL");
    } else if (kind == "DSPM") {
      const CIso8211Field dspm = *record.FindField("DSPM");
      header_.comf = std::max<uint32_t>(UInt(dspm, "COMF", 1), 1);
      header_.somf = std::max<uint32_t>(UInt(dspm, "SOMF", 1), 1);
      header_.cscl = UInt(dspm, "CSCL");
      header_.hdat = UInt(dspm, "HDAT");
      header_.vdat = UInt(dspm, "VDAT");
      header_.sdat = UInt(dspm, "SDAT");
    } else if (kind == "FRID") {
      const uint32_t rcid = UInt(*record.FindField("FRID"), "RCID");
      features_.Append(rcid, std::move(record));
    } else if (kind == "VRID") {
      const CIso8211Field vrid = *record.FindField("VRID");
      if (CS57RecordTable* table = TableFor(static_cast<int>(UInt(vrid, "RCNM"))))
        table->Append(UInt(vrid, "RCID"), std::move(record));
    } else {
      Log("Skipping %.*s record in CS57ChartReader::ReadFile()\n", static_cast<int>(kind.size()),
          kind.data());
    }
  }
  if (!error.empty()) return false;
  if (records == 0) {
    error = path_.string() + ": holds no records";
    return false;
  }
  modules_.push_back(std::move(module));
  return true;
}

S57CellCounts CS57Cell::Counts() const {
  return {features_.Size(), isolatedNodes_.Size(), connectedNodes_.Size(), edges_.Size()};
}

std::optional<std::pair<uint32_t, uint32_t>> ReadCellEdition(const std::filesystem::path& path) {
  // The DSID is in the first record: the start of the file is enough.
  constexpr size_t kHead = 64 * 1024;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string head(kHead, '\0');
  in.read(head.data(), static_cast<std::streamsize>(kHead));
  head.resize(static_cast<size_t>(in.gcount()));
  std::string error;
  auto module = CIso8211Module::FromBytes(std::move(head), path.string(), error);
  if (!module) return std::nullopt;
  CIso8211Record record;
  if (!module->ReadRecord(record, error)) return std::nullopt;
  const auto dsid = record.FindField("DSID");
  if (!dsid) return std::nullopt;
  return std::make_pair(UInt(*dsid, "EDTN"), UInt(*dsid, "UPDN"));
}

}  // namespace tarnwick
