#pragma once
// The logbook's read side for the HTTP server: the "/log" query with its
// caller-given condition, and the log page. Both read through their own
// read-only connection; the query's connection also carries an authorizer
// that lets a condition read nothing but the `Entries` table.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "recording/HttpReply.h"

namespace tarnwick {

// "/log": parameters "where" (condition placed verbatim, default
// "parent IS NULL"), "cols" (comma-separated; default created,category,type)
// and "format" ("htm" for an HTML table, else CSV). A condition SQLite refuses
// answers 400 with SQLite's message; so does one that runs longer than
// timeLimitMs milliseconds ("interrupted").
HttpReply RunLogQuery(const std::filesystem::path& logDb, const QueryParams& params,
                      uint64_t timeLimitMs = 5000);

// Entries per page of the log page.
inline constexpr int kLogPageRows = 50;

struct LogPage {
  std::string html;
  int rows = 0;  // rows shown
};

// The log page: top-level entries (or the children of parent, a ROWID),
// newest first, page (0-based) of kLogPageRows rows. Times in local time.
LogPage BuildLogPage(const std::filesystem::path& logDb, int page,
                     std::optional<std::string> parent);

}  // namespace tarnwick
