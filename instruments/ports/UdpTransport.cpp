#include "instruments/ports/UdpTransport.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "core/Log.h"
#include "instruments/ports/PortErrors.h"

namespace tarnwick {
namespace {

constexpr size_t kDatagramMax = 65536;

std::optional<in_addr> ResolveIPv4(const std::string& host) {
  in_addr address{};
  if (::inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return address;
}

}  // namespace

UdpEndpoints ResolveUdpEndpoints(const PortAddress& address) {
  UdpEndpoints endpoints;
  endpoints.localPort = address.port;
  if (auto it = address.params.find("local"); it != address.params.end()) {
    unsigned port = 0;
    const std::string& text = it->second;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (ec == std::errc() && end == text.data() + text.size() && port > 0 && port <= 65535)
      endpoints.localPort = static_cast<uint16_t>(port);
  }
  endpoints.destination.sin_family = AF_INET;
  endpoints.destination.sin_port = htons(address.port);
  std::optional<in_addr> host;
  if (address.host != "*" && !address.host.empty()) host = ResolveIPv4(address.host);
  endpoints.broadcast = !host;
  endpoints.destination.sin_addr = host ? *host : in_addr{htonl(INADDR_BROADCAST)};
  return endpoints;
}

CUdpTransport::CUdpTransport(PortAddress address, std::string listenAddress)
    : address_(std::move(address)), listenAddress_(std::move(listenAddress)) {}

bool CUdpTransport::Open(int /*wakeFd*/, PortError& error) {
  const UdpEndpoints endpoints = ResolveUdpEndpoints(address_);
  auto fail = [&](int err) {
    error.code = err;
    error.status = TcpOpenErrorText(err);
    char line[512];
    snprintf(line, sizeof line, "Cannot open Instrument Port %s (%d %s)\n", address_.name.c_str(),
             err, error.status.c_str());
    error.logLine = line;
    return false;
  };
  CFileDescriptor fd(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.IsValid()) return fail(errno);
  const int on = 1;
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (endpoints.broadcast && ::setsockopt(fd.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
    return fail(errno);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(endpoints.localPort);
  if (::inet_pton(AF_INET, listenAddress_.c_str(), &local.sin_addr) != 1) return fail(EADDRNOTAVAIL);
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
    return fail(errno);
  std::lock_guard lock(mutex_);
  fd_ = std::move(fd);
  endpoints_ = endpoints;
  return true;
}

void CUdpTransport::Close() {
  std::lock_guard lock(mutex_);
  fd_.Reset();
}

bool CUdpTransport::IsOpen() const {
  std::lock_guard lock(mutex_);
  return fd_.IsValid();
}

void CUdpTransport::CollectPollFds(std::vector<pollfd>& fds) {
  // Only the port's thread replaces the descriptor, so reading it here needs no lock.
  fds.push_back({fd_.Get(), POLLIN, 0});
}

bool CUdpTransport::Service(std::span<const pollfd> fds, IPortReceiver& receiver,
                            PortError& error) {
  if (fds[0].revents & POLLNVAL) {
    error = {EBADF, SystemErrorText(EBADF),
             "CPortMonitor::ReadFile failed (9)\nShutting down port monitor \"" + address_.name +
                 "\"\n"};
    return false;
  }
  if (!(fds[0].revents & (POLLIN | POLLERR))) return true;
  static thread_local uint8_t buffer[kDatagramMax];
  for (int datagrams = 0; datagrams < 256; ++datagrams) {
    const ssize_t n = ::recv(fd_.Get(), buffer, sizeof buffer, 0);
    if (n > 0) {
      receiver.Received({buffer, static_cast<size_t>(n)});
      continue;
    }
    if (n == 0 || errno == EINTR) continue;
    // ICMP errors from earlier datagrams (ECONNREFUSED) say nothing about input.
    break;
  }
  return true;
}

bool CUdpTransport::Send(std::string bytes, PortError& /*error*/) {
  SendDirect(bytes);
  return true;
}

std::optional<bool> CUdpTransport::SendDirect(std::string_view bytes) {
  std::lock_guard lock(mutex_);
  if (!fd_.IsValid()) return false;
  const ssize_t n = ::sendto(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&endpoints_.destination),
                             sizeof endpoints_.destination);
  if (n < 0) LogDebug("%s: sendto failed (%d)\n", address_.name.c_str(), errno);
  return n == static_cast<ssize_t>(bytes.size());
}

}  // namespace tarnwick
