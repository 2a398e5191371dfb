#include "charts/render/ChartPortrayals.h"

#include <cstring>

namespace tarnwick {
namespace {

// FNV-1a over the bytes of one value.
template <typename T>
void Mix(uint64_t& hash, const T& value) {
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  for (unsigned char b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
}

}  // namespace

uint64_t PortrayalFingerprint(const S52MarinerSettings& s) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (double d : {s.shallowContour, s.safetyContour, s.deepContour}) Mix(h, d);
  for (bool b : {s.fourShades, s.simplifiedPoints, s.symbolizedBoundaries, s.shallowPattern,
                 s.highlightSafetyContour, s.showFullLightSectors, s.showLightDescriptions,
                 s.showContourLabels, s.dimSafeSoundings, s.showIsolatedDangers, s.showShallowWaterDangers,
                 s.showAllIsolatedDangers, s.highlightDateDependent, s.useDateDependent, s.highlightInfo,
                 s.highlightDocument, s.highlightMajorLights, s.showImportantText, s.showNames,
                 s.showOtherText, s.shortenNames, s.strictEcdis, s.showUnknownObjects, s.showAccuracy,
                 s.showDryingLine, s.showNavAids, s.showNavAidStructures, s.showNavAidLights,
                 s.showBoundaries, s.showRestrictedAreas, s.showChartScaleBoundaries,
                 s.showCautionaryNotes, s.showRouteingSystems, s.showArchipelagicSeaLanes,
                 s.showStandardMiscellaneous, s.showSpotSoundings, s.showCablesAndPipes,
                 s.showMagneticVariation, s.showDepthContours, s.showSeabed, s.showTidal,
                 s.showOtherMiscellaneous})
    Mix(h, b);
  return h;
}

std::shared_ptr<const CS52ChartSource> CChartPortrayals::Source(const std::shared_ptr<const CS57Chart>& chart) {
  std::lock_guard lock(mutex_);
  if (auto it = sources_.find(chart.get()); it != sources_.end() && it->second.chart == chart) {
    uses_.splice(uses_.begin(), uses_, it->second.use);
    return it->second.source;
  }
  if (auto it = sources_.find(chart.get()); it != sources_.end()) {
    // Another chart at a freed address: its portrayals must go.
    std::erase_if(cache_, [&](const auto& entry) { return entry.first.source == it->second.source.get(); });
    uses_.erase(it->second.use);
    sources_.erase(it);
  }
  auto source = std::make_shared<const CS52ChartSource>(*chart, S52IsInlandCell(*chart));
  uses_.push_front(chart.get());
  sources_.emplace(chart.get(), SourceEntry{chart, source, uses_.begin()});
  while (sources_.size() > sourceLimit_) {
    auto last = sources_.find(uses_.back());
    // Portrayals of the dropped source go with it (its address may come back).
    const void* dropped = last->second.source.get();
    std::erase_if(cache_, [&](const auto& entry) { return entry.first.source == dropped; });
    sources_.erase(last);
    uses_.pop_back();
  }
  return source;
}

std::shared_ptr<const S52PortrayedFeature> CChartPortrayals::Portray(const IS52Feature& feature,
                                                                     const CS52ChartSource& source,
                                                                     const S52MarinerSettings& settings) {
  const uint64_t fingerprint = PortrayalFingerprint(settings);
  const Key key{&source, feature.Key()};
  {
    std::lock_guard lock(mutex_);
    if (fingerprint != fingerprint_) {
      cache_.clear();
      fingerprint_ = fingerprint;
    }
    if (auto it = cache_.find(key); it != cache_.end()) return it->second;
  }
  auto portrayed = std::make_shared<const S52PortrayedFeature>(portrayal_.PortrayWith(feature, source, settings));
  std::lock_guard lock(mutex_);
  // Kept only while its source is held here (a dropped source's address may come back).
  const auto held = sources_.find(&source.Chart());
  if (fingerprint == fingerprint_ && held != sources_.end() && held->second.source.get() == &source)
    cache_.emplace(key, portrayed);
  return portrayed;
}

size_t CChartPortrayals::CachedCount() {
  std::lock_guard lock(mutex_);
  return cache_.size();
}

}  // namespace tarnwick
