#pragma once
// A TCP client port ("telnet://", "gpsgate://", "http://"): connects to the
// server, retries after the reconnection interval, reads in blocks of 256 bytes.

#include <string>

#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/PortAddress.h"
#include "instruments/ports/PortTransport.h"
#include "instruments/ports/StreamOutput.h"

namespace tarnwick {

// Milliseconds between connection attempts: 10000, or for "http://" 60000 or
// the address's "frequency" parameter.
uint64_t TcpReconnectIntervalMs(const PortAddress& address);

class CTcpClientTransport final : public CPortTransport {
 public:
  static constexpr size_t kReceiveBlock = 256;
  static constexpr int kConnectTimeoutMs = 20000;

  explicit CTcpClientTransport(PortAddress address);

  uint64_t RetryIntervalMs() const override { return interval_; }
  bool ReopenAtOnce() const override { return false; }
  int IdleTimeoutMs() const override { return 1000; }
  bool Open(int wakeFd, PortError& error) override;
  void Close() override;
  bool IsOpen() const override { return fd_.IsValid(); }
  void CollectPollFds(std::vector<pollfd>& fds) override;
  bool Service(std::span<const pollfd> fds, IPortReceiver& receiver, PortError& error) override;
  bool ReadyForOutput() const override { return output_.Empty(); }
  bool Send(std::string bytes, PortError& error) override;

 private:
  PortError OpenError(int code, std::string status) const;
  PortError LostError(const char* format, int err) const;

  PortAddress address_;
  uint64_t interval_;
  CFileDescriptor fd_;
  CStreamOutput output_;
};

}  // namespace tarnwick
