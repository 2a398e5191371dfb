#include "instruments/ports/TcpClientTransport.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include "core/Clock.h"
#include "instruments/ports/PortErrors.h"
#include "instruments/ports/PortFactory.h"
#include "instruments/ports/PortList.h"
#include "instruments/ports/TcpServerTransport.h"
#include "instruments/tests/PortTestSupport.h"

namespace tarnwick {
namespace {

using testing::CLoopbackServer;
using testing::kWaitMs;
using testing::ReadAtLeast;
using testing::WriteAll;

std::unique_ptr<CNmeaPort> MakePort(const std::string& address, PortSettings settings = {}) {
  if (settings.label.empty()) settings.label = address;
  PortCreation built = BuildPort(address, settings);
  EXPECT_TRUE(built.port) << built.error;
  return std::move(built.port);
}

bool WaitState(CPortMonitor& port, PortState state, uint64_t opens = 0) {
  return port.WaitForStatus(
      [&](const PortStatus& s) { return s.state == state && s.opens >= opens; }, kWaitMs);
}

std::string Telnet(uint16_t port) {
  return "telnet://127.0.0.1:" + std::to_string(port);
}

TEST(TcpPort, ReceivesSentencesFromTheServer) {
  testing::CDeliveryCollector collector;
  CLoopbackServer server;
  server.Listen();
  auto port = MakePort(Telnet(server.Port()));
  port->Open();
  CFileDescriptor client = server.Accept();
  ASSERT_TRUE(client.IsValid());
  ASSERT_TRUE(WaitState(*port, PortState::Open));
  // More than one 256-byte block, split across writes.
  std::string feed;
  for (int i = 0; i < 20; ++i)
    feed += "$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E*68\r\n";
  ASSERT_TRUE(WriteAll(client.Get(), feed.substr(0, 300)));
  ASSERT_TRUE(WriteAll(client.Get(), feed.substr(300)));
  const auto decoded = collector.WaitDecoded(20);
  ASSERT_EQ(decoded.size(), 20u);
  EXPECT_EQ(decoded[19].port, Telnet(server.Port()));
  const auto monitor = collector.WaitMonitor(1);
  EXPECT_EQ(monitor[0], "(" + Telnet(server.Port()) + ") " + feed.substr(0, feed.find('\r')));
  // And writes reach the server.
  EXPECT_TRUE(port->Write("$ECAPB,A*00\r\n"));
  EXPECT_EQ(ReadAtLeast(client.Get(), 13), "$ECAPB,A*00\r\n");
}

TEST(TcpPort, RefusedServerIsRetriedAfterTheInterval) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  CLoopbackServer server;  // bound, not listening: connections are refused
  auto port = MakePort(Telnet(server.Port()));
  const uint64_t start = clock.TickMs();
  port->Open();
  ASSERT_TRUE(port->WaitForStatus([](const PortStatus& s) { return s.failedOpens == 1; }, kWaitMs));
  PortStatus status = port->Status();
  EXPECT_EQ(status.text, "The server refused to connect.");
  EXPECT_EQ(status.state, PortState::Closed);
  EXPECT_EQ(status.nextAttemptTick, start + 10000);

  server.Listen();
  clock.Advance(10000);
  port->Wake();
  ASSERT_TRUE(WaitState(*port, PortState::Open, 1));
  const CFileDescriptor accepted = server.Accept();
  EXPECT_TRUE(accepted.IsValid());
  EXPECT_EQ(port->Status().text, "");
}

TEST(TcpPort, PeerThatClosesIsReconnectedAfterTheInterval) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  CLoopbackServer server;
  server.Listen();
  auto port = MakePort(Telnet(server.Port()));
  port->Open();
  CFileDescriptor first = server.Accept();
  ASSERT_TRUE(WaitState(*port, PortState::Open, 1));
  first.Reset();
  ASSERT_TRUE(port->WaitForStatus([](const PortStatus& s) { return s.state == PortState::Closed; },
                                  kWaitMs));
  const PortStatus status = port->Status();
  EXPECT_EQ(status.text, "Connection closed by remote system");
  EXPECT_EQ(status.nextAttemptTick, clock.TickMs() + 10000);
  clock.Advance(10000);
  port->Wake();
  CFileDescriptor second = server.Accept();
  EXPECT_TRUE(second.IsValid());
  EXPECT_TRUE(WaitState(*port, PortState::Open, 2));
}

