#pragma once
// Sentence families the decoder only routes: device and message handlers
// outside the decoder implement what they care about; the defaults drop.

#include <cstdint>
#include <string_view>
#include <vector>

#include "instruments/ReceiveTime.h"

namespace tarnwick {

class INmeaPortContext;
struct ReceivedAlarm;

// One routed sentence. The views are valid only during the call.
struct RoutedSentence {
  INmeaPortContext* port = nullptr;  // nullptr when not from a port
  ReceiveTime received;
  std::string_view sentence;                              // as received, CR LF removed
  const std::vector<std::string_view>* fields = nullptr;  // ParseNMEA's split
};

class INmeaRoutedSentences {
 public:
  virtual ~INmeaRoutedSentences() = default;
  // Seetrac tracker sentences (four-character address "STR?").
  virtual void OnSeetrac(const RoutedSentence&) {}
  // EDM sentences, from '!' or '$'.
  virtual void OnEdm(const RoutedSentence&) {}
  // Digital selective calling: DSC and DSE.
  virtual void OnDsc(const RoutedSentence&) {}
  // Maritime safety information: SM1, SM2, SM3, SM4, SMB.
  virtual void OnSafetyMessage(const RoutedSentence&) {}
  // Radar tracked target data in TTD sentences.
  virtual void OnRadarTargetData(const RoutedSentence&) {}
  // Device sentences recognised by their address or manufacturer: "PSLIR",
  // "PMARS", "CPAUX", "NDAUX", "PKSNTEK", the GpsGate "FR..." sentences and
  // the JRC, Koden, FEC, MAR and MGN proprietary sentences. Returns true when
  // the handler understood the sentence.
  virtual bool OnDeviceSentence(const RoutedSentence&) { return false; }
  // A PBVE payload decoded to bytes (first byte: product code). Returns false
  // when the product is unknown to the handler.
  virtual bool OnPbvePayload(const RoutedSentence&, const std::vector<uint8_t>&) { return false; }
  // A complete NAVTEX message (NRX fragments joined with CR LF). code: the
  // message identifier (station, subject, serial number).
  virtual void OnNavtexMessage(INmeaPortContext*, std::string_view, std::string_view) {}
  // An alarm of other equipment (ALR, ALA) that turned active; called once
  // per activation, after the source's lock is released.
  virtual void OnAlarmRaised(INmeaPortContext*, const ReceivedAlarm&) {}
};

}  // namespace tarnwick
