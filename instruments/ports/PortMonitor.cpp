#include "instruments/ports/PortMonitor.h"

#include <algorithm>

#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <vector>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/ShutdownEvent.h"

namespace tarnwick {

const char* PortStateName(PortState state) {
  switch (state) {
    case PortState::Closed:
      return "closed";
    case PortState::Opening:
      return "opening";
    case PortState::Open:
      return "open";
  }
  return "closed";
}

CPortMonitor::CPortMonitor(PortAddress address, std::unique_ptr<CPortTransport> transport)
    : address_(std::move(address)),
      transport_(std::move(transport)),
      wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (!wakeFd_.IsValid())
    Log("CPortMonitor: eventfd failed (%d) for \"%s\"\n", errno, Name().c_str());
}

CPortMonitor::~CPortMonitor() {
  Stop();
}

template <typename F>
void CPortMonitor::UpdateStatus(F&& change) {
  {
    std::lock_guard lock(mutex_);
    change(status_);
  }
  changed_.notify_all();
}

bool CPortMonitor::Open() {
  if (thread_.joinable()) return true;
  if (!wakeFd_.IsValid()) return false;
  stop_.store(false);
  DrainWake();
  UpdateStatus([](PortStatus& s) {
    s = PortStatus{};
    s.running = true;
  });
  thread_ = std::thread([this] { ThreadMain(); });
  return true;
}

void CPortMonitor::RequestStop() {
  stop_.store(true);
  SignalWake();
}

void CPortMonitor::Stop() {
  if (!thread_.joinable()) return;
  RequestStop();
  thread_.join();
  UpdateStatus([](PortStatus& s) { s.running = false; });
}

void CPortMonitor::SignalWake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFd_.Get(), &one, sizeof one);
}

void CPortMonitor::DrainWake() {
  uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(wakeFd_.Get(), &count, sizeof count);
}

void CPortMonitor::Wake() {
  SignalWake();
}

void CPortMonitor::WaitWake(uint64_t timeoutMs) {
  pollfd wake{wakeFd_.Get(), POLLIN, 0};
  const int timeout = timeoutMs > INT_MAX ? INT_MAX : static_cast<int>(timeoutMs);
  if (::poll(&wake, 1, timeout) > 0) DrainWake();
}

bool CPortMonitor::Write(std::string_view bytes) {
  lastWriteTick_.store(TickCount());
  if (const auto sent = transport_->SendDirect(bytes)) return *sent;
  {
    std::lock_guard lock(mutex_);
    if (status_.state != PortState::Open) return false;
    if (sendBuffer_.size() + bytes.size() > kSendBufferCapacity) {
      // Keep the newest bytes: whole sentences that are current beat stale ones.
      if (bytes.size() >= kSendBufferCapacity) {
        sendBuffer_.assign(bytes.substr(bytes.size() - kSendBufferCapacity));
      } else {
        sendBuffer_.erase(0, sendBuffer_.size() + bytes.size() - kSendBufferCapacity);
        sendBuffer_.append(bytes);
      }
      status_.text = kSendBufferOverflowText;
    } else {
      sendBuffer_.append(bytes);
      if (status_.text == kSendBufferOverflowText) status_.text.clear();
    }
  }
  changed_.notify_all();
  SignalWake();
  return true;
}

std::string CPortMonitor::TakeSendBuffer() {
  std::lock_guard lock(mutex_);
  std::string taken;
  taken.swap(sendBuffer_);
  return taken;
}

PortStatus CPortMonitor::Status() const {
  std::lock_guard lock(mutex_);
  PortStatus copy = status_;
  copy.bytesReceived = bytesReceived_.load();
  copy.sendBuffered = sendBuffer_.size();
  return copy;
}

bool CPortMonitor::WaitForStatus(const std::function<bool(const PortStatus&)>& predicate,
                                 uint64_t timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    PortStatus copy = status_;
    copy.bytesReceived = bytesReceived_.load();
    copy.sendBuffered = sendBuffer_.size();
    return predicate(copy);
  });
}

void CPortMonitor::OnCommError(unsigned mask) {
  LogDebug("CPortMonitor: line error 0x%x on \"%s\"\n", mask, Name().c_str());
}

bool CPortMonitor::WriteBytes(std::string bytes, PortError& error) {
  return transport_->Send(std::move(bytes), error);
}

void CPortMonitor::Received(std::span<const uint8_t> bytes) {
  bytesReceived_.fetch_add(bytes.size(), std::memory_order_relaxed);
  OnDataReceived(bytes);
}

