// `tarnwick grib`: GRIB edition 1 forecast files record by record, and the
// forecast's values at a place and time.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Subcommand.h"
#include "core/JsonWriter.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"
#include "core/units/UnitSystem.h"
#include "core/settings/WeatherSettings.h"
#include "environment/grib/ForecastRequest.h"
#include "environment/grib/GribFile.h"
#include "environment/grib/GribGeometry.h"
#include "environment/grib/GribJson.h"
#include "environment/grib/GribTables.h"
#include "environment/grib/GribTime.h"
#include "environment/grib/WeatherFormat.h"
#include "environment/grib/WeatherLoad.h"

namespace tarnwick {
namespace {

constexpr size_t kOutputBlock = 1 << 20;  // bytes of output written at once

constexpr const char* kUsage =
    "dump FILE [--values]\n"
    "  value FILE --at LAT LON --time ISO\n"
    "  request mail|grid --region N,S,W,E [--days D] [--items wind,pressure,...] [--email ADDRESS]";

int Fail(const std::string& message, int status = 1) {
  std::fprintf(stderr, "tarnwick grib: %s\n", message.c_str());
  return status;
}

void Flush(std::string& out) {
  std::fwrite(out.data(), 1, out.size(), stdout);
  out.clear();
}

int Dump(CArguments& args) {
  const bool values = args.TakeFlag("--values");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown, 2);
  if (args.Size() != 2) return Fail(std::string("usage: tarnwick grib ") + kUsage, 2);
  const std::string path = args[1];
  std::string error;
  const auto file = CGribFile::Open(path, error);
  if (!file) return Fail(path + ": " + error);

  std::string out;
  out.reserve(kOutputBlock + 4096);
  const GribReadSummary summary = ReadGribRecords(
      file->Data(), file->Size(), GribDecode::Values,
      [&](const GribRecord& record, const GribParseResult& result) {
        std::optional<CGribGeometry> geometry;
        std::string why = result.reason;
        if (result.status == GribParseStatus::Decoded && values)
          geometry = CGribGeometry::Make(record.grid, why);
        if (!why.empty()) {
          Flush(out);
          std::fflush(stdout);
          std::fprintf(stderr, "tarnwick grib: %s: record at offset %zu: %s\n", path.c_str(), record.offset,
                       why.c_str());
        }
        AppendGribRecordJson(out, record, geometry ? &*geometry : nullptr, values);
        out += '\n';
        if (out.size() >= kOutputBlock) Flush(out);
        return true;
      });
  Flush(out);
  std::fflush(stdout);
  if (summary.otherEditions > 0)
    std::fprintf(stderr, "tarnwick grib: %s: %zu message(s) of another GRIB edition not read\n", path.c_str(),
                 summary.otherEditions);
  if (summary.corrupt) {
    return Fail(path + ": record at offset " + std::to_string(summary.corruptOffset) + ": " +
                summary.corruptReason + "; reading stopped");
  }
  if (summary.records == 0) return Fail(path + ": no GRIB edition 1 records");
  return 0;
}

// "--at LAT LON": the two numbers after --at, taken out of args.
bool TakePosition(CArguments& args, double& lat, double& lon) {
  std::vector<std::string> rest = args.Rest();
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != "--at") continue;
    if (i + 2 >= rest.size()) return false;
    char* end = nullptr;
    lat = std::strtod(rest[i + 1].c_str(), &end);
    if (*end != '\0' || rest[i + 1].empty()) return false;
    lon = std::strtod(rest[i + 2].c_str(), &end);
    if (*end != '\0' || rest[i + 2].empty()) return false;
    rest.erase(rest.begin() + static_cast<long>(i), rest.begin() + static_cast<long>(i) + 3);
    args = CArguments(std::move(rest));
    return lat >= -90 && lat <= 90 && lon >= -360 && lon <= 360;
  }
  return false;
}

