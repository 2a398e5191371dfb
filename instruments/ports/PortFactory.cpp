#include "instruments/ports/PortFactory.h"

#include "core/Setting.h"
#include "instruments/ports/PipeTransport.h"
#include "instruments/ports/SerialTransport.h"
#include "instruments/ports/TcpClientTransport.h"
#include "instruments/ports/TcpServerTransport.h"
#include "instruments/ports/UdpTransport.h"

namespace tarnwick {
namespace {

// Drivers whose devices speak NMEA 0183 sentences over the port.
bool IsNmeaDriver(const std::string& driver) {
  return EqualsIgnoreCase(driver, "nmea") || EqualsIgnoreCase(driver, "n183-41") ||
         EqualsIgnoreCase(driver, "navtex");
}

}  // namespace

PortCreation BuildPort(const std::string& text, const PortSettings& settings) {
  PortCreation result;
  if (EqualsIgnoreCase(settings.driver, "none")) return result;
  if (EqualsIgnoreCase(settings.driver, "nmea-tcp-server")) {
    // Any address names the server; a port in it chooses where it listens,
    // the settings' interface on which network.
    PortAddress address;
    if (auto parsed = ParsePortAddress(text); parsed && parsed->kind != PortKind::Serial)
      address = *parsed;
    address.name = text;
    address.kind = PortKind::Tcp;
    auto transport =
        std::make_unique<CTcpServerTransport>(text, ListenAddress(settings), address.port);
    result.port = std::make_unique<CNmeaPort>(address, settings, std::move(transport), true);
    return result;
  }
  if (!IsNmeaDriver(settings.driver)) {
    result.error = "the driver \"" + settings.driver + "\" is not available on this system";
    return result;
  }
  auto address = ParsePortAddress(text);
  if (!address) {
    result.error = "\"" + text + "\" is not a port address";
    return result;
  }
  std::unique_ptr<CPortTransport> transport;
  bool acceptsEncapsulated = false;
  switch (address->kind) {
    case PortKind::Serial:
      transport = std::make_unique<CSerialTransport>(text, address->device, settings.serial);
      acceptsEncapsulated = !settings.serial.autoBaud && settings.serial.baud >= 38400;
      break;
    case PortKind::Pipe:
      transport = std::make_unique<CPipeTransport>(text, PipeSocketPath(address->device));
      acceptsEncapsulated = true;
      break;
    case PortKind::Udp:
      transport = std::make_unique<CUdpTransport>(*address, ListenAddress(settings));
      acceptsEncapsulated = true;
      break;
    case PortKind::Tcp:
      transport = std::make_unique<CTcpClientTransport>(*address);
      break;
  }
  result.port =
      std::make_unique<CNmeaPort>(*address, settings, std::move(transport), acceptsEncapsulated);
  return result;
}

}  // namespace tarnwick