TEST(TcpPort, StalledPeerLeavesTheNewestBytesInTheSendBuffer) {
  CLoopbackServer server;
  const int small = 4096;
  ::setsockopt(server.Fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  server.Listen();
  auto port = MakePort(Telnet(server.Port()));
  EXPECT_FALSE(port->Write(std::string(5000, 'x')));  // closed: nothing happens
  EXPECT_EQ(port->Status().sendBuffered, 0u);
  port->Open();
  CFileDescriptor client = server.Accept();
  ASSERT_TRUE(WaitState(*port, PortState::Open));

  // Write numbered lines until the socket and then the send buffer are full.
  std::string written;
  for (int line = 0; line < 200000 && port->Status().text != kSendBufferOverflowText; ++line) {
    char text[32];
    snprintf(text, sizeof text, "$LINE,%08d\r\n", line);
    written += text;
    ASSERT_TRUE(port->Write(text));
  }
  ASSERT_EQ(port->Status().text, kSendBufferOverflowText);
  EXPECT_EQ(port->Status().sendBuffered, 4096u);
  // The peer now reads everything: the stream ends with the newest bytes written.
  std::string received;
  for (;;) {
    std::string more = ReadAtLeast(client.Get(), 1);
    if (more.empty()) break;
    received += more;
    if (received.size() >= 4096 &&
        received.substr(received.size() - 4096) == written.substr(written.size() - 4096))
      break;
  }
  ASSERT_GE(received.size(), 4096u);
  EXPECT_EQ(received.substr(received.size() - 4096), written.substr(written.size() - 4096));
  EXPECT_LT(received.size(), written.size());
}

TEST(TcpPort, GpsGateSubscribesToItsFeed) {
  CLoopbackServer server;
  server.Listen();
  auto port = MakePort("gpsgate://127.0.0.1:" + std::to_string(server.Port()) + "/Boat1");
  port->Open();
  CFileDescriptor client = server.Accept();
  EXPECT_EQ(ReadAtLeast(client.Get(), 18), "$PRPN,FEED,Boat1\r\n");
}

TEST(TcpPort, HttpFeedSkipsTheResponseHeaders) {
  testing::CDeliveryCollector collector;
  CLoopbackServer server;
  server.Listen();
  const std::string address = "http://127.0.0.1:" + std::to_string(server.Port()) + "/nmea?boat=1";
  auto port = MakePort(address);
  port->Open();
  CFileDescriptor client = server.Accept();
  const std::string request = ReadAtLeast(client.Get(), 30);
  EXPECT_EQ(request.substr(0, request.find('\r')), "GET /nmea?boat=1 HTTP/1.0");
  ASSERT_TRUE(
      WriteAll(client.Get(), "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n$GPGGA,1\r\n"));
  const auto decoded = collector.WaitDecoded(1);
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0].sentence, "$GPGGA,1\r\n");
  EXPECT_EQ(collector.WaitMonitor(1).size(), 1u);  // no UNKNOWN lines for the headers
}

TEST(TcpPort, WebFeedWithStaleDataIsDroppedAndRemade) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  testing::CDeliveryCollector collector;
  CLoopbackServer server;
  server.Listen();
  auto port = MakePort("http://127.0.0.1:" + std::to_string(server.Port()) + "/ais");
  port->Open();
  CFileDescriptor first = server.Accept();
  ASSERT_TRUE(first.IsValid());
  ReadAtLeast(first.Get(), 20);
  // Silence right after connecting counts from the connection.
  clock.Advance(10000);
  ASSERT_TRUE(WriteAll(first.Get(), "HTTP/1.0 200 OK\r\n\r\n!AIVDM,1,1,,A,1,0*00\r\n"));
  ASSERT_EQ(collector.WaitDecoded(1).size(), 1u);
  const uint64_t sentenceTick = clock.TickMs();

  clock.Advance(CNmeaPort::kWebFeedMaxAgeMs - 1);
  port->Wake();
  EXPECT_FALSE(
      port->WaitForStatus([](const PortStatus& s) { return s.state != PortState::Open; }, 300));
  clock.Advance(1);
  port->Wake();
  ASSERT_TRUE(port->WaitForStatus([](const PortStatus& s) { return s.state == PortState::Closed; },
                                  kWaitMs));
  EXPECT_EQ(port->Status().nextAttemptTick,
            sentenceTick + CNmeaPort::kWebFeedMaxAgeMs + CNmeaPort::kWebFeedReconnectMs);
  EXPECT_EQ(ReadAtLeast(first.Get(), 1), "");  // the old connection was closed

  clock.Advance(CNmeaPort::kWebFeedReconnectMs);
  port->Wake();
  CFileDescriptor second = server.Accept();
  EXPECT_TRUE(second.IsValid());
  EXPECT_TRUE(WaitState(*port, PortState::Open, 2));
}

