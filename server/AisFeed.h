#pragma once
// Publishes the AIS target table to the event hub from a thread of its own,
// once a second or sooner when poked: it asks the receiver only for the
// targets changed since its last round, writes their JSON and hands the
// changes and removals to the hub. Neither the user-interface thread nor the
// hub's lock pays for the size of the table.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "instruments/ais/AisReceiver.h"
#include "server/EventHub.h"

namespace tarnwick {

class CAisFeed {
 public:
  using ChangesSource = std::function<AisTargetChanges(uint64_t sinceRevision)>;

  // How often the table is looked at without a poke, ms.
  static constexpr uint64_t kIntervalMs = 1000;

  // Starts the thread unless startThread is false (tests and benchmarks call
  // PublishChanges themselves).
  CAisFeed(std::shared_ptr<CEventHub> hub, ChangesSource changes, bool startThread = true);
  ~CAisFeed();
  CAisFeed(const CAisFeed&) = delete;
  CAisFeed& operator=(const CAisFeed&) = delete;

  // Something shown changed: publish without waiting for the second. Any thread.
  void Poke();
  // The texts of every target are to be written again (the unit settings
  // changed). Any thread.
  void RewriteAll();
  // One round: the changes since the last round go to the hub. The feed's
  // thread, or the caller when there is none.
  void PublishChanges();

 private:
  void Run();

  std::shared_ptr<CEventHub> hub_;
  ChangesSource changes_;
  uint64_t revision_ = 0;                  // of the receiver's table at the last round
  std::unordered_set<uint32_t> shown_;     // targets the hub holds
  std::atomic<bool> rewriteAll_{false};
  std::mutex mutex_;  // guards the two flags below
  std::condition_variable wake_;
  bool poked_ = false;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace tarnwick
