#pragma once
// One connection to instruments, run on a thread of its own: opens the device
// or socket (retrying while it fails), waits on the stop event, the write
// event and the device at once, hands received bytes to the data-received
// operation and sends the send buffer. Kind-specific work is done by the
// port's CPortTransport; what the bytes mean is up to the derived class.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/PortAddress.h"
#include "instruments/ports/PortTransport.h"
#include "instruments/ports/ReceivedDataQueue.h"

namespace tarnwick {

enum class PortState { Closed, Opening, Open };

// "closed", "opening", "open".
const char* PortStateName(PortState state);

inline constexpr const char* kSendBufferOverflowText = "Send buffer overflow!";

struct PortStatus {
  bool running = false;  // the port's thread is running
  PortState state = PortState::Closed;
  std::string text;              // last error, the overflow text, or empty
  uint64_t nextAttemptTick = 0;  // tick of the next open attempt, ms; 0 while open
  uint64_t opens = 0;            // successful opens since the thread started
  uint64_t failedOpens = 0;      // failed open attempts since the thread started
  uint64_t bytesReceived = 0;
  size_t sendBuffered = 0;  // bytes waiting in the send buffer
};

class CPortMonitor : private IPortReceiver {
 public:
  static constexpr size_t kSendBufferCapacity = 4096;

  CPortMonitor(PortAddress address, std::unique_ptr<CPortTransport> transport);
  // Derived classes must call Stop() in their own destructor, since the thread
  // calls their operations.
  virtual ~CPortMonitor();
  CPortMonitor(const CPortMonitor&) = delete;
  CPortMonitor& operator=(const CPortMonitor&) = delete;

  const std::string& Name() const { return address_.name; }
  const PortAddress& Address() const { return address_; }

  // Starts the port's thread (which opens the port); true when it runs.
  bool Open();
  // Sets the stop event and waits for the thread to end; any state, any thread but the port's own.
  void Stop();
  // Sets the stop event without waiting (to stop many ports together, then Stop each).
  void RequestStop();
  bool IsRunning() const { return thread_.joinable(); }

  // Queues bytes for sending; any thread. Datagram ports send at once. Returns
  // false when the port is not open and nothing was queued or sent. The send
  // buffer keeps the newest 4096 bytes; the status then says "Send buffer overflow!".
  bool Write(std::string_view bytes);
  // Tick (ms) of the last call to Write, 0 before the first.
  uint64_t LastWriteTick() const { return lastWriteTick_.load(); }

  PortStatus Status() const;
  // Waits up to timeoutMs (real time) until predicate holds for the status;
  // re-checked whenever the state or status text changes.
  bool WaitForStatus(const std::function<bool(const PortStatus&)>& predicate,
                     uint64_t timeoutMs) const;
  // Makes the thread look at the clock again (after a test clock moved).
  void Wake();

  CReceivedDataQueue& ReceivedQueue() { return received_; }

 protected:
  // The operations the port's thread calls.
  virtual void OnOpened() {}
  virtual void OnDataReceived(std::span<const uint8_t> /*bytes*/) {}
  virtual void OnIdleTick() {}
  // mask: kCommError* bits.
  virtual void OnCommError(unsigned mask);
  // Writes the whole content taken from the send buffer; false when the connection is lost.
  virtual bool WriteBytes(std::string bytes, PortError& error);
  // Asked after every wait of the open port (nowTick in ms): a delay in ms
  // when the connection should be dropped now and remade that much later
  // (data that has gone stale), nothing to keep it.
  virtual std::optional<uint64_t> DropStaleConnection(uint64_t /*nowTick*/) { return std::nullopt; }

  CPortTransport& Transport() { return *transport_; }

 private:
  void ThreadMain();
  void TryOpen(uint64_t& nextAttempt, int& lastFailure);
  void ServiceOpen(uint64_t& nextAttempt);
  void LoseConnection(const PortError& error, uint64_t& nextAttempt);
  void WaitWake(uint64_t timeoutMs);
  void SignalWake();
  void DrainWake();
  std::string TakeSendBuffer();
  template <typename F>
  void UpdateStatus(F&& change);

  void Received(std::span<const uint8_t> bytes) override;
  void CommError(unsigned mask) override { OnCommError(mask); }

  const PortAddress address_;
  const std::unique_ptr<CPortTransport> transport_;
  CFileDescriptor wakeFd_;  // eventfd: the stop and write events
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::atomic<uint64_t> lastWriteTick_{0};
  std::atomic<uint64_t> bytesReceived_{0};

  mutable std::mutex mutex_;  // status_ and sendBuffer_
  mutable std::condition_variable changed_;
  PortStatus status_;
  std::string sendBuffer_;

  CReceivedDataQueue received_;
  std::vector<pollfd> pollFds_;  // used by the port's thread only
  // A device that opens and then fails at once is reopened after a delay that
  // doubles with every such failure in a row, and the failure is logged the
  // first time and then every kLogEveryNthLoss-th time. Port's thread only.
  static constexpr uint64_t kSteadyAfterMs = 10000;  // a connection this old ends the row
  static constexpr uint64_t kFirstBackoffMs = 500;
  static constexpr uint64_t kMaxBackoffMs = 60000;
  static constexpr unsigned kLogEveryNthLoss = 20;
  uint64_t openedTick_ = 0;
  unsigned quickLosses_ = 0;
};

}  // namespace tarnwick
