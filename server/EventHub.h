#pragma once
// The hub behind the live event stream ("/events"): the user-interface thread
// publishes the latest own-ship, AIS, route and port values and posts discrete
// events (notifications, spoken texts, setting changes, monitor lines); each
// connected client's worker thread drains what is new for it through its own
// cursor. A new client, or one that fell behind the kept history, first gets
// one "state" event with everything. Own-ship events are limited per client
// to one per ownShipIntervalMs and AIS changes to one per aisIntervalMs; a
// comment line ": ping" keeps idle streams open.
//
// Every payload is one line of JSON text, framed as
// "event: <name>\ndata: <json>\n\n".

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

struct EventHubLimits {
  uint64_t ownShipIntervalMs = 100;  // at most 10 "ownship" events a second per client
  uint64_t aisIntervalMs = 1000;     // at most one "ais" event a second per client
  uint64_t pingIntervalMs = 15000;   // ": ping" after this long without output
  size_t historyCapacity = 1000;     // discrete events kept for slow clients
  size_t historyBytes = 2 << 20;     // ... and at most this many bytes of them
  size_t monitorCapacity = 500;      // monitor lines kept
  size_t monitorBytes = 1 << 20;     // ... in at most this many bytes
  size_t maxClients = 8;             // concurrent streams without the page's token
  size_t maxPageClients = 8;         // ... with it; a new one ends the oldest
};

// One client's position in the hub's streams. Owned by the client's worker.
struct EventCursor {
  uint64_t id = 0;
  bool page = false;      // a stream of the program's own page (it sent the token)
  bool monitor = false;   // wants "monitor" events
  bool needState = true;  // the next output is a "state" event
  uint64_t ownShip = 0;   // versions last sent
  uint64_t route = 0;
  uint64_t ports = 0;
  uint64_t ais = 0;
  uint64_t history = 0;  // sequence numbers last sent
  uint64_t monitorLine = 0;
  std::optional<uint64_t> ownShipSentTick;  // TickCount() of the last "ownship"
  std::optional<uint64_t> aisSentTick;
  uint64_t lastOutputTick = 0;
};

class CEventHub {
 public:
  explicit CEventHub(EventHubLimits limits = {});
  CEventHub(const CEventHub&) = delete;
  CEventHub& operator=(const CEventHub&) = delete;

  // Producer side; any thread. json is one line of JSON text.
  void SetOwnShip(std::string json);
  // AIS changes: the new text of each changed target and the MMSIs of the
  // targets that are gone; both go to clients in the next "ais" event (a text
  // equal to the one held is no change). The new table is built outside the
  // lock the streams and the other producers take; AIS producers take turns.
  void UpdateAisTargets(std::vector<std::pair<uint32_t, std::string>> changed,
                        const std::vector<uint32_t>& removed);
  // "null" while no route is active. Unchanged text is not sent again.
  void SetRoute(std::string json);
  void SetPorts(std::string json);
  // Parts of the "state" event only: "day", "dusk" or "night"; the demo's JSON or "null".
  void SetColorMode(std::string mode);
  void SetDemo(std::string json);
  // A discrete event for every client ("settings", "speak", ...).
  void Post(const std::string& name, const std::string& json);
  // A "notification" event; the newest 20 are also part of "state".
  void PostNotification(const std::string& json);
  // A "monitor" event, for clients that asked for monitor lines.
  void PostMonitorLine(const std::string& json);
  bool HasMonitorClients() const;

  // Consumer side. A cursor for a new client. Streams of the program's own
  // page (page: the request carried the page's token) are always served: when
  // maxPageClients of them are open, the oldest ends (its Next returns
  // empty). Other streams are refused (empty) when maxClients are open, so
  // scripts and stale clients can never keep the page's live data out.
  std::optional<EventCursor> Connect(bool monitor, bool page = false);
  void Disconnect(const EventCursor& cursor);
  // Waits up to maxWaitMs (real time) for output for cursor and returns it:
  // framed events, or ": ping\n\n". "" when nothing is due yet; empty once
  // the hub is closed. The large events ("state", "ais") are written after
  // the lock is released.
  std::optional<std::string> Next(EventCursor& cursor, uint64_t maxWaitMs);
  size_t ClientCount() const;

  // Ends every stream (their Next returns empty) and refuses new clients.
  void Close();
  bool IsClosed() const;

  // "event: <name>\ndata: <json>\n\n".
  static std::string Frame(const std::string& name, const std::string& json);

 private:
  struct Stamped {
    uint64_t version = 0;
    std::string json;
  };
  struct Logged {
    uint64_t sequence = 0;
    std::string frame;
  };
  struct AisEntry {
    uint32_t mmsi = 0;
    uint64_t version = 0;
    std::shared_ptr<const std::string> json;
  };
  struct Removal {
    uint64_t version = 0;
    uint32_t mmsi = 0;
  };
  // The AIS table as published. Never changed once published: a stream keeps
  // it while writing its event, and the next publication is a new table.
  struct AisTable {
    uint64_t version = 0;           // of the newest change
    std::vector<AisEntry> targets;  // by MMSI
    std::deque<Removal> removed;    // the newest removals, oldest first
    uint64_t removedFloor = 0;      // removals up to this version were forgotten
  };
  // The small parts of a "state" event, copied under the lock.
  struct StateParts {
    std::string ownship, route, ports, demo, colorMode;
    std::vector<std::string> notes;
  };
  // One call's output: frames copied under the lock, and what is written
  // after it is released.
  struct Pending {
    std::string frames;
    std::optional<StateParts> state;
    std::shared_ptr<const AisTable> ais;  // "ais" event (or the state's table) when set
    uint64_t aisSince = 0;
  };

  Pending StateLocked(EventCursor& cursor, uint64_t now) const;
  Pending PendingLocked(EventCursor& cursor, uint64_t now, uint64_t& dueTick) const;
  static std::string Render(const Pending& pending);
  void SetLatestLocked(Stamped& slot, std::string json);
  static void Append(std::deque<Logged>& log, uint64_t& sequence, size_t& bytes,
                     std::string frame, size_t capacity, size_t maxBytes);

  const EventHubLimits limits_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool closed_ = false;
  size_t clients_ = 0;       // open cursors, all kinds
  size_t otherClients_ = 0;  // ... without the page's token
  size_t monitorClients_ = 0;
  uint64_t nextCursorId_ = 0;
  std::deque<uint64_t> pageStreams_;  // open page streams, oldest first
  std::set<uint64_t> ended_;          // page streams ended for newer ones
  uint64_t version_ = 0;  // stamps every change of a latest value
  Stamped ownShip_, route_, ports_;
  std::shared_ptr<const AisTable> ais_ = std::make_shared<const AisTable>();
  std::mutex aisProducer_;  // AIS producers take turns; taken before mutex_
  std::deque<Logged> history_;
  uint64_t historySequence_ = 0;
  size_t historyBytes_ = 0;
  std::deque<Logged> monitor_;
  uint64_t monitorSequence_ = 0;
  size_t monitorBytes_ = 0;
  std::deque<std::string> recentNotes_;
  std::string colorMode_ = "day";
  std::string demo_ = "null";
};

}  // namespace tarnwick
