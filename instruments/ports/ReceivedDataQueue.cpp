#include "instruments/ports/ReceivedDataQueue.h"

#include <chrono>

namespace tarnwick {

void CReceivedDataQueue::Push(std::string_view source, std::string_view bytes) {
  {
    std::lock_guard lock(mutex_);
    if (entries_.size() >= kCapacity) entries_.pop_front();
    entries_.push_back({std::string(source), std::string(bytes)});
  }
  available_.notify_all();
}

std::optional<ReceivedData> CReceivedDataQueue::Pop() {
  std::lock_guard lock(mutex_);
  if (entries_.empty()) return std::nullopt;
  ReceivedData front = std::move(entries_.front());
  entries_.pop_front();
  return front;
}

std::optional<ReceivedData> CReceivedDataQueue::WaitPop(uint64_t timeoutMs) {
  std::unique_lock lock(mutex_);
  if (!available_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !entries_.empty(); }))
    return std::nullopt;
  ReceivedData front = std::move(entries_.front());
  entries_.pop_front();
  return front;
}

void CReceivedDataQueue::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

size_t CReceivedDataQueue::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace tarnwick
