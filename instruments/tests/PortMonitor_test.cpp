#include "instruments/ports/PortMonitor.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <memory>
#include <mutex>

#include "core/Clock.h"
#include "core/settings/VdrSettings.h"
#include "instruments/ports/NmeaPort.h"
#include "instruments/ports/PortHooks.h"
#include "instruments/ports/PortList.h"
#include "instruments/ports/SirfFrame.h"
#include "instruments/ports/StreamOutput.h"
#include "instruments/tests/PortTestSupport.h"

namespace tarnwick {
namespace {

using testing::kWaitMs;
using testing::ReadAtLeast;
using testing::WriteAll;

// What the test tells the fake device, and what the fake tells the test.
struct FakeControl {
  std::mutex mutex;
  bool failOpen = false;             // opens fail with ECONNREFUSED
  bool blockOpen = false;            // opens wait for the stop event
  std::atomic<bool> stalled{false};  // output is not accepted
  CFileDescriptor peer;              // the device's end of the newest connection
};

// A transport over one end of a socket pair; the test plays the device.
class CFakeTransport final : public CPortTransport {
 public:
  explicit CFakeTransport(std::shared_ptr<FakeControl> control) : control_(std::move(control)) {}
  int IdleTimeoutMs() const override { return -1; }
  bool Open(int wakeFd, PortError& error) override {
    std::unique_lock lock(control_->mutex);
    if (control_->blockOpen) {
      lock.unlock();
      pollfd wake{wakeFd, POLLIN, 0};
      ::poll(&wake, 1, -1);
      error = {};
      return false;
    }
    if (control_->failOpen) {
      error = {ECONNREFUSED, "refused", "fake open failed\n"};
      return false;
    }
    int pair[2];
    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair);
    fd_.Reset(pair[0]);
    control_->peer.Reset(pair[1]);
    return true;
  }
  void Close() override {
    fd_.Reset();
    output_.Clear();
  }
  bool IsOpen() const override { return fd_.IsValid(); }
  void CollectPollFds(std::vector<pollfd>& fds) override {
    const bool writing = !output_.Empty() && !control_->stalled.load();
    fds.push_back({fd_.Get(), static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0});
  }
  bool Service(std::span<const pollfd> fds, IPortReceiver& receiver, PortError& error) override {
    if (fds[0].revents & (POLLIN | POLLHUP)) {
      uint8_t buffer[512];
      const ssize_t n = ::read(fd_.Get(), buffer, sizeof buffer);
      if (n <= 0) {
        error = {0, "Connection closed by remote system", ""};
        return false;
      }
      receiver.Received({buffer, static_cast<size_t>(n)});
    }
    if ((fds[0].revents & POLLOUT) && !control_->stalled.load()) output_.Flush(fd_.Get(), true);
    return true;
  }
  bool ReadyForOutput() const override { return !control_->stalled.load() && output_.Empty(); }
  bool Send(std::string bytes, PortError&) override {
    output_.Append(bytes);
    output_.Flush(fd_.Get(), true);
    return true;
  }

 private:
  std::shared_ptr<FakeControl> control_;
  CFileDescriptor fd_;
  CStreamOutput output_;
};

PortAddress FakeAddress(const std::string& name) {
  PortAddress address;
  address.kind = PortKind::Tcp;
  address.name = name;
  return address;
}

struct FakePort {
  std::shared_ptr<FakeControl> control = std::make_shared<FakeControl>();
  std::unique_ptr<CNmeaPort> port;

