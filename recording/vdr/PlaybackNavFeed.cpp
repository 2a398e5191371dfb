#include "recording/vdr/PlaybackNavFeed.h"

#include <string_view>

#include "core/Clock.h"
#include "core/Log.h"
#include "instruments/navdata/NavData.h"
#include "instruments/nmea/NavSource.h"

namespace tarnwick {
namespace {

// The kinds the store selects among; a recording without one of them simply
// leaves its sensor without values, as a port would.
constexpr SensorKind kRegisteredKinds[] = {SensorKind::Pos, SensorKind::Hdg, SensorKind::Dpt,
                                           SensorKind::Stw};

}  // namespace

CPlaybackNavFeed::CPlaybackNavFeed(std::function<PlaybackFeedTargets()> targets)
    : targets_(std::move(targets)) {}

CPlaybackNavFeed::~CPlaybackNavFeed() {
  End();
}

void CPlaybackNavFeed::Begin() {
  End();
  current_ = targets_ ? targets_() : PlaybackFeedTargets{};
  source_ = std::make_unique<CNavSource>();
  if (!current_.store) {
    Log("CPlaybackNavFeed: no navigation data store; playback feeds only the decoders\n");
    return;
  }
  for (SensorKind kind : kRegisteredKinds) {
    source_->SetSensor(
        kind, current_.store->CreateSensor(*source_, SensorKindName(kind), kPlaybackSourceLabel));
  }
}

void CPlaybackNavFeed::Decode(std::span<const uint8_t> sentence, int64_t utcMs) {
  if (!source_) return;
  const std::string_view text(reinterpret_cast<const char*>(sentence.data()), sentence.size());
  DecodeNMEA(*source_, ReceiveTime{TickCount(), utcMs}, text, nullptr, current_.hooks);
}

void CPlaybackNavFeed::End() {
  if (!source_) return;
  // Every sensor reading the source is gone before the source is.
  if (current_.store) current_.store->ForgetSource(*source_);
  if (current_.hooks.sensors && current_.hooks.sensors != current_.store)
    current_.hooks.sensors->ForgetSource(*source_);
  source_.reset();
  current_ = PlaybackFeedTargets{};
}

}  // namespace tarnwick
