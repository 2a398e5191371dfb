#include "instruments/ports/PortAddress.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/tests/support/TestSupport.h"
#include "instruments/ports/PortSettings.h"
#include "instruments/ports/SentenceFilter.h"

namespace tarnwick {
namespace {

TEST(PortAddress, KindsHostsAndPorts) {
  struct Case {
    const char* text;
    PortKind kind;
    const char* host;
    uint16_t port;
    const char* device;
    const char* path;
  };
  const Case cases[] = {
      {"ttyUSB0", PortKind::Serial, "", 0, "/dev/ttyUSB0", ""},
      {"COM3", PortKind::Serial, "", 0, "/dev/COM3", ""},
      {"/dev/serial/by-id/usb-GPS", PortKind::Serial, "", 0, "/dev/serial/by-id/usb-GPS", ""},
      {"pipe/AIS", PortKind::Pipe, "", 0, "AIS", ""},
      {"PIPE/gps", PortKind::Pipe, "", 0, "gps", ""},
      {"x-nmea0183-udp://*:17608/", PortKind::Udp, "*", 17608, "", ""},
      {"udp://192.168.1.5:10110", PortKind::Udp, "192.168.1.5", 10110, "", ""},
      {"corvel-udp://*:5000", PortKind::Udp, "*", 5000, "", ""},
      {"telnet://gps.local:2000", PortKind::Tcp, "gps.local", 2000, "", ""},
      {"telnet://gps.local", PortKind::Tcp, "gps.local", 23, "", ""},
      {"gpsgate://10.0.0.2/Boat", PortKind::Tcp, "10.0.0.2", 20175, "", "Boat"},
      {"HTTP://feed.example/ais?frequency=5000", PortKind::Tcp, "feed.example", 80, "", "ais"},
      {"telnet://[::1]:2000", PortKind::Tcp, "::1", 2000, "", ""},
  };
  for (const auto& c : cases) {
    const auto address = ParsePortAddress(c.text);
    ASSERT_TRUE(address) << c.text;
    EXPECT_EQ(address->kind, c.kind) << c.text;
    EXPECT_EQ(address->name, c.text);
    EXPECT_EQ(address->host, c.host) << c.text;
    EXPECT_EQ(address->port, c.port) << c.text;
    EXPECT_EQ(address->device, c.device) << c.text;
    EXPECT_EQ(address->path, c.path) << c.text;
  }
  EXPECT_EQ(ParsePortAddress("http://h/x?frequency=5000&a")->params.at("frequency"), "5000");
}

TEST(PortAddress, RefusedAddresses) {
  for (const char* text : {"", "pipe/", "pipe/a/b", "pipe/..", "pipe/.hidden", "ftp://host:21",
                           "udp://*", "udp://*:0", "udp://*:70000", "telnet://:2000",
                           "telnet://host:12x", "telnet://[::1", "../home/navigator/.bashrc",
                           "/dev/../home/navigator/.profile", "serial/by-id/../../../etc/x"})
    EXPECT_FALSE(ParsePortAddress(text)) << text;
}

// What the ports page and the command line may configure as a port.
TEST(PortAddress, ConfiguredAddressesAreChecked) {
  testing::CTempFolder folder;
  const std::string file = (folder.Path() / ".bashrc").string();
  std::ofstream(file) << "x";
  const struct {
    std::string text;
    AddressSource source;
    bool accepted;
  } cases[] = {
      {"ttyUSB0", AddressSource::Page, true},  // not plugged in yet
      {"/dev/ttyUSB7", AddressSource::Page, true},
      {"serial/by-id/usb-FTDI_0001-if00-port0", AddressSource::Page, true},
      {"/dev/null", AddressSource::CommandLine, true},
      {file, AddressSource::Page, false},
      {file, AddressSource::CommandLine, false},  // a file, not a device
      {folder.Path().string(), AddressSource::CommandLine, false},
      {"/opt/gps0", AddressSource::Page, false},
      {"/opt/gps0", AddressSource::CommandLine, true},
      {"udp://*:10110", AddressSource::Page, true},
      {"udp://*:10110\n", AddressSource::Page, false},
      {"telnet://" + std::string(300, 'h') + ":23", AddressSource::Page, false},
      {"ftp://host:21", AddressSource::CommandLine, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckPortAddress(c.text, c.source).empty(), c.accepted)
        << c.text.substr(0, 40) << ": " << CheckPortAddress(c.text, c.source);
}

TEST(PortSettings, ReadsTextsBooleansAndNumbers) {
  const auto defaults = ParsePortSettings("", "ttyS0").settings;
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->label, "ttyS0");
  EXPECT_TRUE(defaults->openAtStartup);
  EXPECT_TRUE(defaults->listener);
  EXPECT_FALSE(defaults->talker);
  EXPECT_FALSE(defaults->repeater);
  EXPECT_EQ(defaults->driver, "nmea");
  EXPECT_EQ(defaults->serial.baud, 4800);

  const auto s =
      ParsePortSettings(
          R"({"label":"AIS","openAtStartup":false,"talker":"yes","repeater":"true","listener":"0",)"
          R"("baud":38400,"filter":"GSV","vendorKey":"kept"})",
          "ttyS0")
          .settings;
  ASSERT_TRUE(s);
  EXPECT_EQ(s->label, "AIS");
  EXPECT_FALSE(s->openAtStartup);
  EXPECT_TRUE(s->talker);
  EXPECT_TRUE(s->repeater);
  EXPECT_FALSE(s->listener);
  EXPECT_EQ(s->serial.baud, 38400);
  EXPECT_EQ(s->filter, "GSV");
  EXPECT_EQ(ParsePortSettings(R"({"headingCorrection":-2.5})", "x").settings->headingCorrection,
            -2.5);

  const auto server = ParsePortSettings(R"({"driver":"nmea-tcp-server"})", "x").settings;
  ASSERT_TRUE(server);
  EXPECT_TRUE(server->repeater);
  EXPECT_TRUE(server->talker);

  for (const char* bad :
       {"[1]", "{", R"({"baud":"12345"})", R"({"talker":"maybe"})", R"({"driver":"teletype"})"})
    EXPECT_FALSE(ParsePortSettings(bad, "x").settings) << bad;
}

TEST(PortSettings, ValidatesEachKey) {
  const struct {
    const char* key;
    const char* value;
    bool valid;
  } cases[] = {
      {"baud", "4800", true},       {"baud", "auto", true},         {"baud", "4801", false},
      {"data", "7", true},          {"data", "9", false},           {"parity", "even", true},
      {"parity", "Strange", false}, {"stop", "1.5", true},          {"stop", "3", false},
      {"listener", "no", true},     {"talker", "sometimes", false}, {"driver", "n183-41", true},
      {"driver", "modem", false},   {"label", "anything", true},    {"colour", "red", false},
      {"interface", "loopback", true}, {"interface", "any", true},  {"interface", "10.0.0.2", true},
      {"interface", "wlan0", false},
      {"driver", "actisense", false}, {"driver", "Maretron", false}, {"driver", "navtex", true},
      {"headingCorrection", "-2.5", true}, {"headingCorrection", "181", false},
      {"headingCorrection", "east", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ValidatePortSetting(c.key, c.value).empty(), c.valid) << c.key << "=" << c.value;
  EXPECT_FALSE(ValidatePortSetting("label", std::string(101, 'x')).empty());
}

TEST(SentenceFilter, AddressesAndFormatters) {
  const CSentenceFilter filter("GSV, PGRME GPZDA");
  const struct {
    const char* sentence;
    bool blocked;
  } cases[] = {
      {"$GPGSV,1,1", true},    {"$GLGSV,1", true},  {"$PGRME,1", true},  {"$GPZDA,1", true},
      {"$IIZDA,1", false},     {"$GPGGA,1", false}, {"!AIVDM,1", false}, {"$PGRMZ,1", false},
      {"$GPGSV*00\r\n", true}, {"$", false},
  };
  for (const auto& c : cases) EXPECT_EQ(filter.Blocks(c.sentence), c.blocked) << c.sentence;
  EXPECT_FALSE(CSentenceFilter("").Blocks("$GPGSV,1"));
  EXPECT_TRUE(CSentenceFilter("").Empty());
}

}  // namespace
}  // namespace tarnwick
