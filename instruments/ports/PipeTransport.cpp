#include "instruments/ports/PipeTransport.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/Log.h"
#include "core/Paths.h"
#include "instruments/ports/PortErrors.h"

namespace tarnwick {
namespace {

constexpr size_t kReadBlock = 4096;

bool MakeAddress(const std::filesystem::path& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return false;
  memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return true;
}

// True when another program already serves the socket at address.
bool SomeoneListens(const sockaddr_un& address) {
  CFileDescriptor probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  return probe.IsValid() &&
         ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

std::filesystem::path PipeSocketPath(const std::string& pipeName) {
  return RuntimeFolder() / "pipe" / pipeName;
}

CPipeTransport::CPipeTransport(std::string name, std::filesystem::path socketPath)
    : name_(std::move(name)), path_(std::move(socketPath)) {}

CPipeTransport::~CPipeTransport() {
  Close();
}

bool CPipeTransport::Open(int /*wakeFd*/, PortError& error) {
  auto fail = [&](int err) {
    error.code = err;
    error.status = SerialOpenErrorText(err);
    char line[512];
    snprintf(line, sizeof line, "CreateFile(\"%s\") failed (%d) %s\n", path_.c_str(), err,
             error.status.c_str());
    error.logLine = line;
    return false;
  };
  sockaddr_un address;
  if (!MakeAddress(path_, address)) return fail(ENAMETOOLONG);
  if (!EnsureFolder(path_.parent_path())) return fail(EACCES);
  if (SomeoneListens(address)) return fail(EBUSY);
  ::unlink(path_.c_str());
  CFileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.IsValid()) return fail(errno);
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.Get(), 1) != 0)
    return fail(errno);
  listener_ = std::move(fd);
  return true;
}

void CPipeTransport::Close() {
  client_.Reset();
  output_.Clear();
  if (listener_.IsValid()) {
    listener_.Reset();
    ::unlink(path_.c_str());
  }
}

void CPipeTransport::CollectPollFds(std::vector<pollfd>& fds) {
  fds.push_back({listener_.Get(), POLLIN, 0});
  fds.push_back({client_.Get(), static_cast<short>(POLLIN | (output_.Empty() ? 0 : POLLOUT)), 0});
}

void CPipeTransport::DropClient(const char* why) {
  Log("%s: client %s\n", name_.c_str(), why);
  client_.Reset();
  output_.Clear();
}

bool CPipeTransport::Service(std::span<const pollfd> fds, IPortReceiver& receiver,
                             PortError& error) {
  if (fds[0].revents & (POLLERR | POLLNVAL)) {
    error = {EIO, SystemErrorText(EIO),
             "CPortMonitor::ConnectNamedPipe failed (5)\nShutting down port monitor \"" + name_ +
                 "\"\n"};
    return false;
  }
  // The connected client first: one that left makes room for a waiting one.
  if (client_.IsValid() && fds[1].fd == client_.Get()) ServiceClient(fds[1].revents, receiver);
  if (fds[0].revents & POLLIN) {
    CFileDescriptor incoming(
        ::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (incoming.IsValid() && !client_.IsValid()) {
      client_ = std::move(incoming);
      output_.Clear();
      Log("%s: client connected\n", name_.c_str());
    } else if (incoming.IsValid()) {
      Log("%s: refused a second client\n", name_.c_str());
    }
  }
  return true;
}

void CPipeTransport::ServiceClient(short events, IPortReceiver& receiver) {
  if (events & POLLIN) {
    uint8_t buffer[kReadBlock];
    for (;;) {
      const ssize_t n = ::recv(client_.Get(), buffer, sizeof buffer, 0);
      if (n > 0) {
        receiver.Received({buffer, static_cast<size_t>(n)});
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      DropClient("disconnected");
      return;
    }
  } else if (events & (POLLERR | POLLHUP)) {
    DropClient("disconnected");
    return;
  }
  if ((events & POLLOUT) && output_.Flush(client_.Get(), true) != 0) DropClient("stopped reading");
}

bool CPipeTransport::Send(std::string bytes, PortError& /*error*/) {
  // Without a client there is nobody to tell; the data is dropped.
  if (!client_.IsValid()) return true;
  output_.Append(bytes);
  if (output_.Flush(client_.Get(), true) != 0) DropClient("stopped reading");
  return true;
}

}  // namespace tarnwick
