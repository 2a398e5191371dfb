#include "instruments/ports/UdpTransport.h"

#include <gtest/gtest.h>

#include "instruments/ports/PortFactory.h"
#include "instruments/tests/PortTestSupport.h"

namespace tarnwick {
namespace {

using testing::kWaitMs;
using testing::Loopback;

// A UDP socket on 127.0.0.1 playing the other device.
struct Peer {
  CFileDescriptor fd{::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
  Peer() {
    const sockaddr_in address = Loopback(0);
    ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }
  uint16_t Port() const { return testing::LocalPort(fd.Get()); }
  void SendTo(uint16_t port, std::string_view datagram) const {
    const sockaddr_in address = Loopback(port);
    ::sendto(fd.Get(), datagram.data(), datagram.size(), 0,
             reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }
  std::string Receive() const {
    pollfd p{fd.Get(), POLLIN, 0};
    if (::poll(&p, 1, kWaitMs) <= 0) return "";
    char buffer[8192];
    const ssize_t n = ::recv(fd.Get(), buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "";
  }
};

uint16_t FreeUdpPort() {
  Peer probe;
  return probe.Port();
}

std::unique_ptr<CNmeaPort> OpenUdp(const std::string& address) {
  PortSettings settings;
  settings.label = address;
  auto port = BuildPort(address, settings).port;
  EXPECT_TRUE(port);
  port->Open();
  EXPECT_TRUE(
      port->WaitForStatus([](const PortStatus& s) { return s.state == PortState::Open; }, kWaitMs));
  return port;
}

TEST(UdpPort, EndpointsFromTheAddress) {
  const struct {
    const char* address;
    bool broadcast;
    uint16_t local;
    const char* destination;
  } cases[] = {
      {"x-nmea0183-udp://*:17608/", true, 17608, "255.255.255.255:17608"},
      {"udp://*:17610", true, 17610, "255.255.255.255:17610"},
      {"corvel-udp://127.0.0.1:2000", false, 2000, "127.0.0.1:2000"},
      {"udp://127.0.0.1:2000/?local=2001", false, 2001, "127.0.0.1:2000"},
      {"udp://127.0.0.1:2000/?local=zero", false, 2000, "127.0.0.1:2000"},
  };
  for (const auto& c : cases) {
    const auto address = ParsePortAddress(c.address);
    ASSERT_TRUE(address) << c.address;
    const UdpEndpoints endpoints = ResolveUdpEndpoints(*address);
    EXPECT_EQ(endpoints.broadcast, c.broadcast) << c.address;
    EXPECT_EQ(endpoints.localPort, c.local) << c.address;
    char text[INET_ADDRSTRLEN];
    ::inet_ntop(AF_INET, &endpoints.destination.sin_addr, text, sizeof text);
    EXPECT_EQ(std::string(text) + ":" + std::to_string(ntohs(endpoints.destination.sin_port)),
              c.destination)
        << c.address;
  }
}

TEST(UdpPort, DatagramsMayHoldSeveralSentences) {
  testing::CDeliveryCollector collector;
  const uint16_t port = FreeUdpPort();
  auto udp = OpenUdp("x-nmea0183-udp://*:" + std::to_string(port) + "/");
  EXPECT_TRUE(udp->AcceptsEncapsulated());
  Peer peer;
  peer.SendTo(port, "$GPGGA,1\r\n$GPRMC,2\r\n!AIVDM,3\r\n");
  peer.SendTo(port, "$GPVTG,4\r\n");
  const auto decoded = collector.WaitDecoded(4);
  ASSERT_EQ(decoded.size(), 4u);
  EXPECT_EQ(decoded[2].sentence, "!AIVDM,3\r\n");
  EXPECT_EQ(decoded[3].sentence, "$GPVTG,4\r\n");
}

TEST(UdpPort, NamedHostReceivesAndIsWrittenToDirectly) {
  testing::CDeliveryCollector collector;
  Peer peer;
  const uint16_t local = FreeUdpPort();
  auto udp = OpenUdp("udp://127.0.0.1:" + std::to_string(peer.Port()) +
                     "/?local=" + std::to_string(local));
  // Writes go out at once as one datagram each, without the send buffer.
  EXPECT_TRUE(udp->Write("$ECAPB,1\r\n"));
  EXPECT_TRUE(udp->Write(std::string(5000, 'x')));
  EXPECT_EQ(peer.Receive(), "$ECAPB,1\r\n");
  EXPECT_EQ(peer.Receive().size(), 5000u);
  EXPECT_EQ(udp->Status().sendBuffered, 0u);
  EXPECT_EQ(udp->Status().text, "");

  peer.SendTo(local, "$HEHDT,10.0,T\r\n");
  const auto decoded = collector.WaitDecoded(1);
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0].sentence, "$HEHDT,10.0,T\r\n");
}

TEST(UdpPort, WritingToAStoppedPortFails) {
  const uint16_t port = FreeUdpPort();
  auto udp = OpenUdp("udp://127.0.0.1:" + std::to_string(port));
  udp->Stop();
  EXPECT_FALSE(udp->Write("$ECAPB,1\r\n"));
  EXPECT_EQ(udp->Status().state, PortState::Closed);
}

}  // namespace
}  // namespace tarnwick
