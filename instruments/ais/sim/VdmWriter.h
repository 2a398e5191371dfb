#pragma once
// Framing of encoded AIS messages as "!AIVDM" sentences: six-bit armouring,
// fill bits, splitting into fragments of at most 60 payload characters with a
// sequential message id, and the checksum.

#include <string>
#include <vector>

#include "instruments/ais/AisBits.h"

namespace tarnwick {

class CVdmWriter {
 public:
  // Payload characters per fragment: keeps each sentence within the 82
  // characters of NMEA 0183.
  static constexpr int kMaxPayloadChars = 60;

  // talker: two letters ("AI"); own: VDO (own vessel) instead of VDM.
  explicit CVdmWriter(std::string talker = "AI", bool own = false);

  // The sentences (without CR LF) carrying bits on channel ('A' or 'B'). A
  // message of more than one fragment takes the next sequential message id
  // (1..9, then 0 again); a single fragment leaves the id empty. Nothing for
  // an empty message.
  std::vector<std::string> Sentences(const AisBits& bits, char channel);

 private:
  std::string address_;
  int nextSequenceId_ = 1;
};

// The two hexadecimal digits of the NMEA checksum of body (the characters
// between '!' or '$' and '*').
std::string NmeaChecksumHex(const std::string& body);

}  // namespace tarnwick
