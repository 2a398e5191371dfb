#include "instruments/ports/TcpServerTransport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>

#include "core/Log.h"
#include "instruments/ports/PortErrors.h"

namespace tarnwick {

CTcpServerTransport::CTcpServerTransport(std::string name, std::string host, uint16_t port)
    : name_(std::move(name)), host_(std::move(host)), port_(port ? port : kNmeaTcpPort) {}

bool CTcpServerTransport::Open(int /*wakeFd*/, PortError& error) {
  auto fail = [&](int err) {
    error.code = err;
    error.status = TcpOpenErrorText(err);
    char line[512];
    snprintf(line, sizeof line, "Cannot open Instrument Port %s (%d %s)\n", name_.c_str(), err,
             error.status.c_str());
    error.logLine = line;
    return false;
  };
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port_);
  if (::inet_pton(AF_INET, host_.c_str(), &local.sin_addr) != 1) return fail(EADDRNOTAVAIL);
  CFileDescriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.IsValid()) return fail(errno);
  const int on = 1;
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
      ::listen(fd.Get(), 8) != 0)
    return fail(errno);
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&bound), &length);
  listener_ = std::move(fd);
  Log("%s: serving NMEA 0183 on TCP %s:%u\n", name_.c_str(), host_.c_str(), ntohs(bound.sin_port));
  return true;
}

void CTcpServerTransport::Close() {
  clients_.clear();
  listener_.Reset();
}

void CTcpServerTransport::CollectPollFds(std::vector<pollfd>& fds) {
  fds.push_back({listener_.Get(), POLLIN, 0});
  for (const Client& client : clients_)
    fds.push_back(
        {client.fd.Get(), static_cast<short>(POLLIN | (client.output.Empty() ? 0 : POLLOUT)), 0});
}

void CTcpServerTransport::DropClient(size_t index, const char* why) {
  Log("%s: client %s %s\n", name_.c_str(), clients_[index].peer.c_str(), why);
  clients_.erase(clients_.begin() + static_cast<ptrdiff_t>(index));
}

bool CTcpServerTransport::Service(std::span<const pollfd> fds, IPortReceiver& /*receiver*/,
                                  PortError& error) {
  if (fds[0].revents & (POLLERR | POLLNVAL)) {
    error = {EIO, SystemErrorText(EIO),
             "CPortMonitor::accept failed (5)\nShutting down port monitor \"" + name_ + "\"\n"};
    return false;
  }
  // Clients first, by descriptor, since accepting and dropping change the list.
  for (size_t f = 1; f < fds.size(); ++f) {
    size_t index = 0;
    while (index < clients_.size() && clients_[index].fd.Get() != fds[f].fd) ++index;
    if (index == clients_.size()) continue;
    Client& client = clients_[index];
    const short events = fds[f].revents;
    if (events & (POLLIN | POLLERR | POLLHUP)) {
      char discard[1024];
      ssize_t n;
      while ((n = ::recv(client.fd.Get(), discard, sizeof discard, 0)) > 0) {
      }
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        DropClient(index, "disconnected");
        continue;
      }
    }
    if ((events & POLLOUT) && client.output.Flush(client.fd.Get(), true) != 0)
      DropClient(index, "stopped reading");
  }
  if (fds[0].revents & POLLIN) {
    for (;;) {
      sockaddr_in peer{};
      socklen_t length = sizeof peer;
      CFileDescriptor fd(::accept4(listener_.Get(), reinterpret_cast<sockaddr*>(&peer), &length,
                                   SOCK_NONBLOCK | SOCK_CLOEXEC));
      if (!fd.IsValid()) break;
      char text[INET_ADDRSTRLEN] = "?";
      ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
      const std::string name = std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
      if (clients_.size() >= kMaxClients) {
        Log("%s: refused client %s (%zu connected)\n", name_.c_str(), name.c_str(),
            clients_.size());
        continue;
      }
      const int on = 1;
      ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      Log("%s: client %s connected\n", name_.c_str(), name.c_str());
      clients_.push_back({std::move(fd), name, {}});
    }
  }
  return true;
}

bool CTcpServerTransport::Send(std::string bytes, PortError& /*error*/) {
  for (size_t index = 0; index < clients_.size();) {
    Client& client = clients_[index];
    client.output.Append(bytes);
    if (client.output.Flush(client.fd.Get(), true) != 0) {
      DropClient(index, "stopped reading");
      continue;
    }
    if (client.output.Size() > kClientBacklogMax) {
      DropClient(index, "is not reading");
      continue;
    }
    ++index;
  }
  return true;
}

}  // namespace tarnwick
