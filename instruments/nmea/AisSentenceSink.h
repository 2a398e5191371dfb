#pragma once
// The hand-over of AIS sentences from the NMEA decoder to the AIS receiver.
// DecodeNMEA checks the VDM/VDO fields and calls DecodeVDM only with
// count >= 1, 1 <= number <= count, 0 <= sequenceId <= 9 and fillBits <= 7.

#include <string_view>

#include "instruments/ReceiveTime.h"

namespace tarnwick {

class CSensor;  // the port's own-transponder ("ais") sensor of the navigation data store

struct VdmFragment {
  int count = 0;             // fragments in the message
  int number = 0;            // this fragment's number, 1-based
  int sequenceId = 0;        // sequential message id, 0..9 (0 when the field is empty)
  char channel = 0;          // radio channel character ('A', 'B', '1', '2') or 0
  std::string_view payload;  // armoured six-bit payload
  int fillBits = 0;          // 0..7
  bool ownVessel = false;    // VDO
};

class IAisSentenceSink {
 public:
  virtual ~IAisSentenceSink() = default;
  // aisSensor: the port's own-transponder sensor for VDO sentences, else nullptr.
  virtual void DecodeVDM(CSensor* aisSensor, const ReceiveTime& received,
                         const VdmFragment& fragment) = 0;
};

}  // namespace tarnwick
