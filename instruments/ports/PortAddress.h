#pragma once
// Port addresses as configured: a serial device ("ttyUSB0", "/dev/ttyS0",
// "COM3"), "pipe/" + a name, or a URL whose scheme selects UDP or TCP.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

enum class PortKind { Serial, Pipe, Udp, Tcp };

struct PortAddress {
  PortKind kind = PortKind::Serial;
  std::string name;    // the address exactly as configured
  std::string scheme;  // lower case ("udp", "telnet", "gpsgate", "http"); empty for serial and pipe
  std::string host;    // "*" for any address (UDP), or a name / IP address
  uint16_t port = 0;   // 0 when the address gives none
  std::string path;    // text after host:port without the leading '/' and without the query
  std::map<std::string, std::string> params;  // query parameters ("frequency", "local")
  std::string device;  // serial: the device path ("/dev/ttyUSB0"); pipe: the pipe name
};

// Splits an address; nullopt for an empty address, an unknown scheme or a bad port number.
std::optional<PortAddress> ParsePortAddress(std::string_view text);

// The name the port's thread carries ("ComPortMonitor", "UdpPortMonitor", "TcpPortMonitor").
const char* PortThreadName(PortKind kind);

// The default TCP port of a scheme when the address gives none (telnet 23, gpsgate 20175, http 80).
uint16_t DefaultTcpPort(std::string_view scheme);

}  // namespace tarnwick
