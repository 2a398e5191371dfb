#pragma once
// The safety texts (AIS messages 12 and 14) each target sent, kept for its
// detail page: the newest kPerTarget texts of each MMSI. Fed from the AIS
// receiver's message observer on port threads; read by HTTP workers.

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/LiveJson.h"

namespace tarnwick {

class CAisTextLog {
 public:
  static constexpr size_t kPerTarget = 20;
  static constexpr size_t kMaxTargets = 2000;

  // Records text from mmsi at utcMs. Any thread.
  void Add(uint32_t mmsi, int64_t utcMs, std::string text);
  // The texts of mmsi, oldest first.
  std::vector<AisText> Texts(uint32_t mmsi) const;

 private:
  mutable std::mutex mutex_;
  std::unordered_map<uint32_t, std::deque<AisText>> texts_;
};

}  // namespace tarnwick
