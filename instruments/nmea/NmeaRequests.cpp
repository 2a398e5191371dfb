#include "instruments/nmea/NmeaPortContext.h"

namespace tarnwick {

void CNmeaRequests::Add(std::string_view key, uint64_t tickMs) {
  std::lock_guard lock(mutex_);
  NmeaRequest& request = requests_[std::string(key)];
  request = NmeaRequest{};
  request.sentTick = tickMs;
}

bool CNmeaRequests::Answer(std::string_view key, uint64_t tickMs) {
  std::lock_guard lock(mutex_);
  auto it = requests_.find(key);
  if (it == requests_.end() || it->second.state != RequestState::Outstanding) return false;
  it->second.state = RequestState::Answered;
  it->second.doneTick = tickMs;
  return true;
}

bool CNmeaRequests::Refuse(std::string_view key, uint64_t tickMs, int reasonCode,
                           std::string_view reasonText) {
  std::lock_guard lock(mutex_);
  auto it = requests_.find(key);
  if (it == requests_.end() || it->second.state != RequestState::Outstanding) return false;
  it->second.state = RequestState::Refused;
  it->second.doneTick = tickMs;
  it->second.reasonCode = reasonCode;
  it->second.reasonText = std::string(reasonText);
  return true;
}

std::optional<NmeaRequest> CNmeaRequests::Find(std::string_view key) const {
  std::lock_guard lock(mutex_);
  auto it = requests_.find(key);
  if (it == requests_.end()) return std::nullopt;
  return it->second;
}

bool CNmeaRequests::IsOutstanding(std::string_view key) const {
  std::lock_guard lock(mutex_);
  auto it = requests_.find(key);
  return it != requests_.end() && it->second.state == RequestState::Outstanding;
}

void CNmeaRequests::DropCompleted() {
  std::lock_guard lock(mutex_);
  std::erase_if(requests_,
                [](const auto& entry) { return entry.second.state != RequestState::Outstanding; });
}

}  // namespace tarnwick
