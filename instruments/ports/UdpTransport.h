#pragma once
// A UDP port: host "*" broadcasts what is written, a named host gets it sent
// to; either listens on the port at the listen address (127.0.0.1 unless the
// port's settings choose a network interface). Each datagram may hold several
// sentences. Writes go out at once from the writing thread, one datagram per
// write.

#include <netinet/in.h>

#include <mutex>
#include <string>

#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/PortAddress.h"
#include "instruments/ports/PortTransport.h"

namespace tarnwick {

struct UdpEndpoints {
  bool broadcast = false;     // host "*", or a host that could not be resolved
  uint16_t localPort = 0;     // bound at the listen address: the "local" parameter, else the port
  sockaddr_in destination{};  // 255.255.255.255 when broadcasting, else the host
};

// Resolves the address's host (IPv4) into the endpoints.
UdpEndpoints ResolveUdpEndpoints(const PortAddress& address);

class CUdpTransport final : public CPortTransport {
 public:
  // listenAddress: the IPv4 address to bind ("127.0.0.1", "0.0.0.0", ...).
  CUdpTransport(PortAddress address, std::string listenAddress);

  int IdleTimeoutMs() const override { return 5000; }
  bool Open(int wakeFd, PortError& error) override;
  void Close() override;
  bool IsOpen() const override;
  void CollectPollFds(std::vector<pollfd>& fds) override;
  bool Service(std::span<const pollfd> fds, IPortReceiver& receiver, PortError& error) override;
  bool ReadyForOutput() const override { return true; }
  bool Send(std::string bytes, PortError& error) override;
  std::optional<bool> SendDirect(std::string_view bytes) override;

 private:
  PortAddress address_;
  std::string listenAddress_;
  mutable std::mutex mutex_;  // fd_ and endpoints_: writers send from any thread
  CFileDescriptor fd_;
  UdpEndpoints endpoints_;
};

}  // namespace tarnwick
