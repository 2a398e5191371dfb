#include "server/HttpConnections.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

#include "core/Log.h"

namespace tarnwick {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<int64_t>(0, left.count()));
}

// Waits up to timeoutMs for events on fd; the revents, or 0 on timeout or error.
short PollFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready > 0) return p.revents;
    if (ready < 0 && errno == EINTR) continue;
    return 0;
  }
}

std::string Address(const sockaddr_storage& address) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address.ss_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof text);
  else if (address.ss_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text,
              sizeof text);
  return text;
}

int Port(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET)
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
  if (address.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  return -1;
}

// The connection as the HTTP library reads and writes it: first the bytes the
// gate already read (the headers and what followed them), then the socket,
// each read or write waiting at most the I/O timeout and no read after the
// request's deadline.
class CSocketStream final : public httplib::Stream {
 public:
  CSocketStream(int fd, std::string head, Clock::time_point readDeadline, time_t ioTimeoutSec)
      : fd_(fd),
        buffer_(std::move(head)),
        readDeadline_(readDeadline),
        ioTimeoutMs_(static_cast<int>(ioTimeoutSec * 1000)) {}

  bool is_readable() const override {
    if (offset_ < buffer_.size()) return true;
    const int wait = std::min(ioTimeoutMs_, RemainingMs(readDeadline_));
    return wait > 0 && (PollFor(fd_, POLLIN, wait) & (POLLIN | POLLHUP | POLLERR)) != 0;
  }

  ssize_t read(char* ptr, size_t size) override {
    if (offset_ < buffer_.size()) {
      const size_t n = std::min(size, buffer_.size() - offset_);
      std::memcpy(ptr, buffer_.data() + offset_, n);
      offset_ += n;
      return static_cast<ssize_t>(n);
    }
    if (!is_readable()) return -1;
    for (;;) {
      const ssize_t n = ::recv(fd_, ptr, size, 0);
      if (n < 0 && errno == EINTR) continue;
      return n;
    }
  }

  bool is_writable() const override {
    return (PollFor(fd_, POLLOUT, ioTimeoutMs_) & POLLOUT) != 0 && PeerOpen();
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    for (;;) {
      const ssize_t n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      return n;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
    ip = Address(address);
    port = Port(address);
  }

  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
    ip = Address(address);
    port = Port(address);
  }

  socket_t socket() const override { return fd_; }

 private:
  // False once the peer has closed its side (a live stream's reader went away).
  bool PeerOpen() const {
    const short events = PollFor(fd_, POLLIN, 0);
    if (events & (POLLERR | POLLHUP)) return false;
    if (!(events & POLLIN)) return true;
    char byte;
    return ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) != 0;
  }

  const int fd_;
  std::string buffer_;
  size_t offset_ = 0;
  const Clock::time_point readDeadline_;
  const int ioTimeoutMs_;
};

enum class Head { Complete, TooLarge, TimedOut, Closed };

// Reads until the empty line that ends the headers, into buffer.
Head ReadHead(int fd, Clock::time_point deadline, const ConnectionLimits& limits,
              std::string& buffer) {
  char chunk[4096];
  for (;;) {
    const int wait = RemainingMs(deadline);
    if (wait <= 0) return Head::TimedOut;
    const short events = PollFor(fd, POLLIN, wait);
    if (events == 0) return Head::TimedOut;
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return Head::Closed;
    const size_t searchFrom = buffer.size() >= 3 ? buffer.size() - 3 : 0;
    buffer.append(chunk, static_cast<size_t>(n));
    const size_t end = buffer.find("\r\n\r\n", searchFrom);
    if (end == std::string::npos) {
      if (buffer.size() >= limits.maxHeaderBytes) return Head::TooLarge;
      continue;
    }
    if (end + 4 > limits.maxHeaderBytes) return Head::TooLarge;
    size_t lines = 0;
    for (size_t at = buffer.find("\r\n"); at < end; at = buffer.find("\r\n", at + 2)) ++lines;
    return lines > limits.maxHeaderCount ? Head::TooLarge : Head::Complete;
  }
}

