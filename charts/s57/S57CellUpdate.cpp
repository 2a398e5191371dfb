// Applying an S-57 update file to a cell: record insertion, deletion and
// modification by RUIN and RVER, the pointer and coordinate update
// instructions (FSPC on FSPT, VRPC on VRPT, SGCC on SG2D or SG3D) and
// attribute updates with the delete marker.

#include <cstdio>

#include "charts/s57/S57Cell.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

constexpr char kDeleteMarker = 0x7F;
constexpr int kRuinInsert = 1;
constexpr int kRuinDelete = 2;
constexpr int kRuinModify = 3;

int64_t IntOr(const std::optional<CIso8211Field>& field, std::string_view label, int64_t fallback) {
  if (!field) return fallback;
  return field->Int(label).value_or(fallback);
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) out += p;
  return out;
}

std::vector<std::string> Instances(const CIso8211Field& field) {
  std::vector<std::string> out;
  for (std::string_view rep : field.Repetitions()) out.emplace_back(rep);
  return out;
}

// The identifier field of an FRID or VRID record and its index.
int IdentifierIndex(const CIso8211Record& record) {
  const int frid = record.FindFieldIndex("FRID");
  return frid >= 0 ? frid : record.FindFieldIndex("VRID");
}

// Applies one control field (FSPC, VRPC or SGCC: instruction, 1-based index,
// count) of update to field target of stored. False with why when the
// control cannot be applied.
bool ApplyControl(CIso8211Record& stored, const CIso8211Record& update, const char* control,
                  const char* instruction, const char* index, const char* count,
                  std::string_view target, std::string& why) {
  const auto ctl = update.FindField(control);
  if (!ctl) return true;
  const int64_t ui = IntOr(ctl, instruction, 0);
  const int64_t ix = IntOr(ctl, index, 0);
  const int64_t n = IntOr(ctl, count, 0);
  const int at = stored.FindFieldIndex(target);
  if (at < 0) {
    why = std::string(control) + " on a record without " + std::string(target);
    return false;
  }
  std::vector<std::string> instances = Instances(stored.Field(static_cast<size_t>(at)));
  const int64_t size = static_cast<int64_t>(instances.size());
  std::vector<std::string> source;
  if (ui == kRuinInsert || ui == kRuinModify) {
    const auto from = update.FindField(target);
    if (!from) {
      why = std::string(control) + " without its " + std::string(target) + " field";
      return false;
    }
    source = Instances(*from);
  }
  const bool inRange = ix >= 1 && n >= 0 &&
                       (ui == kRuinInsert ? ix - 1 <= size : ix - 1 + n <= size);
  if (!inRange || (ui != kRuinInsert && ui != kRuinDelete && ui != kRuinModify)) {
    why = std::string(control) + " instruction " + std::to_string(ui) + " at " +
          std::to_string(ix) + " for " + std::to_string(n) + " of " + std::to_string(size);
    return false;
  }
  if (ui == kRuinInsert) {
    instances.insert(instances.begin() + (ix - 1), source.begin(), source.end());
  } else if (ui == kRuinDelete) {
    for (int64_t i = ix - 1 + n - 1; i >= ix - 1; --i) instances.erase(instances.begin() + i);
  } else {
    for (int64_t i = 0; i < n && i < static_cast<int64_t>(source.size()); ++i)
      instances[static_cast<size_t>(ix - 1 + i)] = source[static_cast<size_t>(i)];
  }
  stored.SetFieldData(static_cast<size_t>(at), Join(instances));
  return true;
}

