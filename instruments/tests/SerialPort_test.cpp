#include "instruments/ports/SerialTransport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>

#include <fstream>
#include <iterator>

#include "core/Clock.h"
#include "instruments/ports/PortErrors.h"
#include "instruments/ports/PortFactory.h"
#include "core/tests/support/TestSupport.h"
#include "instruments/tests/PortTestSupport.h"

namespace tarnwick {
namespace {

using testing::kWaitMs;
using testing::ReadAtLeast;
using testing::WriteAll;

// A pseudo-terminal pair: the port opens the terminal side, the test plays the
// instrument on the controlling side.
struct Pty {
  CFileDescriptor master;
  std::string path;
  Pty() {
    int m = -1, s = -1;
    char name[128] = {};
    EXPECT_EQ(::openpty(&m, &s, name, nullptr, nullptr), 0);
    master.Reset(m);
    // Keep the terminal side open only while the port is being set up; the
    // port holds its own descriptor.
    ::close(s);
    path = name;
  }
};

std::unique_ptr<CNmeaPort> MakeSerial(const std::string& device, PortSettings settings = {}) {
  if (settings.label.empty()) settings.label = device;
  PortCreation built = BuildPort(device, settings);
  EXPECT_TRUE(built.port) << built.error;
  return std::move(built.port);
}

bool WaitOpen(CPortMonitor& port, uint64_t opens = 1) {
  return port.WaitForStatus(
      [&](const PortStatus& s) { return s.state == PortState::Open && s.opens >= opens; }, kWaitMs);
}

termios Settings(const std::string& path) {
  termios tio{};
  CFileDescriptor fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  EXPECT_TRUE(fd.IsValid());
  ::tcgetattr(fd.Get(), &tio);
  return tio;
}

TEST(SerialPort, ReadsAndWritesThroughTheTerminal) {
  testing::CDeliveryCollector collector;
  Pty pty;
  auto port = MakeSerial(pty.path);
  port->Open();
  ASSERT_TRUE(WaitOpen(*port));
  ASSERT_TRUE(WriteAll(pty.master.Get(), "$GPGLL,4916.45,N,12311.12,W,225444,A*31\r\n$GPG"));
  ASSERT_TRUE(WriteAll(pty.master.Get(), "GA,1\r\n"));
  const auto decoded = collector.WaitDecoded(2);
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_EQ(decoded[0].sentence, "$GPGLL,4916.45,N,12311.12,W,225444,A*31\r\n");
  EXPECT_EQ(decoded[1].sentence, "$GPGGA,1\r\n");
  EXPECT_TRUE(port->Write("$ECRMB,A*00\r\n"));
  EXPECT_EQ(ReadAtLeast(pty.master.Get(), 13), "$ECRMB,A*00\r\n");
}

TEST(SerialPort, LineSettingsOverTheDefaults) {
  struct Case {
    const char* json;
    speed_t speed;
    tcflag_t size;
    tcflag_t parity;  // PARENB | PARODD | CMSPAR bits expected
    bool twoStops;
  };
  const Case cases[] = {
      {"{}", B4800, CS8, 0, false},
      {R"({"baud":"38400"})", B38400, CS8, 0, false},
      {R"({"baud":"9600","data":"7","parity":"Even","stop":"2"})", B9600, CS7, PARENB, true},
      {R"({"data":7,"parity":"odd"})", B4800, CS7, PARENB | PARODD, false},
      {R"({"parity":"Mark","stop":"1.5","data":"5"})", B4800, CS5, PARENB | PARODD | CMSPAR, true},
      {R"({"parity":"Space"})", B4800, CS8, PARENB | CMSPAR, false},
  };
  for (const auto& c : cases) {
    const PortSettingsResult parsed = ParsePortSettings(c.json, "ttyS0");
    ASSERT_TRUE(parsed.settings) << c.json << ": " << parsed.error;
    termios tio{};
    tio.c_cflag = CRTSCTS | CS6;
    tio.c_lflag = ICANON | ECHO;
    ASSERT_TRUE(ComposeLineSettings(tio, parsed.settings->serial, parsed.settings->serial.baud));
    EXPECT_EQ(cfgetospeed(&tio), c.speed) << c.json;
    EXPECT_EQ(cfgetispeed(&tio), c.speed) << c.json;
    EXPECT_EQ(tio.c_cflag & CSIZE, c.size) << c.json;
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parity) << c.json;
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStops) << c.json;
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u) << c.json;
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u) << c.json;  // raw
  }
  termios tio{};
  EXPECT_FALSE(ComposeLineSettings(tio, SerialLineSettings{}, 14400));  // no termios speed

  // The rate reaches the device (a pseudo-terminal keeps speed and stop bits).
  Pty pty;
  auto settings = ParsePortSettings(R"({"baud":"57600","stop":"2"})", pty.path).settings;
  ASSERT_TRUE(settings);
  auto port = MakeSerial(pty.path, *settings);
  port->Open();
  ASSERT_TRUE(WaitOpen(*port));
  const termios applied = Settings(pty.path);
  EXPECT_EQ(cfgetospeed(&applied), B57600);
  EXPECT_NE(applied.c_cflag & CSTOPB, 0u);
}

