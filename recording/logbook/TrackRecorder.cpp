#include "recording/logbook/TrackRecorder.h"

#include "core/Clock.h"
#include "recording/VirtualTime.h"

namespace tarnwick {
namespace {

constexpr int64_t kMsPerMinute = 60'000;

int64_t FloorMinute(int64_t utcMs) {
  return utcMs / kMsPerMinute - ((utcMs % kMsPerMinute != 0) && utcMs < 0);
}

void WriteTextEntry(CLogBook& book, int code, std::initializer_list<LogField> fields) {
  LogEntry entry(code);
  for (const auto& field : fields) entry.AddText(field.key, field.value);
  book.Write(entry);
}

}  // namespace

bool CTrackRecorder::OnTimer(const std::optional<OwnShipSample>& sample) {
  if (!sample || VirtualTime().IsActive()) return false;
  const int64_t minute = FloorMinute(UtcNowMs());
  if (lastMinute_ == minute) return false;
  lastMinute_ = minute;
  if (!sample->positionValid) return false;

  LogTrackPoint point{sample->position, sample->sog, sample->cog, sample->heading, sample->depth};
  const bool written = book_.AddTrackPoint(point);
  LogEntry entry(kLogTrack);
  entry.AddNumber("lat", point.position.lat);
  entry.AddNumber("lon", point.position.lon);
  entry.AddNumber("sog", point.sog);
  entry.AddNumber("cog", point.cog);
  if (point.heading) entry.AddNumber("hdg", *point.heading);
  if (point.depth) entry.AddNumber("dpt", *point.depth);
  book_.Write(entry);
  return written;
}

void LogApplicationStarted(CLogBook& book) {
  WriteTextEntry(book, kLogApplicationStarted, {{"version", TW_VERSION}});
}

void LogApplicationExit(CLogBook& book) {
  book.AddEntry(kLogApplicationExit / 1000, kLogApplicationExit % 1000, std::nullopt);
}

void LogApplicationCrash(CLogBook& book, const std::optional<std::string>& report) {
  if (report)
    WriteTextEntry(book, kLogApplicationCrash, {{"report", *report}});
  else
    book.AddEntry(kLogApplicationCrash / 1000, kLogApplicationCrash % 1000, std::nullopt);
}

void LogAisSafetyMessage(CLogBook& book, std::string_view from, std::string_view fromName,
                         std::string_view message) {
  WriteTextEntry(book, kLogAisMessage,
                 {{"from", std::string(from)},
                  {"from_name", std::string(fromName)},
                  {"message", std::string(message)}});
}

void LogSensorAlarm(CLogBook& book, std::string_view source, std::string_view text) {
  WriteTextEntry(book, kLogSensorAlarm,
                 {{"source", std::string(source)}, {"message", std::string(text)}});
}

void LogSensorMessage(CLogBook& book, std::string_view source, std::string_view text) {
  WriteTextEntry(book, kLogSensorMessage,
                 {{"source", std::string(source)}, {"message", std::string(text)}});
}

}  // namespace tarnwick