// A whole answer written straight to the socket, for requests the HTTP
// library never sees.
void SendPlain(int fd, const char* statusLine, const std::string& text) {
  const std::string response = std::string("HTTP/1.1 ") + statusLine +
                               "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                               std::to_string(text.size()) +
                               "\r\nConnection: close\r\nX-Content-Type-Options: nosniff\r\n"
                               "X-Frame-Options: DENY\r\n\r\n" +
                               text;
  (void)!::send(fd, response.data(), response.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

// Ends our side, reads what the client still sends for a short while, then
// closes: closing with unread input would reset the connection and could
// destroy the answer before the client read it.
void LingeringClose(int fd) {
  ::shutdown(fd, SHUT_WR);
  const auto until = Clock::now() + std::chrono::milliseconds(1000);
  char discard[4096];
  size_t drained = 0;
  while (drained < 1024 * 1024) {
    const int wait = RemainingMs(until);
    if (wait <= 0 || PollFor(fd, POLLIN, std::min(wait, 200)) == 0) break;
    const ssize_t n = ::recv(fd, discard, sizeof discard, MSG_DONTWAIT);
    if (n <= 0) break;
    drained += static_cast<size_t>(n);
  }
  ::close(fd);
}

// The server's workers. When a new connection finds no worker free, the
// oldest connection still waiting for its headers is dropped to make room.
class CWorkerPool final : public httplib::TaskQueue {
 public:
  CWorkerPool(size_t count, CWaitingConnections& waiting) : waiting_(waiting) {
    for (size_t i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
  }

  void enqueue(std::function<void()> job) override {
    bool short_of_workers;
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
      short_of_workers = jobs_.size() > idle_;
    }
    wake_.notify_one();
    if (short_of_workers) waiting_.DropOldest();
  }

  void shutdown() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (auto& thread : threads_) thread.join();
  }

 private:
  void Work() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        ++idle_;
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        --idle_;
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      try {
        job();
      } catch (const std::exception& e) {
        Log("CGatedServer: a connection ended with an error: %s\n", e.what());
      } catch (...) {
        Log("CGatedServer: a connection ended with an error\n");
      }
    }
  }

  CWaitingConnections& waiting_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  size_t idle_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace

CWaitingConnections::Ticket CWaitingConnections::Enter(int fd, std::string client) {
  std::lock_guard lock(mutex_);
  size_t total = 0, mine = 0;
  for (const Entry& entry : waiting_) {
    if (entry.dropped) continue;
    ++total;
    if (entry.client == client) ++mine;
  }
  if (mine >= limits_.maxWaitingPerClient) {
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
      if (it->dropped || it->client != client) continue;
      DropLocked(it);
      --total;
      break;
    }
  }
  if (total >= limits_.maxWaiting) {
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
      if (it->dropped) continue;
      DropLocked(it);
      break;
    }
  }
  waiting_.push_back({fd, std::move(client), closed_});
  if (closed_) ::shutdown(fd, SHUT_RDWR);
  return std::prev(waiting_.end());
}

void CWaitingConnections::Leave(Ticket ticket) {
  std::lock_guard lock(mutex_);
  waiting_.erase(ticket);
}

bool CWaitingConnections::DropOldest() {
  std::lock_guard lock(mutex_);
  for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
    if (it->dropped) continue;
    DropLocked(it);
    return true;
  }
  return false;
}

void CWaitingConnections::DropAll() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  for (auto it = waiting_.begin(); it != waiting_.end(); ++it)
    if (!it->dropped) DropLocked(it);
}

size_t CWaitingConnections::Count() const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(
      std::count_if(waiting_.begin(), waiting_.end(), [](const Entry& e) { return !e.dropped; }));
}

void CWaitingConnections::DropLocked(Ticket ticket) {
  ticket->dropped = true;
  ::shutdown(ticket->fd, SHUT_RDWR);
}

CGatedServer::CGatedServer(ConnectionLimits limits) : limits_(limits), waiting_(limits_) {
  new_task_queue = [this] { return new CWorkerPool(limits_.workers, waiting_); };
}

bool CGatedServer::process_and_close_socket(socket_t sock) {
  const auto accepted = Clock::now();
  std::string head;
  const auto ticket = waiting_.Enter(sock, PeerAddress(sock));
  const Head result =
      ReadHead(sock, accepted + std::chrono::milliseconds(limits_.headerDeadlineMs), limits_, head);
  waiting_.Leave(ticket);

  bool ok = false;
  switch (result) {
    case Head::Complete: {
      CSocketStream stream(sock, std::move(head),
                           accepted + std::chrono::milliseconds(limits_.requestDeadlineMs),
                           limits_.ioTimeoutSec);
      bool closed = false;
      ok = process_request(stream, true, closed, nullptr);
      break;
    }
    case Head::TooLarge:
      SendPlain(sock, "431 Request Header Fields Too Large",
                "The request's headers are too large (at most " +
                    std::to_string(limits_.maxHeaderBytes) + " bytes in " +
                    std::to_string(limits_.maxHeaderCount) + " lines).\n");
      break;
    case Head::TimedOut:
      if (!head.empty()) SendPlain(sock, "408 Request Timeout", "The request came too slowly.\n");
      break;
    case Head::Closed:
      break;
  }
  LingeringClose(sock);
  return ok;
}

std::string PeerAddress(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return "";
  return Address(address);
}

}  // namespace tarnwick
