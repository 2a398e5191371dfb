#include "instruments/ports/StreamOutput.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwick {

void CStreamOutput::Append(std::string_view bytes) {
  if (Empty()) Clear();
  data_.append(bytes);
}

int CStreamOutput::Flush(int fd, bool isSocket) {
  while (!Empty()) {
    const char* from = data_.data() + offset_;
    const size_t size = data_.size() - offset_;
    // send() on sockets so that a vanished peer yields EPIPE instead of SIGPIPE.
    const ssize_t n = isSocket ? ::send(fd, from, size, MSG_NOSIGNAL) : ::write(fd, from, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
      return errno;
    }
    offset_ += static_cast<size_t>(n);
  }
  Clear();
  return 0;
}

}  // namespace tarnwick