int Value(CArguments& args) {
  double lat = 0, lon = 0;
  if (!TakePosition(args, lat, lon)) return Fail("--at needs a latitude (-90..90) and a longitude in degrees", 2);
  const auto timeText = args.TakeOption("--time");
  if (!timeText) return Fail("--time needs a UTC time such as 2011-10-08T06:00:00Z", 2);
  const auto time = ParseUtc(*timeText);
  if (!time) return Fail("not a UTC time: " + *timeText + " (use 2011-10-08T06:00:00Z)", 2);
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown, 2);
  if (args.Size() != 2) return Fail(std::string("usage: tarnwick grib ") + kUsage, 2);
  const std::string path = args[1];

  CRegistryFile registry(CRegistryFile::DefaultPath());
  LoadProgramSettings(registry);
  RefreshUnitSettings();
  const WeatherLoadResult loaded = LoadWeatherFile(path);
  if (loaded.truncated) std::fprintf(stderr, "tarnwick grib: %s: %s; reading stopped\n", path.c_str(), loaded.truncation.c_str());
  if (!loaded.forecast) return Fail(path + ": " + loaded.message);

  const WeatherUnits units = WeatherUnits::FromSettings();
  std::string out;
  for (int type : loaded.forecast->ListedTypes()) {
    const WeatherTypeInfo* info = FindWeatherType(type);
    const auto reading = loaded.forecast->Reading(type, lat, lon, *time);
    out += "{\"type\":" + std::to_string(type) + ",\"code\":\"" + info->code + "\",\"name\":\"" + info->name +
           "\",\"time\":\"" + FormatUtc(*time) + "\",\"lat\":";
    AppendNumber(out, lat);
    out += ",\"lon\":";
    AppendNumber(out, lon);
    out += ",\"value\":";
    if (reading) AppendNumber(out, reading->value); else out += "null";
    if (info->companion != 0) {
      out += ",\"companion_type\":" + std::to_string(info->companion) + ",\"companion\":";
      if (reading && reading->companion) AppendNumber(out, *reading->companion); else out += "null";
    }
    out += ",\"text\":";
    if (reading) out += "\"" + FormatWeatherReading(*reading, units) + "\""; else out += "null";
    out += "}\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

// The forecast request texts; items and days default to the "Weather" settings.
int Request(CArguments& args) {
  const auto regionText = args.TakeOption("--region");
  const auto daysText = args.TakeOption("--days");
  const auto itemsText = args.TakeOption("--items");
  const std::string email = args.TakeOption("--email").value_or("");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown, 2);
  if (args.Size() != 2 || (args[1] != "mail" && args[1] != "grid"))
    return Fail(std::string("usage: tarnwick grib ") + kUsage, 2);
  CRegistryFile registry(CRegistryFile::DefaultPath());
  LoadProgramSettings(registry);
  const auto region = ParseForecastRegion(regionText.value_or(opt::Weather_DownloadDlg_Region.Text()));
  if (!region) return Fail("--region needs north,south,west,east in degrees", 2);
  const auto items = ParseForecastItems(itemsText.value_or(opt::Weather_DownloadDlg_Items.Text()));
  if (!items) return Fail("--items takes wind, pressure, temperature, rain, waves, humidity", 2);
  const int days = daysText ? std::atoi(daysText->c_str()) : opt::Weather_DownloadDlg_Days.GetInt();
  if (days < 1 || days > 16) return Fail("--days takes 1 to 16", 2);
  std::string out = "{\"service\":\"" + args[1] + "\",\"request\":";
  std::string request, query;
  std::filesystem::path reply;
  if (args[1] == "mail") {
    request = MailRequestText(*region, days * 24, *items);
    query = MailFetchQuery(request, email);
    reply = MailReplyPath();
  } else {
    request = GridRequestText(days, *region, *items);
    reply = GridReplyPath();
  }
  AppendJsonString(out, request);
  if (!query.empty()) {
    out += ",\"query\":";
    AppendJsonString(out, query);
  }
  out += ",\"reply\":";
  AppendJsonString(out, reply.string());
  out += "}\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int GribMain(CArguments& args) {
  if (args.Size() < 1) return Fail(std::string("usage: tarnwick grib ") + kUsage, 2);
  const std::string verb = args[0];
  if (verb == "dump") return Dump(args);
  if (verb == "value") return Value(args);
  if (verb == "request") return Request(args);
  return Fail(std::string("usage: tarnwick grib ") + kUsage, 2);
}

const CSubcommand kGrib("grib", kUsage,
                        "GRIB1 weather forecasts: records, values at a place and time, forecast requests",
                        GribMain);

}  // namespace
}  // namespace tarnwick
