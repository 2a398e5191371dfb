#pragma once
// How the NMEA decoder reaches the navigation data store: it asks for a port's
// sensor of a kind the first time a sentence supplies that kind of data, and
// reads the heading sensor's correction. The store implements ISensorRegistry;
// until it is installed the decoder uses CNullSensorRegistry.

#include <string_view>

namespace tarnwick {

class CNavSource;
class CSensor;
class INmeaPortContext;

class ISensorRegistry {
 public:
  virtual ~ISensorRegistry() = default;
  // Returns the port's sensor of kind ("pos", "hdg", "dpt", "stw", "xdr",
  // "ais", "pos-ais", "hdg-ais"), creating and registering it on first use.
  // port may be nullptr. Returns nullptr when the kind is refused.
  // Called without the source's lock held (the store locks before the source).
  virtual CSensor* ObtainSensor(CNavSource& source, INmeaPortContext* port,
                                std::string_view kind) = 0;
  // The correction of the port's heading sensor in degrees, added to every
  // heading the port reports; before that sensor exists, the port's own
  // setting (0 without a port). Called without the source's lock held.
  virtual double HeadingCorrection(const CNavSource& source, const INmeaPortContext* port) = 0;
  // The port's source stored a value for the first time: the store asks it
  // for the items no sensor kind owns (wind, temperatures, rudder, weather),
  // whatever else the port sends. Called without the source's lock held.
  virtual void RegisterSource(CNavSource& /*source*/) {}
  // A transducer (id, type character) seen for the first time on the port.
  virtual void OnNewTransducer(CNavSource& source, std::string_view id, char type) = 0;
  // The port that owns source is being destroyed (its thread has stopped):
  // every sensor reading source must be dropped before this returns.
  virtual void ForgetSource(const CNavSource& /*source*/) {}
};

// Registers nothing and corrects nothing.
class CNullSensorRegistry final : public ISensorRegistry {
 public:
  CSensor* ObtainSensor(CNavSource&, INmeaPortContext*, std::string_view) override {
    return nullptr;
  }
  double HeadingCorrection(const CNavSource&, const INmeaPortContext*) override { return 0.0; }
  void OnNewTransducer(CNavSource&, std::string_view, char) override {}
};

}  // namespace tarnwick
