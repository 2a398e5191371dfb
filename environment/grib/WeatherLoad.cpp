#include "environment/grib/WeatherLoad.h"

#include "core/Log.h"
#include "environment/grib/GribFile.h"
#include "environment/grib/WeatherLayerBuilder.h"

namespace tarnwick {

WeatherLoadResult LoadWeatherFile(const std::filesystem::path& path,
                                  const std::function<void(int percent)>& progress,
                                  const std::atomic<bool>* cancel) {
  WeatherLoadResult result;
  Log("CWeather::LoadFile %s\n", path.c_str());
  std::string error;
  const auto file = CGribFile::Open(path, error);
  if (!file) {
    result.message = "Cannot read the weather file (" + error + ").";
    Log("CWeather::LoadFile cannot read %s: %s\n", path.c_str(), error.c_str());
    return result;
  }
  CWeatherLayerBuilder builder;
  const GribReadSummary summary = ReadGribRecords(
      file->Data(), file->Size(), GribDecode::Values,
      [&](const GribRecord& record, const GribParseResult& parsed) {
        if (cancel && cancel->load()) return false;
        std::string why = parsed.reason;
        if (parsed.status != GribParseStatus::Decoded || !builder.Add(record, why))
          LogDebug("CWeather::LoadFile record at %zu: %s\n", record.offset, why.c_str());
        return true;
      },
      progress);
  result.records = summary.records;
  result.otherEditions = summary.otherEditions;
  if (summary.stopped) {
    result.cancelled = true;
    result.message = "Loading was cancelled.";
    return result;
  }
  if (summary.corrupt) {
    result.truncated = true;
    result.truncation = "record at offset " + std::to_string(summary.corruptOffset) + ": " + summary.corruptReason;
    Log("CWeather::LoadFile %s: %s; reading stopped\n", path.c_str(), result.truncation.c_str());
  }
  auto forecast = std::make_shared<CWeatherForecast>(builder.Finish());
  result.layers = forecast->Grids().size();
  if (forecast->Empty()) {
    result.message = kNoWeatherTypesMessage;
    return result;
  }
  result.forecast = std::move(forecast);
  return result;
}

}  // namespace tarnwick