  explicit FakePort(const std::string& name, PortSettings settings = {}, bool bang = true) {
    if (settings.label.empty()) settings.label = name;
    port = std::make_unique<CNmeaPort>(FakeAddress(name), settings,
                                       std::make_unique<CFakeTransport>(control), bang);
  }
  bool OpenAndWait() {
    port->Open();
    return port->WaitForStatus([](const PortStatus& s) { return s.state == PortState::Open; },
                               kWaitMs);
  }
  int Peer() {
    std::lock_guard lock(control->mutex);
    return control->peer.Get();
  }
};

bool WaitOpens(CPortMonitor& port, uint64_t opens) {
  return port.WaitForStatus(
      [&](const PortStatus& s) { return s.state == PortState::Open && s.opens >= opens; }, kWaitMs);
}

TEST(PortMonitor, WriteToAClosedPortQueuesNothing) {
  FakePort fake("closed");
  EXPECT_FALSE(fake.port->Write(std::string(5000, 'x')));
  const PortStatus status = fake.port->Status();
  EXPECT_EQ(status.sendBuffered, 0u);
  EXPECT_EQ(status.text, "");
  EXPECT_NE(fake.port->LastWriteTick(), 0u);
}

TEST(PortMonitor, SendBufferKeepsTheNewest4096Bytes) {
  struct Case {
    const char* name;
    std::vector<size_t> writes;  // sizes, each filled with its own letter
    size_t buffered;
    bool overflow;
  };
  const Case cases[] = {
      {"one small write", {100}, 100, false},
      {"exactly the capacity", {4096}, 4096, false},
      {"capacity in two writes", {4000, 96}, 4096, false},
      {"one byte too many", {4000, 97}, 4096, true},
      {"one large write", {5000}, 4096, true},
      {"many writes", {1000, 1000, 1000, 1000, 1000, 1000}, 4096, true},
  };
  for (const auto& c : cases) {
    FakePort fake("stalled");
    fake.control->stalled = true;
    ASSERT_TRUE(fake.OpenAndWait()) << c.name;
    std::string all;
    char letter = 'a';
    for (size_t size : c.writes) {
      const std::string chunk(size, letter++);
      all += chunk;
      EXPECT_TRUE(fake.port->Write(chunk)) << c.name;
    }
    PortStatus status = fake.port->Status();
    EXPECT_EQ(status.sendBuffered, c.buffered) << c.name;
    EXPECT_EQ(status.text, c.overflow ? kSendBufferOverflowText : "") << c.name;
    // Once the device takes data again it receives exactly the newest bytes.
    fake.control->stalled = false;
    fake.port->Wake();
    EXPECT_EQ(ReadAtLeast(fake.Peer(), c.buffered), all.substr(all.size() - c.buffered)) << c.name;
  }
}

TEST(PortMonitor, OverflowStatusClearsWhenAWriteFitsAgain) {
  FakePort fake("overflow");
  fake.control->stalled = true;
  ASSERT_TRUE(fake.OpenAndWait());
  fake.port->Write(std::string(5000, 'x'));
  EXPECT_EQ(fake.port->Status().text, kSendBufferOverflowText);
  fake.control->stalled = false;
  fake.port->Wake();
  ASSERT_EQ(ReadAtLeast(fake.Peer(), 4096).size(), 4096u);
  ASSERT_TRUE(
      fake.port->WaitForStatus([](const PortStatus& s) { return s.sendBuffered == 0; }, kWaitMs));
  // Still shown until a write fits.
  EXPECT_EQ(fake.port->Status().text, kSendBufferOverflowText);
  fake.port->Write("$GPXTE\r\n");
  EXPECT_EQ(fake.port->Status().text, "");
}

TEST(PortMonitor, ReceivedDataQueueKeepsTheNewestFive) {
  CReceivedDataQueue queue;
  EXPECT_FALSE(queue.HasData());
  for (int i = 1; i <= 7; ++i) queue.Push("port", std::to_string(i));
  EXPECT_EQ(queue.Size(), 5u);
  for (const char* expected : {"3", "4", "5", "6", "7"}) {
    auto entry = queue.Pop();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->bytes, expected);
    EXPECT_EQ(entry->source, "port");
  }
  EXPECT_FALSE(queue.Pop());
  EXPECT_FALSE(queue.WaitPop(1));
  queue.Push("p", "x");
  queue.Clear();
  EXPECT_FALSE(queue.HasData());
}

