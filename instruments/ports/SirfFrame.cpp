#include "instruments/ports/SirfFrame.h"

#include <cstdio>

namespace tarnwick {
namespace {

constexpr size_t kHeader = 4;   // start (2) and length (2)
constexpr size_t kTrailer = 4;  // checksum (2) and end (2)
constexpr size_t kLogPayloadMax = 100;

uint16_t Checksum(std::span<const uint8_t> payload) {
  unsigned sum = 0;
  for (uint8_t b : payload) sum += b;
  return static_cast<uint16_t>(sum & 0x7FFF);
}

}  // namespace

CSirfFrameParser::Step CSirfFrameParser::Feed(uint8_t byte) {
  if (buffer_.capacity() < kSirfBufferSize) buffer_.reserve(kSirfBufferSize);
  buffer_.push_back(byte);
  const size_t n = buffer_.size();
  if (n == 1) return byte == kSirfStart1 ? Step::More : Step::Failed;
  if (n == 2) return byte == kSirfStart2 ? Step::More : Step::Failed;
  if (n < kHeader) return Step::More;
  const size_t length = ((buffer_[2] & 0x7F) << 8) | buffer_[3];
  const size_t total = kHeader + length + kTrailer;
  if (length == 0 || total > kSirfBufferSize) return Step::Failed;
  if (n < total) return Step::More;
  const uint16_t sent =
      static_cast<uint16_t>(((buffer_[total - 4] & 0x7F) << 8) | buffer_[total - 3]);
  if (buffer_[total - 2] != kSirfEnd1 || buffer_[total - 1] != kSirfEnd2 ||
      sent != Checksum(Payload()))
    return Step::Failed;
  return Step::Complete;
}

std::span<const uint8_t> CSirfFrameParser::Payload() const {
  if (buffer_.size() < kHeader + kTrailer) return {};
  return std::span<const uint8_t>(buffer_).subspan(kHeader, buffer_.size() - kHeader - kTrailer);
}

std::vector<uint8_t> BuildSirfFrame(std::span<const uint8_t> payload) {
  std::vector<uint8_t> frame;
  const size_t length = payload.size() & 0x7FFF;
  frame.reserve(kHeader + length + kTrailer);
  frame.push_back(kSirfStart1);
  frame.push_back(kSirfStart2);
  frame.push_back(static_cast<uint8_t>(length >> 8));
  frame.push_back(static_cast<uint8_t>(length & 0xFF));
  frame.insert(frame.end(), payload.begin(), payload.begin() + static_cast<ptrdiff_t>(length));
  const uint16_t sum = Checksum(payload.first(length));
  frame.push_back(static_cast<uint8_t>(sum >> 8));
  frame.push_back(static_cast<uint8_t>(sum & 0xFF));
  frame.push_back(kSirfEnd1);
  frame.push_back(kSirfEnd2);
  return frame;
}

std::string SirfFrameText(std::span<const uint8_t> payload) {
  std::string text;
  const size_t shown = payload.size() < kLogPayloadMax ? payload.size() : kLogPayloadMax;
  text.reserve(shown * 3);
  char hex[4];
  for (size_t i = 0; i < shown; ++i) {
    snprintf(hex, sizeof hex, "%02x,", payload[i]);
    text += hex;
  }
  return text;
}

}  // namespace tarnwick
