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

void CEventHub::UpdateAisTargets(std::vector<std::pair<uint32_t, std::string>> changed,
                                 const std::vector<uint32_t>& removed) {
  std::lock_guard producer(aisProducer_);
  std::shared_ptr<const AisTable> current;
  {
    std::lock_guard lock(mutex_);
    current = ais_;
  }
  // The next table, merged by MMSI from the current one and the changes,
  // outside the lock. A target given twice keeps its last text.
  std::stable_sort(changed.begin(), changed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<uint32_t, std::string>> changes;
  changes.reserve(changed.size());
  for (auto& change : changed) {
    if (!changes.empty() && changes.back().first == change.first) {
      changes.back() = std::move(change);
    } else {
      changes.push_back(std::move(change));
    }
  }
  std::vector<uint32_t> gone(removed);
  std::sort(gone.begin(), gone.end());
  auto next = std::make_shared<AisTable>();
  const uint64_t version = current->version + 1;
  next->targets.reserve(current->targets.size() + changes.size());
  next->removed = current->removed;
  next->removedFloor = current->removedFloor;
  bool any = false;
  auto entry = current->targets.begin();
  auto change = changes.begin();
  while (entry != current->targets.end() || change != changes.end()) {
    if (change == changes.end() || (entry != current->targets.end() && entry->mmsi < change->first)) {
      if (std::binary_search(gone.begin(), gone.end(), entry->mmsi)) {
        next->removed.push_back({version, entry->mmsi});
        any = true;
      } else {
        next->targets.push_back(*entry);
      }
      ++entry;
      continue;
    }
    const bool known = entry != current->targets.end() && entry->mmsi == change->first;
    if (known && *entry->json == change->second) {
      next->targets.push_back(*entry);
    } else {
      next->targets.push_back(
          {change->first, version, std::make_shared<const std::string>(std::move(change->second))});
      any = true;
    }
    if (known) ++entry;
    ++change;
  }
  if (!any) return;
  while (next->removed.size() > limits_.historyCapacity) {
    next->removedFloor = next->removed.front().version;
    next->removed.pop_front();
  }
  next->version = version;
  std::lock_guard lock(mutex_);
  ais_ = std::move(next);
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

std::optional<EventCursor> CEventHub::Connect(bool monitor, bool page) {
  std::lock_guard lock(mutex_);
  if (closed_) return std::nullopt;
  EventCursor cursor;
  cursor.id = ++nextCursorId_;
  cursor.page = page;
  if (page) {
    if (limits_.maxPageClients == 0) return std::nullopt;
    if (pageStreams_.size() >= limits_.maxPageClients) {
      ended_.insert(pageStreams_.front());
      pageStreams_.pop_front();
      changed_.notify_all();
    }
    pageStreams_.push_back(cursor.id);
  } else {
    if (otherClients_ >= limits_.maxClients) return std::nullopt;
    ++otherClients_;
  }
  ++clients_;
  if (monitor) ++monitorClients_;
  cursor.monitor = monitor;
  cursor.monitorLine = monitorSequence_;
  return cursor;
}

void CEventHub::Disconnect(const EventCursor& cursor) {
  std::lock_guard lock(mutex_);
  if (clients_ > 0) --clients_;
  if (cursor.monitor && monitorClients_ > 0) --monitorClients_;
  if (!cursor.page) {
    if (otherClients_ > 0) --otherClients_;
    return;
  }
  ended_.erase(cursor.id);
  const auto it = std::find(pageStreams_.begin(), pageStreams_.end(), cursor.id);
  if (it != pageStreams_.end()) pageStreams_.erase(it);
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

CEventHub::Pending CEventHub::StateLocked(EventCursor& cursor, uint64_t now) const {
  Pending pending;
  StateParts& state = pending.state.emplace();
  state.ownship = ownShip_.version ? ownShip_.json : "null";
  state.route = route_.version ? route_.json : "null";
  state.ports = ports_.version ? ports_.json : "[]";
  state.notes.assign(recentNotes_.begin(), recentNotes_.end());
  state.demo = demo_;
  state.colorMode = colorMode_;
  pending.ais = ais_;

  cursor.needState = false;
  cursor.ownShip = ownShip_.version;
  cursor.route = route_.version;
  cursor.ports = ports_.version;
  cursor.ais = ais_->version;
  cursor.history = historySequence_;
  cursor.monitorLine = monitorSequence_;
  cursor.ownShipSentTick = now;
  cursor.aisSentTick = now;
  return pending;
}

std::string CEventHub::Render(const Pending& pending) {
  if (pending.state) {
    const StateParts& state = *pending.state;
    std::string json = "{\"ownship\":" + state.ownship + ",\"ais\":[";
    bool first = true;
    for (const AisEntry& target : pending.ais->targets) {
      if (!first) json += ',';
      json += *target.json;
      first = false;
    }
    json += "],\"route\":" + state.route + ",\"ports\":" + state.ports + ",\"notifications\":[";
    first = true;
    for (const std::string& note : state.notes) {
      if (!first) json += ',';
      json += note;
      first = false;
    }
    json += "],\"demo\":" + state.demo + ",\"colorMode\":\"" + state.colorMode +
            "\",\"serverTimeMs\":" + std::to_string(UtcNowMs()) +
            ",\"serverMs\":" + std::to_string(TickCount()) + "}";
    return kRetryField + Frame("state", json);
  }
  std::string out = pending.frames;
  if (pending.ais) {
    std::string json = "{\"targets\":[";
    bool first = true;
    for (const AisEntry& target : pending.ais->targets) {
      if (target.version <= pending.aisSince) continue;
      if (!first) json += ',';
      json += *target.json;
      first = false;
    }
    json += "],\"removed\":[";
    first = true;
    for (const Removal& removal : pending.ais->removed) {
      if (removal.version <= pending.aisSince) continue;
      if (!first) json += ',';
      json += std::to_string(removal.mmsi);
      first = false;
    }
    json += "],\"serverMs\":" + std::to_string(TickCount()) + "}";
    out += Frame("ais", json);
  }
  return out;
}

CEventHub::Pending CEventHub::PendingLocked(EventCursor& cursor, uint64_t now,
                                            uint64_t& dueTick) const {
  // A client that missed forgotten events starts over from the full state.
  const bool lostHistory = !history_.empty() && cursor.history + 1 < history_.front().sequence;
  const bool lostRemovals = cursor.ais < ais_->removedFloor;
  if (cursor.needState || lostHistory || lostRemovals) return StateLocked(cursor, now);

  Pending pending;
  std::string& out = pending.frames;
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
  if (ais_->version > cursor.ais && Due(cursor.aisSentTick, now, limits_.aisIntervalMs, dueTick)) {
    pending.ais = ais_;
    pending.aisSince = cursor.ais;
    cursor.ais = ais_->version;
    cursor.aisSentTick = now;
  }
  return pending;
}

std::optional<std::string> CEventHub::Next(EventCursor& cursor, uint64_t maxWaitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxWaitMs);
  std::unique_lock lock(mutex_);
  if (cursor.lastOutputTick == 0) cursor.lastOutputTick = TickCount();
  for (;;) {
    if (closed_ || (cursor.page && ended_.count(cursor.id))) return std::nullopt;
    const uint64_t now = TickCount();
    uint64_t dueTick = cursor.lastOutputTick + limits_.pingIntervalMs;
    Pending pending = PendingLocked(cursor, now, dueTick);
    if (pending.state || pending.ais || !pending.frames.empty()) {
      cursor.lastOutputTick = now;
      lock.unlock();
      return Render(pending);
    }
    if (now - cursor.lastOutputTick >= limits_.pingIntervalMs) {
      cursor.lastOutputTick = now;
      return std::string(": ping\n\n");
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
