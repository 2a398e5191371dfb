#include "instruments/ports/NmeaPort.h"

#include <algorithm>
#include <cstdio>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/settings/SirfSettings.h"
#include "core/settings/VdrSettings.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/SensorRegistry.h"
#include "instruments/ports/PortHooks.h"
#include "instruments/ports/PortList.h"

namespace tarnwick {
namespace {

std::string_view WithoutLineEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool ShouldRecord(std::string_view sentence) {
  if (sentence.empty() || !opt::VDR_RecordVoyageData.GetBool()) return false;
  if (sentence.front() == '$') return opt::VDR_AllNavigationData.GetBool();
  if (sentence.front() == '!') return opt::VDR_AIS.GetBool();
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The request target of an "http://" address: the text after host and port.
std::string HttpTarget(const std::string& address) {
  const size_t start = address.find("://");
  const size_t slash =
      start == std::string::npos ? std::string::npos : address.find('/', start + 3);
  return slash == std::string::npos ? "/" : address.substr(slash);
}

}  // namespace

bool HasValidChecksum(std::string_view sentence) {
  sentence = WithoutLineEnd(sentence);
  const size_t star = sentence.rfind('*');
  if (sentence.size() < 2 || star == std::string_view::npos || star + 3 != sentence.size())
    return false;
  const int high = HexDigit(sentence[star + 1]);
  const int low = HexDigit(sentence[star + 2]);
  if (high < 0 || low < 0) return false;
  unsigned sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  return sum == static_cast<unsigned>(high * 16 + low);
}

CNmeaPort::CNmeaPort(PortAddress address, PortSettings settings,
                     std::unique_ptr<CPortTransport> transport, bool acceptsEncapsulated)
    : CPortMonitor(std::move(address), std::move(transport)),
      settings_(std::move(settings)),
      acceptsEncapsulated_(acceptsEncapsulated),
      filter_(settings_.filter),
      id_(PortList().Add(this)) {}

CNmeaPort::~CNmeaPort() {
  Stop();
  PortList().Remove(this);
  // The navigation data store's sensors read this port's source: drop them first.
  if (ISensorRegistry* sensors = GetNmeaDecoderHooks().sensors) sensors->ForgetSource(source_);
}

void CNmeaPort::OnOpened() {
  assembler_.Reset();
  sirfQueried_ = false;
  inHttpHeaders_ = false;
  openedTick_ = TickCount();
  const PortAddress& address = Address();
  if (address.scheme == "gpsgate") {
    char subscribe[300];
    snprintf(subscribe, sizeof subscribe, "$PRPN,FEED,%s\r\n", address.path.c_str());
    Write(subscribe);
  } else if (address.scheme == "http") {
    Write("GET " + HttpTarget(address.name) + " HTTP/1.0\r\nHost: " + address.host +
          "\r\nUser-Agent: Tarnwick-ECS\r\nAccept: */*\r\n\r\n");
    inHttpHeaders_ = true;
    headerTail_ = 0;
  }
}

std::span<const uint8_t> CNmeaPort::SkipHttpHeaders(std::span<const uint8_t> bytes) {
  size_t i = 0;
  while (inHttpHeaders_ && i < bytes.size()) {
    headerTail_ = (headerTail_ << 8) | bytes[i++];
    if (headerTail_ == 0x0D0A0D0A) inHttpHeaders_ = false;
  }
  return bytes.subspan(i);
}

void CNmeaPort::OnDataReceived(std::span<const uint8_t> bytes) {
  if (inHttpHeaders_) bytes = SkipHttpHeaders(bytes);
  assembler_.Feed(bytes, *this);
}

// A web feed server may keep the connection open while its data stops
// flowing (or lags behind); a new connection brings current targets back.
std::optional<uint64_t> CNmeaPort::DropStaleConnection(uint64_t nowTick) {
  if (Address().scheme != "http") return std::nullopt;
  const uint64_t newest = std::max(lastSentenceTick_.load(), openedTick_);
  if (nowTick < newest || nowTick - newest < kWebFeedMaxAgeMs) return std::nullopt;
  Log("Web AIS feed \"%s\": no data for %llu s, reconnecting\n", Name().c_str(),
      static_cast<unsigned long long>((nowTick - newest) / 1000));
  return kWebFeedReconnectMs;
}

void CNmeaPort::OnCommError(unsigned mask) {
  LogDebug("CNmeaPort: line error 0x%x on \"%s\"\n", mask, Name().c_str());
}

void CNmeaPort::Show(MonitorLineKind kind, std::string_view text) {
  ports_detail::Monitor({kind, Name(), settings_.label, text});
}

void CNmeaPort::OnSentence(std::string_view sentence, const ReceiveTime& received) {
  lastSentenceTick_.store(TickCount());
  if (ShouldRecord(sentence)) ports_detail::Record({Name(), settings_.label, sentence, received});
  if (ports_detail::HasMonitor())
    Show(MonitorLineKind::Sentence,
         "(" + settings_.label + ") " + std::string(WithoutLineEnd(sentence)));
  ReceivedQueue().Push(Name(), sentence);
  if (HasValidChecksum(sentence)) Transport().DataRecognised();
  if (!settings_.listener) return;
  if (filter_.Blocks(sentence) || ports_detail::ProgramFilterBlocks(sentence)) return;
  PortList().Repeat(*this, sentence);
  ports_detail::Decode(*this, received, sentence);
}

void CNmeaPort::OnUnrecognised(std::string_view data) {
  if (ports_detail::HasMonitor()) Show(MonitorLineKind::Unrecognised, FormatUnrecognised(data));
}

void CNmeaPort::OnDiagnostic(std::string_view text) {
  LogDebug("%s: %.*s\n", Name().c_str(), static_cast<int>(text.size()), text.data());
  if (ports_detail::HasMonitor()) Show(MonitorLineKind::Diagnostic, text);
}

void CNmeaPort::OnSirfFrame(std::span<const uint8_t> payload) {
  Log("Sirf: %s\n", SirfFrameText(payload).c_str());
  if (payload.size() >= 3 && payload[0] == kSirfMidStaticReport && payload[1] == kSirfMidStaticNav)
    Log("GPS: Static Mode is %s\n", payload[2] ? "ON" : "OFF");
  if (sirfQueried_) return;
  sirfQueried_ = true;
  const uint8_t version[] = {kSirfMidPollVersion, 0x00};
  const uint8_t staticMode[] = {kSirfMidStaticNav,
                                static_cast<uint8_t>(opt::SIRF_FixStatic.GetBool() ? 1 : 0)};
  for (const auto& message :
       {std::span<const uint8_t>(version), std::span<const uint8_t>(staticMode)}) {
    const std::vector<uint8_t> frame = BuildSirfFrame(message);
    Write(std::string_view(reinterpret_cast<const char*>(frame.data()), frame.size()));
  }
  Log("Sirf: Sent Version Query...\n");
}

}  // namespace tarnwick
