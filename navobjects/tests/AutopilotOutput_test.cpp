// The autopilot output: RMB, APB, XTE, BOD and BWC of a leg field by field,
// APB all true or all magnetic, the pacing, the stop forms, and the sentences
// arriving on a talker port through a real loopback socket.

#include "navobjects/navigation/AutopilotOutput.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include "core/Clock.h"
#include "core/SettingsRegistry.h"
#include "core/geo/Geodesy.h"
#include "core/geo/MagneticVariation.h"
#include "instruments/nmea/NmeaParse.h"
#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/PortFactory.h"
#include "instruments/ports/PortList.h"

namespace tarnwick {
namespace {

using Strings = std::vector<std::string>;

std::string F(const char* format, double value) {
  char text[32];
  snprintf(text, sizeof text, format, value);
  return text;
}

// The text between '$' and '*' of a sentence whose checksum and line end are right.
std::string Body(const std::string& sentence) {
  NmeaFields parsed;
  if (!ParseNMEA(sentence, parsed) || !parsed.hasChecksum || !sentence.ends_with("\r\n")) return {};
  return sentence.substr(1, sentence.find('*') - 1);
}

double Magnetic(double bearing, const LatLon& at) {
  return NormalizeBearing(bearing - MagneticVariationDegrees(at));
}

TEST(AutopilotSentences, FieldByField) {
  // From 001 at 50N 30W to 002 a degree east; own ship 0.3 NM north of the leg.
  ActiveLeg leg;
  leg.waypointName = "002";
  leg.originName = "001";
  leg.origin = {50, -30};
  leg.waypoint = {50, -29};
  leg.ownShip = {50.005, -29.5};
  leg.geometry = ComputeLegGeometry(leg.origin, leg.waypoint, leg.ownShip);
  leg.positionCurrent = true;
  leg.closingKnots = 6.25;
  const LegGeometry& g = leg.geometry;
  ASSERT_GT(std::fabs(MagneticVariationDegrees(leg.ownShip)), 5.0);  // magnetic differs
  const std::string btw = F("%.1f", g.bearingToWaypoint),
                    bod = F("%.1f", g.bearingOriginToWaypoint);
  const std::string btwM = F("%.1f", Magnetic(g.bearingToWaypoint, leg.ownShip));
  const std::string bodM = F("%.1f", Magnetic(g.bearingOriginToWaypoint, leg.origin));
  const double gc = GreatCircleBearing(leg.ownShip, leg.waypoint);
  const std::string rmb = "ECRMB,A,0.300,R,001,002,5000.000,N,02900.000,W," +
                          F("%.2f", g.distanceToWaypointNm) + "," + btw + ",6.2,V";
  const std::string bwc = "ECBWC,123456,5000.000,N,02900.000,W," + F("%.1f", gc) + ",T," +
                          F("%.1f", Magnetic(gc, leg.ownShip)) + ",M," +
                          F("%.2f", GreatCircleDistance(leg.ownShip, leg.waypoint)) + ",N,002";
  const int64_t utcMs = 1'767'225'600'000 + (12 * 3600 + 34 * 60 + 56) * 1000LL + 250;
  for (bool magnetic : {false, true}) {
    // APB: all true or all magnetic; RMB's bearing stays true.
    const std::string r = magnetic ? "M" : "T", b = magnetic ? btwM : btw;
    const std::string apb = "ECAPB,A,A,0.300,R,N,V,V," + (magnetic ? bodM : bod) + "," + r +
                            ",002," + b + "," + r + "," + b + "," + r;
    const Strings out = ComposeLegSentences(leg, magnetic, utcMs);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(Body(out[0]), rmb);
    EXPECT_EQ(Body(out[1]), apb);
    EXPECT_EQ(Body(out[2]), "ECXTE,A,A,0.300,R,N");
    EXPECT_EQ(Body(out[3]), "ECBOD," + bod + ",T," + bodM + ",M,002,001");
    EXPECT_EQ(Body(out[4]), bwc);
  }
  const Strings stop = ComposeStopSentences();
  EXPECT_EQ(stop, (Strings{"$ECAPB,A,A,,,,V,V,,,,,,,,*79\r\n", "$ECXTE,V,A,0.000,L,N*58\r\n"}));
}

class Silent final : public INavAnnouncer {
 public:
  void Speak(const std::string&) override {}
  void ShowMessageBar(const std::string&) override {}
  void Sound(NavSound) override {}
};

class AutopilotOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { CSettingsRegistry::Instance().ResetState(); }
  void TearDown() override { CSettingsRegistry::Instance().ResetState(); }
  void ShipAt(double lat, double lon) {
    OwnShipInput in;
    in.position = LatLon{lat, lon};
    in.fixValid = true;
    nav_.Update(in);
  }

