#include "charts/s57/ExchangeSet.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <fstream>
#include <mutex>
#include <thread>

#include "charts/iso8211/Iso8211Module.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencFolder.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::optional<uint32_t> ParseHex32(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'A' && c <= 'F')                  ? c - 'A' + 10
                      : (c >= 'a' && c <= 'f')                  ? c - 'a' + 10
                                                                : -1;
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

std::optional<uint32_t> FileCrc32(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  uLong crc = crc32(0L, Z_NULL, 0);
  std::vector<char> block(1 << 16);
  while (in) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const auto n = static_cast<uInt>(in.gcount());
    if (n == 0) break;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(block.data()), n);
  }
  return static_cast<uint32_t>(crc);
}

std::string Hex32(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

bool Newer(const ExchangeSetCell& a, const ExchangeSetCell& b) {
  return a.edition != b.edition ? a.edition > b.edition : a.update > b.update;
}

}  // namespace

std::optional<std::filesystem::path> ResolveCatalogueName(const std::filesystem::path& root,
                                                          std::string_view name) {
  if (name.empty() || name.front() == '\\' || name.front() == '/' ||
      (name.size() > 1 && name[1] == ':'))
    return std::nullopt;
  std::filesystem::path current = root;
  bool any = false;
  for (size_t at = 0; at <= name.size();) {
    const size_t end = std::min(name.find_first_of("\\/", at), name.size());
    const std::string part(name.substr(at, end - at));
    at = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return std::nullopt;
    any = true;
    std::filesystem::path next = current / part;
    std::error_code ec;
    if (!std::filesystem::exists(next, ec)) {
      // Catalogues are written on systems that ignore case.
      for (std::filesystem::directory_iterator it(current, ec), stop; !ec && it != stop; it.increment(ec)) {
        if (Upper(it->path().filename().string()) == Upper(part)) {
          next = it->path();
          break;
        }
      }
    }
    current = next;
  }
  if (!any) return std::nullopt;
  return current;
}

CExchangeSet CExchangeSet::Scan(const std::filesystem::path& folder) {
  CExchangeSet set;
  set.folder_ = folder;
  std::optional<std::filesystem::path> catalogue;
  for (const char* name : {"CATALOG.031", "ENC_ROOT/CATALOG.031"}) {
    auto candidate = ResolveCatalogueName(folder, name);
    std::error_code ec;
    if (candidate && std::filesystem::is_regular_file(*candidate, ec)) {
      catalogue = candidate;
      break;
    }
  }
  if (catalogue) {
    set.ReadCatalogue(*catalogue);
  } else {
    set.ScanFolder();
  }
  std::sort(set.cells_.begin(), set.cells_.end(),
            [](const ExchangeSetCell& a, const ExchangeSetCell& b) { return a.base < b.base; });
  return set;
}

void CExchangeSet::ReadCatalogue(const std::filesystem::path& catalogue) {
  std::string error;
  auto module = CIso8211Module::Open(catalogue, error);
  if (!module) {
    problems_.push_back(error + "; the folder is searched for cells instead");
    ScanFolder();
    return;
  }
  catalogue_ = catalogue;
  const std::filesystem::path root = catalogue.parent_path();
  CIso8211Record record;
  while (module->ReadRecord(record, error)) {
    const auto catd = record.FindField("CATD");
    if (!catd) continue;
    const std::string name(catd->Text("FILE").value_or(""));
    const std::string impl(catd->Text("IMPL").value_or(""));
    if (Upper(name) == "CATALOG.031") continue;
    const auto path = ResolveCatalogueName(root, name);
    if (!path) {
      problems_.push_back(catalogue.string() + ": file name \"" + name +
                          "\" does not lie inside the exchange set");
      continue;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*path, ec)) {
      problems_.push_back(catalogue.string() + " lists " + name + ", which is not there");
      continue;
    }
    if (const auto crc = ParseHex32(catd->Text("CRCS").value_or(""))) crcs_[path->lexically_normal()] = *crc;
    if (Upper(impl) == "BIN" && Upper(path->extension().string()) == ".000") AddBase(*path);
  }
  if (!error.empty()) problems_.push_back(error);
}

void CExchangeSet::ScanFolder() {
  std::error_code ec;
  for (std::filesystem::recursive_directory_iterator
           it(folder_, std::filesystem::directory_options::skip_permission_denied, ec),
       stop;
       !ec && it != stop; it.increment(ec)) {
    if (it->is_regular_file(ec) && Upper(it->path().extension().string()) == ".000")
      AddBase(it->path());
  }
  if (ec) problems_.push_back(folder_.string() + ": " + ec.message());
}

