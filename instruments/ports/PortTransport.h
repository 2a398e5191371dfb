#pragma once
// The kind-specific part of a port: how its device or socket is opened, read,
// written and closed. The port's thread (CPortMonitor) drives a transport
// through non-blocking descriptors and poll(), so one wait covers the stop and
// write events and the device.

#include <poll.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Why an open or a transfer failed.
struct PortError {
  int code = 0;         // errno or getaddrinfo code; 0 when the port was told to stop
  std::string status;   // the text shown as the port's status
  std::string logLine;  // the log message (with its line feed)
};

// Where a transport hands what it received.
class IPortReceiver {
 public:
  virtual ~IPortReceiver() = default;
  virtual void Received(std::span<const uint8_t> bytes) = 0;
  // Line errors (serial): bits of kCommError* below.
  virtual void CommError(unsigned mask) = 0;
};

inline constexpr unsigned kCommErrorOverrun = 0x0002;
inline constexpr unsigned kCommErrorParity = 0x0004;
inline constexpr unsigned kCommErrorFrame = 0x0008;
inline constexpr unsigned kCommErrorBreak = 0x0010;

class CPortTransport {
 public:
  virtual ~CPortTransport() = default;

  // Milliseconds between failed opens, and whether a connection that was lost
  // is reopened at once (device ports) or only after that interval (TCP).
  virtual uint64_t RetryIntervalMs() const { return 10000; }
  virtual bool ReopenAtOnce() const { return true; }
  // Milliseconds without input after which the idle operation runs; -1 for none.
  virtual int IdleTimeoutMs() const = 0;

  // Opens the device or socket. May wait, watching wakeFd: when it becomes
  // readable the open is abandoned with error.code 0 and an empty status (the
  // port then looks at its stop event and tries again when not stopping).
  virtual bool Open(int wakeFd, PortError& error) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Appends the descriptors to wait on while open.
  virtual void CollectPollFds(std::vector<pollfd>& fds) = 0;
  // Handles the readiness of the descriptors CollectPollFds appended (same
  // order). False when the connection is lost; error says why.
  virtual bool Service(std::span<const pollfd> fds, IPortReceiver& receiver, PortError& error) = 0;

  // Whether a new block of output may be started (the previous one is written).
  virtual bool ReadyForOutput() const = 0;
  // Starts writing bytes from the port's thread; the rest goes out as the
  // device accepts it. False when the connection is lost.
  virtual bool Send(std::string bytes, PortError& error) = 0;
  // Transports that send datagrams write at once from the calling thread and
  // return whether it was sent; the others return nullopt and use the send buffer.
  virtual std::optional<bool> SendDirect(std::string_view /*bytes*/) { return std::nullopt; }

  // Asked after every wait of the open port (nowTick in ms); true asks the
  // port to close and reopen at once (serial baud search).
  virtual bool WantsReopen(uint64_t /*nowTick*/) { return false; }
  // The port recognised valid data (serial baud search stops at this rate).
  virtual void DataRecognised() {}
};

}  // namespace tarnwick