// Merges the attribute field tag (ATTF or ATTV) of update into stored: each
// update value replaces the stored value of its attribute (the last one),
// the delete marker removes it, a new attribute is appended.
void ApplyAttributes(CIso8211Record& stored, const CIso8211Record& update, std::string_view tag,
                     const CIso8211FieldDefn* baseDefn) {
  const auto from = update.FindField(tag);
  if (!from) return;
  const int at = stored.FindFieldIndex(tag);
  std::vector<std::string> values;
  if (at >= 0) values = Instances(stored.Field(static_cast<size_t>(at)));
  const CIso8211FieldDefn& defn = at >= 0 ? stored.Field(static_cast<size_t>(at)).Defn()
                                          : (baseDefn ? *baseDefn : from->Defn());
  auto code = [&](std::string_view rep) { return CIso8211Field(&defn, rep).Int(0); };
  for (std::string_view value : from->Repetitions()) {
    const auto attl = CIso8211Field(&from->Defn(), value).Int(0);
    const bool erase = value.size() >= 3 && value[2] == kDeleteMarker;
    int found = -1;
    for (int i = static_cast<int>(values.size()) - 1; i >= 0 && found < 0; --i)
      if (code(values[static_cast<size_t>(i)]) == attl) found = i;
    if (found < 0) {
      if (!erase) values.emplace_back(value);
    } else if (erase) {
      values.erase(values.begin() + found);
    } else {
      values[static_cast<size_t>(found)] = std::string(value);
    }
  }
  if (at >= 0) {
    stored.SetFieldData(static_cast<size_t>(at), Join(values));
  } else if (!values.empty()) {
    stored.AppendField(defn, Join(values));
  }
}

// Writes value into the b12 RVER subfield of the identifier field.
void SetRver(CIso8211Record& record, uint32_t value) {
  const int at = IdentifierIndex(record);
  if (at < 0) return;
  const CIso8211Field field = record.Field(static_cast<size_t>(at));
  const auto raw = field.Raw("RVER");
  if (!raw || raw->size() != 2) return;
  std::string data(field.Data());
  const size_t offset = static_cast<size_t>(raw->data() - field.Data().data());
  data[offset] = static_cast<char>(value & 0xFF);
  data[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
  record.SetFieldData(static_cast<size_t>(at), data);
}

}  // namespace

CIso8211Record CS57Cell::CloneOntoBase(const CIso8211Record& update) const {
  CIso8211Record copy;
  for (size_t i = 0; i < update.FieldCount(); ++i) {
    const CIso8211Field field = update.Field(i);
    const CIso8211FieldDefn* base = modules_.front()->FindFieldDefn(field.Tag());
    copy.AppendField(base ? *base : field.Defn(), field.Data());
  }
  return copy;
}

bool CS57Cell::ModifyRecord(CIso8211Record& stored, const CIso8211Record& update,
                            std::string& why) {
  const int storedId = IdentifierIndex(stored);
  const int updateId = IdentifierIndex(update);
  const int64_t storedRver = storedId < 0 ? -1 : stored.Field(static_cast<size_t>(storedId)).Int("RVER").value_or(-1);
  const int64_t updateRver = update.Field(static_cast<size_t>(updateId)).Int("RVER").value_or(-1);
  if (storedRver < 0 || storedRver + 1 != updateRver) {
    why = "RVER " + std::to_string(updateRver) + " does not follow the stored " +
          std::to_string(storedRver);
    return false;
  }
  // Work on a copy: a control that fails leaves the record as it was.
  CIso8211Record edited = stored;
  const bool feature = update.FindFieldIndex("FRID") >= 0;
  bool ok = true;
  if (feature) {
    ok = ApplyControl(edited, update, "FSPC", "FSUI", "FSIX", "NSPT", "FSPT", why);
    if (ok) ApplyAttributes(edited, update, "ATTF", modules_.front()->FindFieldDefn("ATTF"));
  } else {
    const char* coordinates = edited.FindFieldIndex("SG2D") >= 0 || edited.FindFieldIndex("SG3D") < 0 ? "SG2D" : "SG3D";
    ok = ApplyControl(edited, update, "VRPC", "VPUI", "VPIX", "NVPT", "VRPT", why) &&
         ApplyControl(edited, update, "SGCC", "CCUI", "CCIX", "CCNC", coordinates, why);
    if (ok) ApplyAttributes(edited, update, "ATTV", modules_.front()->FindFieldDefn("ATTV"));
  }
  if (!ok) return false;
  SetRver(edited, static_cast<uint32_t>(storedRver + 1));
  stored = std::move(edited);
  return true;
}

