#pragma once
// The texts a port shows the navigator when it cannot be opened, from the
// system's error numbers (errno, or getaddrinfo's EAI_* codes for names).

#include <string>

namespace tarnwick {

// The system's own message for errno err, or "error code %d" when it has none.
std::string SystemErrorText(int err);

// Status text for a serial device or pipe that failed to open with errno err.
std::string SerialOpenErrorText(int err);

// Status text for a TCP connection that failed with errno err; empty when the
// port is only marked as not found (ENOENT).
std::string TcpOpenErrorText(int err);

// Status text for a host name that getaddrinfo could not resolve (EAI_* code).
std::string ResolveErrorText(int eaiCode);

}  // namespace tarnwick
