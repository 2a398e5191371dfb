#include "server/EventHub.h"

#include <algorithm>
#include <chrono>

#include "core/Clock.h"

namespace tarnwick {
namespace {

constexpr size_t kRecentNotes = 20;

// The wait before the stream's first event asks the browser to reconnect
// after 3 s when the connection drops.
constexpr const char* kRetryField = "retry: 3000\n\n";

bool Due(const std::optional<uint64_t>& sentTick, uint64_t now, uint64_t interval,
         uint64_t& dueTick) {
  if (!sentTick || now - *sentTick >= interval) return true;
  dueTick = std::min(dueTick, *sentTick + interval);
  return false;
}

}  // namespace

CEventHub::CEventHub(EventHubLimits limits) : limits_(limits) {}

std::string CEventHub::Frame(const std::string& name, const std::string& json) {
  std::string frame;
  frame.reserve(name.size() + json.size() + 16);
  frame.append("event: ").append(name).append("\ndata: ").append(json).append("\n\n");
  return frame;
}

void CEventHub::SetLatestLocked(Stamped& slot, std::string json) {
  if (slot.version != 0 && slot.json == json) return;
  slot.json = std::move(json);
  slot.version = ++version_;
  changed_.notify_all();
}

void CEventHub::SetOwnShip(std::string json) {
  std::lock_guard lock(mutex_);
  SetLatestLocked(ownShip_, std::move(json));
}

void CEventHub::SetRoute(std::string json) {
  std::lock_guard lock(mutex_);
  SetLatestLocked(route_, std::move(json));
}

void CEventHub::SetPorts(std::string json) {
  std::lock_guard lock(mutex_);
  SetLatestLocked(ports_, std::move(json));
}

void CEventHub::SetAisTargets(const std::map<uint32_t, std::string>& targets) {
  std::lock_guard lock(mutex_);
  bool any = false;
  for (auto it = ais_.begin(); it != ais_.end();) {
    if (targets.count(it->first)) {
      ++it;
      continue;
    }
    aisRemoved_.push_back({++version_, it->first});
    it = ais_.erase(it);
    any = true;
  }
  for (const auto& [mmsi, json] : targets) {
    Stamped& slot = ais_[mmsi];
    if (slot.version != 0 && slot.json == json) continue;
    slot.json = json;
    slot.version = ++version_;
    any = true;
  }
  while (aisRemoved_.size() > limits_.historyCapacity) {
    aisRemovedFloor_ = aisRemoved_.front().version;
    aisRemoved_.pop_front();
  }
  if (!any) return;
  aisVersion_ = version_;
  changed_.notify_all();
}

void CEventHub::SetColorMode(std::string mode) {
  std::lock_guard lock(mutex_);
  colorMode_ = std::move(mode);
}

void CEventHub::SetDemo(std::string json) {
  std::lock_guard lock(mutex_);
  demo_ = std::move(json);
}

void CEventHub::Append(std::deque<Logged>& log, uint64_t& sequence, size_t& bytes,
                       std::string frame, size_t capacity, size_t maxBytes) {
  bytes += frame.size();
  log.push_back({++sequence, std::move(frame)});
  // The newest event stays even when it alone is over the byte limit.
  while (log.size() > 1 && (log.size() > capacity || bytes > maxBytes)) {
    bytes -= log.front().frame.size();
    log.pop_front();
  }
}

void CEventHub::Post(const std::string& name, const std::string& json) {
  std::lock_guard lock(mutex_);
  Append(history_, historySequence_, historyBytes_, Frame(name, json), limits_.historyCapacity,
         limits_.historyBytes);
  changed_.notify_all();
}

void CEventHub::PostNotification(const std::string& json) {
  std::lock_guard lock(mutex_);
  recentNotes_.push_back(json);
  while (recentNotes_.size() > kRecentNotes) recentNotes_.pop_front();
  Append(history_, historySequence_, historyBytes_, Frame("notification", json),
         limits_.historyCapacity, limits_.historyBytes);
  changed_.notify_all();
}

void CEventHub::PostMonitorLine(const std::string& json) {
  std::lock_guard lock(mutex_);
  if (monitorClients_ == 0) return;
  Append(monitor_, monitorSequence_, monitorBytes_, Frame("monitor", json),
         limits_.monitorCapacity, limits_.monitorBytes);
  changed_.notify_all();
}

bool CEventHub::HasMonitorClients() const {
  std::lock_guard lock(mutex_);
  return monitorClients_ > 0;
}

std::optional<EventCursor> CEventHub::Connect(bool monitor) {
  std::lock_guard lock(mutex_);
  if (closed_ || clients_ >= limits_.maxClients) return std::nullopt;
  ++clients_;
  if (monitor) ++monitorClients_;
  EventCursor cursor;
  cursor.monitor = monitor;
  cursor.monitorLine = monitorSequence_;
  return cursor;
}

void CEventHub::Disconnect(const EventCursor& cursor) {
  std::lock_guard lock(mutex_);
  if (clients_ > 0) --clients_;
  if (cursor.monitor && monitorClients_ > 0) --monitorClients_;
}

size_t CEventHub::ClientCount() const {
  std::lock_guard lock(mutex_);
  return clients_;
}

void CEventHub::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

bool CEventHub::IsClosed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

std::string CEventHub::StateFrameLocked(EventCursor& cursor, uint64_t now) const {
  std::string json = "{\"ownship\":";
  json += ownShip_.version ? ownShip_.json : "null";
  json += ",\"ais\":[";
  bool first = true;
  for (const auto& [mmsi, target] : ais_) {
    if (!first) json += ',';
    json += target.json;
    first = false;
  }
  json += "],\"route\":";
  json += route_.version ? route_.json : "null";
  json += ",\"ports\":";
  json += ports_.version ? ports_.json : "[]";
  json += ",\"notifications\":[";
  first = true;
  for (const std::string& note : recentNotes_) {
    if (!first) json += ',';
    json += note;
    first = false;
  }
  json += "],\"demo\":" + demo_ + ",\"colorMode\":\"" + colorMode_ +
          "\",\"serverTimeMs\":" + std::to_string(UtcNowMs()) + "}";

  cursor.needState = false;
  cursor.ownShip = ownShip_.version;
  cursor.route = route_.version;
  cursor.ports = ports_.version;
  cursor.ais = aisVersion_;
  cursor.history = historySequence_;
  cursor.monitorLine = monitorSequence_;
  cursor.ownShipSentTick = now;
  cursor.aisSentTick = now;
  return kRetryField + Frame("state", json);
}

std::string CEventHub::AisFrameLocked(const EventCursor& cursor) const {
  std::string json = "{\"targets\":[";
  bool first = true;
  for (const auto& [mmsi, target] : ais_) {
    if (target.version <= cursor.ais) continue;
    if (!first) json += ',';
    json += target.json;
    first = false;
  }
  json += "],\"removed\":[";
  first = true;
  for (const Removal& removal : aisRemoved_) {
    if (removal.version <= cursor.ais) continue;
    if (!first) json += ',';
    json += std::to_string(removal.mmsi);
    first = false;
  }
  return Frame("ais", json + "]}");
}

std::string CEventHub::PendingLocked(EventCursor& cursor, uint64_t now, uint64_t& dueTick) const {
  // A client that missed forgotten events starts over from the full state.
  const bool lostHistory = !history_.empty() && cursor.history + 1 < history_.front().sequence;
  const bool lostRemovals = cursor.ais < aisRemovedFloor_;
  if (cursor.needState || lostHistory || lostRemovals) return StateFrameLocked(cursor, now);

  std::string out;
  for (const Logged& event : history_)
    if (event.sequence > cursor.history) out += event.frame;
  cursor.history = historySequence_;
  if (cursor.monitor) {
    for (const Logged& line : monitor_)
      if (line.sequence > cursor.monitorLine) out += line.frame;
  }
  cursor.monitorLine = monitorSequence_;
  if (route_.version > cursor.route) {
    out += Frame("route", route_.json);
    cursor.route = route_.version;
  }
  if (ports_.version > cursor.ports) {
    out += Frame("ports", ports_.json);
    cursor.ports = ports_.version;
  }
  if (ownShip_.version > cursor.ownShip &&
      Due(cursor.ownShipSentTick, now, limits_.ownShipIntervalMs, dueTick)) {
    out += Frame("ownship", ownShip_.json);
    cursor.ownShip = ownShip_.version;
    cursor.ownShipSentTick = now;
  }
  if (aisVersion_ > cursor.ais && Due(cursor.aisSentTick, now, limits_.aisIntervalMs, dueTick)) {
    out += AisFrameLocked(cursor);
    cursor.ais = aisVersion_;
    cursor.aisSentTick = now;
  }
  return out;
}

std::optional<std::string> CEventHub::Next(EventCursor& cursor, uint64_t maxWaitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxWaitMs);
  std::unique_lock lock(mutex_);
  if (cursor.lastOutputTick == 0) cursor.lastOutputTick = TickCount();
  for (;;) {
    if (closed_) return std::nullopt;
    const uint64_t now = TickCount();
    uint64_t dueTick = cursor.lastOutputTick + limits_.pingIntervalMs;
    std::string out = PendingLocked(cursor, now, dueTick);
    if (out.empty() && now - cursor.lastOutputTick >= limits_.pingIntervalMs) out = ": ping\n\n";
    if (!out.empty()) {
      cursor.lastOutputTick = now;
      return out;
    }
    const auto realNow = std::chrono::steady_clock::now();
    if (realNow >= deadline) return std::string();
    // Wake for a change, for the next rate-limited event or ping, or at the deadline.
    auto wakeAt = deadline;
    if (dueTick > now)
      wakeAt = std::min(wakeAt, realNow + std::chrono::milliseconds(dueTick - now));
    changed_.wait_until(lock, wakeAt);
  }
}

}  // namespace tarnwick