void CExchangeSet::AddBase(const std::filesystem::path& base) {
  const auto edition = ReadCellEdition(base);
  if (!edition) {
    problems_.push_back(base.string() + " is not an S-57 cell");
    return;
  }
  ExchangeSetCell cell{base, edition->first, edition->second};
  const std::string name = Upper(base.stem().string());
  for (ExchangeSetCell& other : cells_) {
    if (Upper(other.base.stem().string()) != name) continue;
    const ExchangeSetCell& older = Newer(cell, other) ? other : cell;
    problems_.push_back(older.base.string() + " (edition " + std::to_string(older.edition) +
                        ", update " + std::to_string(older.update) + ") is superseded");
    if (Newer(cell, other)) other = cell;
    return;
  }
  cells_.push_back(cell);
}

std::optional<std::string> CExchangeSet::CheckFile(const std::filesystem::path& file) const {
  const auto it = crcs_.find(file.lexically_normal());
  if (it == crcs_.end()) return std::nullopt;
  const auto crc = FileCrc32(file);
  if (!crc) return file.string() + " cannot be read";
  if (*crc == it->second) return std::nullopt;
  return file.string() + " is damaged: its CRC-32 " + Hex32(*crc) + " differs from the catalogue's " +
         Hex32(it->second);
}

namespace {

SencBuildOutcome BuildOne(const SencBuildJob& job, const std::filesystem::path& sencFolder,
                          bool force) {
  CS57ChartReader reader(sencFolder);
  if (job.set)
    reader.SetFileCheck([set = job.set](const std::filesystem::path& file) { return set->CheckFile(file); });
  SencBuildOutcome outcome;
  outcome.cell = job.cell;
  outcome.senc = reader.SencPath(job.cell);
  if (!force && !reader.NeedsRebuild(job.cell)) {
    std::string error;
    if (auto chart = CS57Chart::Open(outcome.senc, error)) {
      outcome.status = SencBuildOutcome::Status::UpToDate;
      outcome.edition = chart->Header().edtn;
      outcome.update = chart->Header().updn;
      outcome.features = chart->FeatureCount();
      return outcome;
    }
  }
  S57CompiledCell compiled;
  if (!reader.BuildSencFile(job.cell, outcome.error, &compiled)) return outcome;
  outcome.status = SencBuildOutcome::Status::Built;
  outcome.edition = compiled.header.edtn;
  outcome.update = compiled.header.updn;
  outcome.features = compiled.features.size();
  outcome.updatesApplied = std::move(compiled.updatesApplied);
  outcome.failedUpdate = std::move(compiled.failedUpdate);
  outcome.failedUpdateError = std::move(compiled.failedUpdateError);
  return outcome;
}

}  // namespace

std::vector<SencBuildOutcome> BuildSencFiles(
    const std::vector<SencBuildJob>& jobs, const std::filesystem::path& sencFolder, unsigned threads,
    bool force, const std::function<void(const SencBuildOutcome&, size_t, size_t)>& done) {
  std::vector<SencBuildOutcome> outcomes(jobs.size());
  // Two jobs for one cell name would write one SENC: the newer edition wins.
  std::vector<bool> skip(jobs.size(), false);
  std::map<std::string, size_t> byName;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const auto [it, fresh] = byName.emplace(Upper(jobs[i].cell.stem().string()), i);
    if (fresh) continue;
    const size_t j = it->second;
    const auto a = ReadCellEdition(jobs[i].cell), b = ReadCellEdition(jobs[j].cell);
    const size_t loser = (a && b && *a > *b) ? j : i;
    const size_t winner = loser == i ? j : i;
    skip[loser] = true;
    outcomes[loser].cell = jobs[loser].cell;
    outcomes[loser].error = "superseded by " + jobs[winner].cell.string();
    it->second = winner;
  }
  size_t finished = 0;
  std::mutex mutex;
  auto report = [&](size_t i) {
    std::lock_guard lock(mutex);
    ++finished;
    if (done) done(outcomes[i], finished, jobs.size());
  };
  for (size_t i = 0; i < jobs.size(); ++i)
    if (skip[i]) report(i);

  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < jobs.size(); i = next++) {
      if (skip[i]) continue;
      SencBuildOutcome outcome = BuildOne(jobs[i], sencFolder, force);
      {
        std::lock_guard lock(mutex);
        outcomes[i] = std::move(outcome);
      }
      report(i);
    }
  };
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(jobs.size(), 1)));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return outcomes;
}

}  // namespace tarnwick
