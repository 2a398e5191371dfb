#pragma once
// Helpers of the port tests: loopback endpoints the tests start themselves and
// a collector of what the ports deliver. Every wait is bounded.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/NmeaPort.h"
#include "instruments/ports/PortHooks.h"

namespace tarnwick::testing {

inline constexpr uint64_t kWaitMs = 5000;  // upper bound of every hand-off wait

inline sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

inline uint16_t LocalPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// A TCP socket bound to 127.0.0.1 on a free port; Listen() makes it a server,
// so until then connections to the port are refused.
class CLoopbackServer {
 public:
  CLoopbackServer() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const int on = 1;
    ::setsockopt(fd_.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in address = Loopback(0);
    ::bind(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }
  uint16_t Port() const { return LocalPort(fd_.Get()); }
  int Fd() const { return fd_.Get(); }
  void Listen(int backlog = 4) { ::listen(fd_.Get(), backlog); }
  // The next client, or an invalid descriptor after kWaitMs.
  CFileDescriptor Accept() {
    pollfd p{fd_.Get(), POLLIN, 0};
    if (::poll(&p, 1, kWaitMs) <= 0) return CFileDescriptor();
    return CFileDescriptor(::accept4(fd_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
  }

 private:
  CFileDescriptor fd_;
};

// Reads from fd until it holds at least count bytes, the peer closes or kWaitMs pass.
inline std::string ReadAtLeast(int fd, size_t count) {
  std::string data;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  while (data.size() < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[8192];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  return data;
}

inline bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Installs itself as the ports' decoder and data monitor for its lifetime and
// collects what arrives.
class CDeliveryCollector {
 public:
  struct Item {
    std::string port;
    std::string sentence;
  };

  CDeliveryCollector() {
    SetSentenceDecoder([this](CNmeaPort& port, const ReceiveTime&, std::string_view sentence) {
      std::lock_guard lock(mutex_);
      decoded_.push_back({port.Name(), std::string(sentence)});
      changed_.notify_all();
    });
    SetDataMonitorSink([this](const MonitorLine& line) {
      std::lock_guard lock(mutex_);
      monitor_.push_back(std::string(line.text));
      changed_.notify_all();
    });
  }
  ~CDeliveryCollector() {
    SetSentenceDecoder({});
    SetDataMonitorSink({});
  }

  // Waits until count sentences were decoded; returns them.
  std::vector<Item> WaitDecoded(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                      [&] { return decoded_.size() >= count; });
    return decoded_;
  }
  std::vector<std::string> WaitMonitor(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                      [&] { return monitor_.size() >= count; });
    return monitor_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Item> decoded_;
  std::vector<std::string> monitor_;
};

}  // namespace tarnwick::testing
