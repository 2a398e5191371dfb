#include "recording/vdr/VoyageDataPlayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/ShutdownEvent.h"
#include "recording/VirtualTime.h"

namespace tarnwick {
namespace {

constexpr int64_t k100nsPerMs = 10'000;
constexpr uint64_t kIdleWaitMs = 1000;  // also how often a growing file is looked at
constexpr uint64_t kMinWaitMs = 1;
constexpr double kMaxSpeed = 10'000;

struct KindTarget {
  int kind;
  PlaybackTarget target;
};
constexpr KindTarget kKindTargets[] = {
    {1, PlaybackTarget::Nmea0183},     {2, PlaybackTarget::Nmea2000},
    {4, PlaybackTarget::Radar},        {5, PlaybackTarget::Sounder},
    {6, PlaybackTarget::Camera},       {7, PlaybackTarget::Sonar},
    {8, PlaybackTarget::Camera},       {10, PlaybackTarget::Instrument},
    {11, PlaybackTarget::RadarTarget},
};

}  // namespace

std::optional<PlaybackTarget> TargetOfKind(int kind) {
  for (const auto& entry : kKindTargets)
    if (entry.kind == kind) return entry.target;
  return std::nullopt;
}

VoyageDataPlayer::VoyageDataPlayer(std::filesystem::path folder) : folder_(std::move(folder)) {}

VoyageDataPlayer::~VoyageDataPlayer() {
  Shutdown();
}

void VoyageDataPlayer::SetHandler(PlaybackTarget target, PlaybackHandler handler) {
  handlers_[static_cast<size_t>(target)] = std::move(handler);
}

void VoyageDataPlayer::SetSessionHandler(std::function<void(bool active)> handler) {
  sessionHandler_ = std::move(handler);
}

void VoyageDataPlayer::Start() {
  if (thread_.joinable()) return;
  {
    std::lock_guard lock(queueMutex_);
    quit_ = false;
  }
  thread_ = std::thread([this] { ThreadMain(); });
}

void VoyageDataPlayer::Shutdown() {
  {
    std::lock_guard lock(queueMutex_);
    quit_ = true;
  }
  queued_.notify_all();
  if (thread_.joinable()) thread_.join();
  // The thread is gone: an open playback ends here.
  if (state_.virtualUtcMs) {
    StopPlayback();
    std::lock_guard lock(statusMutex_);
    published_ = state_;
  }
}

void VoyageDataPlayer::Post(const PlayerMessage& message) {
  {
    std::lock_guard lock(queueMutex_);
    queue_.push_back(message);
  }
  queued_.notify_all();
}

PlayerStatus VoyageDataPlayer::Status() const {
  std::lock_guard lock(statusMutex_);
  return published_;
}

void VoyageDataPlayer::ThreadMain() {
  for (;;) {
    const uint64_t waitMs = RunOnce();
    std::unique_lock lock(queueMutex_);
    queued_.wait_for(lock, std::chrono::milliseconds(waitMs),
                     [this] { return quit_ || !queue_.empty(); });
    if (quit_ || ShutdownEvent().IsSet()) break;
  }
}

uint64_t VoyageDataPlayer::RunOnce() {
  std::deque<PlayerMessage> messages;
  {
    std::lock_guard lock(queueMutex_);
    messages.swap(queue_);
  }
  for (const auto& message : messages) Handle(message);
  const uint64_t waitMs = Step();
  PublishVirtualTime();
  std::lock_guard lock(statusMutex_);
  published_ = state_;
  return waitMs;
}

void VoyageDataPlayer::Handle(const PlayerMessage& message) {
  switch (message.command) {
    case PlayerCommand::Play:
      if (!state_.virtualUtcMs) {
        const auto files = ListRecordingFiles(folder_);
        if (files.empty()) {
          Log("VoyageDataPlayer: no recordings in %s\n", folder_.c_str());
          return;
        }
        const auto span = RecordedTimeSpan(files.front().path);
        SeekTo(span ? span->firstUtcMs : files.front().startUtcMs);
      }
      state_.playing = true;
      state_.paused = false;
      tickBase_ = TickCount();
      break;
    case PlayerCommand::Pause:
      if (state_.playing && !state_.paused) Step();
      state_.paused = true;
      break;
    case PlayerCommand::Stop:
      StopPlayback();
      break;
    case PlayerCommand::Seek:
      SeekTo(message.utcMs);
      break;
    case PlayerCommand::SetSpeed:
      if (!(message.speed > 0) || message.speed > kMaxSpeed) {
        Log("VoyageDataPlayer: speed %g ignored\n", message.speed);
        return;
      }
      if (state_.playing && !state_.paused) Step();  // time so far runs at the old speed
      state_.speed = message.speed;
      tickBase_ = TickCount();
      break;
    case PlayerCommand::GoTo:
      if (reader_ && reader_->HasIndexEntry(message.utcMs)) {
        reader_->SeekTo(message.utcMs);
        pending_.reset();
        virtual100ns_ = message.utcMs * k100nsPerMs;
        state_.virtualUtcMs = message.utcMs;
        state_.atEnd = false;
        tickBase_ = TickCount();
      } else {
        SeekTo(message.utcMs);
      }
      break;
  }
}

void VoyageDataPlayer::StopPlayback() {
  const bool wasOpen = state_.virtualUtcMs.has_value();
  state_.playing = false;
  state_.paused = false;
  state_.atEnd = false;
  state_.virtualUtcMs.reset();
  reader_.reset();
  pending_.reset();
  VirtualTime().End();
  if (wasOpen && sessionHandler_) sessionHandler_(false);
}

void VoyageDataPlayer::PublishVirtualTime() {
  // Only a playback that plays moves the program off real time: paused, the
  // present is recorded again.
  if (state_.virtualUtcMs && state_.playing && !state_.paused)
    VirtualTime().Set(*state_.virtualUtcMs);
  else
    VirtualTime().End();
}

void VoyageDataPlayer::SeekTo(int64_t utcMs) {
  if (!state_.virtualUtcMs && sessionHandler_) sessionHandler_(true);
  reader_.reset();
  pending_.reset();
  fileEndMs_ = 0;
  virtual100ns_ = utcMs * k100nsPerMs;
  state_.virtualUtcMs = utcMs;
  state_.atEnd = false;
  tickBase_ = TickCount();
  OpenNextFile();
}

bool VoyageDataPlayer::OpenNextFile() {
  const int64_t virtualMs = virtual100ns_ / k100nsPerMs;
  for (const auto& file : ListRecordingFiles(folder_)) {
    const bool candidate = reader_ ? file.startUtcMs >= fileEndMs_ : file.endUtcMs > virtualMs;
    if (!candidate) continue;
    auto next = std::make_unique<CVdrFileReader>();
    if (!next->Open(file.path)) continue;
    if (!reader_) next->SeekTo(virtualMs);
    reader_ = std::move(next);
    fileEndMs_ = reader_->EndUtcMs();
    return true;
  }
  return false;
}

std::optional<VdrRecord> VoyageDataPlayer::NextRecord() {
  for (;;) {
    if (reader_) {
      if (auto record = reader_->Next()) return record;
    }
    // End of this file (or none open): go on only when a later file exists;
    // otherwise the open file may still grow.
    if (!OpenNextFile()) return std::nullopt;
  }
}

void VoyageDataPlayer::Dispatch(const VdrRecord& record) {
  const auto target = TargetOfKind(record.kind);
  if (!target || record.payload.size() > kMaxPlaybackPayload) return;
  const auto& handler = handlers_[static_cast<size_t>(*target)];
  if (handler) handler(PlaybackRecord{record.utcMs, record.kind, record.payload});
}

uint64_t VoyageDataPlayer::Step() {
  if (!state_.playing || state_.paused) return kIdleWaitMs;
  const uint64_t now = TickCount();
  const int64_t advance = std::llround(static_cast<double>(now - tickBase_) * state_.speed *
                                       static_cast<double>(k100nsPerMs));
  if (advance <= 0) return kMinWaitMs;
  tickBase_ = now;
  virtual100ns_ += advance;
  for (;;) {
    if (!pending_) pending_ = NextRecord();
    if (!pending_) break;
    if (pending_->utcMs * k100nsPerMs > virtual100ns_) break;
    Dispatch(*pending_);
    ++state_.recordsPlayed;
    pending_.reset();
  }
  if (!pending_) {
    // The last record was played: the playback ends with the recording.
    Log("VoyageDataPlayer: end of the recordings at %lld\n",
        static_cast<long long>(virtual100ns_ / k100nsPerMs));
    StopPlayback();
    state_.atEnd = true;
    return kIdleWaitMs;
  }
  state_.atEnd = false;
  state_.virtualUtcMs = virtual100ns_ / k100nsPerMs;
  const double untilNext = static_cast<double>(pending_->utcMs * k100nsPerMs - virtual100ns_) /
                           k100nsPerMs / state_.speed;
  return std::clamp<uint64_t>(static_cast<uint64_t>(std::ceil(untilNext)), kMinWaitMs, kIdleWaitMs);
}

}  // namespace tarnwick
