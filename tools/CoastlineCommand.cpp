// `tarnwick coastline`: builds the world coastline files from GSHHG's binned
// netCDF shorelines, and reads them back (file summary, GeoJSON of a box,
// land or sea at a position).

#include <netcdf.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/Subcommand.h"
#include "charts/coastline/CoastlineFile.h"
#include "charts/coastline/CoastlineGeoJson.h"
#include "charts/coastline/CoastlineWriter.h"
#include "charts/coastline/GshhgBins.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* kUsage =
    "build --gshhg DIR --out DIR [--res c,l,i,h]\n"
    "  info FILE\n"
    "  query --res c|l|i|h --bbox MINLON,MINLAT,MAXLON,MAXLAT [--dir DIR]\n"
    "  at --res c|l|i|h LAT LON [--dir DIR]";

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarnwick coastline: %s\n", message.c_str());
  return 1;
}

// Reads one whole one-dimensional variable, converted to T by netCDF.
template <typename T>
bool ReadVariable(int nc, const char* name, std::vector<T>& values, std::string& error) {
  int id = 0;
  int dims = 0;
  if (nc_inq_varid(nc, name, &id) != NC_NOERR || nc_inq_varndims(nc, id, &dims) != NC_NOERR ||
      dims != 1) {
    error = std::string("no one-dimensional variable ") + name;
    return false;
  }
  int dim = 0;
  size_t length = 0;
  nc_inq_vardimid(nc, id, &dim);
  nc_inq_dimlen(nc, dim, &length);
  values.resize(length);
  int status = NC_NOERR;
  if (length > 0) {
    if constexpr (sizeof(T) == 4) {
      status = nc_get_var_int(nc, id, reinterpret_cast<int*>(values.data()));
    } else if constexpr (sizeof(T) == 2) {
      status = nc_get_var_short(nc, id, reinterpret_cast<short*>(values.data()));
    } else {
      status = nc_get_var_schar(nc, id, reinterpret_cast<signed char*>(values.data()));
    }
  }
  if (status != NC_NOERR) {
    error = std::string("cannot read ") + name + ": " + nc_strerror(status);
    return false;
  }
  return true;
}

bool ReadScalar(int nc, const char* name, int32_t& value, std::string& error) {
  std::vector<int32_t> values;
  if (!ReadVariable(nc, name, values, error)) return false;
  if (values.size() != 1) {
    error = std::string(name) + " is not a single value";
    return false;
  }
  value = values[0];
  return true;
}

bool ReadGshhg(const std::string& path, GshhgArrays& a, std::string& error) {
  int nc = 0;
  const int status = nc_open(path.c_str(), NC_NOWRITE, &nc);
  if (status != NC_NOERR) {
    error = "cannot open " + path + ": " + nc_strerror(status);
    return false;
  }
  const bool ok =
      ReadScalar(nc, "Bin_size_in_minutes", a.binMinutes, error) &&
      ReadScalar(nc, "N_bins_in_360_longitude_range", a.columns, error) &&
      ReadScalar(nc, "N_bins_in_180_degree_latitude_range", a.rows, error) &&
      ReadVariable(nc, "Id_of_first_segment_in_a_bin", a.binFirstSegment, error) &&
      ReadVariable(nc, "N_segments_in_a_bin", a.binSegmentCount, error) &&
      ReadVariable(nc, "Embedded_node_levels_in_a_bin", a.binCornerLevels, error) &&
      ReadVariable(nc, "Embedded_npts_levels_exit_entry_for_a_segment", a.segmentInfo, error) &&
      ReadVariable(nc, "Id_of_first_point_in_a_segment", a.segmentFirstPoint, error) &&
      ReadVariable(nc, "Embedded_ANT_flag", a.segmentAntarctic, error) &&
      ReadVariable(nc, "Relative_longitude_from_SW_corner_of_bin", a.pointX, error) &&
      ReadVariable(nc, "Relative_latitude_from_SW_corner_of_bin", a.pointY, error);
  nc_close(nc);
  if (!ok) error = path + ": " + error;
  return ok;
}

json InfoJson(const CoastFileInfo& info) {
  return {{"resolution", std::string(1, static_cast<char>(info.resolution))},
          {"cellMinutes", info.cellMinutes},
          {"columns", info.columns},
          {"rows", info.rows},
          {"bounds", {info.bounds.west, info.bounds.south, info.bounds.east, info.bounds.north}},
          {"parts", info.partCount},
          {"points", info.pointCount},
          {"bytes", info.fileSize}};
}

