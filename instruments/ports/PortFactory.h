#pragma once
// Builds the port for a configured address and its settings: the transport
// the address and driver call for, wrapped in an NMEA 0183 port.

#include <memory>
#include <string>

#include "instruments/ports/NmeaPort.h"
#include "instruments/ports/PortSettings.h"

namespace tarnwick {

struct PortCreation {
  std::unique_ptr<CNmeaPort> port;  // null when no port is built
  std::string error;                // why not (empty for driver "none")
};

// Builds (does not open) the port. Driver "none" builds nothing; drivers that
// speak other protocols than NMEA 0183 are refused with a message.
PortCreation BuildPort(const std::string& address, const PortSettings& settings);

}  // namespace tarnwick
