#include "server/AisFeed.h"

#include <algorithm>
#include <chrono>

#include "server/LiveJson.h"

namespace tarnwick {
namespace {

// Targets the page lists: not our own vessel, not set aside, not lost long enough to be hidden.
bool Shown(const CAisTarget& target) {
  return !target.ownVessel && target.state != AisTargetState::LostHidden && !target.hidden;
}

}  // namespace

CAisFeed::CAisFeed(std::shared_ptr<CEventHub> hub, ChangesSource changes, bool startThread)
    : hub_(std::move(hub)), changes_(std::move(changes)) {
  if (startThread) thread_ = std::thread([this] { Run(); });
}

CAisFeed::~CAisFeed() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CAisFeed::Poke() {
  {
    std::lock_guard lock(mutex_);
    poked_ = true;
  }
  wake_.notify_all();
}

void CAisFeed::RewriteAll() {
  rewriteAll_ = true;
  Poke();
}

void CAisFeed::Run() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    wake_.wait_for(lock, std::chrono::milliseconds(kIntervalMs), [this] { return poked_ || stop_; });
    if (stop_) break;
    poked_ = false;
    lock.unlock();
    PublishChanges();
    lock.lock();
  }
}

void CAisFeed::PublishChanges() {
  // From revision 0 every target is written again; the hub passes on only
  // the texts that differ.
  const uint64_t since = rewriteAll_.exchange(false) ? 0 : revision_;
  AisTargetChanges changes = changes_(since);
  revision_ = changes.revision;

  std::vector<std::pair<uint32_t, std::string>> texts;
  std::vector<uint32_t> removed;
  texts.reserve(changes.changed.size());
  for (const CAisTarget& target : changes.changed) {
    if (Shown(target)) {
      texts.emplace_back(target.mmsi, JsonText(AisTargetLiveJson(target)));
      shown_.insert(target.mmsi);
    } else if (shown_.erase(target.mmsi)) {
      removed.push_back(target.mmsi);
    }
  }
  // Targets the receiver forgot.
  for (auto it = shown_.begin(); it != shown_.end();) {
    if (std::binary_search(changes.present.begin(), changes.present.end(), *it)) {
      ++it;
    } else {
      removed.push_back(*it);
      it = shown_.erase(it);
    }
  }
  if (!texts.empty() || !removed.empty()) hub_->UpdateAisTargets(std::move(texts), removed);
}

}  // namespace tarnwick
