#pragma once
// Plays voyage data recordings back into the handlers that take live data, on
// a thread of its own driven by a message queue. While it plays (not while
// paused), the program is on virtual time (VirtualTime()); the playback ends
// after the last record of the folder.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "recording/vdr/VdrFileReader.h"
#include "recording/vdr/VdrFiles.h"

namespace tarnwick {

// Thread messages of the player.
enum class PlayerCommand : int {
  Play = 1024,  // playing on, paused off, tick base = now
  Pause = 1025,
  Stop = 1026,      // clears position, next record and buffer
  Seek = 1027,      // to a UTC time
  SetSpeed = 1028,  // a factor
  GoTo = 1029,      // to a UTC time, through the index of the open file when it can
};

struct PlayerMessage {
  PlayerCommand command = PlayerCommand::Play;
  int64_t utcMs = 0;   // Seek, GoTo
  double speed = 1.0;  // SetSpeed
};

// Who takes the records of each kind during playback.
enum class PlaybackTarget : int {
  Nmea0183,     // kind 1: the NMEA 0183 sentence decoder, as if from a port
  Nmea2000,     // kind 2
  Radar,        // kind 4
  Sounder,      // kind 5
  Camera,       // kinds 6 and 8
  Sonar,        // kind 7
  Instrument,   // kind 10
  RadarTarget,  // kind 11
};
inline constexpr size_t kPlaybackTargetCount = 8;
// The target of a record kind; empty for kinds that are ignored.
std::optional<PlaybackTarget> TargetOfKind(int kind);

struct PlaybackRecord {
  int64_t utcMs = 0;  // the record's time
  int kind = 0;
  std::span<const uint8_t> payload;
};
using PlaybackHandler = std::function<void(const PlaybackRecord&)>;

struct PlayerStatus {
  bool playing = false;
  bool paused = false;
  double speed = 1.0;
  std::optional<int64_t> virtualUtcMs;  // empty while stopped
  uint64_t recordsPlayed = 0;
  bool atEnd = false;  // the last playback ended after the last record of the folder
};

// Speeds offered to the navigator.
inline constexpr std::array<double, 7> kPlaybackSpeeds = {1, 2, 5, 10, 20, 50, 100};

class VoyageDataPlayer {
 public:
  // folder: the recordings folder. Payloads above kMaxPlaybackPayload are skipped.
  explicit VoyageDataPlayer(std::filesystem::path folder);
  ~VoyageDataPlayer();
  VoyageDataPlayer(const VoyageDataPlayer&) = delete;
  VoyageDataPlayer& operator=(const VoyageDataPlayer&) = delete;

  static constexpr size_t kMaxPlaybackPayload = 1'048'576;

  // Installs the handler of a target (before Start, or while stopped).
  void SetHandler(PlaybackTarget target, PlaybackHandler handler);
  // Installs what is told, on the player's thread, when a playback begins
  // (true, before its first record is dispatched) and when it ends (false: on
  // stop or shutdown). Before Start.
  void SetSessionHandler(std::function<void(bool active)> handler);

  // Starts the player's thread; it ends on Shutdown, the destructor or the
  // process's shutdown event. Shutdown also ends a playback still open.
  void Start();
  void Shutdown();

  // Queues a message for the player's thread (any thread).
  void Post(const PlayerMessage& message);
  void Play() { Post({PlayerCommand::Play}); }
  void Pause() { Post({PlayerCommand::Pause}); }
  void Stop() { Post({PlayerCommand::Stop}); }
  void Seek(int64_t utcMs) { Post({PlayerCommand::Seek, utcMs}); }
  void GoTo(int64_t utcMs) { Post({PlayerCommand::GoTo, utcMs}); }
  void SetSpeed(double speed) { Post({PlayerCommand::SetSpeed, 0, speed}); }

  // One turn of the thread: handles the queued messages, runs one play step
  // and returns the milliseconds to wait before the next turn. Tests call it
  // directly under a simulated clock instead of starting the thread.
  uint64_t RunOnce();

  PlayerStatus Status() const;

 private:
  void Handle(const PlayerMessage& message);
  void SeekTo(int64_t utcMs);
  void StopPlayback();
  // Sets the program's virtual time while a playback plays, real time otherwise.
  void PublishVirtualTime();
  uint64_t Step();
  // The next record in time order, opening later files as needed.
  std::optional<VdrRecord> NextRecord();
  bool OpenNextFile();
  void Dispatch(const VdrRecord& record);
  void ThreadMain();

  const std::filesystem::path folder_;
  std::array<PlaybackHandler, kPlaybackTargetCount> handlers_;
  std::function<void(bool)> sessionHandler_;

  // Queue shared with other threads.
  mutable std::mutex queueMutex_;
  std::condition_variable queued_;
  std::deque<PlayerMessage> queue_;
  bool quit_ = false;

  // Playback state, owned by the thread that runs RunOnce; published_ is the
  // copy other threads read.
  PlayerStatus state_;
  mutable std::mutex statusMutex_;
  PlayerStatus published_;
  int64_t virtual100ns_ = 0;  // virtual UTC time in 100-ns units since 1970
  uint64_t tickBase_ = 0;
  std::unique_ptr<CVdrFileReader> reader_;
  int64_t fileEndMs_ = 0;  // end of the open file's range
  std::optional<VdrRecord> pending_;

  std::thread thread_;
};

}  // namespace tarnwick
