#pragma once
// "pipe/NAME": a local server socket (Unix domain, stream) in the runtime
// folder that one client program connects to at a time. The port stays open
// while no client is connected; a client that leaves makes room for the next.

#include <filesystem>
#include <string>

#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/PortTransport.h"
#include "instruments/ports/StreamOutput.h"

namespace tarnwick {

// RuntimeFolder()/pipe/NAME: where the socket of "pipe/NAME" lives.
std::filesystem::path PipeSocketPath(const std::string& pipeName);

class CPipeTransport final : public CPortTransport {
 public:
  CPipeTransport(std::string name, std::filesystem::path socketPath);
  ~CPipeTransport() override;

  int IdleTimeoutMs() const override { return 5000; }
  bool Open(int wakeFd, PortError& error) override;
  void Close() override;
  bool IsOpen() const override { return listener_.IsValid(); }
  void CollectPollFds(std::vector<pollfd>& fds) override;
  bool Service(std::span<const pollfd> fds, IPortReceiver& receiver, PortError& error) override;
  bool ReadyForOutput() const override { return output_.Empty(); }
  bool Send(std::string bytes, PortError& error) override;

 private:
  void ServiceClient(short events, IPortReceiver& receiver);
  void DropClient(const char* why);

  std::string name_;
  std::filesystem::path path_;
  CFileDescriptor listener_;
  CFileDescriptor client_;
  CStreamOutput output_;
};

}  // namespace tarnwick
