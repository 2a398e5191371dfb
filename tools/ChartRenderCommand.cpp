// `tarnwick charts render`: the chart view drawn from the command line, as the
// page's tiles are drawn: the charts of the data folder's library quilted by
// scale, the world coastline where none covers, under the current S52_
// settings (the scheme may be given). Writes a PNG and prints one JSON line:
//   {"out":"FILE","width":W,"height":H,"scale":S,"charts":N,"features":N,"texts":N,"ms":T}

#include "tools/ChartRenderCommand.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "charts/library/ChartLibrary.h"
#include "charts/render/ChartViewRenderer.h"
#include "charts/s52/S52Library.h"
#include "core/JsonWriter.h"
#include "core/Log.h"
#include "core/Paths.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"

namespace tarnwick {
namespace {

constexpr double kWorldWidth = 2 * 3.14159265358979323846 * 6378137.0;
constexpr int kMaxSide = 8192;

int Fail(const std::string& text, int code) {
  std::fprintf(stderr, "tarnwick charts render: %s\n", text.c_str());
  return code;
}

// "a,b" or "a,b,c,d" (separator sep) into exactly count numbers.
bool Numbers(const std::string& text, char sep, size_t count, std::vector<double>& out) {
  out.clear();
  size_t at = 0;
  while (at <= text.size()) {
    const size_t end = std::min(text.find(sep, at), text.size());
    const std::string field = text.substr(at, end - at);
    char* stop = nullptr;
    const double v = std::strtod(field.c_str(), &stop);
    if (field.empty() || stop != field.c_str() + field.size() || !std::isfinite(v)) return false;
    out.push_back(v);
    at = end + 1;
  }
  return out.size() == count;
}

}  // namespace

int ChartsRenderMain(CArguments& args) {
  const auto tile = args.TakeOption("--tile");
  const auto center = args.TakeOption("--center");
  const auto zoomText = args.TakeOption("--zoom");
  const auto size = args.TakeOption("--size");
  const auto bbox = args.TakeOption("--bbox");
  const auto schemeText = args.TakeOption("--scheme");
  const auto out = args.TakeOption("--out");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown, 2);
  if (args.Size() != 1 || !out || (tile.has_value() + center.has_value() + bbox.has_value()) != 1)
    return Fail(std::string("usage: tarnwick charts ") + kChartsRenderUsage, 2);

  RenderView view;
  std::vector<double> n;
  if (tile) {
    if (!Numbers(*tile, '/', 3, n) || n[0] < 0 || n[0] > 24 || n[0] != std::floor(n[0]))
      return Fail("--tile must be Z/X/Y with Z 0..24", 2);
    const double side = std::ldexp(1.0, static_cast<int>(n[0]));
    if (n[1] < 0 || n[2] < 0 || n[1] >= side || n[2] >= side || n[1] != std::floor(n[1]) ||
        n[2] != std::floor(n[2]))
      return Fail("--tile X and Y must be 0..2^Z-1", 2);
    view.box = XyzTileBox(static_cast<int>(n[0]), static_cast<int>(n[1]), static_cast<int>(n[2]));
  } else {
    view.width = 1920;
    view.height = 1080;
    if (size) {
      if (!Numbers(*size, 'x', 2, n) || n[0] < 1 || n[1] < 1 || n[0] > kMaxSide || n[1] > kMaxSide)
        return Fail("--size must be WxH, 1.." + std::to_string(kMaxSide) + " pixels", 2);
      view.width = static_cast<int>(n[0]);
      view.height = static_cast<int>(n[1]);
    }
    if (center) {
      double zoom = 0;
      if (!Numbers(*center, ',', 2, n) || std::abs(n[0]) > 85 || std::abs(n[1]) > 180)
        return Fail("--center must be LAT,LON in degrees (latitude within 85)", 2);
      const MercatorPoint c = MercatorForward(n[0], n[1]);
      if (!zoomText || !Numbers(*zoomText, ',', 1, n) || n[0] < 0 || n[0] > 24)
        return Fail("--center needs --zoom 0..24", 2);
      zoom = n[0];
      const double res = kWorldWidth / (256 * std::pow(2.0, zoom));
      view.box = {c.x - res * view.width / 2, c.y - res * view.height / 2, c.x + res * view.width / 2,
                  c.y + res * view.height / 2};
    } else {
      if (!Numbers(*bbox, ',', 4, n) || n[0] >= n[2] || n[1] >= n[3] || std::abs(n[1]) > 85 ||
          std::abs(n[3]) > 85)
        return Fail("--bbox must be W,S,E,N in degrees (west < east, south < north, within 85)", 2);
      const MercatorPoint sw = MercatorForward(n[1], n[0]), ne = MercatorForward(n[3], n[2]);
      view.box = {sw.x, sw.y, ne.x, ne.y};
    }
  }

  SetLogEcho(DebugLogging());
  CRegistryFile registry(CRegistryFile::DefaultPath());
  LoadProgramSettings(registry);
  view.settings = ReadS52MarinerSettings();
  view.scheme = view.settings.scheme;
  if (schemeText) {
    if (*schemeText == "day") view.scheme = S52Scheme::Day;
    else if (*schemeText == "dusk") view.scheme = S52Scheme::Dusk;
    else if (*schemeText == "night") view.scheme = S52Scheme::Night;
    else return Fail("--scheme must be day, dusk or night", 2);
  }
  if (!LoadS52LibraryFromProgramFolder())
    std::fprintf(stderr, "tarnwick charts render: no presentation library; vector charts draw without symbology\n");

  ChartLibraryOptions options = DefaultChartLibraryOptions();
  options.watch = false;
  std::string error;
  auto library = CChartLibrary::Open(options, error);
  if (!library) return Fail(error, 1);

  const auto started = std::chrono::steady_clock::now();
  CChartViewRenderer renderer(S52Library(), ProgramFolder() / "World");
  const auto charts = library->ChartsForView(view.box, view.DisplayScale());
  ViewRenderStats stats;
  const std::string png = renderer.RenderPng(view, charts, &stats);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  if (png.empty()) return Fail("the image could not be encoded", 1);
  std::ofstream file(*out, std::ios::binary | std::ios::trunc);
  file.write(png.data(), static_cast<std::streamsize>(png.size()));
  file.close();
  if (!file) return Fail("cannot write " + *out, 1);

  std::string line;
  CJsonWriter json(line);
  json.BeginObject();
  json.Member("out", *out);
  json.Member("width", view.width);
  json.Member("height", view.height);
  json.Member("scale", std::round(view.DisplayScale()));
  json.Member("charts", stats.charts);
  json.Member("features", stats.features);
  json.Member("texts", stats.texts);
  json.Member("ms", std::round(ms * 10) / 10);
  json.EndObject();
  std::printf("%s\n", line.c_str());
  return 0;
}

}  // namespace tarnwick