TEST(TcpPort, SilentTelnetFeedStaysConnected) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  CLoopbackServer server;
  server.Listen();
  auto port = MakePort(Telnet(server.Port()));
  port->Open();
  CFileDescriptor client = server.Accept();
  ASSERT_TRUE(WaitState(*port, PortState::Open, 1));
  clock.Advance(10 * CNmeaPort::kWebFeedMaxAgeMs);
  port->Wake();
  EXPECT_FALSE(
      port->WaitForStatus([](const PortStatus& s) { return s.state != PortState::Open; }, 300));
}

TEST(TcpPort, ReconnectionIntervals) {
  const struct {
    const char* address;
    uint64_t interval;
  } cases[] = {
      {"telnet://host:2000", 10000},
      {"gpsgate://host", 10000},
      {"http://host/feed", 60000},
      {"http://host/feed?frequency=30000", 30000},
      {"http://host/feed?frequency=soon", 60000},
  };
  for (const auto& c : cases) {
    auto address = ParsePortAddress(c.address);
    ASSERT_TRUE(address) << c.address;
    EXPECT_EQ(TcpReconnectIntervalMs(*address), c.interval) << c.address;
  }
}

TEST(TcpPort, OpenErrorTexts) {
  EXPECT_EQ(TcpOpenErrorText(ECONNREFUSED), "The server refused to connect.");
  EXPECT_EQ(TcpOpenErrorText(EADDRINUSE), "This port is in use by another program.");
  EXPECT_EQ(TcpOpenErrorText(ENOENT), "");
  EXPECT_EQ(ResolveErrorText(EAI_NONAME), "The server was not found on the network.");
  EXPECT_EQ(SystemErrorText(99999), "error code 99999");
}

TEST(TcpPort, StopWhileConnecting) {
  // A listener with a full queue leaves further connections pending.
  CLoopbackServer server;
  server.Listen(0);
  CFileDescriptor filler(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = testing::Loopback(server.Port());
  ::connect(filler.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  CFileDescriptor filler2(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  ::connect(filler2.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  auto port = MakePort(Telnet(server.Port()));
  port->Open();
  port->WaitForStatus([](const PortStatus& s) { return s.state != PortState::Closed; }, kWaitMs);
  port->Stop();
  EXPECT_EQ(port->Status().state, PortState::Closed);
  EXPECT_FALSE(port->IsRunning());
}

TEST(NmeaTcpServer, SendsEverySentenceToEveryClient) {
  testing::CDeliveryCollector collector;
  // A free port for the server, found by binding to port 0 first.
  uint16_t serverPort;
  {
    CLoopbackServer probe;
    serverPort = probe.Port();
  }
  PortSettings serverSettings;
  serverSettings.driver = "nmea-tcp-server";
  serverSettings.repeater = true;
  serverSettings.talker = true;
  auto server = MakePort("telnet://127.0.0.1:" + std::to_string(serverPort), serverSettings);
  server->Open();
  ASSERT_TRUE(WaitState(*server, PortState::Open));
  EXPECT_TRUE(server->AcceptsEncapsulated());

  std::vector<CFileDescriptor> clients;
  for (int i = 0; i < 2; ++i) {
    CFileDescriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in address = testing::Loopback(serverPort);
    ASSERT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    clients.push_back(std::move(fd));
  }
  // Clients are accepted asynchronously; a talker sentence written before that is lost,
  // so keep writing a marker until both clients have seen one.
  for (auto& client : clients) {
    std::string seen;
    for (int tries = 0; tries < 100 && seen.find("$ECMRK") == std::string::npos; ++tries) {
      PortList().WriteToTalkers("$ECMRK\r\n");
      pollfd p{client.Get(), POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) seen += ReadAtLeast(client.Get(), 1);
    }
    ASSERT_NE(seen.find("$ECMRK"), std::string::npos);
  }

  // A sentence received on an instrument port is repeated to both clients.
  CLoopbackServer instrument;
  instrument.Listen();
  auto input = MakePort(Telnet(instrument.Port()));
  input->Open();
  CFileDescriptor gps = instrument.Accept();
  ASSERT_TRUE(WriteAll(gps.Get(), "!AIVDM,1,1,,A,1*00\r\n$GPGGA,1*00\r\n"));
  ASSERT_EQ(collector.WaitDecoded(2).size(), 2u);
  for (auto& client : clients) {
    std::string data;
    while (data.find("$GPGGA,1*00\r\n") == std::string::npos) {
      std::string more = ReadAtLeast(client.Get(), 1);
      if (more.empty()) break;
      data += more;
    }
    EXPECT_NE(data.find("!AIVDM,1,1,,A,1*00\r\n$GPGGA,1*00\r\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace tarnwick
