#include "instruments/ports/PortErrors.h"

#include <netdb.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarnwick {

std::string SystemErrorText(int err) {
  char buffer[256];
  // The GNU strerror_r returns a pointer to the text (not always into buffer).
  const char* text = strerror_r(err, buffer, sizeof buffer);
  if (text && *text && strncmp(text, "Unknown error", 13) != 0) return text;
  snprintf(buffer, sizeof buffer, "error code %d", err);
  return buffer;
}

std::string SerialOpenErrorText(int err) {
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return "This port cannot be found on this computer.";
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
      return "Access to this port was denied. Perhaps this port is in use by another program.";
    case ETIMEDOUT:
    case EIO:
      return "This port is not responding to connection attempts.";
    case ENOTTY:
    case EISDIR:
      return "This is no serial port: a file or folder, not a device.";
    default:
      return SystemErrorText(err);
  }
}

std::string TcpOpenErrorText(int err) {
  switch (err) {
    case ECONNREFUSED:
      return "The server refused to connect.";
    case EACCES:
    case EADDRINUSE:
      return "This port is in use by another program.";
    case ENOENT:
      return "";
    default:
      return SystemErrorText(err);
  }
}

std::string ResolveErrorText(int eaiCode) {
  switch (eaiCode) {
    case EAI_NONAME:
    case EAI_FAIL:
    case EAI_AGAIN:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
      return "The server was not found on the network.";
    default: {
      const char* text = gai_strerror(eaiCode);
      return text ? text : "error code " + std::to_string(eaiCode);
    }
  }
}

}  // namespace tarnwick
