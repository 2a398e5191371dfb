#include "instruments/ports/PortAddress.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>

#include "core/Setting.h"

namespace tarnwick {
namespace {

struct SchemeKind {
  const char* scheme;
  PortKind kind;
};

constexpr SchemeKind kSchemes[] = {
    {"x-nmea0183-udp", PortKind::Udp}, {"udp", PortKind::Udp},     {"corvel-udp", PortKind::Udp},
    {"telnet", PortKind::Tcp},         {"gpsgate", PortKind::Tcp}, {"http", PortKind::Tcp},
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

void ParseQuery(std::string_view query, std::map<std::string, std::string>& params) {
  while (!query.empty()) {
    const size_t amp = query.find('&');
    std::string_view item = query.substr(0, amp);
    const size_t eq = item.find('=');
    if (!item.empty())
      params[Lower(item.substr(0, eq))] =
          eq == std::string_view::npos ? std::string() : std::string(item.substr(eq + 1));
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
}

// Splits "host:port/path?query" into the address; false on a bad port number.
bool ParseAuthority(std::string_view rest, PortAddress& address) {
  const size_t q = rest.find('?');
  if (q != std::string_view::npos) {
    ParseQuery(rest.substr(q + 1), address.params);
    rest = rest.substr(0, q);
  }
  const size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  if (slash != std::string_view::npos) address.path = std::string(rest.substr(slash + 1));
  // A bracketed IPv6 literal keeps its colons.
  size_t colon = std::string_view::npos;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    address.host = std::string(authority.substr(1, close - 1));
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':') return false;
      colon = close + 1;
    }
  } else {
    colon = authority.rfind(':');
    address.host = std::string(authority.substr(0, colon));
  }
  if (colon != std::string_view::npos) {
    std::string_view digits = authority.substr(colon + 1);
    unsigned value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || value == 0 || value > 65535)
      return false;
    address.port = static_cast<uint16_t>(value);
  }
  return true;
}

// True when a path has a "." or ".." segment (which could lead out of /dev).
bool HasDotSegment(std::string_view path) {
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string_view segment = path.substr(start, end - start);
    if (segment == "." || segment == "..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::optional<PortAddress> ParsePortAddress(std::string_view text) {
  if (text.empty()) return std::nullopt;
  PortAddress address;
  address.name = std::string(text);
  const size_t sep = text.find("://");
  if (sep == std::string_view::npos) {
    if (StartsWithIgnoreCase(text, "pipe/")) {
      address.kind = PortKind::Pipe;
      address.device = std::string(text.substr(5));
      if (address.device.empty() || address.device.find('/') != std::string::npos ||
          address.device.front() == '.')
        return std::nullopt;
      return address;
    }
    address.kind = PortKind::Serial;
    address.device = text.front() == '/' ? std::string(text) : "/dev/" + std::string(text);
    if (HasDotSegment(address.device)) return std::nullopt;
    return address;
  }
  address.scheme = Lower(text.substr(0, sep));
  bool known = false;
  for (const auto& entry : kSchemes) {
    if (address.scheme == entry.scheme) {
      address.kind = entry.kind;
      known = true;
    }
  }
  if (!known || !ParseAuthority(text.substr(sep + 3), address)) return std::nullopt;
  if (address.kind == PortKind::Udp && address.port == 0) return std::nullopt;
  if (address.kind == PortKind::Tcp) {
    if (address.host.empty()) return std::nullopt;
    if (address.port == 0) address.port = DefaultTcpPort(address.scheme);
  }
  return address;
}

std::string CheckPortAddress(std::string_view text, AddressSource source) {
  if (text.size() > kMaxPortAddressBytes)
    return "an address is at most " + std::to_string(kMaxPortAddressBytes) + " characters";
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return "an address has no control characters";
  const std::optional<PortAddress> address = ParsePortAddress(text);
  if (!address) return "'" + std::string(text) + "' is not a port address";
  if (address->kind != PortKind::Serial) return "";
  if (source == AddressSource::Page && address->device.rfind("/dev/", 0) != 0)
    return "a serial port is a device below /dev (" + address->device +
           " can be given on the command line)";
  struct stat info {};
  if (::stat(address->device.c_str(), &info) == 0 && !S_ISCHR(info.st_mode))
    return address->device + " is no serial device";
  return "";
}

const char* PortThreadName(PortKind kind) {
  switch (kind) {
    case PortKind::Udp:
      return "UdpPortMonitor";
    case PortKind::Tcp:
      return "TcpPortMonitor";
    case PortKind::Serial:
    case PortKind::Pipe:
      break;
  }
  return "ComPortMonitor";
}

uint16_t DefaultTcpPort(std::string_view scheme) {
  if (scheme == "gpsgate") return 20175;
  if (scheme == "http") return 80;
  return 23;
}

}  // namespace tarnwick
