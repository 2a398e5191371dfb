#pragma once
// The settings of one port, kept in electronics.db as a JSON object with the
// keys "label", "openAtStartup", "driver", "listener", "talker", "repeater",
// "filter", "headingCorrection" (degrees added to the port's headings: its
// compass's deviation), for serial ports "baud", "data", "parity" and "stop",
// and for UDP ports and the TCP server "interface". Values are stored as texts
// ("true", "4800"); JSON booleans and numbers are read too.

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct SerialLineSettings {
  int baud = 4800;        // bits per second
  bool autoBaud = false;  // "baud": "auto" searches the common rates
  int dataBits = 8;       // 5..8
  Parity parity = Parity::None;
  StopBits stopBits = StopBits::One;
};

struct PortSettings {
  std::string label;  // shown in the data monitor; the address when not set
  bool openAtStartup = true;
  std::string driver = "nmea";
  bool listener = true;   // decode what arrives
  bool talker = false;    // send the program's own sentences
  bool repeater = false;  // send out what other ports receive
  std::string filter;     // sentences not to decode or repeat (see CSentenceFilter)
  double headingCorrection = 0;  // degrees added to the port's headings, -180..180
  SerialLineSettings serial;
  // Where a UDP port or the TCP server listens: "loopback" (this computer
  // only), "any" (every network) or the IPv4 address of one interface.
  std::string listenInterface = "loopback";
};

// The IPv4 address a listening port binds: "127.0.0.1" for "loopback",
// "0.0.0.0" for "any", else the address given.
std::string ListenAddress(const PortSettings& settings);

struct PortSettingsResult {
  std::optional<PortSettings> settings;  // empty when the text is not usable
  std::string error;                     // why not
};

// Reads a port's settings; address gives the default label. An empty text
// gives the defaults.
PortSettingsResult ParsePortSettings(std::string_view json, std::string_view address);

inline constexpr size_t kMaxPortLabelBytes = 100;
inline constexpr size_t kMaxPortFilterBytes = 1024;

// Checks one key=value pair as the ports command writes it; empty when valid,
// else the message for the user.
std::string ValidatePortSetting(std::string_view key, std::string_view value);

// The drivers a port may name.
bool IsKnownDriver(std::string_view driver);
// Why a known driver cannot run on this system (the NMEA 2000 gateways
// "actisense" and "maretron", the device drivers not built), or "" when it can.
std::string UnavailableDriverReason(std::string_view driver);

}  // namespace tarnwick
