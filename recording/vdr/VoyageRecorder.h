#pragma once
// The voyage data recorder: writes raw device data with millisecond UTC time
// stamps into one file per UTC hour ("%04d%02d%02dT%02dZ.skvdr"), continuing
// into an existing daily file of earlier versions. Record() may be called from
// any thread; one lock around the whole write keeps the minute index and the
// records consistent.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "recording/vdr/VdrFormat.h"

namespace tarnwick {

// Record kinds of the producers.
enum class VdrKind : int {
  Nmea0183 = 1,  // sentence text without terminator
  Nmea2000 = 2,  // 8-byte message header, then the data bytes
  Radar = 4,     // raw radar packet
  Sounder = 5,   // sounding data block
  CameraModule = 6,
  Sonar = 7,
  Camera = 8,  // 4-byte header length, header, JPEG image
  Instrument = 10,
  RadarTarget = 11,
};

class CVoyageRecorder {
 public:
  explicit CVoyageRecorder(std::filesystem::path folder);
  ~CVoyageRecorder();
  CVoyageRecorder(const CVoyageRecorder&) = delete;
  CVoyageRecorder& operator=(const CVoyageRecorder&) = delete;

  // Writes one record of kind (0..63) at the current UTC time (Clock()); the
  // payload is buffer1 followed by buffer2 (either may be empty), at most
  // 16,777,215 bytes. False when the record was dropped (logged once per run
  // of failures; the next record tries again).
  bool Record(int kind, const void* buffer1, size_t length1, const void* buffer2 = nullptr,
              size_t length2 = 0);
  bool Record(VdrKind kind, std::string_view payload) {
    return Record(static_cast<int>(kind), payload.data(), payload.size());
  }

  // Closes the open file; the next record reopens.
  void Close();
  // Records go to folder from the next record on.
  void SetFolder(std::filesystem::path folder);
  std::filesystem::path Folder() const;
  // The file records currently go to, when one is open.
  std::optional<std::filesystem::path> CurrentFile() const;
  // Records written and dropped since construction.
  uint64_t RecordsWritten() const;
  uint64_t RecordsDropped() const;

 private:
  bool EnsureFileLocked(int64_t utcMs);
  bool OpenLocked(const std::filesystem::path& path, const vdr::Date& date, int hour, bool daily);
  enum class ExistingFile { Ok, Unusable, Failed };
  ExistingFile ReadExistingLocked(const std::filesystem::path& path, const vdr::Date& date,
                                  int hour);
  bool WriteFreshHeaderLocked(const vdr::Date& date, int hour);
  uint64_t FindEndOfRecordsLocked(uint64_t fileSize);
  bool WriteSlotLocked(int slot, uint64_t value);
  void CloseLocked();
  void DropLocked(const char* what, int error);

  mutable std::mutex mutex_;
  std::filesystem::path folder_;
  int fd_ = -1;
  std::filesystem::path path_;
  vdr::Header header_;
  int64_t fileStartMs_ = 0;  // UTC range the open file covers
  int64_t fileEndMs_ = 0;
  uint64_t end_ = 0;  // offset where the next record goes
  std::vector<uint8_t> buffer_;
  bool failing_ = false;
  uint64_t written_ = 0;
  uint64_t dropped_ = 0;
};

// The process-wide recorder writing into RecordingsFolder(), created on first use.
CVoyageRecorder& VoyageRecorder();

// Whether the producers' settings ask for this NMEA 0183 sentence to be
// recorded: VDR_RecordVoyageData on and either "$" with VDR_AllNavigationData
// or "!" with VDR_AIS.
bool ShouldRecordSentence(std::string_view sentence);
// Records an NMEA 0183 sentence received on a port as kind 1 when
// ShouldRecordSentence allows it; trailing CR and LF are not recorded.
void RecordReceivedSentence(std::string_view sentence);
// Records a raw NMEA 2000 message (8-byte header, data) as kind 2 when
// VDR_RecordVoyageData and VDR_AllNavigationData are on.
void RecordNmea2000Message(const void* header, size_t headerLength, const void* data,
                           size_t dataLength);

}  // namespace tarnwick
