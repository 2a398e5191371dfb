#pragma once
// Byte layout of voyage data recordings (".skvdr" files): the file header with
// its minute index, and the records that follow it. Multi-byte integers are
// big-endian except the slot count of the hourly header. Pure functions over
// bytes; the files themselves are handled by CVoyageRecorder and CVdrFileReader.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarnwick::vdr {

// One field of a header: its byte offset and width.
struct Field {
  size_t offset;
  size_t width;
};

// Hourly header "VDR4", 256 bytes, one file per UTC hour.
inline constexpr uint32_t kMagicVdr4 = 0x56445234;
inline constexpr size_t kVdr4HeaderSize = 256;
inline constexpr Field kVdr4Magic{0, 4};
inline constexpr Field kVdr4Date{4, 4};        // year * 65536 + month * 256 + day
inline constexpr Field kVdr4FirstHour{8, 2};   // first UTC hour covered
inline constexpr Field kVdr4EndHour{10, 2};    // first hour + 1 (exclusive)
inline constexpr Field kVdr4SlotCount{12, 4};  // 60, little-endian
inline constexpr Field kVdr4Slots{16, 4};      // 60 slots: offset of each minute's first record
inline constexpr int kVdr4SlotCountValue = 60;

// Daily header "VDR3" of older files, 11,536 bytes.
inline constexpr uint32_t kMagicVdr3 = 0x56445233;
inline constexpr size_t kVdr3HeaderSize = 11536;
inline constexpr Field kVdr3Magic{0, 4};
inline constexpr Field kVdr3Date{4, 4};
inline constexpr Field kVdr3Slots{16, 8};  // 1440 slots of 64-bit offsets

// Daily header "VDR2" of older files, 5,768 bytes.
inline constexpr uint32_t kMagicVdr2 = 0x56445232;
inline constexpr size_t kVdr2HeaderSize = 5768;
inline constexpr Field kVdr2Magic{0, 4};
inline constexpr Field kVdr2Date{4, 4};
inline constexpr Field kVdr2Slots{8, 4};  // 1440 slots of 32-bit offsets

inline constexpr int kDailySlotCount = 1440;

// Record prefix: milliseconds in the minute (2 bytes), form and kind (1 byte:
// form in the top two bits, kind in the low six), then the length.
inline constexpr Field kRecordMilliseconds{0, 2};
inline constexpr Field kRecordFormKind{2, 1};
inline constexpr Field kRecordLength{3, 0};  // width by form, below
inline constexpr size_t kLengthWidthForm0 = 1;
inline constexpr size_t kLengthWidthForm1 = 1;
inline constexpr size_t kLengthWidthForm2 = 3;
inline constexpr size_t kLengthWidthForm3 = 3 + 4;  // 24-bit length, then a 4-byte extra field
inline constexpr size_t kMaxPrefixSize = 3 + kLengthWidthForm3;
inline constexpr size_t kMaxShortPayload = 255;  // form 1 up to here
inline constexpr size_t kMaxPayload = 0xFFFFFF;  // form 2 limit (24 bits)
inline constexpr int kMaxKind = 63;
inline constexpr int kMillisecondsPerMinute = 60000;

struct Date {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  bool operator==(const Date&) const = default;
};

uint32_t PackDate(const Date& date);
Date UnpackDate(uint32_t packed);

struct Header {
  uint32_t magic = kMagicVdr4;
  Date date;
  int firstHour = 0;              // UTC hour of slot 0
  int endHour = 1;                // exclusive
  size_t size = kVdr4HeaderSize;  // bytes before the first record
  Field slotField = kVdr4Slots;   // where slot 0 lies and its width
  std::vector<uint64_t> slots;    // file offset of each minute's first record, 0 for none

  // The slot of UTC hour and minute, or empty when outside the header's hours.
  std::optional<int> SlotOf(int hour, int minute) const;
};

// The header size for a magic number, 0 when it is not one of ours.
size_t HeaderSizeOf(uint32_t magic);
// Reads the magic number of the first four bytes (empty when fewer).
std::optional<uint32_t> ReadMagic(std::span<const uint8_t> bytes);
// Parses a whole header (HeaderSizeOf(magic) bytes). Empty when the magic is
// unknown, bytes are missing, or the fields are out of range.
std::optional<Header> ParseHeader(std::span<const uint8_t> bytes);
// A fresh "VDR4" header for one UTC hour (0..23) with an empty index.
std::vector<uint8_t> EncodeHourlyHeader(const Date& date, int hour);
Header MakeHourlyHeader(const Date& date, int hour);

// The bytes that store one slot value in the file, and where they go.
struct SlotWrite {
  size_t fileOffset = 0;
  std::array<uint8_t, 8> bytes{};
  size_t size = 0;
};
SlotWrite EncodeSlot(const Header& header, int slot, uint64_t value);

// The prefix the writer puts before a payload of `length` bytes: form 1 up to
// 255 bytes, form 2 above. msInMinute 0..59999, kind 0..63, length <= kMaxPayload.
struct RecordPrefix {
  std::array<uint8_t, kMaxPrefixSize> bytes{};
  size_t size = 0;
};
RecordPrefix EncodeRecordPrefix(int msInMinute, int kind, size_t length);

struct RecordHeader {
  int msInMinute = 0;  // 0..59999; a stored value of 60000 or more reads as 0
  int form = 0;        // 0..3
  int kind = 0;        // 0..63
  size_t prefixSize = 0;
  size_t payloadLength = 0;
  uint32_t extra = 0;  // form 3 only
};
// Parses a record prefix from the start of bytes; empty when bytes are too few.
std::optional<RecordHeader> ParseRecordPrefix(std::span<const uint8_t> bytes);

// Big-endian helpers shared by the reader and writer.
uint64_t ReadBigEndian(std::span<const uint8_t> bytes, Field field);
void WriteBigEndian(std::span<uint8_t> bytes, Field field, uint64_t value);

}  // namespace tarnwick::vdr