TEST(PortMonitor, FailedOpenIsRetriedAfterTenSeconds) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  FakePort fake("retry");
  fake.control->failOpen = true;
  const uint64_t start = clock.TickMs();
  fake.port->Open();
  ASSERT_TRUE(
      fake.port->WaitForStatus([](const PortStatus& s) { return s.failedOpens == 1; }, kWaitMs));
  PortStatus status = fake.port->Status();
  EXPECT_EQ(status.state, PortState::Closed);
  EXPECT_EQ(status.text, "refused");
  EXPECT_EQ(status.nextAttemptTick, start + 10000);

  {
    std::lock_guard lock(fake.control->mutex);
    fake.control->failOpen = false;
  }
  clock.Advance(10000);
  fake.port->Wake();
  ASSERT_TRUE(WaitOpens(*fake.port, 1));
  status = fake.port->Status();
  EXPECT_EQ(status.failedOpens, 1u);
  EXPECT_EQ(status.text, "");
  EXPECT_EQ(status.nextAttemptTick, 0u);
}

TEST(PortMonitor, LostDeviceIsReopenedAtOnce) {
  CSimulatedClock clock;  // frozen: a reopen that waited for the interval would never come
  CScopedClock scoped(clock);
  FakePort fake("lost");
  ASSERT_TRUE(fake.OpenAndWait());
  {
    std::lock_guard lock(fake.control->mutex);
    fake.control->peer.Reset();
  }
  EXPECT_TRUE(WaitOpens(*fake.port, 2));
}

// A device that opens and fails at once again and again (a file that is no
// device, a failing adapter) waits twice as long before every new try.
TEST(PortMonitor, QuickFailuresAfterOpeningBackOff) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  FakePort fake("flaky");
  ASSERT_TRUE(fake.OpenAndWait());
  const uint64_t expectedDelays[] = {0, 500, 1000, 2000};
  for (size_t i = 0; i < std::size(expectedDelays); ++i) {
    {
      std::lock_guard lock(fake.control->mutex);
      fake.control->peer.Reset();
    }
    const uint64_t lostAt = clock.TickMs();
    if (expectedDelays[i] > 0) {
      ASSERT_TRUE(fake.port->WaitForStatus(
          [](const PortStatus& s) { return s.state == PortState::Closed && s.nextAttemptTick; },
          kWaitMs));
      EXPECT_EQ(fake.port->Status().nextAttemptTick, lostAt + expectedDelays[i]) << i;
      clock.Advance(expectedDelays[i]);
      fake.port->Wake();
    }
    ASSERT_TRUE(WaitOpens(*fake.port, i + 2)) << i;
  }
  // A connection that lasts ends the row: its loss is reopened at once again.
  clock.Advance(20000);
  {
    std::lock_guard lock(fake.control->mutex);
    fake.control->peer.Reset();
  }
  EXPECT_TRUE(WaitOpens(*fake.port, 6));
}

TEST(PortMonitor, StopEndsTheThreadInEveryState) {
  struct Case {
    const char* name;
    bool blockOpen;
    bool failOpen;
    bool stalledWithData;
    PortState state;
  };
  const Case cases[] = {
      {"opening", true, false, false, PortState::Opening},
      {"closed, waiting to retry", false, true, false, PortState::Closed},
      {"open and idle", false, false, false, PortState::Open},
      {"open with unsent data", false, false, true, PortState::Open},
  };
  for (const auto& c : cases) {
    FakePort fake(c.name);
    fake.control->blockOpen = c.blockOpen;
    fake.control->failOpen = c.failOpen;
    fake.control->stalled = c.stalledWithData;
    fake.port->Open();
    ASSERT_TRUE(fake.port->WaitForStatus(
        [&](const PortStatus& s) {
          return s.state == c.state && (c.state != PortState::Closed || s.failedOpens > 0);
        },
        kWaitMs))
        << c.name;
    if (c.stalledWithData) fake.port->Write("$GPAPB\r\n");
    fake.port->Stop();
    const PortStatus status = fake.port->Status();
    EXPECT_FALSE(status.running) << c.name;
    EXPECT_EQ(status.state, PortState::Closed) << c.name;
    EXPECT_FALSE(fake.port->IsRunning()) << c.name;
  }
}

