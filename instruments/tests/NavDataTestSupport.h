#pragma once
// Shared by the navigation data tests: a simulated clock, the store installed
// as the decoder's sensor registry, and ports fed with sentences.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Clock.h"
#include "core/settings/NavSettings.h"
#include "core/settings/SensorSettings.h"
#include "instruments/navdata/NavData.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaPortContext.h"

namespace tarnwick::testing {

class CFakePort final : public INmeaPortContext {
 public:
  explicit CFakePort(std::string name) : name_(std::move(name)) {}
  std::string PortName() const override { return name_; }
  unsigned PortId() const override { return 1; }
  bool WriteSentence(std::string_view) override { return true; }
  INmeaDeviceDriver* DeviceDriver() override { return nullptr; }
  CNmeaRequests& Requests() override { return requests_; }
  double HeadingCorrection() const override { return correction_; }
  void SetHeadingCorrection(double degrees) { correction_ = degrees; }

 private:
  std::string name_;
  CNmeaRequests requests_;
  double correction_ = 0;
};

// One instrument port: its label, navigation source and port context.
struct TestPort {
  explicit TestPort(std::string name) : port(std::move(name)) {}
  CFakePort port;
  CNavSource source;
};

// The store on a simulated clock with the selection settings at their defaults.
class CNavDataFixture {
 public:
  CNavDataFixture() { ResetSettings(); }
  ~CNavDataFixture() { ResetSettings(); }

  static void ResetSettings() {
    for (CSetting* s : {&opt::PositionSensor, &opt::HeadingSensor, &opt::DepthSensor,
                        &opt::AisSensor, &opt::Nav_UseCompass, &opt::Nav_UseVHWHeading})
      s->ResetToDefault();
  }

  TestPort& AddPort(const std::string& name) {
    ports.push_back(std::make_unique<TestPort>(name));
    return *ports.back();
  }

  // Decodes each sentence on port at the current tick.
  void Feed(TestPort& p, std::initializer_list<std::string_view> sentences) {
    NmeaDecoderHooks hooks;
    hooks.sensors = store.get();
    for (std::string_view s : sentences)
      DecodeNMEA(p.source, ReceiveTime{clock.TickMs(), clock.UtcMs()}, s, &p.port, hooks);
  }

  // Declared in this order so the store goes before the ports its sensors read.
  CSimulatedClock clock;
  CScopedClock scoped{clock};
  std::vector<std::unique_ptr<TestPort>> ports;
  std::unique_ptr<CNavData> store = std::make_unique<CNavData>();
};

}  // namespace tarnwick::testing
