#include "instruments/ports/PipeTransport.h"

#include <gtest/gtest.h>
#include <sys/un.h>

#include "core/tests/support/TestSupport.h"
#include "instruments/ports/PortFactory.h"
#include "instruments/tests/PortTestSupport.h"

namespace tarnwick {
namespace {

using testing::kWaitMs;
using testing::ReadAtLeast;
using testing::WriteAll;

CFileDescriptor ConnectPipe(const std::string& name) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = PipeSocketPath(name).string();
  memcpy(address.sun_path, path.c_str(), path.size() + 1);
  CFileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    fd.Reset();
  return fd;
}

std::unique_ptr<CNmeaPort> MakePipe(const std::string& name) {
  PortSettings settings;
  settings.label = "pipe/" + name;
  auto port = BuildPort("pipe/" + name, settings).port;
  EXPECT_TRUE(port);
  return port;
}

TEST(PipePort, OneClientAtATime) {
  testing::CTempFolder runtime;
  testing::CScopedEnv env("XDG_RUNTIME_DIR", runtime.Path().string());
  testing::CDeliveryCollector collector;
  auto port = MakePipe("gps");
  EXPECT_TRUE(port->AcceptsEncapsulated());
  port->Open();
  ASSERT_TRUE(
      port->WaitForStatus([](const PortStatus& s) { return s.state == PortState::Open; }, kWaitMs));
  {
    CFileDescriptor client = ConnectPipe("gps");
    ASSERT_TRUE(client.IsValid());
    ASSERT_TRUE(WriteAll(client.Get(), "$GPGGA,1\r\n"));
    ASSERT_EQ(collector.WaitDecoded(1).size(), 1u);
    EXPECT_TRUE(port->Write("$ECXTE,1\r\n"));
    EXPECT_EQ(ReadAtLeast(client.Get(), 10), "$ECXTE,1\r\n");
  }
  // The next client is served on the same pipe after the first left.
  CFileDescriptor next = ConnectPipe("gps");
  ASSERT_TRUE(next.IsValid());
  ASSERT_TRUE(WriteAll(next.Get(), "$GPRMC,2\r\n"));
  const auto decoded = collector.WaitDecoded(2);
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_EQ(decoded[1].sentence, "$GPRMC,2\r\n");
  EXPECT_EQ(port->Status().opens, 1u);
}

TEST(PipePort, APipeServedByAnotherProgramIsInUse) {
  testing::CTempFolder runtime;
  testing::CScopedEnv env("XDG_RUNTIME_DIR", runtime.Path().string());
  auto first = MakePipe("shared");
  first->Open();
  ASSERT_TRUE(first->WaitForStatus([](const PortStatus& s) { return s.state == PortState::Open; },
                                   kWaitMs));
  auto second = MakePipe("shared");
  second->Open();
  ASSERT_TRUE(
      second->WaitForStatus([](const PortStatus& s) { return s.failedOpens == 1; }, kWaitMs));
  EXPECT_EQ(second->Status().text,
            "Access to this port was denied. Perhaps this port is in use by another program.");
  // Stopping the server removes its socket file.
  first->Stop();
  EXPECT_FALSE(std::filesystem::exists(PipeSocketPath("shared")));
}

}  // namespace
}  // namespace tarnwick
