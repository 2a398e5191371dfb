// Fuzz target: every line of the input is one sentence for DecodeNMEA, all
// decoded into one navigation source from a port with every hook attached,
// so the filters, tables and request bookkeeping see sequences of sentences.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "instruments/nmea/AisSentenceSink.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaPortContext.h"
#include "instruments/nmea/NmeaRouted.h"
#include "instruments/nmea/Sensor.h"
#include "instruments/nmea/SensorRegistry.h"

namespace {

using namespace tarnwick;

class CFuzzPort final : public INmeaPortContext, public INmeaDeviceDriver {
 public:
  std::string PortName() const override { return "fuzz"; }
  unsigned PortId() const override { return 1; }
  bool WriteSentence(std::string_view sentence) override { return !sentence.empty(); }
  INmeaDeviceDriver* DeviceDriver() override { return this; }
  CNmeaRequests& Requests() override { return requests_; }
  void OnSentence(std::string_view, const std::vector<std::string_view>& fields) override {
    for (std::string_view f : fields) bytes_ += f.size();
  }

 private:
  CNmeaRequests requests_;
  size_t bytes_ = 0;
};

class CFuzzAis final : public IAisSentenceSink {
 public:
  void DecodeVDM(CSensor*, const ReceiveTime&, const VdmFragment& f) override {
    // Touch every byte the decoder handed over.
    for (char c : f.payload) sum_ += static_cast<unsigned char>(c);
  }

 private:
  unsigned sum_ = 0;
};

class CFuzzRegistry final : public ISensorRegistry {
 public:
  CSensor* ObtainSensor(CNavSource& source, INmeaPortContext*, std::string_view kind) override {
    sensors_.push_back(std::make_unique<CSensor>(std::string(kind), &source, "fuzz"));
    return sensors_.back().get();
  }
  double HeadingCorrection(const CNavSource&, const INmeaPortContext*) override { return -1.5; }
  void OnNewTransducer(CNavSource&, std::string_view id, char) override { ids_ += id.size(); }

 private:
  std::vector<std::unique_ptr<CSensor>> sensors_;
  size_t ids_ = 0;
};

class CFuzzRouted final : public INmeaRoutedSentences {
 public:
  bool OnPbvePayload(const RoutedSentence&, const std::vector<uint8_t>& bytes) override {
    return !bytes.empty() && bytes[0] == 1;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CNavSource source;
  CFuzzPort port;
  CFuzzAis ais;
  CFuzzRegistry registry;
  CFuzzRouted routed;
  const NmeaDecoderHooks hooks{&ais, &registry, &routed};
  std::string_view input(reinterpret_cast<const char*>(data), size);
  uint64_t tick = 1;
  while (!input.empty()) {
    const size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    DecodeNMEA(source, ReceiveTime{tick, 0}, line, &port, hooks);
    tick += 700;
    if (end == std::string_view::npos) break;
    input.remove_prefix(end + 1);
  }
  return 0;
}