S57UpdateResult CS57Cell::ApplyUpdate(const std::filesystem::path& path) {
  S57UpdateResult result;
  Log("Applying updates from file: %s\n", path.c_str());
  auto module = CIso8211Module::Open(path, result.error);
  if (!module) {
    Log("%s\n", result.error.c_str());
    return result;
  }
  return ApplyUpdate(std::move(module));
}

S57UpdateResult CS57Cell::ApplyUpdate(std::unique_ptr<CIso8211Module> module) {
  S57UpdateResult result;
  const std::filesystem::path path = module->Name();
  // The whole file is read before anything is applied: a damaged update
  // leaves the cell as it was.
  std::vector<CIso8211Record> records;
  for (CIso8211Record record; module->ReadRecord(record, result.error);)
    records.push_back(std::move(record));
  if (!result.error.empty()) {
    Log("%s\n", result.error.c_str());
    return result;
  }
  const auto dsid = records.empty() ? std::nullopt : records.front().FindField("DSID");
  if (!dsid) {
    result.error = path.string() + ": no DSID record at the start of the update";
    Log("%s\n", result.error.c_str());
    return result;
  }
  const int64_t edtn = dsid->Int("EDTN").value_or(-1);
  const int64_t updn = dsid->Int("UPDN").value_or(-1);
  if (edtn != header_.edtn || updn != header_.updn + 1) {
    Log("%s: Update file \"%s\" is update %lld for edition %lld; base cell is update %u edition "
        "%u...Ignoring update file!\n",
        "CS57ChartReader::ApplyUpdate", path.c_str(), static_cast<long long>(updn),
        static_cast<long long>(edtn), header_.updn, header_.edtn);
    char text[128];
    if (edtn == header_.edtn) {
      std::snprintf(text, sizeof text, "Can't apply update %lld to update %u.",
                    static_cast<long long>(updn), header_.updn);
      result.userMessage = text;
    } else if (edtn > header_.edtn) {
      std::snprintf(text, sizeof text, "Can't apply update %lld for edition %lld to edition %u.",
                    static_cast<long long>(updn), static_cast<long long>(edtn), header_.edtn);
      result.userMessage = text;
    }
    result.error = path.filename().string() + " is update " + std::to_string(updn) +
                   " for edition " + std::to_string(edtn) + "; the cell is at update " +
                   std::to_string(header_.updn) + " of edition " + std::to_string(header_.edtn);
    return result;
  }
  header_.updn = static_cast<uint32_t>(updn);
  header_.isdt = static_cast<uint32_t>(dsid->Int("ISDT").value_or(header_.isdt));

  for (const CIso8211Record& record : records) {
    const bool feature = record.FindFieldIndex("FRID") >= 0;
    const auto id = record.FindField(feature ? "FRID" : "VRID");
    if (!id) continue;
    const int rcnm = feature ? kRcnmFeature : static_cast<int>(id->Int("RCNM").value_or(0));
    CS57RecordTable* table = TableFor(rcnm);
    if (!table) continue;
    const auto rcid = static_cast<uint32_t>(id->Int("RCID").value_or(0));
    const int64_t rver = id->Int("RVER").value_or(0);
    const int64_t ruin = id->Int("RUIN").value_or(0);
    if (ruin == kRuinInsert) {
      table->Append(rcid, CloneOntoBase(record));
    } else if (ruin == kRuinDelete) {
      CIso8211Record* stored = table->Find(rcid);
      const int at = stored ? IdentifierIndex(*stored) : -1;
      if (at >= 0 && stored->Field(static_cast<size_t>(at)).Int("RVER") == rver - 1) {
        table->Erase(rcid);
      } else {
        LogDebug("Update %s: record %d/%u not deleted (missing or RVER %lld)\n", path.c_str(), rcnm,
                 rcid, static_cast<long long>(rver));
      }
    } else if (ruin == kRuinModify) {
      if (CIso8211Record* stored = table->Find(rcid)) {
        std::string why;
        if (!ModifyRecord(*stored, record, why))
          LogDebug("Update %s: record %d/%u not modified: %s\n", path.c_str(), rcnm, rcid,
                   why.c_str());
      }
    }
  }
  modules_.push_back(std::move(module));
  result.applied = true;
  return result;
}

}  // namespace tarnwick
