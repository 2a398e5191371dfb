#include "recording/logbook/LogQuery.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <vector>

#include "core/Log.h"
#include "core/Setting.h"
#include "core/Sqlite.h"
#include "recording/logbook/LogEntry.h"

namespace tarnwick {
namespace {

// Functions a condition may call: text, number, date and JSON helpers. No
// function that reads files, loads code or builds large blobs.
// A condition's time limit is checked between SQLite's steps, never inside one
// function call. So the functions that can make long texts from short ones
// (printf and format with a huge width, replace, hex) are not among these:
// no value a condition makes is longer than its own text, which keeps every
// single call short.
constexpr const char* kAllowedFunctions[] = {
    "abs",        "char",     "coalesce",  "date",      "datetime",  "glob",      "ifnull",
    "iif",        "instr",    "json_extract", "json_type", "json_valid", "julianday", "length",
    "like",       "likely",   "lower",     "ltrim",     "max",       "min",       "nullif",
    "round",      "rtrim",    "strftime",  "substr",    "substring", "time",      "trim",
    "typeof",     "unicode",  "unixepoch", "unlikely",  "upper",     "likelihood", "sign",
    "count",      "sum",      "total",     "avg",
};

constexpr int kMaxValueBytes = 1 << 20;
constexpr int kMaxStatementBytes = 16 * 1024;
constexpr const char* kEmptyEntries =
    "CREATE TABLE Entries (parent INTEGER,created DATETIME DEFAULT CURRENT_TIMESTAMP,category "
    "INTEGER,type INTEGER,content TEXT );";

int AuthorizeCondition(void*, int action, const char* first, const char* second,
                       const char* database, const char*) {
  switch (action) {
    case SQLITE_SELECT:
      return SQLITE_OK;
    case SQLITE_READ:
      // Reads of whole rows (count(*)) come without a database name.
      return first && EqualsIgnoreCase(first, "Entries") &&
                     (!database || EqualsIgnoreCase(database, "main"))
                 ? SQLITE_OK
                 : SQLITE_DENY;
    case SQLITE_FUNCTION:
      if (second)
        for (const char* name : kAllowedFunctions)
          if (EqualsIgnoreCase(second, name)) return SQLITE_OK;
      return SQLITE_DENY;
    default:
      return SQLITE_DENY;
  }
}

// Interrupts a statement that runs past its deadline (steady clock).
int LimitProgress(void* deadline) {
  return std::chrono::steady_clock::now() >
                 *static_cast<std::chrono::steady_clock::time_point*>(deadline)
             ? 1
             : 0;
}

HttpReply BadRequest(std::string message) {
  HttpReply reply;
  reply.status = 400;
  reply.contentType = "text/plain";
  reply.headers.push_back({"Cache-Control", "no-cache"});
  reply.body = std::move(message);
  return reply;
}

std::string Param(const QueryParams& params, const char* name) {
  auto it = params.find(name);
  return it == params.end() ? std::string() : it->second;
}

std::vector<std::string> SplitColumns(const std::string& text) {
  std::vector<std::string> names;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    std::string name = text.substr(start, comma == std::string::npos ? comma : comma - start);
    const size_t first = name.find_first_not_of(" \t");
    const size_t last = name.find_last_not_of(" \t");
    names.push_back(first == std::string::npos ? "" : name.substr(first, last - first + 1));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return names;
}

void AppendCsvValue(std::string& out, const std::string& value) {
  if (value.find_first_of("\",\r\n") == std::string::npos) {
    out += value;
    return;
  }
  out += '"';
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

std::string ColumnText(const CSqliteStatement& statement, int column) {
  return statement.IsNull(column) ? std::string() : statement.Text(column);
}

const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December"};

constexpr const char* kSeparator =
    "<div style=\"border-top: 1px solid silver; padding-top: 6pt; margin-bottom: 6pt;\">";

}  // namespace

HttpReply RunLogQuery(const std::filesystem::path& logDb, const QueryParams& params,
                      uint64_t timeLimitMs) {
  std::string where = Param(params, "where");
  if (where.empty()) where = "parent IS NULL";
  std::string cols = Param(params, "cols");
  if (cols.empty()) cols = "created,category,type";
  const bool html = Param(params, "format") == "htm";

  HttpReply reply;
  reply.contentType = html ? "text/html" : "text/csv";
  reply.headers.push_back({"Cache-Control", "no-cache"});
  std::string rows;

  std::error_code ec;
  CSqliteDatabase db;
  if (std::filesystem::exists(logDb, ec)) {
    if (int rc = db.Open(logDb, SQLITE_OPEN_READONLY); rc != SQLITE_OK)
      return BadRequest("cannot open the logbook: " + std::string(sqlite3_errstr(rc)));
  } else {
    // No logbook yet: check the condition against an empty one of the same shape.
    db.Open(":memory:");
    db.Exec(kEmptyEntries);
  }
  {
    sqlite3_limit(db.Handle(), SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    sqlite3_limit(db.Handle(), SQLITE_LIMIT_SQL_LENGTH, kMaxStatementBytes);
    sqlite3_set_authorizer(db.Handle(), AuthorizeCondition, nullptr);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs);
    sqlite3_progress_handler(db.Handle(), 1000, LimitProgress, &deadline);

    const std::string sql = "SELECT created, content, category, type, ROWID FROM Entries WHERE " +
                            where + " ORDER BY created;";
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(db.Handle(), sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
    std::string_view rest = tail ? std::string_view(tail) : std::string_view();
    const bool extraText = rest.find_first_not_of(" \t\r\n;") != std::string_view::npos;
    if (rc != SQLITE_OK || !raw || extraText) {
      const std::string message =
          rc != SQLITE_OK ? db.ErrorMessage() : "only one condition is allowed";
      sqlite3_finalize(raw);
      Log("CLogHttpController: rejected condition (%s)\n", message.c_str());
      return BadRequest(message);
    }
    sqlite3_finalize(raw);

    CSqliteStatement statement(db, sql);
    const std::vector<std::string> names = SplitColumns(cols);
    std::vector<int> columns(names.size(), -1);
    for (size_t i = 0; i < names.size(); ++i)
      for (int c = 0; c < statement.ColumnCount(); ++c)
        if (EqualsIgnoreCase(names[i], statement.ColumnName(c))) columns[i] = c;

    int step = SQLITE_ROW;
    while ((step = statement.Step()) == SQLITE_ROW) {
      std::vector<LogField> content;
      bool parsed = false;
      if (html) rows += "<tr>";
      for (size_t i = 0; i < names.size(); ++i) {
        std::string value;
        if (columns[i] >= 0) {
          value = ColumnText(statement, columns[i]);
        } else {
          if (!parsed) content = ParseContentJson(ColumnText(statement, 1));
          parsed = true;
          for (const auto& field : content)
            if (field.key == names[i]) value = field.value;
        }
        if (html) {
          rows += "<td>" + EscapeHtml(value) + "</td>";
        } else {
          if (i > 0) rows += ',';
          AppendCsvValue(rows, value);
        }
      }
      rows += html ? "</tr>" : "\r\n";
    }
    if (step != SQLITE_DONE) return BadRequest(db.ErrorMessage());
  }
  reply.body = html ? "<body><table>" + rows + "</table></body>" : rows;
  return reply;
}

LogPage BuildLogPage(const std::filesystem::path& logDb, int page,
                     std::optional<std::string> parent) {
  LogPage result;
  std::string& html = result.html;
  html = "<link rel='stylesheet' href='xui://settings/default.css'/><body><h1>Log</h1>";
  page = std::max(page, 0);

  CSqliteDatabase db;
  std::error_code ec;
  if (std::filesystem::exists(logDb, ec) && db.Open(logDb, SQLITE_OPEN_READONLY) == SQLITE_OK) {
    char sql[200];
    snprintf(sql, sizeof sql,
             "SELECT created, content, category, type, ROWID FROM Entries %s ORDER BY created "
             "DESC LIMIT %d OFFSET %d;",
             parent ? "WHERE parent = :parent" : "WHERE parent IS NULL", kLogPageRows,
             page * kLogPageRows);
    CSqliteStatement statement(db, sql);
    if (parent) {
      char* end = nullptr;
      const long long id = strtoll(parent->c_str(), &end, 10);
      if (end && *end == '\0' && !parent->empty())
        statement.Bind(":parent", int64_t{id});
      else
        statement.BindNull(":parent");
    }
    int previousDay = -1, previousMonth = -1, previousYear = -1;
    while (statement.Step() == SQLITE_ROW) {
      ++result.rows;
      const std::string created = ColumnText(statement, 0);
      std::string timeText = created;
      tm utc{};
      if (sscanf(created.c_str(), "%d-%d-%d %d:%d:%d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday,
                 &utc.tm_hour, &utc.tm_min, &utc.tm_sec) == 6 &&
          utc.tm_mon >= 1 && utc.tm_mon <= 12) {
        utc.tm_year -= 1900;
        utc.tm_mon -= 1;
        const time_t seconds = timegm(&utc);
        tm local{};
        localtime_r(&seconds, &local);
        char text[32];
        strftime(text, sizeof text, "%H:%M:%S", &local);
        timeText = text;
        if (local.tm_mday != previousDay || local.tm_mon != previousMonth ||
            local.tm_year != previousYear) {
          char header[80];
          snprintf(header, sizeof header, "<b>%s %d, %d</b>", kMonthNames[local.tm_mon],
                   local.tm_mday, local.tm_year + 1900);
          html += std::string(kSeparator) + header + "</div>";
          previousDay = local.tm_mday;
          previousMonth = local.tm_mon;
          previousYear = local.tm_year;
        }
      }
      const int category = static_cast<int>(statement.Int(2));
      const int type = static_cast<int>(statement.Int(3));
      html += kSeparator;
      html += "<a href=\"browser:log?parent=" + std::to_string(statement.Int(4)) + "\">";
      char title[64];
      if (const char* name = LogEntryName(category, type))
        html += "<div>" + EscapeHtml(timeText) + " <b>" + name + "</b></div>";
      else {
        snprintf(title, sizeof title, " <b>Type %d/%d</b></div>", category, type);
        html += "<div>" + EscapeHtml(timeText) + title;
      }
      html += "<div style='margin-top: 6pt;'>" + EscapeHtml(ColumnText(statement, 1)) + "</div>";
      html += "</a></div>";
    }
  }
  html += "<div style=\"border-top: 1px solid silver; padding-top: 6pt; margin-bottom: 6pt;\"/>";
  if (result.rows == kLogPageRows) {
    html += "<p><input type=\"button\" ref=\"browser:log?page=" + std::to_string(page + 1) +
            "\"><label>Older Entries</label></input></p>";
  }
  html += "</body>";
  return result;
}

}  // namespace tarnwick
