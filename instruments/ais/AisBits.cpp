#include "instruments/ais/AisBits.h"

#include <algorithm>

namespace tarnwick {
namespace {

// DearmourChar of every byte, looked up instead of computed per character.
constexpr std::array<uint8_t, 256> kSixBits = [] {
  std::array<uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[static_cast<size_t>(c)] =
        static_cast<uint8_t>(DearmourChar(static_cast<unsigned char>(c)));
  return table;
}();

}  // namespace

void AisBits::AppendArmoured(std::string_view payload) {
  for (char c : payload) {
    if (size_ + 6 > kAisMaxBits) return;
    // The six bits land in the current byte and the next one: keep the used
    // high bits of the current byte, write both bytes whole (the store has
    // spare bytes at the end, and bits past Size() are never read).
    const uint32_t value = kSixBits[static_cast<unsigned char>(c)];
    const size_t at = static_cast<size_t>(size_ >> 3);
    const int used = size_ & 7;
    const uint32_t kept = bytes_[at] & (0xFF00U >> used) & 0xFFU;
    const uint32_t word = (kept << 8) | (value << (10 - used));
    bytes_[at] = static_cast<uint8_t>(word >> 8);
    bytes_[at + 1] = static_cast<uint8_t>(word);
    size_ += 6;
  }
}

void AisBits::AppendBits(uint32_t value, int width) {
  if (width <= 0 || width > 32 || size_ + width > kAisMaxBits) return;
  for (int i = width - 1; i >= 0; --i) {
    const int bit = static_cast<int>((value >> i) & 1U);
    uint8_t& byte = bytes_[static_cast<size_t>(size_ >> 3)];
    const int shift = 7 - (size_ & 7);
    byte = static_cast<uint8_t>((byte & ~(1 << shift)) | (bit << shift));
    ++size_;
  }
}

void AisBits::DropTail(int count) {
  size_ = count >= size_ ? 0 : size_ - count;
}

uint32_t AisBits::Unsigned(BitField field) const {
  if (field.width <= 0 || field.offset < 0) return 0;
  const int end = field.offset + field.width;
  // Read the bytes that hold the field into a 64-bit window (at most 5 bytes
  // for 32 bits at any alignment), then mask off what lies past Size().
  uint64_t window = 0;
  const int first = field.offset >> 3;
  const int last = (end - 1) >> 3;
  for (int i = first; i <= last; ++i) {
    const uint8_t byte = i < static_cast<int>(bytes_.size()) ? bytes_[static_cast<size_t>(i)] : 0;
    window = (window << 8) | byte;
  }
  const int trailing = (last + 1) * 8 - end;
  uint64_t value = (window >> trailing) & ((uint64_t{1} << field.width) - 1);
  if (end > size_) {
    const int missing = std::min(end - size_, field.width);
    value &= ~((uint64_t{1} << missing) - 1);
  }
  return static_cast<uint32_t>(value);
}

int32_t AisBits::Signed(BitField field) const {
  const uint32_t raw = Unsigned(field);
  if (field.width <= 0 || field.width >= 32) return static_cast<int32_t>(raw);
  const uint32_t sign = 1U << (field.width - 1);
  return static_cast<int32_t>((raw ^ sign) - sign);
}

std::string AisBits::Text(BitField field) const {
  std::string text;
  const int chars = field.width / 6;
  text.reserve(static_cast<size_t>(chars));
  for (int i = 0; i < chars; ++i) {
    const int value = static_cast<int>(Unsigned({field.offset + i * 6, 6}));
    if (value == 0) break;  // '@' ends the text
    text.push_back(SixBitChar(value));
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string AisBits::Armoured(int offset, int count) const {
  std::string payload;
  for (int at = offset; at < offset + count; at += 6) {
    const int width = std::min(6, offset + count - at);
    const uint32_t value = Unsigned({at, width}) << (6 - width);
    payload.push_back(ArmourValue(static_cast<int>(value)));
  }
  return payload;
}

int SixBitValue(char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (c >= '@' && c <= '_') return c - '@';
  if (c >= ' ' && c <= '?') return c;
  return -1;
}

}  // namespace tarnwick
