#pragma once
// The "nmea-tcp-server" driver's transport: a TCP server (default port 10110,
// the registered NMEA-0183 port) that sends everything written to the port to
// every connected client, so other programs on board can read our data.
// What clients send is read and dropped.

#include <string>
#include <vector>

#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/PortAddress.h"
#include "instruments/ports/PortTransport.h"
#include "instruments/ports/StreamOutput.h"

namespace tarnwick {

inline constexpr uint16_t kNmeaTcpPort = 10110;

class CTcpServerTransport final : public CPortTransport {
 public:
  static constexpr size_t kMaxClients = 32;
  // A client with more unsent bytes than this is not reading and is dropped.
  static constexpr size_t kClientBacklogMax = 65536;

  // name: the configured address (for log lines); listenAddress: the IPv4
  // address to listen on ("127.0.0.1", "0.0.0.0" for every network...); port 0
  // picks 10110.
  CTcpServerTransport(std::string name, std::string listenAddress, uint16_t port);

  int IdleTimeoutMs() const override { return -1; }
  bool Open(int wakeFd, PortError& error) override;
  void Close() override;
  bool IsOpen() const override { return listener_.IsValid(); }
  void CollectPollFds(std::vector<pollfd>& fds) override;
  bool Service(std::span<const pollfd> fds, IPortReceiver& receiver, PortError& error) override;
  bool ReadyForOutput() const override { return true; }
  bool Send(std::string bytes, PortError& error) override;

 private:
  struct Client {
    CFileDescriptor fd;
    std::string peer;
    CStreamOutput output;
  };
  void DropClient(size_t index, const char* why);

  std::string name_;
  std::string host_;
  uint16_t port_;
  CFileDescriptor listener_;
  std::vector<Client> clients_;
};

}  // namespace tarnwick
