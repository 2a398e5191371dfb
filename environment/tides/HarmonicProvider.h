#pragma once
// The harmonic station databases (providers noaa_tides and noaa_currents):
// tables YEARDATA, TIDECON and Stations, predicted by HarmonicStation. Both
// providers may read one file; each offers the stations of its kind.

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "core/Sqlite.h"
#include "environment/tides/HarmonicYears.h"
#include "environment/tides/TideProvider.h"

namespace tarnwick {

class CHarmonicProvider final : public ITideProvider {
 public:
  // Opens the database at path (read-only); null with error set when it
  // cannot be read. years: the database's yearly arguments, shared with the
  // other provider of the same file (null: read from path).
  static std::unique_ptr<CHarmonicProvider> Open(std::string name, TideStationKind kind,
                                                 const std::filesystem::path& path,
                                                 std::shared_ptr<CHarmonicYears> years,
                                                 std::string& error);

  const std::string& Name() const override { return name_; }
  TideStationKind Kind() const override { return kind_; }
  std::vector<TideStationSummary> Stations() override;
  std::unique_ptr<ITideStation> Open(const std::string& key) override;
  const std::shared_ptr<CHarmonicYears>& Years() const { return years_; }

 private:
  CHarmonicProvider(std::string name, TideStationKind kind, std::shared_ptr<CHarmonicYears> years);

  std::string name_;
  TideStationKind kind_;
  std::shared_ptr<CHarmonicYears> years_;
  std::mutex mutex_;
  CSqliteDatabase db_;
};

}  // namespace tarnwick
