#pragma once
// The yearly astronomical arguments of a harmonic database (table YEARDATA):
// per year and constituent the node factor f and the equilibrium argument
// V0+u for 1 January 00:00 UTC. Years are read on first use and kept for the
// life of the object; all stations of one database share it. Thread-safe.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "environment/tides/Constituents.h"

namespace tarnwick {

struct HarmonicYear {
  std::array<double, kConstituentCount> nodeFactor{};   // f, dimensionless
  std::array<double, kConstituentCount> equilibrium{};  // V0+u, radians
};

// Bytes of one YEARDATA blob: 124 pairs of little-endian doubles (f, V0+u).
inline constexpr size_t kYearBlobSize = kConstituentCount * 2 * sizeof(double);

// The blob of a year, and back; a blob of any other size gives empty.
std::string EncodeYearBlob(const HarmonicYear& year);
std::optional<HarmonicYear> DecodeYearBlob(std::string_view blob);

class CHarmonicYears {
 public:
  // Reads one year; empty when it cannot.
  using Loader = std::function<std::optional<HarmonicYear>(int year)>;

  // Years firstYear .. firstYear + count - 1, read through loader.
  CHarmonicYears(int firstYear, int count, Loader loader);

  // The YEARDATA table of the SQLite database at path (kept open, read-only).
  // Null with error set when the file or its table cannot be read or is empty.
  static std::shared_ptr<CHarmonicYears> OpenDatabase(const std::filesystem::path& path,
                                                      std::string& error);

  int FirstYear() const { return firstYear_; }
  int Count() const { return count_; }
  bool Contains(int year) const { return year >= firstYear_ && year < firstYear_ + count_; }
  // Seconds since 1970 of the first year's start and of the end of the last year.
  int64_t SpanStart() const;
  int64_t SpanEnd() const;

  // The arguments of year; null outside the table or when unreadable. The
  // pointer stays valid for the object's life.
  const HarmonicYear* Year(int year);

 private:
  int firstYear_;
  int count_;
  Loader loader_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<HarmonicYear>> years_;  // index = year - firstYear
  std::vector<bool> failed_;
};

}  // namespace tarnwick
