#pragma once
// Feeds played-back NMEA 0183 sentences into the program's decoders as a port
// of its own: for the length of a playback a navigation source is registered
// with the navigation data store as position, heading, depth and speed
// sensors (wind and the other values are read from the same source), so own
// ship, routes, AIS assessment and the track follow the recording. When the
// playback ends the store forgets the source and its values go with it.
// All calls come from the player's thread.

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "instruments/nmea/DecodeNmea.h"

namespace tarnwick {

class CNavData;
class CNavSource;

// Where played-back sentences go: the store the sensors are registered with
// (nullptr: none), and the decoder's hooks (AIS fragments and the rest).
struct PlaybackFeedTargets {
  CNavData* store = nullptr;
  NmeaDecoderHooks hooks;
};

// The label of the playback in sensor names ("GPS on Voyage Data Playback").
inline constexpr const char* kPlaybackSourceLabel = "Voyage Data Playback";

class CPlaybackNavFeed {
 public:
  // targets: asked when a playback begins; the targets it names must stay
  // until End (the store is installed before and removed after playback).
  explicit CPlaybackNavFeed(std::function<PlaybackFeedTargets()> targets);
  ~CPlaybackNavFeed();
  CPlaybackNavFeed(const CPlaybackNavFeed&) = delete;
  CPlaybackNavFeed& operator=(const CPlaybackNavFeed&) = delete;

  // A playback begins: a fresh source, registered with the store.
  void Begin();
  // Decodes one recorded sentence; utcMs: its recorded time (ms since 1970).
  // Ignored outside a playback.
  void Decode(std::span<const uint8_t> sentence, int64_t utcMs);
  // The playback ended: the store forgets the source, which is then dropped.
  void End();
  // Whether a playback is open.
  bool Active() const { return source_ != nullptr; }

 private:
  std::function<PlaybackFeedTargets()> targets_;
  PlaybackFeedTargets current_;
  std::unique_ptr<CNavSource> source_;
};

}  // namespace tarnwick
