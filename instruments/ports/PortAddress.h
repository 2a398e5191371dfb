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

// Splits an address; nullopt for an empty address, an unknown scheme, a bad
// port number, or a device or pipe name with "." or ".." segments.
std::optional<PortAddress> ParsePortAddress(std::string_view text);

// Who names an address: the ports page may name serial devices below /dev
// only; the command line may give any absolute device path.
enum class AddressSource { Page, CommandLine };

inline constexpr size_t kMaxPortAddressBytes = 256;

// Empty when text may be configured as a port's address; else why not, for
// the user. Beyond ParsePortAddress: at most kMaxPortAddressBytes, no control
// characters, a serial device from the page below /dev, and a device path
// that exists must be a character device (a terminal is checked on opening).
std::string CheckPortAddress(std::string_view text, AddressSource source);

// The name the port's thread carries ("ComPortMonitor", "UdpPortMonitor", "TcpPortMonitor").
const char* PortThreadName(PortKind kind);

// The default TCP port of a scheme when the address gives none (telnet 23, gpsgate 20175, http 80).
uint16_t DefaultTcpPort(std::string_view scheme);

}  // namespace tarnwick
