#pragma once
// SiRF binary protocol framing: 0xA0 0xA2, a 15-bit payload length (big
// endian), the payload (message id first), a 15-bit checksum (sum of the
// payload bytes), 0xB0 0xB3. Used when a GPS receiver falls back from NMEA.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarnwick {

inline constexpr uint8_t kSirfStart1 = 0xA0;
inline constexpr uint8_t kSirfStart2 = 0xA2;
inline constexpr uint8_t kSirfEnd1 = 0xB0;
inline constexpr uint8_t kSirfEnd2 = 0xB3;
inline constexpr size_t kSirfBufferSize = 1040;  // start, length, payload, checksum and end

inline constexpr uint8_t kSirfMidPollVersion = 0x84;   // poll software version
inline constexpr uint8_t kSirfMidStaticNav = 0x8F;     // set static navigation (input)
inline constexpr uint8_t kSirfMidStaticReport = 0xC3;  // reply carrying sub-id 0x8F

// Collects one frame byte by byte.
class CSirfFrameParser {
 public:
  enum class Step {
    More,      // keep feeding
    Complete,  // Payload() holds a checked frame
    Failed,    // not a frame (bad start, too long, bad checksum or end); the byte ended it
  };

  // The first byte must be 0xA0; feed each byte, starting with it.
  Step Feed(uint8_t byte);
  void Reset() { buffer_.clear(); }
  // Bytes of the frame collected so far.
  size_t Size() const { return buffer_.size(); }
  // The checked payload of the completed frame (message id first).
  std::span<const uint8_t> Payload() const;

 private:
  std::vector<uint8_t> buffer_;
};

// A complete frame around payload (message id first); payload up to 1032 bytes.
std::vector<uint8_t> BuildSirfFrame(std::span<const uint8_t> payload);

// The log text of a frame: the payload bytes as "%02x," (at most 100 of them).
std::string SirfFrameText(std::span<const uint8_t> payload);

}  // namespace tarnwick
