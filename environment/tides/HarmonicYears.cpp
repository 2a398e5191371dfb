#include "environment/tides/HarmonicYears.h"

#include <cstring>

#include "core/Log.h"
#include "core/Sqlite.h"
#include "environment/tides/TideEvent.h"

namespace tarnwick {
namespace {

static_assert(sizeof(double) == 8, "YEARDATA holds IEEE doubles");

void PutLittleEndian(std::string& out, double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xff));
}

double GetLittleEndian(const unsigned char* at) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | at[i];
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

std::string EncodeYearBlob(const HarmonicYear& year) {
  std::string blob;
  blob.reserve(kYearBlobSize);
  for (int c = 0; c < kConstituentCount; ++c) {
    PutLittleEndian(blob, year.nodeFactor[static_cast<size_t>(c)]);
    PutLittleEndian(blob, year.equilibrium[static_cast<size_t>(c)]);
  }
  return blob;
}

std::optional<HarmonicYear> DecodeYearBlob(std::string_view blob) {
  if (blob.size() != kYearBlobSize) return std::nullopt;
  const auto* bytes = reinterpret_cast<const unsigned char*>(blob.data());
  HarmonicYear year;
  for (size_t c = 0; c < kConstituentCount; ++c) {
    year.nodeFactor[c] = GetLittleEndian(bytes + 16 * c);
    year.equilibrium[c] = GetLittleEndian(bytes + 16 * c + 8);
  }
  return year;
}

CHarmonicYears::CHarmonicYears(int firstYear, int count, Loader loader)
    : firstYear_(firstYear),
      count_(count > 0 ? count : 0),
      loader_(std::move(loader)),
      years_(static_cast<size_t>(count_)),
      failed_(static_cast<size_t>(count_), false) {}

int64_t CHarmonicYears::SpanStart() const { return YearStartUtc(firstYear_); }
int64_t CHarmonicYears::SpanEnd() const { return YearStartUtc(firstYear_ + count_); }

const HarmonicYear* CHarmonicYears::Year(int year) {
  if (!Contains(year)) return nullptr;
  const auto index = static_cast<size_t>(year - firstYear_);
  std::lock_guard lock(mutex_);
  if (!years_[index] && !failed_[index]) {
    if (auto loaded = loader_(year)) {
      years_[index] = std::make_unique<HarmonicYear>(*loaded);
    } else {
      failed_[index] = true;
      Log("CHarmonicYears: no usable YEARDATA row for %d\n", year);
    }
  }
  return years_[index].get();
}

std::shared_ptr<CHarmonicYears> CHarmonicYears::OpenDatabase(const std::filesystem::path& path,
                                                             std::string& error) {
  auto db = std::make_shared<CSqliteDatabase>();
  if (db->Open(path, SQLITE_OPEN_READONLY) != SQLITE_OK) {
    error = "cannot open " + path.string() + ": " + db->ErrorMessage();
    return nullptr;
  }
  std::vector<int> years;
  {
    CSqliteStatement list(*db, "SELECT year FROM YEARDATA ORDER BY year;");
    if (!list.IsValid()) {
      error = path.string() + " has no YEARDATA table";
      return nullptr;
    }
    while (list.Step() == SQLITE_ROW) years.push_back(static_cast<int>(list.Int(0)));
  }
  if (years.empty()) {
    error = path.string() + " has no years in YEARDATA";
    return nullptr;
  }
  auto mutex = std::make_shared<std::mutex>();
  auto loader = [db, mutex](int year) -> std::optional<HarmonicYear> {
    std::lock_guard lock(*mutex);
    CSqliteStatement read(*db, "SELECT data FROM YEARDATA WHERE year = :year;");
    if (!read.IsValid() || !read.Bind(":year", static_cast<int64_t>(year)) ||
        read.Step() != SQLITE_ROW) {
      return std::nullopt;
    }
    return DecodeYearBlob(read.Blob(0));
  };
  return std::make_shared<CHarmonicYears>(years.front(), static_cast<int>(years.size()),
                                          std::move(loader));
}

}  // namespace tarnwick
