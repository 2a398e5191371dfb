#include "core/InstanceGuard.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/Log.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

constexpr int kAnswerTimeoutMs = 3000;
constexpr size_t kMaxLineBytes = 512 * 1024;

bool FillAddress(const std::filesystem::path& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return true;
}

// Reads up to the first line feed (not included) or the end of the stream,
// waiting at most timeoutMs in all. Empty when the time ran out first.
std::optional<std::string> ReadLine(int fd, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string line;
  char chunk[4096];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return std::nullopt;
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return line;
    line.append(chunk, static_cast<size_t>(n));
    if (const size_t end = line.find('\n'); end != std::string::npos) return line.substr(0, end);
    if (line.size() > kMaxLineBytes) return std::nullopt;
  }
}

bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The user id of the process at the other end of a local socket.
std::optional<uid_t> PeerUid(int fd) {
  ucred credentials{};
  socklen_t length = sizeof credentials;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return std::nullopt;
  return credentials.uid;
}

}  // namespace

CInstanceGuard::CInstanceGuard(std::filesystem::path folder) : folder_(std::move(folder)) {}

CInstanceGuard::~CInstanceGuard() { Release(); }

CInstanceGuard::Outcome CInstanceGuard::Acquire(std::function<std::string()> onShow,
                                                CommandHandler onCommand) {
  problem_ = PreparePrivateFolder(folder_);
  if (!problem_.empty()) return Outcome::Error;
  const auto lockPath = folder_ / "instance.lock";
  lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ < 0) {
    problem_ = lockPath.string() + " cannot be opened (" + std::strerror(errno) + ")";
    return errno == EACCES ? Outcome::OtherUser : Outcome::Error;
  }
  const auto socketPath = folder_ / "control.sock";
  sockaddr_un address;
  if (!FillAddress(socketPath, address)) {
    problem_ = socketPath.string() + " is too long for a socket address";
    return Outcome::Error;
  }

  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(lockFd_);
    lockFd_ = -1;
    if (errno != EWOULDBLOCK) {
      problem_ = lockPath.string() + " cannot be locked (" + std::strerror(errno) + ")";
      return Outcome::Error;
    }
    std::string ignored;
    answer_ = Request(folder_, "show", kAnswerTimeoutMs, ignored).value_or("");
    return Outcome::AlreadyRunning;
  }

  onShow_ = std::move(onShow);
  onCommand_ = std::move(onCommand);
  ::unlink(socketPath.c_str());
  listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::chmod(socketPath.c_str(), 0600) != 0 || listen(listenFd_, 4) != 0) {
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
    const std::optional<uid_t> peer = PeerUid(client);
    if (!peer || *peer != ::geteuid()) {
      Log("CInstanceGuard: refused a control connection of user %d\n", peer ? int(*peer) : -1);
      ::close(client);
      continue;
    }
    const std::optional<std::string> line = ReadLine(client, kAnswerTimeoutMs);
    std::string reply;
    if (line == "show") {
      Log("Another instance asked this one to show its window\n");
      reply = onShow_ ? onShow_() : std::string();
    } else if (line && !line->empty() && onCommand_) {
      reply = onCommand_(*line);
    }
    WriteAll(client, reply + "\n");
    ::close(client);
  }
}

std::optional<std::string> CInstanceGuard::Request(const std::filesystem::path& folder,
                                                   const std::string& line, int timeoutMs,
                                                   std::string& problem) {
  problem.clear();
  std::error_code ec;
  if (!std::filesystem::exists(folder / "control.sock", ec)) return std::nullopt;
  problem = CheckPrivateFolder(folder);
  if (!problem.empty()) return std::nullopt;
  sockaddr_un address;
  if (!FillAddress(folder / "control.sock", address)) return std::nullopt;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    if (PeerUid(fd) != ::geteuid()) {
      problem = "the control socket in " + folder.string() + " belongs to another user";
    } else if (WriteAll(fd, line + "\n")) {
      answer = ReadLine(fd, timeoutMs);
      if (!answer) problem = "the running program did not answer";
    }
  }
  ::close(fd);
  return answer;
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