int Build(CArguments& args) {
  const auto gshhg = args.TakeOption("--gshhg");
  const auto out = args.TakeOption("--out");
  const std::string list = args.TakeOption("--res").value_or("c,l,i,h");
  if (!gshhg || !out) return Fail("build needs --gshhg DIR and --out DIR");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (!EnsureFolder(*out)) return Fail("cannot create " + *out);
  json report = json::array();
  for (size_t at = 0; at < list.size();) {
    const size_t comma = std::min(list.find(',', at), list.size());
    const std::string letter = list.substr(at, comma - at);
    at = comma + 1;
    const auto resolution = ParseCoastResolution(letter);
    if (!resolution) return Fail("unknown resolution \"" + letter + "\" (c, l, i or h)");
    const std::string source =
        (std::filesystem::path(*gshhg) / ("binned_GSHHS_" + letter.substr(0, 1) + ".nc")).string();
    GshhgArrays arrays;
    std::string error;
    if (!ReadGshhg(source, arrays, error)) return Fail(error);
    const GshhgConversion conversion = ConvertGshhg(arrays, *resolution);
    if (!conversion.ok) return Fail(source + ": " + conversion.error);
    const auto target = std::filesystem::path(*out) / CoastFileName(*resolution);
    if (!WriteCoastlineFile(target, conversion.grid))
      return Fail("cannot write " + target.string());
    auto file = CCoastlineFile::Open(target, error);
    if (!file) return Fail("the written file does not read back: " + error);
    json entry = InfoJson(file->Info());
    entry["file"] = target.string();
    entry["segmentsSkipped"] = conversion.segmentsSkipped;
    report.push_back(entry);
  }
  std::cout << report.dump(2) << "\n";
  return 0;
}

std::unique_ptr<CCoastlineFile> OpenByResolution(CArguments& args, std::string& error) {
  const auto letter = args.TakeOption("--res");
  const auto folder = args.TakeOption("--dir");
  const auto resolution = ParseCoastResolution(letter.value_or(""));
  if (!resolution) {
    error = "--res must be c, l, i or h";
    return nullptr;
  }
  const std::filesystem::path dir =
      folder ? std::filesystem::path(*folder) : ProgramFolder() / "World";
  return CCoastlineFile::Open(dir / CoastFileName(*resolution), error);
}

int Query(CArguments& args) {
  const auto bbox = args.TakeOption("--bbox");
  std::string error;
  auto file = OpenByResolution(args, error);
  if (!file) return Fail(error);
  const auto box = ParseCoastBbox(bbox.value_or(""));
  if (!box) return Fail("--bbox must be MINLON,MINLAT,MAXLON,MAXLAT in degrees");
  std::cout << CoastlineGeoJson(*file, *box) << "\n";
  return 0;
}

int At(CArguments& args) {
  std::string error;
  auto file = OpenByResolution(args, error);
  if (!file) return Fail(error);
  if (args.Size() != 2) return Fail("at needs LAT LON");
  char* end1 = nullptr;
  char* end2 = nullptr;
  const double lat = std::strtod(args[0].c_str(), &end1);
  const double lon = std::strtod(args[1].c_str(), &end2);
  if (*end1 != '\0' || *end2 != '\0' || lat < -90 || lat > 90) return Fail("bad position");
  static const char* const kNames[] = {"sea", "land", "lake", "land", "lake"};
  const int level = file->LevelAt({lat, lon});
  std::cout << json{{"lat", lat}, {"lon", lon}, {"level", level}, {"kind", kNames[level]}}.dump()
            << "\n";
  return 0;
}

int Main(CArguments& args) {
  if (args.Size() == 0) return Fail(std::string("usage: tarnwick coastline ") + kUsage);
  const std::string action = args[0];
  std::vector<std::string> rest(args.Rest().begin() + 1, args.Rest().end());
  CArguments sub(std::move(rest));
  if (action == "build") return Build(sub);
  if (action == "query") return Query(sub);
  if (action == "at") return At(sub);
  if (action == "info") {
    if (sub.Size() != 1) return Fail("info needs FILE");
    std::string error;
    auto file = CCoastlineFile::Open(sub[0], error);
    if (!file) return Fail(error);
    std::cout << InfoJson(file->Info()).dump(2) << "\n";
    return 0;
  }
  return Fail("unknown action \"" + action + "\"");
}

const CSubcommand kCoastline("coastline", kUsage,
                             "World coastline files: build from GSHHG, inspect, query as GeoJSON",
                             Main);

}  // namespace
}  // namespace tarnwick
