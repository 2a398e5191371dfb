#pragma once
// The last few pieces of data a port received, for consumers that watch a port
// (settings pages, device set-up). Holds at most 5 entries; the oldest is
// dropped when a sixth arrives.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

struct ReceivedData {
  std::string source;  // the port's name
  std::string bytes;   // a copy of what was received
};

class CReceivedDataQueue {
 public:
  static constexpr size_t kCapacity = 5;

  void Push(std::string_view source, std::string_view bytes);
  // The oldest entry, removed; nullopt when empty.
  std::optional<ReceivedData> Pop();
  // Waits up to timeoutMs for an entry and pops it.
  std::optional<ReceivedData> WaitPop(uint64_t timeoutMs);
  void Clear();
  size_t Size() const;
  // True while the queue is not empty (the "data available" event).
  bool HasData() const { return Size() > 0; }

 private:
  mutable std::mutex mutex_;
  std::condition_variable available_;
  std::deque<ReceivedData> entries_;
};

}  // namespace tarnwick