TEST(SerialPort, OpenFailuresBecomeTheStatus) {
  testing::CTempFolder folder;
  const auto file = folder.Path() / ".profile";
  std::ofstream(file) << "# a shell start-up file\n";
  const auto fifo = folder.Path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Pty pty;
  auto first = MakeSerial(pty.path);
  first->Open();
  ASSERT_TRUE(WaitOpen(*first));
  const struct {
    std::string device;
    const char* text;
  } cases[] = {
      {"/dev/tarnwick-no-such-port", "This port cannot be found on this computer."},
      {pty.path, "Access to this port was denied. Perhaps this port is in use by another program."},
      {file.string(), "This is no serial port: a file or folder, not a device."},
      {folder.Path().string(), "This is no serial port: a file or folder, not a device."},
      {fifo.string(), "This is no serial port: a file or folder, not a device."},
  };
  for (const auto& c : cases) {
    auto port = MakeSerial(c.device);
    port->Open();
    ASSERT_TRUE(
        port->WaitForStatus([](const PortStatus& s) { return s.failedOpens == 1; }, kWaitMs));
    const PortStatus status = port->Status();
    EXPECT_EQ(status.text, c.text) << c.device;
    EXPECT_EQ(status.state, PortState::Closed) << c.device;
  }
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "# a shell start-up file\n");
}

TEST(SerialPort, ErrnoTexts) {
  const struct {
    int err;
    const char* text;
  } cases[] = {
      {ENOENT, "This port cannot be found on this computer."},
      {EBUSY, "Access to this port was denied. Perhaps this port is in use by another program."},
      {ETIMEDOUT, "This port is not responding to connection attempts."},
      {ENOMEM, "Cannot allocate memory"},
  };
  for (const auto& c : cases) EXPECT_EQ(SerialOpenErrorText(c.err), c.text) << c.err;
}

TEST(SerialPort, UnpluggedDeviceClosesThePort) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  Pty pty;
  auto port = MakeSerial(pty.path);
  port->Open();
  ASSERT_TRUE(WaitOpen(*port));
  pty.master.Reset();  // the terminal goes away like an unplugged adapter
  ASSERT_TRUE(port->WaitForStatus(
      [](const PortStatus& s) { return s.state == PortState::Closed && s.failedOpens >= 1; },
      kWaitMs));
  EXPECT_EQ(port->Status().text, "This port cannot be found on this computer.");
}

TEST(SerialPort, EncapsulatedSentencesAreRepeatedOnlyAtHighRates) {
  const struct {
    const char* json;
    bool accepts;
  } cases[] = {
      {R"({"baud":"4800"})", false},  {R"({"baud":"19200"})", false}, {R"({"baud":"38400"})", true},
      {R"({"baud":"115200"})", true}, {R"({"baud":"auto"})", false},
  };
  for (const auto& c : cases) {
    auto settings = ParsePortSettings(c.json, "ttyS9").settings;
    ASSERT_TRUE(settings);
    auto port = BuildPort("ttyS9", *settings).port;
    ASSERT_TRUE(port);
    EXPECT_EQ(port->AcceptsEncapsulated(), c.accepts) << c.json;
  }

  // End to end: a source repeats to a slow and a fast serial repeater.
  testing::CDeliveryCollector collector;
  Pty source, slow, fast;
  PortSettings repeater;
  repeater.listener = false;
  repeater.repeater = true;
  repeater.serial.baud = 4800;
  auto slowPort = MakeSerial(slow.path, repeater);
  repeater.serial.baud = 38400;
  auto fastPort = MakeSerial(fast.path, repeater);
  auto sourcePort = MakeSerial(source.path);
  for (auto* port : {slowPort.get(), fastPort.get(), sourcePort.get()}) {
    port->Open();
    ASSERT_TRUE(WaitOpen(*port));
  }
  ASSERT_TRUE(WriteAll(source.master.Get(), "!AIVDM,1,1,,A,1*00\r\n$GPGGA,1\r\n"));
  ASSERT_EQ(collector.WaitDecoded(2).size(), 2u);
  EXPECT_EQ(ReadAtLeast(fast.master.Get(), 30), "!AIVDM,1,1,,A,1*00\r\n$GPGGA,1\r\n");
  EXPECT_EQ(ReadAtLeast(slow.master.Get(), 10), "$GPGGA,1\r\n");
}

TEST(SerialPort, AutomaticBaudSearchMovesOnUntilDataIsRecognised) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  testing::CDeliveryCollector collector;
  Pty pty;
  auto settings = ParsePortSettings(R"({"baud":"auto"})", pty.path).settings;
  ASSERT_TRUE(settings);
  auto port = MakeSerial(pty.path, *settings);
  port->Open();
  ASSERT_TRUE(WaitOpen(*port, 1));
  EXPECT_EQ(cfgetospeed(&static_cast<const termios&>(Settings(pty.path))), B4800);

  clock.Advance(5000);
  port->Wake();
  ASSERT_TRUE(WaitOpen(*port, 2));
  EXPECT_EQ(cfgetospeed(&static_cast<const termios&>(Settings(pty.path))), B38400);

  // A sentence with a good checksum ends the search.
  ASSERT_TRUE(WriteAll(pty.master.Get(), "$GPGLL,4916.45,N,12311.12,W,225444,A*31\r\n"));
  ASSERT_EQ(collector.WaitDecoded(1).size(), 1u);
  clock.Advance(5000);
  port->Wake();
  ASSERT_TRUE(WriteAll(pty.master.Get(), "$GPGGA,2\r\n"));
  ASSERT_EQ(collector.WaitDecoded(2).size(), 2u);
  EXPECT_EQ(port->Status().opens, 2u);
}

}  // namespace
}  // namespace tarnwick
