#include "recording/vdr/VdrFormat.h"

namespace tarnwick::vdr {

uint64_t ReadBigEndian(std::span<const uint8_t> bytes, Field field) {
  uint64_t value = 0;
  for (size_t i = 0; i < field.width; ++i) value = (value << 8) | bytes[field.offset + i];
  return value;
}

void WriteBigEndian(std::span<uint8_t> bytes, Field field, uint64_t value) {
  for (size_t i = 0; i < field.width; ++i)
    bytes[field.offset + field.width - 1 - i] = static_cast<uint8_t>(value >> (8 * i));
}

namespace {

uint32_t ReadLittleEndian32(std::span<const uint8_t> bytes, Field field) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[field.offset + i]) << (8 * i);
  return value;
}

bool PlausibleDate(const Date& date) {
  return date.year >= 1970 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= 31;
}

}  // namespace

uint32_t PackDate(const Date& date) {
  return static_cast<uint32_t>(date.year) * 65536u + static_cast<uint32_t>(date.month) * 256u +
         static_cast<uint32_t>(date.day);
}

Date UnpackDate(uint32_t packed) {
  return Date{static_cast<int>(packed >> 16), static_cast<int>((packed >> 8) & 0xFF),
              static_cast<int>(packed & 0xFF)};
}

std::optional<int> Header::SlotOf(int hour, int minute) const {
  if (hour < firstHour || hour >= endHour || minute < 0 || minute > 59) return std::nullopt;
  const int slot = hour * 60 - firstHour * 60 + minute;
  if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) return std::nullopt;
  return slot;
}

size_t HeaderSizeOf(uint32_t magic) {
  switch (magic) {
    case kMagicVdr4:
      return kVdr4HeaderSize;
    case kMagicVdr3:
      return kVdr3HeaderSize;
    case kMagicVdr2:
      return kVdr2HeaderSize;
    default:
      return 0;
  }
}

std::optional<uint32_t> ReadMagic(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  return static_cast<uint32_t>(ReadBigEndian(bytes, kVdr4Magic));
}

std::optional<Header> ParseHeader(std::span<const uint8_t> bytes) {
  const auto magic = ReadMagic(bytes);
  if (!magic) return std::nullopt;
  const size_t size = HeaderSizeOf(*magic);
  if (size == 0 || bytes.size() < size) return std::nullopt;
  Header header;
  header.magic = *magic;
  header.size = size;
  int slotCount = kDailySlotCount;
  if (*magic == kMagicVdr4) {
    header.date = UnpackDate(static_cast<uint32_t>(ReadBigEndian(bytes, kVdr4Date)));
    header.firstHour = static_cast<int>(ReadBigEndian(bytes, kVdr4FirstHour));
    header.endHour = static_cast<int>(ReadBigEndian(bytes, kVdr4EndHour));
    header.slotField = kVdr4Slots;
    if (ReadLittleEndian32(bytes, kVdr4SlotCount) != kVdr4SlotCountValue) return std::nullopt;
    if (header.firstHour > 23 || header.endHour != header.firstHour + 1) return std::nullopt;
    slotCount = kVdr4SlotCountValue;
  } else {
    header.date = UnpackDate(static_cast<uint32_t>(ReadBigEndian(bytes, kVdr3Date)));
    header.firstHour = 0;
    header.endHour = 24;
    header.slotField = *magic == kMagicVdr3 ? kVdr3Slots : kVdr2Slots;
  }
  if (!PlausibleDate(header.date)) return std::nullopt;
  header.slots.resize(static_cast<size_t>(slotCount));
  for (int i = 0; i < slotCount; ++i) {
    const Field field{header.slotField.offset + static_cast<size_t>(i) * header.slotField.width,
                      header.slotField.width};
    const uint64_t offset = ReadBigEndian(bytes, field);
    // An offset inside the header cannot be a record; treat it as an empty slot.
    header.slots[static_cast<size_t>(i)] = offset >= size ? offset : 0;
  }
  return header;
}

Header MakeHourlyHeader(const Date& date, int hour) {
  Header header;
  header.date = date;
  header.firstHour = hour;
  header.endHour = hour + 1;
  header.slots.assign(kVdr4SlotCountValue, 0);
  return header;
}

std::vector<uint8_t> EncodeHourlyHeader(const Date& date, int hour) {
  std::vector<uint8_t> bytes(kVdr4HeaderSize, 0);
  WriteBigEndian(bytes, kVdr4Magic, kMagicVdr4);
  WriteBigEndian(bytes, kVdr4Date, PackDate(date));
  WriteBigEndian(bytes, kVdr4FirstHour, static_cast<uint64_t>(hour));
  WriteBigEndian(bytes, kVdr4EndHour, static_cast<uint64_t>(hour + 1));
  bytes[kVdr4SlotCount.offset] = kVdr4SlotCountValue;  // little-endian 60
  return bytes;
}

SlotWrite EncodeSlot(const Header& header, int slot, uint64_t value) {
  SlotWrite write;
  write.size = header.slotField.width;
  write.fileOffset = header.slotField.offset + static_cast<size_t>(slot) * write.size;
  WriteBigEndian(write.bytes, Field{0, write.size}, value);
  return write;
}

RecordPrefix EncodeRecordPrefix(int msInMinute, int kind, size_t length) {
  RecordPrefix prefix;
  WriteBigEndian(prefix.bytes, kRecordMilliseconds, static_cast<uint64_t>(msInMinute));
  if (length <= kMaxShortPayload) {
    prefix.bytes[kRecordFormKind.offset] = static_cast<uint8_t>((1 << 6) | (kind & kMaxKind));
    WriteBigEndian(prefix.bytes, Field{kRecordLength.offset, kLengthWidthForm1}, length);
    prefix.size = kRecordLength.offset + kLengthWidthForm1;
  } else {
    prefix.bytes[kRecordFormKind.offset] = static_cast<uint8_t>((2 << 6) | (kind & kMaxKind));
    WriteBigEndian(prefix.bytes, Field{kRecordLength.offset, kLengthWidthForm2}, length);
    prefix.size = kRecordLength.offset + kLengthWidthForm2;
  }
  return prefix;
}

std::optional<RecordHeader> ParseRecordPrefix(std::span<const uint8_t> bytes) {
  if (bytes.size() < kRecordLength.offset + 1) return std::nullopt;
  RecordHeader record;
  record.msInMinute = static_cast<int>(ReadBigEndian(bytes, kRecordMilliseconds));
  if (record.msInMinute >= kMillisecondsPerMinute) record.msInMinute = 0;
  const uint8_t formKind = bytes[kRecordFormKind.offset];
  record.form = formKind >> 6;
  record.kind = formKind & kMaxKind;
  static constexpr size_t kWidths[4] = {kLengthWidthForm0, kLengthWidthForm1, kLengthWidthForm2,
                                        kLengthWidthForm3};
  const size_t width = kWidths[record.form];
  record.prefixSize = kRecordLength.offset + width;
  if (bytes.size() < record.prefixSize) return std::nullopt;
  const size_t lengthWidth = record.form >= 2 ? 3 : 1;
  record.payloadLength =
      static_cast<size_t>(ReadBigEndian(bytes, Field{kRecordLength.offset, lengthWidth}));
  if (record.form == 3)
    record.extra = static_cast<uint32_t>(ReadBigEndian(bytes, Field{kRecordLength.offset + 3, 4}));
  return record;
}

}  // namespace tarnwick::vdr
