#include "instruments/ports/SerialTransport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "core/Clock.h"
#include "core/Log.h"
#include "instruments/ports/PortErrors.h"

namespace tarnwick {
namespace {

constexpr size_t kReadBlock = 4096;

std::optional<speed_t> SpeedConstant(int baud) {
  switch (baud) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return std::nullopt;
  }
}

tcflag_t CharacterSize(int dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

PortError IoError(const char* format, int err, const std::string& name) {
  char line[160];
  snprintf(line, sizeof line, format, err);
  return {err, SystemErrorText(err),
          line + std::string("Shutting down port monitor \"") + name + "\"\n"};
}

}  // namespace

bool ComposeLineSettings(termios& tio, const SerialLineSettings& line, int baud) {
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  tio.c_cflag |= CLOCAL | CREAD | CharacterSize(line.dataBits);
  switch (line.parity) {
    case Parity::None:
      break;
    case Parity::Odd:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case Parity::Even:
      tio.c_cflag |= PARENB;
      break;
    case Parity::Mark:
      tio.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case Parity::Space:
      tio.c_cflag |= PARENB | CMSPAR;
      break;
  }
  // termios has no 1.5 stop bits; UARTs give 1.5 for 5-bit characters when two are asked.
  if (line.stopBits != StopBits::One) tio.c_cflag |= CSTOPB;
  if (line.parity != Parity::None) tio.c_iflag |= INPCK;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  const auto speed = SpeedConstant(baud);
  return speed && ::cfsetispeed(&tio, *speed) == 0 && ::cfsetospeed(&tio, *speed) == 0;
}

CSerialTransport::CSerialTransport(std::string name, std::string device, SerialLineSettings line)
    : name_(std::move(name)), device_(std::move(device)), line_(line) {}

int CSerialTransport::Baud() const {
  return line_.autoBaud ? kSearchRates[searchIndex_] : line_.baud;
}

bool CSerialTransport::Open(int /*wakeFd*/, PortError& error) {
  // Only a terminal device is a serial port: a file, folder or pipe named as
  // one is neither read nor written (looked at before opening, and again on
  // what was opened).
  struct stat info {};
  int fd = -1;
  int err = 0;
  if (::stat(device_.c_str(), &info) != 0)
    err = errno;
  else if (!S_ISCHR(info.st_mode))
    err = S_ISDIR(info.st_mode) ? EISDIR : ENOTTY;
  if (err == 0) {
    fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) err = errno;
  }
  if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || !::isatty(fd))) {
    err = ENOTTY;
    ::close(fd);
    fd = -1;
  }
  if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    err = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
  }
  if (err != 0) {
    error.code = err;
    error.status = SerialOpenErrorText(err);
    char line[512];
    snprintf(line, sizeof line, "CreateFile(\"%s\") failed (%d) %s\n", device_.c_str(), err,
             error.status.c_str());
    error.logLine = line;
    return false;
  }
  fd_.Reset(fd);
  // Other programs that honour the exclusive flag cannot open the device now.
  ::ioctl(fd, TIOCEXCL);
  ApplyLineSettings();
  ::tcflush(fd, TCIOFLUSH);
  countsAvailable_ = ::ioctl(fd, TIOCGICOUNT, &counts_) == 0;
  output_.Clear();
  openedTick_ = TickCount();
  return true;
}

void CSerialTransport::ApplyLineSettings() {
  const int fd = fd_.Get();
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    Log("GetCommState on port %s failed: %d\n", name_.c_str(), errno);
    return;
  }
  const bool composed = ComposeLineSettings(tio, line_, Baud());
  if (!composed || ::tcsetattr(fd, TCSANOW, &tio) != 0)
    Log("SetCommState on port %s failed: %d\n", name_.c_str(), composed ? errno : EINVAL);
  const int lines = TIOCM_DTR | TIOCM_RTS;
  if (::ioctl(fd, TIOCMBIS, &lines) != 0) Log("%s: SETDTR failed (%d)\n", name_.c_str(), errno);
}

void CSerialTransport::Close() {
  fd_.Reset();
  output_.Clear();
}

void CSerialTransport::CollectPollFds(std::vector<pollfd>& fds) {
  fds.push_back({fd_.Get(), static_cast<short>(POLLIN | (output_.Empty() ? 0 : POLLOUT)), 0});
}

bool CSerialTransport::Service(std::span<const pollfd> fds, IPortReceiver& receiver,
                               PortError& error) {
  const short events = fds[0].revents;
  if (events & POLLIN) {
    uint8_t buffer[kReadBlock];
    for (;;) {
      const ssize_t n = ::read(fd_.Get(), buffer, sizeof buffer);
      if (n > 0) {
        receiver.Received({buffer, static_cast<size_t>(n)});
        if (static_cast<size_t>(n) < sizeof buffer) break;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      // End of file on a terminal: the device is gone.
      error = IoError("CPortMonitor::ReadFile failed (%d)\n", n == 0 ? EIO : errno, name_);
      return false;
    }
    ReportLineErrors(receiver);
  } else if (events & (POLLERR | POLLHUP | POLLNVAL)) {
    error = IoError("CPortMonitor::ReadFile failed (%d)\n", EIO, name_);
    return false;
  }
  if ((events & POLLOUT) && !output_.Empty()) {
    if (const int err = output_.Flush(fd_.Get(), false)) {
      error = IoError("CPortMonitor::WriteFile failed (%d)\n", err, name_);
      return false;
    }
  }
  return true;
}

void CSerialTransport::ReportLineErrors(IPortReceiver& receiver) {
  if (!countsAvailable_) return;
  serial_icounter_struct now{};
  if (::ioctl(fd_.Get(), TIOCGICOUNT, &now) != 0) return;
  unsigned mask = 0;
  if (now.overrun != counts_.overrun || now.buf_overrun != counts_.buf_overrun)
    mask |= kCommErrorOverrun;
  if (now.parity != counts_.parity) mask |= kCommErrorParity;
  if (now.frame != counts_.frame) mask |= kCommErrorFrame;
  if (now.brk != counts_.brk) mask |= kCommErrorBreak;
  counts_ = now;
  if (mask) receiver.CommError(mask);
}

bool CSerialTransport::Send(std::string bytes, PortError& error) {
  output_.Append(bytes);
  if (const int err = output_.Flush(fd_.Get(), false)) {
    error = IoError("CPortMonitor::WriteFile failed (%d)\n", err, name_);
    return false;
  }
  return true;
}

bool CSerialTransport::WantsReopen(uint64_t nowTick) {
  if (!line_.autoBaud || baudFound_ || nowTick - openedTick_ < 5000) return false;
  searchIndex_ = (searchIndex_ + 1) % std::size(kSearchRates);
  Log("%s: no data recognised, trying %d baud\n", name_.c_str(), Baud());
  return true;
}

}  // namespace tarnwick
