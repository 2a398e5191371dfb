#pragma once
// What the NMEA decoder needs from the port that received a sentence. The port
// class implements INmeaPortContext; sentences that do not come from a port
// (files, tests) are decoded without one.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// A device driver attached to a port sees every sentence of that port before
// the decoder does (a radar, sounder or tracker speaking its own sentences).
class INmeaDeviceDriver {
 public:
  virtual ~INmeaDeviceDriver() = default;
  // sentence: the whole sentence as received; fields: ParseNMEA's split
  // (field 0 is the address without '$'/'!').
  virtual void OnSentence(std::string_view sentence,
                          const std::vector<std::string_view>& fields) = 0;
};

// State of one request the program sent to a device and waits an answer for.
enum class RequestState { Outstanding, Answered, Refused };

struct NmeaRequest {
  RequestState state = RequestState::Outstanding;
  uint64_t sentTick = 0;   // TickCount() when the request was sent, ms
  uint64_t doneTick = 0;   // when it was answered or refused, ms (0 while outstanding)
  int reasonCode = 0;      // NAK reason code when refused
  std::string reasonText;  // NAK text when refused
};

// The outstanding requests of one port, keyed by texts such as "nak:VER"
// (a query whose reply formatter is VER) or "aismsg:3" (an AIS broadcast).
// Thread-safe: the port thread answers what the user-interface thread asked.
class CNmeaRequests {
 public:
  // Registers (or re-arms) the request key, sent at tickMs.
  void Add(std::string_view key, uint64_t tickMs);
  // Marks an outstanding key answered at tickMs; false when none was outstanding.
  bool Answer(std::string_view key, uint64_t tickMs);
  // Marks an outstanding key refused with the device's reason; false when none was outstanding.
  bool Refuse(std::string_view key, uint64_t tickMs, int reasonCode, std::string_view reasonText);
  // The request's state, if it was ever registered.
  std::optional<NmeaRequest> Find(std::string_view key) const;
  // True when key is registered and still outstanding.
  bool IsOutstanding(std::string_view key) const;
  // Forgets every request that is no longer outstanding.
  void DropCompleted();

 private:
  mutable std::mutex mutex_;
  std::map<std::string, NmeaRequest, std::less<>> requests_;
};

class INmeaPortContext {
 public:
  virtual ~INmeaPortContext() = default;
  // The port's label as shown to the navigator ("COM3", "Network 10110").
  virtual std::string PortName() const = 0;
  // The port's number in the port list (used in alarm acknowledgement links).
  virtual unsigned PortId() const = 0;
  // Sends one complete sentence (start character to CR LF) out of the port.
  // Returns false when the port cannot send.
  virtual bool WriteSentence(std::string_view sentence) = 0;
  // The device driver attached to the port, or nullptr.
  virtual INmeaDeviceDriver* DeviceDriver() = 0;
  // The port's outstanding requests.
  virtual CNmeaRequests& Requests() = 0;
  // Degrees added to every heading the port reports (a compass's deviation),
  // as the port's settings give it.
  virtual double HeadingCorrection() const { return 0.0; }
};

}  // namespace tarnwick
