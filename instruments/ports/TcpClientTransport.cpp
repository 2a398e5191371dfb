#include "instruments/ports/TcpClientTransport.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "core/Log.h"
#include "instruments/ports/PortErrors.h"

namespace tarnwick {

uint64_t TcpReconnectIntervalMs(const PortAddress& address) {
  if (address.scheme != "http") return 10000;
  if (auto it = address.params.find("frequency"); it != address.params.end()) {
    uint64_t value = 0;
    const std::string& text = it->second;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && end == text.data() + text.size() && value > 0) return value;
  }
  return 60000;
}

CTcpClientTransport::CTcpClientTransport(PortAddress address)
    : address_(std::move(address)), interval_(TcpReconnectIntervalMs(address_)) {}

PortError CTcpClientTransport::OpenError(int code, std::string status) const {
  char line[512];
  snprintf(line, sizeof line, "Cannot open Instrument Port %s (%d %s)\n", address_.name.c_str(),
           code, status.c_str());
  return {code, std::move(status), line};
}

PortError CTcpClientTransport::LostError(const char* format, int err) const {
  char line[160];
  snprintf(line, sizeof line, format, err);
  return {err, SystemErrorText(err),
          line + std::string("Shutting down port monitor \"") + address_.name + "\"\n"};
}

bool CTcpClientTransport::Open(int wakeFd, PortError& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(address_.port);
  if (const int rc = ::getaddrinfo(address_.host.c_str(), service.c_str(), &hints, &found)) {
    error = OpenError(rc, ResolveErrorText(rc));
    return false;
  }
  int lastError = ECONNREFUSED;
  for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
    CFileDescriptor fd(
        ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol));
    if (!fd.IsValid()) {
      lastError = errno;
      continue;
    }
    if (::connect(fd.Get(), ai->ai_addr, ai->ai_addrlen) != 0) {
      if (errno != EINPROGRESS) {
        lastError = errno;
        continue;
      }
      pollfd waits[2] = {{fd.Get(), POLLOUT, 0}, {wakeFd, POLLIN, 0}};
      const int ready = ::poll(waits, 2, kConnectTimeoutMs);
      if (ready > 0 && (waits[1].revents & POLLIN)) {
        ::freeaddrinfo(found);
        error = {0, "", ""};
        return false;
      }
      int soError = ETIMEDOUT;
      socklen_t length = sizeof soError;
      if (ready > 0) ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &soError, &length);
      if (soError != 0) {
        lastError = soError;
        continue;
      }
    }
    const int on = 1;
    ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    fd_ = std::move(fd);
    output_.Clear();
    ::freeaddrinfo(found);
    Log("Established connection to \"%s\"\n", address_.name.c_str());
    return true;
  }
  ::freeaddrinfo(found);
  error = OpenError(lastError, TcpOpenErrorText(lastError));
  return false;
}

void CTcpClientTransport::Close() {
  fd_.Reset();
  output_.Clear();
}

void CTcpClientTransport::CollectPollFds(std::vector<pollfd>& fds) {
  fds.push_back({fd_.Get(), static_cast<short>(POLLIN | (output_.Empty() ? 0 : POLLOUT)), 0});
}

bool CTcpClientTransport::Service(std::span<const pollfd> fds, IPortReceiver& receiver,
                                  PortError& error) {
  const short events = fds[0].revents;
  if (events & (POLLIN | POLLERR | POLLHUP)) {
    uint8_t buffer[kReceiveBlock];
    // A bounded number of blocks per wake keeps the stop and write events responsive.
    for (int blocks = 0; blocks < 64; ++blocks) {
      const ssize_t n = ::recv(fd_.Get(), buffer, sizeof buffer, 0);
      if (n > 0) {
        receiver.Received({buffer, static_cast<size_t>(n)});
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      if (n == 0) {
        error = {0, "Connection closed by remote system",
                 "Connection to \"" + address_.name + "\" closed by remote system\n"};
        return false;
      }
      error = LostError("CPortMonitor::ReadFile failed (%d)\n", errno);
      return false;
    }
  }
  if ((events & POLLOUT) && !output_.Empty()) {
    if (const int err = output_.Flush(fd_.Get(), true)) {
      error = LostError("CPortMonitor::WriteFile failed (%d)\n", err);
      return false;
    }
  }
  return true;
}

bool CTcpClientTransport::Send(std::string bytes, PortError& error) {
  output_.Append(bytes);
  if (const int err = output_.Flush(fd_.Get(), true)) {
    error = LostError("CPortMonitor::WriteFile failed (%d)\n", err);
    return false;
  }
  return true;
}

}  // namespace tarnwick
