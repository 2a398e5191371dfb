// Throughput of the instrument ports: sentences per second from a loopback TCP
// and UDP feed through line assembly and decoding into the port's navigation
// source, with the process CPU time per sentence (all threads), and the CPU
// that idle ports cost.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "instruments/nmea/DecodeNmea.h"
#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/LineAssembler.h"
#include "instruments/ports/PortFactory.h"
#include "instruments/ports/PortHooks.h"

namespace tarnwick {
namespace {

const char* const kSentences[] = {
    "$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E*68\r\n",
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
    "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n",
    "$HEHDT,274.07,T*03\r\n",
    "$SDDBT,8.1,f,2.4,M,1.3,F*0B\r\n",
    "$WIMWV,214.8,R,0.1,K,A*28\r\n",
    "!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5F\r\n",
    "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74\r\n",
};
constexpr size_t kSentenceKinds = std::size(kSentences);

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Counts decoded sentences (decoding them with the standard decoder first).
class CDecodeCounter {
 public:
  CDecodeCounter() {
    SetSentenceDecoder([this](CNmeaPort& port, const ReceiveTime& received, std::string_view s) {
      DecodeNMEA(port.NavSource(), received, s, &port);
      std::lock_guard lock(mutex_);
      ++count_;
      if (count_ >= target_) reached_.notify_all();
    });
  }
  ~CDecodeCounter() { SetSentenceDecoder({}); }
  // Waits (at most 10 s) until total sentences were decoded.
  bool WaitFor(uint64_t total) {
    std::unique_lock lock(mutex_);
    target_ = total;
    return reached_.wait_for(lock, std::chrono::seconds(10), [&] { return count_ >= total; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable reached_;
  uint64_t count_ = 0;
  uint64_t target_ = 0;
};

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

uint16_t BoundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

std::unique_ptr<CNmeaPort> OpenPort(const std::string& address) {
  PortSettings settings;
  settings.label = address;
  auto port = BuildPort(address, settings).port;
  port->Open();
  port->WaitForStatus([](const PortStatus& s) { return s.state == PortState::Open; }, 10000);
  return port;
}

void ReportPerSentence(benchmark::State& state, uint64_t sentences, double cpuSeconds) {
  state.SetItemsProcessed(static_cast<int64_t>(sentences));
  state.counters["cpu_ns_per_sentence"] = cpuSeconds * 1e9 / static_cast<double>(sentences);
}

void BM_TcpFeedToSource(benchmark::State& state) {
  CDecodeCounter counter;
  CFileDescriptor server(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in any = Loopback(0);
  bind(server.Get(), reinterpret_cast<const sockaddr*>(&any), sizeof any);
  listen(server.Get(), 1);
  auto port = OpenPort("telnet://127.0.0.1:" + std::to_string(BoundPort(server.Get())));
  CFileDescriptor client(accept(server.Get(), nullptr, nullptr));
  const size_t batch = static_cast<size_t>(state.range(0));
  std::string feed;
  for (size_t i = 0; i < batch; ++i) feed += kSentences[i % kSentenceKinds];
  uint64_t total = 0;
  const double cpuStart = ProcessCpuSeconds();
  for (auto _ : state) {
    for (size_t off = 0; off < feed.size();) {
      const ssize_t n = write(client.Get(), feed.data() + off, feed.size() - off);
      if (n <= 0) break;
      off += static_cast<size_t>(n);
    }
    total += batch;
    if (!counter.WaitFor(total)) state.SkipWithError("sentences lost");
  }
  ReportPerSentence(state, total, ProcessCpuSeconds() - cpuStart);
}
BENCHMARK(BM_TcpFeedToSource)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_UdpFeedToSource(benchmark::State& state) {
  CDecodeCounter counter;
  uint16_t udpPort;
  {
    CFileDescriptor probe(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const sockaddr_in any = Loopback(0);
    bind(probe.Get(), reinterpret_cast<const sockaddr*>(&any), sizeof any);
    udpPort = BoundPort(probe.Get());
  }
  auto port = OpenPort("udp://*:" + std::to_string(udpPort));
  CFileDescriptor sender(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  const sockaddr_in to = Loopback(udpPort);
  const size_t perDatagram = static_cast<size_t>(state.range(0));
  std::vector<std::string> datagrams(kSentenceKinds);
  for (size_t d = 0; d < kSentenceKinds; ++d)
    for (size_t i = 0; i < perDatagram; ++i) datagrams[d] += kSentences[(d + i) % kSentenceKinds];
  constexpr size_t kDatagramsPerBatch = 64;  // well inside the socket's receive buffer
  uint64_t total = 0;
  const double cpuStart = ProcessCpuSeconds();
  for (auto _ : state) {
    for (size_t d = 0; d < kDatagramsPerBatch; ++d) {
      const std::string& datagram = datagrams[d % kSentenceKinds];
      sendto(sender.Get(), datagram.data(), datagram.size(), 0,
             reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    total += kDatagramsPerBatch * perDatagram;
    if (!counter.WaitFor(total)) state.SkipWithError("datagrams lost");
  }
  ReportPerSentence(state, total, ProcessCpuSeconds() - cpuStart);
}
BENCHMARK(BM_UdpFeedToSource)->Arg(1)->Arg(10)->UseRealTime()->Unit(benchmark::kMillisecond);

// Line assembly alone: bytes to sentences, no I/O, no decoding.
class CCountingSink final : public ILineSink {
 public:
  void OnSentence(std::string_view, const ReceiveTime&) override { ++sentences; }
  void OnUnrecognised(std::string_view) override {}
  void OnDiagnostic(std::string_view) override {}
  void OnSirfFrame(std::span<const uint8_t>) override {}
  uint64_t sentences = 0;
};

void BM_LineAssembly(benchmark::State& state) {
  std::string feed;
  for (size_t i = 0; i < 1000; ++i) feed += kSentences[i % kSentenceKinds];
  CLineAssembler assembler;
  CCountingSink sink;
  for (auto _ : state) assembler.Feed(feed, sink);
  state.SetItemsProcessed(static_cast<int64_t>(sink.sentences));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_LineAssembly);

// Idle ports: a connected TCP port whose server is silent, a UDP port and a
// pipe port with no client. Reports the process CPU time they use per second.
void BM_IdlePorts(benchmark::State& state) {
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  if (!runtime) setenv("XDG_RUNTIME_DIR", "/tmp", 0);
  CFileDescriptor server(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in any = Loopback(0);
  bind(server.Get(), reinterpret_cast<const sockaddr*>(&any), sizeof any);
  listen(server.Get(), 8);
  const std::string tcp = "telnet://127.0.0.1:" + std::to_string(BoundPort(server.Get()));
  std::vector<std::unique_ptr<CNmeaPort>> ports;
  std::vector<CFileDescriptor> peers;
  for (int i = 0; i < 4; ++i) {
    ports.push_back(OpenPort(tcp));
    peers.emplace_back(accept(server.Get(), nullptr, nullptr));
  }
  ports.push_back(OpenPort("udp://*:" + std::to_string(BoundPort(server.Get()))));
  ports.push_back(OpenPort("pipe/tarnwick-bench-" + std::to_string(getpid())));
  double cpu = 0;
  double seconds = 0;
  for (auto _ : state) {
    const double before = ProcessCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    cpu += ProcessCpuSeconds() - before;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["ports"] = static_cast<double>(ports.size());
  state.counters["cpu_us_per_second"] = cpu * 1e6 / seconds;
}
BENCHMARK(BM_IdlePorts)->Iterations(2)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace tarnwick