  CSimulatedClock clock_;
  CScopedClock scoped_{clock_};
  CNavController nav_{std::make_shared<Silent>()};
};

TEST_F(AutopilotOutputTest, OnceASecondAtOnceOnAChangeAndTheStopFormsOnce) {
  Strings written;  // formatters only
  CAutopilotOutput output(nav_, [&](std::string_view s) { written.emplace_back(s.substr(3, 3)); });
  const Strings leg = {"RMB", "APB", "XTE", "BOD", "BWC"}, stop = {"APB", "XTE"};
  auto route = std::make_shared<CRoute>();
  for (double lon : {0.5, 1.0, 1.5}) {
    route->InsertMarkAt(route->Marks().size(), std::make_shared<CMark>());
    route->Marks().back()->position = {0, lon};
  }
  output.Update();  // idle: nothing, not even the stop forms
  ShipAt(0, 0);
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  const struct {
    uint64_t advanceMs;
    void (CNavController::*command)();
    Strings expected;
  } steps[] = {
      {0, nullptr, leg},
      {999, nullptr, {}},
      {1, nullptr, leg},
      {100, &CNavController::NextWaypoint, leg},  // the waypoint changed: at once
      {100, &CNavController::Stop, stop},
      {2000, nullptr, {}},
  };
  for (const auto& s : steps) {
    clock_.Advance(s.advanceMs);
    if (s.command) (nav_.*s.command)();
    output.Update();
    EXPECT_EQ(std::exchange(written, {}), s.expected) << s.advanceMs;
  }
}

// A waypoint reached is told once with its arrival flags (RMB's single flag,
// APB's circle and perpendicular flags), then the next leg or the stop forms.
TEST_F(AutopilotOutputTest, ArrivalFlagsOfAWaypointReached) {
  Strings written;  // RMB and APB without talker and checksum
  CAutopilotOutput output(nav_, [&](std::string_view s) {
    if (s.substr(3, 3) == "RMB" || s.substr(3, 3) == "APB")
      written.emplace_back(s.substr(3, s.find('*') - 3));
  });
  auto route = std::make_shared<CRoute>();
  for (double lon : {0.5, 1.0}) {
    route->InsertMarkAt(route->Marks().size(), std::make_shared<CMark>());
    route->Marks().back()->position = {0, lon};
  }
  ShipAt(0, 0);
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  output.Update();
  ASSERT_EQ(written.size(), 2u);
  EXPECT_TRUE(written[0].ends_with(",V")) << written[0];
  EXPECT_NE(written[1].find(",V,V,"), std::string::npos) << written[1];

  clock_.Advance(100);
  ShipAt(0, 0.499);  // inside the circle of 001
  written.clear();
  output.Update();
  ASSERT_EQ(written.size(), 4u);
  EXPECT_TRUE(written[0].starts_with("RMB,A,") && written[0].find(",001,") != std::string::npos &&
              written[0].ends_with(",A"))
      << written[0];
  EXPECT_NE(written[1].find(",A,V,"), std::string::npos) << written[1];
  EXPECT_TRUE(written[2].find(",002,") != std::string::npos && written[2].ends_with(",V"))
      << written[2];

  clock_.Advance(100);
  ShipAt(0.003, 0.9999);
  ShipAt(0.003, 1.0001);  // passes 002 abeam: the end of the route
  written.clear();
  output.Update();
  ASSERT_EQ(written.size(), 3u);  // RMB and APB of 002, then the empty APB
  EXPECT_TRUE(written[0].find(",002,") != std::string::npos && written[0].ends_with(",A"))
      << written[0];
  EXPECT_NE(written[1].find(",V,A,"), std::string::npos) << written[1];
  EXPECT_EQ(written[2], "APB,A,A,,,,V,V,,,,,,,,");
}

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A UDP socket on 127.0.0.1 playing the autopilot (or another device).
struct UdpPeer {
  CFileDescriptor fd{::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
  UdpPeer() {
    const sockaddr_in address = Loopback(0);
    ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }
  uint16_t Port() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
  }
  // What arrives until lines line ends came or timeoutMs passed without data.
  std::string Receive(size_t lines, int timeoutMs) const {
    std::string text;
    pollfd p{fd.Get(), POLLIN, 0};
    while (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) < lines &&
           ::poll(&p, 1, timeoutMs) > 0) {
      char buffer[8192];
      const ssize_t n = ::recv(fd.Get(), buffer, sizeof buffer, 0);
      if (n > 0) text.append(buffer, static_cast<size_t>(n));
    }
    return text;
  }
};

TEST_F(AutopilotOutputTest, SentencesReachTalkerPortsOnly) {
  UdpPeer autopilot, gps;
  std::vector<std::unique_ptr<CNmeaPort>> ports;
  for (auto [peer, talker] : {std::pair{&autopilot, true}, std::pair{&gps, false}}) {
    const uint16_t local = UdpPeer().Port();  // a free port for the program's socket
    PortSettings settings;
    settings.talker = talker;
    ports.push_back(BuildPort("udp://127.0.0.1:" + std::to_string(peer->Port()) +
                                  "/?local=" + std::to_string(local),
                              settings)
                        .port);
    ASSERT_TRUE(ports.back());
    ports.back()->Open();
    ASSERT_TRUE(ports.back()->WaitForStatus(
        [](const PortStatus& s) { return s.state == PortState::Open; }, 5000));
  }
  CAutopilotOutput output(nav_, [](std::string_view s) { PortList().WriteToTalkers(s); });
  auto mark = std::make_shared<CMark>();
  mark->position = {0, 1};
  mark->name = "Fairway";
  ShipAt(0, 0);
  ASSERT_EQ(nav_.Activate(mark), ActivateResult::Activated);
  output.Update();
  const std::string received = autopilot.Receive(5, 5000);
  EXPECT_EQ(std::count(received.begin(), received.end(), '\n'), 5) << received;
  EXPECT_TRUE(
      received.starts_with("$ECRMB,A,0.000,R,,Fairway,0000.000,N,00100.000,E,60.00,90.0,0.0,V*"))
      << received;
  EXPECT_EQ(gps.Receive(1, 200), "");  // no talker: nothing
}

}  // namespace
}  // namespace tarnwick