PortSettings Roles(bool listener, bool repeater, bool talker = false, std::string filter = "") {
  PortSettings settings;
  settings.listener = listener;
  settings.repeater = repeater;
  settings.talker = talker;
  settings.filter = std::move(filter);
  return settings;
}

TEST(NmeaPort, RepeatsToOtherRepeatersOnlyAndNeverBack) {
  testing::CDeliveryCollector collector;
  FakePort a("A", Roles(true, false));
  FakePort b("B", Roles(false, true));
  FakePort c("C", Roles(true, true));
  FakePort nobang("D", Roles(false, true), false);
  for (FakePort* p : {&a, &b, &c, &nobang}) ASSERT_TRUE(p->OpenAndWait());

  ASSERT_TRUE(WriteAll(a.Peer(), "$GPGGA,1*00\r\n!AIVDM,1*00\r\n"));
  ASSERT_EQ(collector.WaitDecoded(2).size(), 2u);
  ASSERT_TRUE(WriteAll(c.Peer(), "$GPRMC,2*00\r\n"));
  ASSERT_EQ(collector.WaitDecoded(3).size(), 3u);

  EXPECT_EQ(ReadAtLeast(b.Peer(), 39), "$GPGGA,1*00\r\n!AIVDM,1*00\r\n$GPRMC,2*00\r\n");
  EXPECT_EQ(ReadAtLeast(c.Peer(), 26), "$GPGGA,1*00\r\n!AIVDM,1*00\r\n");
  EXPECT_EQ(ReadAtLeast(nobang.Peer(), 26), "$GPGGA,1*00\r\n$GPRMC,2*00\r\n");
  // A is no repeater: nothing may come back to it.
  a.port->Stop();
  EXPECT_EQ(ReadAtLeast(a.Peer(), 1), "");
}

TEST(NmeaPort, RolesAndFiltersDecideWhatIsDecoded) {
  testing::CDeliveryCollector collector;
  SetProgramSentenceFilter("GPZDA");
  FakePort quiet("quiet", Roles(false, false));
  FakePort filtered("filtered", Roles(true, false, false, "GSV, PGRME"));
  FakePort repeater("repeater", Roles(false, true));
  for (FakePort* p : {&quiet, &filtered, &repeater}) ASSERT_TRUE(p->OpenAndWait());

  ASSERT_TRUE(WriteAll(quiet.Peer(), "$GPGGA,1\r\n"));
  ASSERT_TRUE(
      WriteAll(filtered.Peer(), "$GPGSV,1\r\n$GLGSV,2\r\n$PGRME,3\r\n$GPZDA,4\r\n$GPRMC,5\r\n"));
  const auto decoded = collector.WaitDecoded(1);
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0].port, "filtered");
  EXPECT_EQ(decoded[0].sentence, "$GPRMC,5\r\n");
  // Every sentence still reaches the monitor; only the decoded one was repeated.
  EXPECT_EQ(collector.WaitMonitor(6).size(), 6u);
  EXPECT_EQ(ReadAtLeast(repeater.Peer(), 10), "$GPRMC,5\r\n");
  SetProgramSentenceFilter("");
}

