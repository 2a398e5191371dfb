#pragma once
// The portrayal: what a chart feature looks like under the mariner's
// settings. For one feature it selects the look-up table (the cell kind,
// S52_Symbols, S52_Boundaries), finds the look-up entry, runs its instruction
// with the conditional symbology procedures, and gives the ordered drawing
// commands with the display priority, radar flag, display category and
// viewing group, and whether the display settings show the feature at all.
//
// The renderer draws features in ascending display priority (areas before
// lines before points within a priority, as it sees fit) and skips those not
// shown. Results are cached per feature; any change of an S52_ setting
// (S52SettingsGeneration) empties the cache, so the next Portray call sees
// the new settings.
//
// Thread safety: Portray may be called from several threads at once; the
// library and the feature sources must not change while it runs.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "charts/s52/S52DrawCommand.h"
#include "charts/s52/S52Feature.h"
#include "charts/s52/S52Library.h"
#include "charts/s52/S52MarinerSettings.h"

namespace tarnwick {

struct S52PortrayedFeature {
  const S52LookupEntry* entry = nullptr;  // the look-up entry used; null when none was found
  std::string table;                      // its table's title ("PAPER_CHART", ...); "" when none
  int priority = 10;                      // display priority, 10..90 (higher drawn later)
  bool overRadar = true;
  S52Category category = S52Category::Other;
  int viewingGroup = 0;
  std::vector<S52DrawCommand> commands;
  bool unknownObject = false;             // drawn with the look-up table's default (a class not in the tables)
  bool shown = true;                      // the display settings show it (viewing group, date dependency)
};

class CS52Portrayal {
 public:
  explicit CS52Portrayal(const CS52Library& library) : library_(library) {}

  // The cached portrayal of feature (a feature of source) with the current
  // settings; made on first use and after any S52_ setting changed.
  std::shared_ptr<const S52PortrayedFeature> Portray(const IS52Feature& feature, const IS52FeatureSource& source);

  // Portrays without the cache, with the given settings. todayYmd is the
  // date for date-dependent features (YYYYMMDD, UTC; 0: today).
  S52PortrayedFeature PortrayWith(const IS52Feature& feature, const IS52FeatureSource& source,
                                  const S52MarinerSettings& settings, int todayYmd = 0) const;

  // The settings the cache was made with (read again on the next Portray after a change).
  S52MarinerSettings Settings();
  // Empties the cache.
  void Invalidate();
  // Drops the cached portrayals of one source's features (a chart that
  // closes: its address may later be another chart's).
  void Forget(const IS52FeatureSource& source);
  size_t CachedCount();

 private:
  struct Key {
    const IS52FeatureSource* source;
    uint64_t feature;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return std::hash<const void*>{}(k.source) ^ (std::hash<uint64_t>{}(k.feature) * 0x9e3779b97f4a7c15ull);
    }
  };
  void RefreshLocked();

  const CS52Library& library_;
  std::mutex mutex_;
  uint64_t generation_ = 0;
  S52MarinerSettings settings_;
  int today_ = 0;
  std::unordered_map<Key, std::shared_ptr<const S52PortrayedFeature>, KeyHash> cache_;
};

// Whether the display settings show a portrayed feature: by its viewing
// group (which S52_Show... setting governs it); the display base, the safety
// contour and isolated dangers always, the drying line (the 0 m contour) with
// S52_ShowDryingLine.
bool S52ViewingGroupShown(const S52PortrayedFeature& portrayed, const IS52Feature& feature,
                          const S52MarinerSettings& settings);

// Whether a text of this group is shown: 10..19 important text
// (S52_ShowImportantText), 21 and 26 names (S52_ShowNames), 23 light
// descriptions (S52_ShowLightDescriptions), other groups below 50
// (S52_ShowOtherText); the mariner's own (50 and above) always.
bool S52TextGroupShown(int group, const S52MarinerSettings& settings);

}  // namespace tarnwick
