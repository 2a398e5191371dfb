#pragma once
// Feeds the event hub from program state once per tick on the user-interface
// thread: the own-ship snapshot (and the own-ship track), the route monitor
// values, the port statuses and new notifications; setting changes are posted
// as they happen. The AIS target table goes through a CAisFeed on its own
// thread, which the tick only pokes when a shown value changed. The sources
// are functions so the feed runs against the real program or a test's
// stand-ins.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/Setting.h"
#include "server/AisFeed.h"
#include "server/EventHub.h"
#include "server/LiveJson.h"
#include "server/OwnShipTrack.h"

namespace tarnwick {

struct LiveSources {
  std::function<std::shared_ptr<const OwnShipSnapshot>()> snapshot;  // null: none yet
  std::function<SensorMenu()> sensors;
  CAisFeed::ChangesSource aisChanges;       // the AIS targets changed since a revision
  std::function<uint64_t()> aisGeneration;  // changes when a shown AIS value changed
  std::function<nlohmann::json()> route;    // ROUTE or null
  std::function<nlohmann::json()> ports;    // the "/api/ports" array
};

class CLiveFeed final : public CSettingListener {
 public:
  // How often the port statuses are looked at, ms.
  static constexpr uint64_t kPortsRefreshMs = 1000;

  // Only notifications posted after construction are sent. track may be null.
  CLiveFeed(std::shared_ptr<CEventHub> hub, LiveSources sources,
            std::shared_ptr<COwnShipTrack> track);
  ~CLiveFeed() override;

  // One tick; user-interface thread. Missing sources are skipped.
  void Tick();
  // A "settings" event; the colour mode also updates the "state" event's
  // part, the unit settings have every AIS target written again.
  void SettingChanged(CSetting& setting) override;

 private:
  std::shared_ptr<CEventHub> hub_;
  LiveSources sources_;
  std::shared_ptr<COwnShipTrack> track_;
  uint64_t lastSequence_ = 0;
  uint64_t lastNoteId_ = 0;
  std::unique_ptr<CAisFeed> ais_;
  std::optional<uint64_t> aisGeneration_;
  std::optional<uint64_t> portsTick_;
};

}  // namespace tarnwick