TEST(NmeaPort, DeliveryOrderRecorderMonitorQueueThenDecoder) {
  std::mutex mutex;
  std::vector<std::string> order;
  auto note = [&](std::string what) {
    std::lock_guard lock(mutex);
    order.push_back(std::move(what));
  };
  testing::CDeliveryCollector collector;
  SetSentenceRecorder(
      [&](const DeliveredSentence& s) { note("record " + std::string(s.sentence.substr(0, 6))); });
  SetDataMonitorSink([&](const MonitorLine& line) { note("monitor " + std::string(line.text)); });
  opt::VDR_AIS.Set("no");
  PortSettings settings = Roles(true, false);
  settings.label = "GPS";
  FakePort port("COM7", settings);
  ASSERT_TRUE(port.OpenAndWait());
  ASSERT_TRUE(WriteAll(port.Peer(), "!AIVDM,1\r\n$GPGGA,1\r\n"));
  ASSERT_EQ(collector.WaitDecoded(2).size(), 2u);
  SetSentenceRecorder({});
  opt::VDR_AIS.ResetToDefault();
  {
    std::lock_guard lock(mutex);
    EXPECT_EQ(order, (std::vector<std::string>{"monitor (GPS) !AIVDM,1", "record $GPGGA",
                                               "monitor (GPS) $GPGGA,1"}));
  }
  auto first = port.port->ReceivedQueue().Pop();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->source, "COM7");
  EXPECT_EQ(first->bytes, "!AIVDM,1\r\n");
}

TEST(NmeaPort, TalkerOutputAndPortContext) {
  FakePort talker("T", Roles(false, false, true));
  FakePort silent("S", Roles(false, false, false));
  FakePort nobang("N", Roles(false, false, true), false);
  for (FakePort* p : {&talker, &silent, &nobang}) ASSERT_TRUE(p->OpenAndWait());
  EXPECT_EQ(PortList().WriteToTalkers("$ECXTE,A,A,0.1,R,N*00\r\n"), 2u);
  EXPECT_EQ(PortList().WriteToTalkers("!AIABM,1*00\r\n"), 1u);
  EXPECT_EQ(ReadAtLeast(talker.Peer(), 36), "$ECXTE,A,A,0.1,R,N*00\r\n!AIABM,1*00\r\n");
  EXPECT_EQ(ReadAtLeast(nobang.Peer(), 23), "$ECXTE,A,A,0.1,R,N*00\r\n");

  INmeaPortContext& context = *talker.port;
  EXPECT_EQ(context.PortName(), "T");
  EXPECT_NE(context.PortId(), silent.port->PortId());
  EXPECT_TRUE(context.WriteSentence("$ECAIQ,VER*00\r\n"));
  EXPECT_EQ(ReadAtLeast(talker.Peer(), 15), "$ECAIQ,VER*00\r\n");
  EXPECT_EQ(context.DeviceDriver(), nullptr);
}

TEST(NmeaPort, SirfFrameTriggersTheVersionQueryOnce) {
  testing::CDeliveryCollector collector;
  FakePort port("sirf", Roles(true, false));
  ASSERT_TRUE(port.OpenAndWait());
  const std::vector<uint8_t> payload = {0x06, 0x01, 0x02};
  const std::vector<uint8_t> frame = BuildSirfFrame(payload);
  const std::string bytes(frame.begin(), frame.end());
  ASSERT_TRUE(WriteAll(port.Peer(), bytes + bytes + "$GPGGA,1\r\n"));
  ASSERT_EQ(collector.WaitDecoded(1).size(), 1u);
  const std::vector<uint8_t> query = BuildSirfFrame(std::vector<uint8_t>{kSirfMidPollVersion, 0});
  const std::string received = ReadAtLeast(port.Peer(), query.size() + 10);
  EXPECT_EQ(received.size(), query.size() + 10);  // version query and static mode, once
  EXPECT_EQ(received.substr(0, query.size()), std::string(query.begin(), query.end()));
}

TEST(NmeaPort, ChecksumRecognition) {
  const struct {
    const char* sentence;
    bool valid;
  } cases[] = {
      {"$GPGLL,4916.45,N,12311.12,W,225444,A*31\r\n", true},
      {"$GPGLL,4916.45,N,12311.12,W,225444,A*32\r\n", false},
      {"$GPGLL,4916.45,N,12311.12,W,225444,A\r\n", false},
      {"$GPGLL,4916.45,N,12311.12,W,225444,A*3\r\n", false},
      {"!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5f", true},
  };
  for (const auto& c : cases) EXPECT_EQ(HasValidChecksum(c.sentence), c.valid) << c.sentence;
}

}  // namespace
}  // namespace tarnwick