void CPortMonitor::ThreadMain() {
  pthread_setname_np(pthread_self(), PortThreadName(address_.kind));
  Log("Created PortMonitor: \"%s\" 0x%08lx (0x%x)\n", Name().c_str(),
      static_cast<unsigned long>(pthread_self()), static_cast<unsigned>(::gettid()));
  uint64_t nextAttempt = 0;  // the first attempt is made at once
  int lastFailure = -1;
  while (!stop_.load() && !ShutdownEvent().IsSet()) {
    if (!transport_->IsOpen()) {
      const uint64_t now = TickCount();
      if (nextAttempt > now)
        WaitWake(nextAttempt - now);
      else
        TryOpen(nextAttempt, lastFailure);
    } else {
      ServiceOpen(nextAttempt);
    }
  }
  transport_->Close();
  UpdateStatus([](PortStatus& s) {
    s.state = PortState::Closed;
    s.nextAttemptTick = 0;
  });
}

void CPortMonitor::TryOpen(uint64_t& nextAttempt, int& lastFailure) {
  UpdateStatus([](PortStatus& s) { s.state = PortState::Opening; });
  PortError error;
  if (transport_->Open(wakeFd_.Get(), error)) {
    lastFailure = -1;
    nextAttempt = 0;
    openedTick_ = TickCount();
    {
      std::lock_guard lock(mutex_);
      sendBuffer_.clear();
      status_.state = PortState::Open;
      status_.text.clear();
      status_.nextAttemptTick = 0;
      ++status_.opens;
    }
    changed_.notify_all();
    OnOpened();
    return;
  }
  if (stop_.load()) return;
  if (error.code == 0 && error.status.empty()) {
    // The wait inside the open was woken by something else than stop: try again.
    DrainWake();
    UpdateStatus([](PortStatus& s) { s.state = PortState::Closed; });
    return;
  }
  // Only the first failure in a row is logged, and a change of reason.
  if (error.code != lastFailure && !error.logLine.empty()) Log("%s", error.logLine.c_str());
  lastFailure = error.code;
  nextAttempt = TickCount() + transport_->RetryIntervalMs();
  UpdateStatus([&](PortStatus& s) {
    s.state = PortState::Closed;
    s.text = error.status;
    s.nextAttemptTick = nextAttempt;
    ++s.failedOpens;
  });
}

void CPortMonitor::ServiceOpen(uint64_t& nextAttempt) {
  std::vector<pollfd>& fds = pollFds_;  // kept to avoid an allocation per wait
  fds.clear();
  fds.push_back({wakeFd_.Get(), POLLIN, 0});
  transport_->CollectPollFds(fds);
  const int ready = ::poll(fds.data(), fds.size(), transport_->IdleTimeoutMs());
  if (ready < 0 && errno != EINTR) {
    Log("CPortMonitor::WaitCommEvent failed (%d)\n", errno);
    LoseConnection({errno, "", "Shutting down port monitor \"" + Name() + "\"\n"}, nextAttempt);
    return;
  }
  if (ready > 0 && (fds[0].revents & POLLIN)) DrainWake();
  if (stop_.load()) return;
  PortError error;
  bool ok = ready <= 0 || transport_->Service(std::span(fds).subspan(1), *this, error);
  if (ok && transport_->ReadyForOutput()) {
    std::string bytes = TakeSendBuffer();
    if (!bytes.empty()) ok = WriteBytes(std::move(bytes), error);
  }
  if (!ok) {
    LoseConnection(error, nextAttempt);
    return;
  }
  if (ready == 0) OnIdleTick();
  const uint64_t now = TickCount();
  if (transport_->WantsReopen(now)) {
    transport_->Close();
    nextAttempt = 0;
    UpdateStatus([](PortStatus& s) { s.state = PortState::Closed; });
  } else if (const std::optional<uint64_t> delay = DropStaleConnection(now)) {
    transport_->Close();
    nextAttempt = now + *delay;
    UpdateStatus([&](PortStatus& s) {
      s.state = PortState::Closed;
      s.nextAttemptTick = nextAttempt;
    });
  }
}

void CPortMonitor::LoseConnection(const PortError& error, uint64_t& nextAttempt) {
  const uint64_t now = TickCount();
  quickLosses_ = now - openedTick_ < kSteadyAfterMs ? quickLosses_ + 1 : 1;
  uint64_t delay = transport_->ReopenAtOnce() ? 0 : transport_->RetryIntervalMs();
  if (quickLosses_ > 1)
    delay = std::max(delay, std::min(kMaxBackoffMs, kFirstBackoffMs << std::min(quickLosses_ - 2, 16u)));
  if (quickLosses_ == 1 || quickLosses_ % kLogEveryNthLoss == 0) {
    if (!error.logLine.empty()) Log("%s", error.logLine.c_str());
    if (quickLosses_ > 1)
      Log("CPortMonitor: \"%s\" failed %u times in a row soon after opening; next try in %llu ms\n",
          Name().c_str(), quickLosses_, static_cast<unsigned long long>(delay));
  }
  transport_->Close();
  nextAttempt = delay == 0 ? 0 : now + delay;
  UpdateStatus([&](PortStatus& s) {
    s.state = PortState::Closed;
    if (!error.status.empty()) s.text = error.status;
    s.nextAttemptTick = nextAttempt;
  });
}

}  // namespace tarnwick
