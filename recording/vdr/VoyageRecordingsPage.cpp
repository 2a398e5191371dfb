#include "recording/vdr/VoyageRecordingsPage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "recording/HttpReply.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VdrFileReader.h"
#include "recording/vdr/VdrFiles.h"

namespace tarnwick {
namespace {

const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December"};
const char* kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                               "Thursday", "Friday", "Saturday"};

std::string EscapeUrlComponent(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string HourMinute(int64_t utcMs) {
  const UtcParts p = SplitUtc(utcMs);
  char text[8];
  snprintf(text, sizeof text, "%02d:%02d", p.hour, p.minute);
  return text;
}

}  // namespace

std::vector<RecordingDay> ListRecordingDays(const std::filesystem::path& folder) {
  std::vector<RecordingDay> days;
  for (const auto& file : ListRecordingFiles(folder)) {
    const auto span = RecordedTimeSpan(file.path);
    if (!span) continue;
    const UtcParts first = SplitUtc(span->firstUtcMs);
    if (!days.empty() && days.back().year == first.year && days.back().month == first.month &&
        days.back().day == first.day) {
      days.back().firstUtcMs = std::min(days.back().firstUtcMs, span->firstUtcMs);
      days.back().lastUtcMs = std::max(days.back().lastUtcMs, span->lastUtcMs);
      continue;
    }
    days.push_back(
        RecordingDay{first.year, first.month, first.day, span->firstUtcMs, span->lastUtcMs});
  }
  return days;
}

std::string BuildVoyageRecordingsPage(const std::vector<RecordingDay>& days,
                                      std::string_view vessel) {
  std::string html =
      "<link rel='stylesheet' href='xui://settings/default.css'/><body><h1>Voyage "
      "Recordings</h1>";
  if (days.empty()) html += "<p>No voyage data has been recorded.</p>";
  int month = 0, year = 0;
  char text[512];
  for (const auto& day : days) {
    if (day.month != month || day.year != year) {
      month = day.month;
      year = day.year;
      snprintf(text, sizeof text, "<div class='month-list-item'><b>%s</b> %d</div>",
               kMonthNames[month - 1], year);
      html += text;
    }
    const UtcParts first = SplitUtc(day.firstUtcMs);
    const int64_t dayNumber = StartOfUtcDay(day.firstUtcMs) / 86'400'000;
    const int weekday = static_cast<int>(((dayNumber % 7) + 7 + 4) % 7);  // 1970-01-01: Thursday
    snprintf(text, sizeof text, "<a href='play?vessel=%s&start=%d%02d%02dT%02d%02d00'>",
             EscapeHtml(EscapeUrlComponent(vessel)).c_str(), first.year, first.month, first.day,
             first.hour, first.minute);
    html += text;
    snprintf(text, sizeof text, "<span class='day'>%s %d</span>", kWeekdayNames[weekday], day.day);
    html += text;
    snprintf(text, sizeof text, "<span class='times'>%s - %s</span>",
             HourMinute(day.firstUtcMs).c_str(), HourMinute(day.lastUtcMs).c_str());
    html += text;
    html += "</a>";
  }
  html +=
      "<p><input type=\"button\" ref=\"show-voyage-recording-files\"><label>Show "
      "Files</label></input></p></body>";
  return html;
}

}  // namespace tarnwick
