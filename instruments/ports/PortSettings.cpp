#include "instruments/ports/PortSettings.h"

#include <arpa/inet.h>

#include <charconv>
#include <cmath>

#include <nlohmann/json.hpp>

#include "core/Setting.h"

namespace tarnwick {
namespace {

constexpr const char* kDrivers[] = {"none",   "nmea",     "n183-41",   "garmin", "nmea-tcp-server",
                                    "navtex", "maretron", "actisense", "PcFF80", "fts-250"};

constexpr int kBaudRates[] = {110,   300,   600,   1200,   2400,   4800,   9600,  14400,
                              19200, 38400, 57600, 115200, 230400, 460800, 921600};

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseReal(std::string_view text) {
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<bool> ParseBool(std::string_view text) {
  if (EqualsIgnoreCase(text, "true") || EqualsIgnoreCase(text, "yes") || text == "1") return true;
  if (EqualsIgnoreCase(text, "false") || EqualsIgnoreCase(text, "no") || text == "0") return false;
  return std::nullopt;
}

bool IsBooleanKey(std::string_view key) {
  return key == "openAtStartup" || key == "listener" || key == "talker" || key == "repeater";
}

// A JSON value as the text the settings keep.
std::string ValueText(const nlohmann::json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  if (value.is_number_integer()) return std::to_string(value.get<long long>());
  return value.dump();  // other numbers ("2.5") as JSON writes them
}

}  // namespace

std::string ListenAddress(const PortSettings& settings) {
  if (settings.listenInterface == "any") return "0.0.0.0";
  if (settings.listenInterface == "loopback" || settings.listenInterface.empty()) return "127.0.0.1";
  return settings.listenInterface;
}

bool IsKnownDriver(std::string_view driver) {
  for (const char* known : kDrivers)
    if (EqualsIgnoreCase(driver, known)) return true;
  return false;
}

std::string UnavailableDriverReason(std::string_view driver) {
  if (EqualsIgnoreCase(driver, "actisense") || EqualsIgnoreCase(driver, "maretron"))
    return "NMEA 2000 gateways (driver \"" + std::string(driver) +
           "\") are not supported yet: connect the instruments through an NMEA 0183 gateway "
           "or multiplexer and use the driver \"nmea\"";
  for (const char* device : {"garmin", "PcFF80", "fts-250"})
    if (EqualsIgnoreCase(driver, device))
      return "the driver \"" + std::string(driver) + "\" is not available on this system";
  return "";
}

std::string ValidatePortSetting(std::string_view key, std::string_view value) {
  const std::string quoted = "'" + std::string(value) + "'";
  if (IsBooleanKey(key))
    return ParseBool(value) ? "" : std::string(key) + " must be true or false, not " + quoted;
  if (key == "driver")
    return IsKnownDriver(value) ? UnavailableDriverReason(value) : "unknown driver " + quoted;
  if (key == "headingCorrection") {
    const auto degrees = ParseReal(value);
    return degrees && *degrees >= -180 && *degrees <= 180
               ? ""
               : "headingCorrection must be degrees from -180 to 180, not " + quoted;
  }
  if (key == "baud") {
    if (EqualsIgnoreCase(value, "auto")) return "";
    const auto baud = ParseInt(value);
    for (int rate : kBaudRates)
      if (baud && *baud == rate) return "";
    return "baud must be a standard rate (4800, 38400...) or auto, not " + quoted;
  }
  if (key == "data") {
    const auto bits = ParseInt(value);
    return bits && *bits >= 5 && *bits <= 8 ? "" : "data must be 5, 6, 7 or 8, not " + quoted;
  }
  if (key == "parity") {
    for (const char* name : {"None", "Odd", "Even", "Mark", "Space"})
      if (EqualsIgnoreCase(value, name)) return "";
    return "parity must be None, Odd, Even, Mark or Space, not " + quoted;
  }
  if (key == "stop")
    return value == "1" || value == "1.5" || value == "2"
               ? ""
               : "stop must be 1, 1.5 or 2, not " + quoted;
  if (key == "interface") {
    in_addr address{};
    if (value == "loopback" || value == "any" ||
        ::inet_pton(AF_INET, std::string(value).c_str(), &address) == 1)
      return "";
    return "interface must be loopback, any or an IPv4 address, not " + quoted;
  }
  if (key == "label")
    return value.size() <= kMaxPortLabelBytes
               ? ""
               : "a label is at most " + std::to_string(kMaxPortLabelBytes) + " bytes";
  if (key == "filter")
    return value.size() <= kMaxPortFilterBytes
               ? ""
               : "a filter is at most " + std::to_string(kMaxPortFilterBytes) + " bytes";
  return "unknown port setting '" + std::string(key) + "'";
}

PortSettingsResult ParsePortSettings(std::string_view json, std::string_view address) {
  PortSettingsResult result;
  PortSettings settings;
  settings.label = std::string(address);
  if (json.empty()) {
    result.settings = settings;
    return result;
  }
  const nlohmann::json root = nlohmann::json::parse(json, nullptr, false);
  if (root.is_discarded() || !root.is_object()) {
    result.error = "the port settings are not a JSON object";
    return result;
  }
  bool driverGiven = false;
  for (const auto& [key, value] : root.items()) {
    const std::string text = ValueText(value);
    const std::string error = ValidatePortSetting(key, text);
    if (!error.empty()) {
      // Unknown keys belong to device drivers; bad values of known keys are refused.
      if (error.rfind("unknown port setting", 0) == 0) continue;
      result.error = error;
      return result;
    }
    if (key == "label") {
      if (!text.empty()) settings.label = text;
    } else if (key == "openAtStartup") {
      settings.openAtStartup = *ParseBool(text);
    } else if (key == "driver") {
      settings.driver = text;
      driverGiven = true;
    } else if (key == "listener") {
      settings.listener = *ParseBool(text);
    } else if (key == "talker") {
      settings.talker = *ParseBool(text);
    } else if (key == "repeater") {
      settings.repeater = *ParseBool(text);
    } else if (key == "filter") {
      settings.filter = text;
    } else if (key == "interface") {
      settings.listenInterface = text;
    } else if (key == "headingCorrection") {
      settings.headingCorrection = *ParseReal(text);
    } else if (key == "baud") {
      settings.serial.autoBaud = EqualsIgnoreCase(text, "auto");
      if (!settings.serial.autoBaud) settings.serial.baud = *ParseInt(text);
    } else if (key == "data") {
      settings.serial.dataBits = *ParseInt(text);
    } else if (key == "parity") {
      const char c = static_cast<char>(text[0] | 0x20);
      settings.serial.parity = c == 'o'   ? Parity::Odd
                               : c == 'e' ? Parity::Even
                               : c == 'm' ? Parity::Mark
                               : c == 's' ? Parity::Space
                                          : Parity::None;
    } else if (key == "stop") {
      settings.serial.stopBits = text == "2"     ? StopBits::Two
                                 : text == "1.5" ? StopBits::OneAndHalf
                                                 : StopBits::One;
    }
  }
  // The network server exists to pass data on: it repeats and talks unless told otherwise.
  if (driverGiven && EqualsIgnoreCase(settings.driver, "nmea-tcp-server")) {
    if (!root.contains("repeater")) settings.repeater = true;
    if (!root.contains("talker")) settings.talker = true;
  }
  result.settings = settings;
  return result;
}

}  // namespace tarnwick
