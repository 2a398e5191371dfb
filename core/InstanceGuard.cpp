#include "core/InstanceGuard.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/ControlRequests.h"
#include "core/Log.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

constexpr int kAnswerTimeoutMs = 3000;

bool FillAddress(const std::filesystem::path& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return true;
}

std::string ReadLine(int fd, int timeoutMs) {
  std::string line;
  char c;
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, timeoutMs) > 0) {
    ssize_t n = read(fd, &c, 1);
    if (n <= 0 || c == '\n') break;
    line += c;
    if (line.size() > 4096) break;
  }
  return line;
}

}  // namespace

CInstanceGuard::CInstanceGuard(std::filesystem::path folder) : folder_(std::move(folder)) {}

CInstanceGuard::~CInstanceGuard() { Release(); }

CInstanceGuard::Outcome CInstanceGuard::Acquire(std::function<std::string()> onShow) {
  if (!EnsureFolder(folder_)) return Outcome::Error;
  ::chmod(folder_.c_str(), 0700);
  const auto lockPath = folder_ / "instance.lock";
  lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) return errno == EACCES ? Outcome::OtherUser : Outcome::Error;
  const auto socketPath = folder_ / "control.sock";
  sockaddr_un address;
  if (!FillAddress(socketPath, address)) return Outcome::Error;

  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(lockFd_);
    lockFd_ = -1;
    if (errno != EWOULDBLOCK) return Outcome::Error;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      static const char kShow[] = "show\n";
      if (write(fd, kShow, sizeof kShow - 1) == sizeof kShow - 1)
        answer_ = ReadLine(fd, kAnswerTimeoutMs);
    }
    if (fd >= 0) ::close(fd);
    return Outcome::AlreadyRunning;
  }

  onShow_ = std::move(onShow);
  ::unlink(socketPath.c_str());
  listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listenFd_, 4) != 0) {
    Log("CInstanceGuard: cannot listen on %s (%d)\n", socketPath.c_str(), errno);
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    return Outcome::Acquired;
  }
  wakeFd_ = eventfd(0, EFD_CLOEXEC);
  server_ = std::thread([this] { Serve(); });
  return Outcome::Acquired;
}

void CInstanceGuard::Serve() {
  for (;;) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const std::string line = ReadLine(client, kAnswerTimeoutMs);
    if (line == "show") {
      Log("Another instance asked this one to show its window\n");
      std::string reply = (onShow_ ? onShow_() : std::string()) + "\n";
      (void)!write(client, reply.data(), reply.size());
    } else if (!line.empty()) {
      // A subcommand's request to the running program.
      const std::string reply = AnswerControlRequest(line) + "\n";
      (void)!write(client, reply.data(), reply.size());
    }
    ::close(client);
  }
}

void CInstanceGuard::Release() {
  if (server_.joinable()) {
    uint64_t one = 1;
    (void)!write(wakeFd_, &one, sizeof one);
    server_.join();
  }
  if (wakeFd_ >= 0) ::close(wakeFd_);
  wakeFd_ = -1;
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink((folder_ / "control.sock").c_str());
  }
  listenFd_ = -1;
  if (lockFd_ >= 0) {
    flock(lockFd_, LOCK_UN);
    ::close(lockFd_);
  }
  lockFd_ = -1;
}

}  // namespace tarnwick
