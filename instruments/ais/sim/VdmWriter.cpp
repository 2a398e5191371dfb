#include "instruments/ais/sim/VdmWriter.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick {

std::string NmeaChecksumHex(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char hex[3];
  snprintf(hex, sizeof hex, "%02X", sum & 0xFFU);
  return hex;
}

CVdmWriter::CVdmWriter(std::string talker, bool own)
    : address_(talker.substr(0, 2) + (own ? "VDO" : "VDM")) {}

std::vector<std::string> CVdmWriter::Sentences(const AisBits& bits, char channel) {
  std::vector<std::string> sentences;
  if (bits.Size() <= 0) return sentences;
  const std::string payload = bits.Armoured(0, bits.Size());
  const int fillBits = static_cast<int>(payload.size()) * 6 - bits.Size();
  const int count = static_cast<int>((payload.size() + kMaxPayloadChars - 1) / kMaxPayloadChars);
  std::string sequence;
  if (count > 1) {
    sequence = std::to_string(nextSequenceId_);
    nextSequenceId_ = (nextSequenceId_ + 1) % 10;
  }
  for (int i = 0; i < count; ++i) {
    const size_t from = static_cast<size_t>(i) * kMaxPayloadChars;
    const std::string part =
        payload.substr(from, std::min<size_t>(kMaxPayloadChars, payload.size() - from));
    const bool last = i + 1 == count;
    std::string body = address_ + "," + std::to_string(count) + "," + std::to_string(i + 1) + "," +
                       sequence + "," + std::string(1, channel) + "," + part + "," +
                       std::to_string(last ? fillBits : 0);
    sentences.push_back("!" + body + "*" + NmeaChecksumHex(body));
  }
  return sentences;
}

}  // namespace tarnwick
