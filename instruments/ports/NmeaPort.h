#pragma once
// An NMEA 0183 port: a CPortMonitor whose received bytes are assembled into
// sentences, shown in the data monitor, recorded, repeated to the other
// ports and decoded, as its role settings say.

#include <atomic>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaPortContext.h"
#include "instruments/ports/LineAssembler.h"
#include "instruments/ports/PortHooks.h"
#include "instruments/ports/PortMonitor.h"
#include "instruments/ports/PortSettings.h"
#include "instruments/ports/SentenceFilter.h"

namespace tarnwick {

class CNmeaPort : public CPortMonitor, public INmeaPortContext, private ILineSink {
 public:
  // A web AIS feed (an "http://" port) whose newest sentence is this old, or
  // that sent none for this long since it connected, is dropped (ms).
  static constexpr uint64_t kWebFeedMaxAgeMs = 15000;
  // ... and connected again this much later (ms).
  static constexpr uint64_t kWebFeedReconnectMs = 500;

  // acceptsEncapsulated: whether '!' sentences are repeated to this port.
  // The port joins the program-wide port list until it is destroyed.
  CNmeaPort(PortAddress address, PortSettings settings, std::unique_ptr<CPortTransport> transport,
            bool acceptsEncapsulated);
  ~CNmeaPort() override;

  const PortSettings& Settings() const { return settings_; }
  const std::string& Label() const { return settings_.label; }
  bool AcceptsEncapsulated() const { return acceptsEncapsulated_; }
  // Tick (ms) of the last sentence delivered, 0 before the first.
  uint64_t LastSentenceTick() const { return lastSentenceTick_.load(); }
  // What this port's sentences said (written by the decoder on the port's thread).
  CNavSource& NavSource() { return source_; }
  const CNavSource& NavSource() const { return source_; }
  // Attaches a device driver that sees every sentence before the decoder (nullptr detaches).
  void AttachDeviceDriver(INmeaDeviceDriver* driver) { driver_.store(driver); }

  // INmeaPortContext
  std::string PortName() const override { return settings_.label; }
  unsigned PortId() const override { return id_; }
  bool WriteSentence(std::string_view sentence) override { return Write(sentence); }
  INmeaDeviceDriver* DeviceDriver() override { return driver_.load(); }
  CNmeaRequests& Requests() override { return requests_; }
  double HeadingCorrection() const override { return settings_.headingCorrection; }

 protected:
  void OnOpened() override;
  void OnDataReceived(std::span<const uint8_t> bytes) override;
  void OnCommError(unsigned mask) override;
  std::optional<uint64_t> DropStaleConnection(uint64_t nowTick) override;

 private:
  void OnSentence(std::string_view sentence, const ReceiveTime& received) override;
  void OnUnrecognised(std::string_view data) override;
  void OnDiagnostic(std::string_view text) override;
  void OnSirfFrame(std::span<const uint8_t> payload) override;
  void Show(MonitorLineKind kind, std::string_view text);
  std::span<const uint8_t> SkipHttpHeaders(std::span<const uint8_t> bytes);

  const PortSettings settings_;
  const bool acceptsEncapsulated_;
  const CSentenceFilter filter_;
  const unsigned id_;
  CLineAssembler assembler_;  // port thread only
  bool inHttpHeaders_ = false;
  uint32_t headerTail_ = 0;  // the last four header bytes
  bool sirfQueried_ = false;
  uint64_t openedTick_ = 0;  // port thread only: when the connection was made, ms
  CNmeaRequests requests_;
  CNavSource source_;
  std::atomic<INmeaDeviceDriver*> driver_{nullptr};
  std::atomic<uint64_t> lastSentenceTick_{0};
};

// True when the sentence carries a "*hh" checksum that matches its characters.
bool HasValidChecksum(std::string_view sentence);

}  // namespace tarnwick
