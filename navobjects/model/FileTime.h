#pragma once
// Conversions of file times (100-ns intervals since 1601, UTC) to and from Unix
// time and the compact texts the object files use.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "navobjects/model/PropertyTypes.h"

namespace tarnwick {

// Milliseconds since 1970 <-> file time.
FileTime FileTimeFromUnixMs(int64_t unixMs);
int64_t UnixMsFromFileTime(FileTime time);
// The current UTC time from the process clock.
FileTime FileTimeNow();

// "YYYYMMDDTHHMMSS" of the UTC time, with a trailing 'Z' when withZone.
std::string FormatCompactTime(FileTime time, bool withZone);
// Reads "YYYYMMDDTHHMMSS" with an optional trailing 'Z'; the whole text must
// match. Calendar fields out of range give none.
std::optional<FileTime> ParseCompactTime(std::string_view text);
// "YYYY-MM-DDTHH:MM:SSZ" (ISO 8601, whole seconds).
std::string FormatIsoTime(FileTime time);
// Reads ISO 8601 "YYYY-MM-DDTHH:MM:SS[.fff](Z|+hh:mm|-hh:mm)"; the result is UTC.
std::optional<FileTime> ParseIsoTime(std::string_view text);

}  // namespace tarnwick
